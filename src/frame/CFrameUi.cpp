#include "CFrameUi.h"

#include "SimulationList.h"

#include "CAppendFileDlg.h"
#include "CErrorsDlg.h"
#include "CFilterClassDlg.h"
#include "CHitlistEditDlg.h"
#include "CIntervalDlg.h"
#include "COndrelView.h"
#include "COptionsDlg.h"
#include "CResampleDlg.h"
#include "CRvfInfoSheet.h"
#include "ExitQuestion.h"
#include "CSelectDirectoryDlg.h"
#include "CSignalLabelsDlg.h"
#include "CTextEntryDlg.h"
#include "OndrelSettings.h"
#include "ProgramLaunch.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeData>
#include "ProgramLaunch.h"

#include <QProcess>
#include <QWidget>

namespace {

QString JoinFilters(const QStringList& filters)
{
    return filters.join(QStringLiteral(";;"));
}

// A file dialog of the program's own: the same look for every open and save.
void Prepare(QFileDialog& dialog, const CFileDialogRequest& request)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (!request.filters.isEmpty()) {
        dialog.setNameFilters(request.filters);
        dialog.selectNameFilter(request.filters.first());
    }
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
}

// Shows the dialog; true with the chosen file in path on OK.
bool RunFileDialog(QFileDialog& dialog, QString& path)
{
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty())
        return false;
    path = files.first();
    return true;
}

} // namespace

CFrameUi::CFrameUi(QWidget* window) : m_window(window) {}

bool CFrameUi::ChooseDirectory(QString& dir)
{
    CSelectDirectoryDlg dialog(OndrelSettings::RecentDirectories(), m_window);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dir = OndrelSettings::RememberDirectory(dialog.Directory());
    return !dir.isEmpty();
}

bool CFrameUi::OpenFileDialog(const CFileDialogRequest& request, QString& path)
{
    QFileDialog dialog(m_window, request.title, request.directory, JoinFilters(request.filters));
    Prepare(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return RunFileDialog(dialog, path);
}

bool CFrameUi::SaveFileDialog(const CFileDialogRequest& request, QString& path, bool& append)
{
    if (request.appendBox) {
        CAppendFileDlg dialog(m_window, request.title, request.directory, JoinFilters(request.filters),
                              request.defaultSuffix);
        Prepare(dialog, request);
        if (!RunFileDialog(dialog, path))
            return false;
        append = dialog.Append();
        return true;
    }
    QFileDialog dialog(m_window, request.title, request.directory, JoinFilters(request.filters));
    Prepare(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (!RunFileDialog(dialog, path))
        return false;
    append = false;
    return true;
}

bool CFrameUi::EditOptions(COptionsValues& values)
{
    COptionsDlg dialog(m_window);
    dialog.m_values = values;
    if (dialog.exec() != QDialog::Accepted)
        return false;
    values = dialog.m_values;
    return true;
}

bool CFrameUi::EnterText(const QString& caption, const QString& prompt, QString& text)
{
    return RunTextEntry(m_window, caption, prompt, text);
}

bool CFrameUi::SelectFilterClass(int& index, float& frequency)
{
    CFilterClassDlg dialog(m_window);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    index = dialog.Choice();
    frequency = dialog.Frequency();
    return true;
}

bool CFrameUi::SelectTimeStep(CResampleValues& values)
{
    return ::SelectTimeStep(m_window, values.timeStep, values.points, values.span, &values.byPoints);
}

bool CFrameUi::SelectInterval(float& start, float& stop)
{
    return ::SelectInterval(m_window, start, stop);
}

bool CFrameUi::EditSignalLabels(const QStringList& names, QStringList& labels)
{
    // A label is edited in the same "Enter Plot Label" dialog as the plot texts.
    return ::EditSignalLabels(m_window, names, labels, RunTextEntry);
}

bool CFrameUi::EditHitlist(QStringList& names)
{
    CHitlistEditDlg dialog(names, m_window);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    names = dialog.Names();
    return true;
}

bool CFrameUi::EditHeader(KVSignal& signal)
{
    return EditSignalHeader(m_window, signal);
}

bool CFrameUi::AskYesNo(const QString& title, const QString& question)
{
    return QMessageBox::question(m_window, title, question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
           == QMessageBox::Yes;
}

EDropAnswer CFrameUi::AskDropModified(const QStringList& names)
{
    return ::AskDropModified(m_window, names);
}

bool CFrameUi::AskModelUnits(const QString& file, QString& units)
{
    // The common sets, then the model's own numbers; another set can be typed.
    const QString own = QStringLiteral("model units (no conversion)");
    QStringList items = CommonModelUnits();
    items << own;
    bool ok = false;
    const QString chosen = QInputDialog::getItem(
        m_window, QStringLiteral("Units of the Model"),
        QStringLiteral("%1 does not say its units. The model's units\n(length-time-mass-force):").arg(file), items, 0,
        true, &ok);
    if (!ok)
        return false;
    units = chosen == own ? QString() : chosen.trimmed();
    return true;
}

void CFrameUi::ShowMessageBox(const QString& text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Ondrel"), text, QMessageBox::Ok, m_window);
    box.exec();
}

void CFrameUi::ShowErrorsAndWarnings(const QStringList& messages)
{
    if (messages.isEmpty())
        return;
    CErrorsDlg dialog(messages, m_window);
    dialog.exec();
}

void CFrameUi::SetCaption(const QString& text)
{
    m_window->setWindowTitle(text);
}

void CFrameUi::SetTitle(const QString& text)
{
    m_window->setWindowTitle(text);
}

void CFrameUi::SetClipboardText(const QString& text)
{
    QApplication::clipboard()->setText(text);
}

QString CFrameUi::ClipboardText()
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data)
        return QString();
    if (data->hasUrls())
        return NamesFromMimeData(data).join(QStringLiteral("\r\n"));
    return data->text();
}

void CFrameUi::BeginWaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CFrameUi::EndWaitCursor()
{
    QApplication::restoreOverrideCursor();
}

bool CFrameUi::StartProgram(const QString& program, const QStringList& arguments,
                            const QStringList& removeAfter)
{
    const CLaunch launch = RemoveAfterExit(program, arguments, removeAfter);
    return QProcess::startDetached(launch.program, launch.arguments);
}
