// The window's side of Check Signals (the progress of a long run and the
// results window) and of Rate Against Reference.
#include "CCheckResultsDlg.h"
#include "CFrameUi.h"
#include "CRatingsDlg.h"
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

bool CFrameUi::ShowRatings(const QStringList& names, int& reference,
                           const std::function<std::vector<CRatingRow>(int)>& rows, bool& showBand)
{
    CRatingsDlg dialog(names, reference, rows, showBand, m_window);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    reference = dialog.Reference();
    showBand = dialog.ShowBand();
    return true;
}
