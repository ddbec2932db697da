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
    auto* sendTo = new QLabel(QStringLiteral("Send Comments or Questions to"), this);
    // A mailto link: the desktop opens a new mail message to the address.
    const QString address = QString::fromLatin1(kContactAddress);
    auto* link = new QLabel(
        QStringLiteral("<a href=\"mailto:%1\" style=\"text-decoration: underline\">%1</a>").arg(address), this);
    link->setObjectName(QStringLiteral("contactAddress"));
    link->setTextFormat(Qt::RichText);
    link->setTextInteractionFlags(Qt::TextBrowserInteraction);
    link->setOpenExternalLinks(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CAboutDlg::accept);

    auto* grid = new QGridLayout(this);
    grid->addWidget(picture, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(description, 0, 1);
    grid->addWidget(sendTo, 1, 1);
    grid->addWidget(link, 2, 1);
    grid->addWidget(buttons, 3, 0, 1, 2);
}
