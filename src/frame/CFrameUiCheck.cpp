// The window's side of Check Signals: the progress of a long run and the
// results window.
#include "CCheckResultsDlg.h"
#include "CFrameUi.h"
#include "CProgressDlg.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>

void CFrameUi::RunWithProgress(const QString& title, const std::function<void(const Progress&)>& work)
{
    CProgressDlg progress(title, m_window);
    // Nothing else of the window may start while the run goes on (a second
    // check, a reload); Cancel and the close box stay live.
    progress.hide();
    progress.setWindowModality(Qt::ApplicationModal);
    progress.show();
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    QCoreApplication::processEvents();
    work([&](int done, int total) {
        progress.SetRange(total, 0);
        progress.SetPos(done);
        progress.SetStatus(QStringLiteral("%1 of %2 files").arg(done).arg(total));
        // Handling events after every quick step would cost more than the steps.
        if (sinceEvents.elapsed() >= 50 || done == total) {
            QCoreApplication::processEvents();
            sinceEvents.restart();
        }
        return !progress.Cancelled();
    });
}

void CFrameUi::ShowCheckResults(const std::vector<CCheckedFile>& files)
{
    delete m_checkResults;
    m_checkResults = new CCheckResultsDlg(files, m_pickFile, m_window);
    m_checkResults->setAttribute(Qt::WA_DeleteOnClose);
    m_checkResults->show();
}

CCheckResultsDlg* CFrameUi::CheckResults() const
{
    return m_checkResults.data();
}
