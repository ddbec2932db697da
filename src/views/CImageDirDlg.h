#pragma once
// "Select the Directory to save image files": the directory and the picture
// size of a batch save.
#include <QDialog>
#include <QSize>
#include <QString>

class QComboBox;
class QLineEdit;

class CImageDirDlg : public QDialog {
    Q_OBJECT
public:
    // svg selects the SVG size choices and prompt; an empty directory starts
    // as the setting "OutputDir".
    explicit CImageDirDlg(bool svg, const QString& directory = QString(), QWidget* parent = nullptr);

    // The directory as confirmed: trimmed and ending in "/" (after OK).
    QString Directory() const { return m_directory; }
    // The size pair of the chosen size.
    QSize PictureSize() const;
    void SetDirectoryText(const QString& text);
    void SetChoice(int index);
    // What OK does: false (beep, focus on the field) for an empty directory
    // or no size chosen; else normalises the directory and stores it as "OutputDir".
    bool TakeFields();

    void accept() override;

private:
    void Browse();

    bool m_svg;
    QString m_directory;
    QLineEdit* m_field = nullptr;
    QComboBox* m_sizes = nullptr;
};
