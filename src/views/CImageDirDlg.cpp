#include "CImageDirDlg.h"

#include "OndrelSettings.h"
#include "PictureRules.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CImageDirDlg::CImageDirDlg(bool svg, const QString& directory, QWidget* parent) : QDialog(parent), m_svg(svg)
{
    setWindowTitle(QStringLiteral("Select the Directory to save image files"));
    m_field = new QLineEdit(
        directory.isEmpty() ? OndrelSettings::ReadString(OndrelSettings::kOutputDir) : directory, this);
    auto* browse = new QPushButton(QStringLiteral(". . ."), this);
    m_sizes = new QComboBox(this);
    m_sizes->addItems(BatchSizeChoiceTexts(svg));
    m_sizes->setCurrentIndex(0);
    auto* prompt = new QLabel(svg ? QStringLiteral("Select the Default Image Size ( in mm )")
                                  : QStringLiteral("Select the Image Size ( in pixels)"),
                              this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_field, 0, 0);
    grid->addWidget(browse, 0, 1);
    grid->addWidget(prompt, 1, 0, 1, 2);
    grid->addWidget(m_sizes, 2, 0, 1, 2);
    grid->addWidget(buttons, 3, 0, 1, 2);

    connect(browse, &QPushButton::clicked, this, &CImageDirDlg::Browse);
    connect(buttons, &QDialogButtonBox::accepted, this, &CImageDirDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CImageDirDlg::reject);
}

QSize CImageDirDlg::PictureSize() const { return BatchSizeForChoice(m_svg, m_sizes->currentIndex()); }
void CImageDirDlg::SetDirectoryText(const QString& text) { m_field->setText(text); }
void CImageDirDlg::SetChoice(int index) { m_sizes->setCurrentIndex(index); }

bool CImageDirDlg::TakeFields()
{
    // Blanks alone would trim to nothing and save into the root directory.
    if (m_field->text().trimmed().isEmpty()) {
        QApplication::beep();
        m_field->setFocus();
        return false;
    }
    if (m_sizes->currentIndex() < 0) {
        QApplication::beep();
        m_sizes->setFocus();
        return false;
    }
    m_directory = OndrelSettings::NormaliseDirectory(m_field->text());
    OndrelSettings::WriteString(OndrelSettings::kOutputDir, m_directory);
    return true;
}

void CImageDirDlg::accept()
{
    if (TakeFields())
        QDialog::accept();
}

void CImageDirDlg::Browse()
{
    const QString chosen = QFileDialog::getExistingDirectory(this, windowTitle(), m_field->text());
    if (!chosen.isEmpty())
        m_field->setText(chosen);
}
