#include "COndrelApp.h"

#include "CMainFrame.h"
#include "CRequestChannel.h"
#include "CommandLine.h"
#include "FileCommands.h"
#include "OndrelDoc.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QTimer>

QStringList WithAbsoluteRequestPaths(const QStringList& arguments)
{
    QStringList result = arguments;
    for (int i = 0; i + 1 < result.size(); ++i) {
        if (result[i] == QLatin1String("--datafile") || result[i] == QLatin1String("--hitlist")) {
            ++i;
            if (!result[i].isEmpty())
                result[i] = QFileInfo(result[i]).absoluteFilePath();
        }
    }
    return result;
}

COndrelApp::COndrelApp() = default;

COndrelApp::~COndrelApp()
{
    m_server.reset();
    m_frame.reset();
    m_doc.reset();
}

bool COndrelApp::InitInstance(const QStringList& arguments, bool* handedOver)
{
    if (handedOver)
        *handedOver = false;
    COndrelCommandLineInfo info;
    info.Parse(WithAbsoluteRequestPaths(arguments));

    const QString channel = RequestChannelName();
    if (!info.requests.isEmpty() && info.files.isEmpty() && SendRequests(channel, info.requests)) {
        if (handedOver)
            *handedOver = true;
        return false;
    }

    // Desktops without an icon theme of their own still get toolbar pictures.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));

    m_doc = std::make_unique<COndrelDoc>();
    m_frame = std::make_unique<CMainFrame>(m_doc.get());
    m_doc->OnNewDocument();
    // Without a window manager "maximised" means nothing: cover the screen.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        m_frame->setGeometry(screen->availableGeometry());
    m_frame->showMaximized();

    m_server = std::make_unique<CRequestServer>([this](const QString& request) { OnRequest(request); });
    // A second window without the channel still works; requests go to the first.
    m_server->Listen(channel);

    // After the window is up, as if posted to it.
    QTimer::singleShot(0, m_frame.get(), [this, info] {
        if (info.files.isEmpty() && info.requests.isEmpty())
            m_frame->RunCommand(ID_FILE_OPEN_DIRECTORY);
        else if (!info.files.isEmpty())
            FileCommands::BrowseCommandLine(*m_doc, info.files);
        for (const QString& request : info.requests)
            OnRequest(request);
    });
    return true;
}

void COndrelApp::OnRequest(const QString& request)
{
    if (!m_frame)
        return;
    m_frame->HandleRequestText(request);
    m_frame->raise();
    m_frame->activateWindow();
}
