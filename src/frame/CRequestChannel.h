#pragma once
// The per-user channel through which a second `ondrel` (or the desktop's
// "open" of a signal file) hands requests to the running one. One request
// text a line; the running program answers each line with "1" once it has
// taken it (it is carried out afterwards) or "0" for an empty line.
#include <QObject>
#include <QStringList>

#include <functional>

class QLocalServer;

// The channel's name for this user (ONDREL_REQUEST_CHANNEL overrides it, so
// that separate sessions or tests do not meet).
QString RequestChannelName();

// Sends the requests to the program listening on `name`; false when no
// program listens there or it did not take every request in time.
bool SendRequests(const QString& name, const QStringList& requests, int timeoutMs = 3000);

class CRequestServer : public QObject {
public:
    using Handler = std::function<void(const QString& request)>;

    CRequestServer(Handler handler, QObject* parent = nullptr);
    // Starts listening on `name`; a channel left behind by a program that
    // ended is taken over. False when another program listens there.
    bool Listen(const QString& name);

private:
    void OnConnection();

    QLocalServer* m_server = nullptr;
    Handler m_handler;
};
