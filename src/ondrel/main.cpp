// ondrel: the desktop program for browsing and plotting signal files.
#include "COndrelApp.h"
#include "SaveAllPlots.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // "ondrel --save-all-plots ...": the pictures without a window, for scripts.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (IsSaveAllPlotsCommand(args))
        return SaveAllPlotsMain(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ondrel"));
    QApplication::setOrganizationName(QStringLiteral("Zelnor"));
    QApplication::setDesktopFileName(QStringLiteral("ondrel"));

    COndrelApp ondrel;
    bool handedOver = false;
    if (!ondrel.InitInstance(QApplication::arguments().mid(1), &handedOver))
        return handedOver ? 0 : 1;
    return app.exec();
}
