#include "CRequestChannel.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

QString RequestChannelName()
{
    const QByteArray forced = qgetenv("ONDREL_REQUEST_CHANNEL");
    if (!forced.isEmpty())
        return QString::fromLocal8Bit(forced);
    return QStringLiteral("ondrel-requests-%1").arg(getuid());
}

bool SendRequests(const QString& name, const QStringList& requests, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    for (const QString& request : requests)
        socket.write(request.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    int answered = 0;
    while (answered < requests.size()) {
        if (!socket.canReadLine() && !socket.waitForReadyRead(timeoutMs))
            return false;
        while (socket.canReadLine()) {
            socket.readLine();
            ++answered;
        }
    }
    socket.disconnectFromServer();
    return true;
}

CRequestServer::CRequestServer(Handler handler, QObject* parent)
    : QObject(parent)
    , m_server(new QLocalServer(this))
    , m_handler(std::move(handler))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &CRequestServer::OnConnection);
}

bool CRequestServer::Listen(const QString& name)
{
    // Ask first: listening with owner-only access puts the new channel in
    // place of any old one, which would take it from a running Ondrel.
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(500))
        return false;
    // Nobody answers: what is there was left by a program that ended.
    QLocalServer::removeServer(name);
    return m_server->listen(name);
}

void CRequestServer::OnConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                // A line ends the request, so a name cannot smuggle in a second one.
                QString request = QString::fromUtf8(socket->readLine());
                while (request.endsWith(QLatin1Char('\n')) || request.endsWith(QLatin1Char('\r')))
                    request.chop(1);
                // Answer before carrying it out: the work may open a dialog, and the
                // sender must not wait for the person.
                socket->write(request.isEmpty() ? "0\n" : "1\n");
                socket->flush();
                if (!request.isEmpty())
                    QMetaObject::invokeMethod(
                        this, [this, request] { m_handler(request); }, Qt::QueuedConnection);
            }
        });
    }
}
