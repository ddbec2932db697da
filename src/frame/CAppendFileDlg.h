#pragma once
// The save-file dialog with the extra box "Append to end of existing File".
// Ticking the box turns the overwrite question off; clearing it turns it on.
#include <QFileDialog>

class QCheckBox;

class CAppendFileDlg : public QFileDialog {
public:
    CAppendFileDlg(QWidget* parent, const QString& caption, const QString& directory, const QString& filter,
                   const QString& defaultSuffix = QString());

    // After OK: true when the names are to be added at the end of an existing file.
    bool Append() const;
    QCheckBox* AppendBox() const { return m_append; }

private:
    QCheckBox* m_append = nullptr;
};
