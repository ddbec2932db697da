#pragma once
// "Select Directory to Browse": the recent directories in an editable
// drop-down list and a folder picker. The caller keeps the recent list.
#include <QDialog>
#include <QStringList>

class QComboBox;
class QPushButton;

class CSelectDirectoryDlg : public QDialog {
public:
    // `recent`: the stored directories, most recent first (empty ones are skipped).
    explicit CSelectDirectoryDlg(const QStringList& recent, QWidget* parent = nullptr);

    // After OK: the field text, trimmed of blanks (never empty).
    QString Directory() const { return m_directory; }

    QComboBox* DirectoryField() const { return m_combo; }
    QPushButton* BrowseButton() const { return m_browse; }

    void accept() override;

private:
    void OnBrowse();

    QComboBox* m_combo = nullptr;
    QPushButton* m_browse = nullptr;
    QString m_directory;
};
