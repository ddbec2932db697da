#include "CAboutDlg.h"

#include "ProgramIcon.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Ondrel"));
    auto* picture = new QLabel(this);
    picture->setPixmap(ProgramIcon().pixmap(64, 64));
    auto* description = new QLabel(QStringLiteral("Ondrel, a utility for browsing and plotting RVF data files"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CAboutDlg::accept);

    auto* grid = new QGridLayout(this);
    grid->addWidget(picture, 0, 0, Qt::AlignTop);
    grid->addWidget(description, 0, 1);
    grid->addWidget(buttons, 1, 0, 1, 2);
}
