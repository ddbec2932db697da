#pragma once
// "Rate Against Reference": the ISO/TS 18571 rating of every other loaded
// signal against the reference chosen above the table (the first loaded at
// first), and whether the plot shows the reference's corridors.
#include "DocUi.h"

#include <QDialog>

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QTableWidget;

class CRatingsDlg : public QDialog {
public:
    // rows(i) rates the others against signal i of names.
    CRatingsDlg(const QStringList& names, int reference, std::function<std::vector<CRatingRow>(int)> rows,
                bool showBand, QWidget* parent = nullptr);
    int Reference() const;
    bool ShowBand() const;
    QComboBox* ReferenceBox() const { return m_reference; }
    QTableWidget* Table() const { return m_table; }

private:
    void Fill();

    std::function<std::vector<CRatingRow>(int)> m_rows;
    QComboBox* m_reference = nullptr;
    QTableWidget* m_table = nullptr;
    QCheckBox* m_band = nullptr;
};
