// File-menu and document-wide commands: Open Directory, Rvf Information,
// Reload, Options and browsing the command line.
#include "FileSearch.h"
#include "IsoMmeTest.h"
#include "OndrelDoc.h"
#include "OndrelSettings.h"
#include "OptionsSettings.h"

#include <QFile>
#include <QFileInfo>

namespace {

bool SameHeader(const KVHeader& a, const KVHeader& b)
{
#define SAME_FIELD(name, def) && a.name == b.name
    return true KV_SIGNAL_FIELDS(SAME_FIELD, SAME_FIELD, SAME_FIELD);
#undef SAME_FIELD
}

} // namespace

void COndrelDoc::OnOpenDirectory()
{
    if (!m_ui)
        return;
    QString dir;
    if (!m_ui->ChooseDirectory(dir))
        return;
    dir = OndrelSettings::NormaliseDirectory(dir);
    if (!dir.isEmpty() && MayDropLoaded())
        BrowseDirectory(dir);
}

void COndrelDoc::BrowseDirectory(const QString& dir)
{
    m_bHitMode = false;
    m_strDirectory = dir;
    m_signals.clear();
    UpdateAllViews(HINT_LIST_CHANGED);
    LoadedSignalsChanged();
    if (m_ui)
        m_ui->SetCaption(QStringLiteral("Browsing ") + m_strDirectory);
}

void COndrelDoc::OnRvfInformation()
{
    if (m_signals.size() != 1 || !m_ui)
        return;
    CSignalEntry& entry = m_signals.front();
    KVSignal copy = entry.signal;
    if (!m_ui->EditHeader(copy))
        return;
    const bool changed = !SameHeader(copy.Header(), entry.signal.Header());
    entry.signal = copy;
    if (!changed)
        return;
    // An edited header is a change like any operation's: it shows in the
    // title and the plot texts, and goes to a criterion program by file.
    entry.modified = true;
    UpdateLabels();
    UpdateTitle();
    UpdateAllViews(HINT_PLOT_CHANGED);
}

void COndrelDoc::OnReload()
{
    ReadSignalsAgain(false);
}

void COndrelDoc::ReadSignalsAgain(bool keepModified)
{
    for (CSignalEntry& entry : m_signals) {
        if (entry.name.isEmpty() || (keepModified && entry.modified))
            continue;
        m_strFile = entry.name;
        if (!LoadCurrentFile())
            continue;
        entry.signal = std::move(m_signal);
        entry.modified = false;
    }
    LoadedSignalsChanged();
    ShowLoadWarnings();
}

void COndrelDoc::OnOptions()
{
    if (!m_ui)
        return;
    COptionsValues values = Options();
    if (!m_ui->EditOptions(values))
        return;
    const bool unitChanged = values.textTimeSeconds != m_options.textTimeSeconds;
    SetOptions(values);
    WriteOptions(m_options);
    // A loaded text file's times were read in the old unit: read it again.
    if (unitChanged)
        ReadSignalsAgain(true);
    UpdateAllViews(HINT_PLOT_CHANGED);
}

void COndrelDoc::SetOptions(const COptionsValues& values)
{
    m_options = values;
}

COptionsValues COndrelDoc::Options() const
{
    return m_options;
}

void COndrelDoc::BrowseCommandLine(const QStringList& files)
{
    // "ondrel DIR": the engineer points the program at a directory of signal
    // files, which is browsed as Open Directory browses it (it was reported
    // as a file that does not exist). A test folder lists its channels below.
    if (files.size() == 1 && QFileInfo(files[0]).isDir()
        && !IsoMmeIsTestPath(QFile::encodeName(files[0]).toStdString())) {
        BrowseDirectory(OndrelSettings::NormaliseDirectory(QFileInfo(files[0]).absoluteFilePath()));
        return;
    }
    m_messages.clear();
    QStringList found;
    for (const QString& entry : files) {
        if (!AppendListed(entry, found))
            m_messages.append(QStringLiteral("File, %1, does not Exist").arg(entry));
    }
    if (!found.isEmpty() || !m_fileList.isEmpty()) {
        // Full paths must not mix with the bare names of a browsed directory.
        if (!m_bHitMode)
            SwitchToHitMode();
        m_fileList.append(found);
        if (m_ui)
            m_ui->SetCaption(QStringLiteral("Browsing Command Line arguments"));
        UpdateAllViews(HINT_LIST_CHANGED);
    }
    // Named files that are missing are reported even when none was found, so
    // that a mistyped command line does not open an empty window in silence.
    ShowMessages();
}
