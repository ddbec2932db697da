#pragma once
// Start-up of the desktop program: settings, the document, the main window,
// the command line and the request channel.
#include <QStringList>

#include <memory>

class CMainFrame;
class COndrelDoc;
class CRequestServer;

// The arguments with the path after --datafile and --hitlist made absolute,
// since the program that carries the request out may run elsewhere.
QStringList WithAbsoluteRequestPaths(const QStringList& arguments);

class COndrelApp {
public:
    COndrelApp();
    ~COndrelApp();

    // Runs the start-up steps for the arguments after the program name.
    // Returns false when the program should end at once (its requests went to
    // the running Ondrel); `handedOver` then says so.
    bool InitInstance(const QStringList& arguments, bool* handedOver = nullptr);

    COndrelDoc* Doc() const { return m_doc.get(); }
    CMainFrame* MainFrame() const { return m_frame.get(); }

private:
    void OnRequest(const QString& request);

    std::unique_ptr<COndrelDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<CRequestServer> m_server;
};
