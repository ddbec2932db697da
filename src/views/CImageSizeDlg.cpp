#include "CImageSizeDlg.h"

#include "OndrelSettings.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>

namespace {

// The fields take any number, so that the check can name a wrong one.
QSpinBox* PixelField(QWidget* parent, int value)
{
    auto* box = new QSpinBox(parent);
    box->setRange(-99999, 99999);
    box->setValue(value);
    return box;
}

} // namespace

CImageSizeDlg::CImageSizeDlg(QWidget* parent, int width, int height) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Select Image Name and Size"));
    const QSize initial = InitialImageSize(width, height);
    m_file = new QLineEdit(this);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    m_width = PixelField(this, initial.width());
    m_height = PixelField(this, initial.height());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Output File Name"), this), 0, 0);
    grid->addWidget(m_file, 0, 1, 1, 2);
    grid->addWidget(browse, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Width"), this), 1, 0);
    grid->addWidget(m_width, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("(Pixels)"), this), 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Height"), this), 2, 0);
    grid->addWidget(m_height, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("(Pixels)"), this), 2, 2);
    grid->addWidget(buttons, 3, 0, 1, 4);

    connect(browse, &QPushButton::clicked, this, &CImageSizeDlg::Browse);
    connect(buttons, &QDialogButtonBox::accepted, this, &CImageSizeDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CImageSizeDlg::reject);
}

QString CImageSizeDlg::FileName() const { return m_file->text(); }
int CImageSizeDlg::PixelWidth() const { return m_width->value(); }
int CImageSizeDlg::PixelHeight() const { return m_height->value(); }
void CImageSizeDlg::SetFileName(const QString& name) { m_file->setText(name); }

void CImageSizeDlg::SetPixelSize(int width, int height)
{
    m_width->setValue(width);
    m_height->setValue(height);
}

CImageSizeCheck CImageSizeDlg::CheckFields()
{
    const CImageSizeCheck check = CheckImageSize(PixelWidth(), PixelHeight());
    if (check.focus == EImageSizeField::Width)
        m_width->setFocus();
    else if (check.focus == EImageSizeField::Height)
        m_height->setFocus();
    return check;
}

void CImageSizeDlg::accept()
{
    const CImageSizeCheck check = CheckFields();
    if (!check.ok) {
        QMessageBox::warning(this, windowTitle(), check.message);
        return;
    }
    QDialog::accept();
}

void CImageSizeDlg::Browse()
{
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("jpg"));
    dialog.setDirectory(OndrelSettings::ReadString(OndrelSettings::kOutputDir));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    m_file->setText(path);
    OndrelSettings::StoreOutputDir(path);
}
