#pragma once
// "Options": zoom keeping, column labels, plotting style, the folder of the
// criterion programs, the time unit of text files and the folder of the
// user's protocol files. The caller fills the
// members, shows it, reads back.
#include "DocUi.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QPushButton;

class COptionsDlg : public QDialog {
public:
    explicit COptionsDlg(QWidget* parent = nullptr);

    // Values moved into the controls when shown and out of them on OK; a
    // line style no button stands for stays unless one is chosen.
    COptionsValues m_values;

    QCheckBox* SaveZoomBox() const { return m_saveZoom; }
    QCheckBox* ColumnHeadersBox() const { return m_columnHeaders; }
    QRadioButton* StyleButton(int i) const { return m_style[i]; }
    QLineEdit* QuillonField() const { return m_quillon; }
    // 0 milliseconds, 1 seconds.
    QRadioButton* TimeUnitButton(int i) const { return m_timeUnit[i]; }
    QLineEdit* ProtocolField() const { return m_protocols; }

    // Puts a picked folder into the field (the criterion programs' or the
    // protocol files'), without a final separator.
    void TakePickedFolder(const QString& folder, QLineEdit* field = nullptr);

    void showEvent(QShowEvent* event) override;
    void accept() override;

private:
    void Browse(QLineEdit* field, const QString& caption);

    QCheckBox* m_saveZoom = nullptr;
    QCheckBox* m_columnHeaders = nullptr;
    QRadioButton* m_style[4] = {};
    QLineEdit* m_quillon = nullptr;
    QRadioButton* m_timeUnit[2] = {};
    QPushButton* m_browse = nullptr;
    QLineEdit* m_protocols = nullptr;
};
