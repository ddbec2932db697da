#pragma once
// "Select Image Name and Size": the file name, width and height of one JPEG.
#include <QDialog>
#include <QString>

#include "PictureRules.h"

class QLineEdit;
class QSpinBox;

class CImageSizeDlg : public QDialog {
    Q_OBJECT
public:
    // width and height of 0 or less start as 640 and 480.
    explicit CImageSizeDlg(QWidget* parent = nullptr, int width = 0, int height = 0);

    QString FileName() const;
    int PixelWidth() const;
    int PixelHeight() const;
    void SetFileName(const QString& name);
    void SetPixelSize(int width, int height);
    // The check OK makes; on failure the focus is already on the field.
    CImageSizeCheck CheckFields();

    void accept() override;

private:
    void Browse();

    QLineEdit* m_file = nullptr;
    QSpinBox* m_width = nullptr;
    QSpinBox* m_height = nullptr;
};
