#include "OndrelDoc.h"

#include "DocUi.h"
#include "ExportCommands.h"
#include "FileMessages.h"
#include "KVFileAscii.h"
#include "KVReadSignalFile.h"
#include "SimulationList.h"
#include "OptionsSettings.h"

#include <QFile>

#include <algorithm>
#include <utility>

COndrelDoc::COndrelDoc(CDocUi* ui, QObject* parent) : QObject(parent), m_ui(ui)
{
    m_options = ReadOptions();
}

bool COndrelDoc::OnNewDocument()
{
    m_loaded.ResetPoints();
    m_loaded.SetCurrentFile(QString());
    m_loaded.Entries().clear();
    m_list.Reset();
    return true;
}

void COndrelDoc::UpdateAllViews(EViewHint hint)
{
    Q_EMIT ViewsUpdated(hint);
}

KVTextOptions COndrelDoc::TextOptions() const
{
    KVTextOptions options;
    options.timeUnit = m_options.textTimeSeconds ? KVTimeUnit::Seconds : KVTimeUnit::Milliseconds;
    // The warning of an implausible step names the choice that reads the other unit.
    options.unitSwitch = [](KVTimeUnit unit) {
        return std::string("Edit > Options, ") + kTextTimeUnitTitle + ": " +
            TextTimeUnitName(unit == KVTimeUnit::Seconds);
    };
    return options;
}

const CCheckedFile* COndrelDoc::CheckOf(const QString& name) const
{
    // Nothing checked yet: a listing of many files costs no look at any.
    if (m_checks.IsEmpty())
        return nullptr;
    return m_checks.Current(m_list.PathOf(name));
}

bool COndrelDoc::LoadFile(const QString& name, QString* failure)
{
    m_loaded.SetCurrentFile(name);
    return LoadCurrentFile(failure);
}

bool COndrelDoc::LoadAlone(const QString& name, QString* failure)
{
    // A batch pictures the files; what their loading warned of is not shown.
    m_messages.DropLoadWarnings();
    if (!LoadFile(name, failure))
        return false;
    m_loaded.Entries().clear();
    m_loaded.AddLastLoaded(m_loaded.CurrentFile());
    return true;
}

COndrelDoc::CLoadedState COndrelDoc::PutLoadedAside()
{
    CLoadedState state{std::exchange(m_loaded.Entries(), {}), m_texts, m_loaded.CurrentFile(), m_loaded.RatingBandOf()};
    m_loaded.SetRatingBandOf(QString());
    m_loaded.ResetPoints();
    return state;
}

void COndrelDoc::RestoreLoaded(CLoadedState&& state)
{
    m_loaded.Replace(std::move(state.entries));
    m_texts = std::move(state.texts);
    m_loaded.SetCurrentFile(state.file);
    m_loaded.SetRatingBandOf(state.ratingBandOf);
    UpdateTitle();
    UpdateAllViews(HINT_PLOT_CHANGED);
}

bool COndrelDoc::LoadCurrentFile(QString* failure)
{
    m_loaded.ResetPoints();
    const QString& name = m_loaded.CurrentFile();
    if (name.isEmpty())
        return false;
    if (!m_list.HitMode() && m_list.Directory().isEmpty())
        return false;
    const std::string path = QFile::encodeName(m_list.PathOf(name)).toStdString();

    CWaitCursor wait(m_ui);
    KVErrorList errors;
    const CChannelListing* listing = m_list.ListingOf(name);
    const bool loaded = listing && !listing->simPath.isEmpty()
                            ? LoadSimulationChannel(m_list, m_ui, *listing, m_loaded.Scratch(), errors)
                            : KVReadSignalFile(path, m_loaded.Scratch(), errors, TextOptions()) != nullptr;
    if (loaded) {
        // A file that loaded may still warn (a text file's implausible time step).
        m_messages.AddLoadWarnings(MessagesNamingFile(name, path, errors));
        return true;
    }
    if (failure) {
        // The batch names the file on its line already.
        *failure = FileMessageLines(path, errors).join(QLatin1Char(' '));
        return false;
    }
    const QStringList lines = MessagesNamingFile(name, path, errors);
    if (!lines.isEmpty() && m_ui)
        m_ui->ShowMessageBox(lines.join(QLatin1Char('\n')));
    return false;
}

void COndrelDoc::ReadSignalsAgain(bool keepModified)
{
    for (CSignalEntry& entry : m_loaded.Entries()) {
        if (entry.name.isEmpty() || (keepModified && entry.modified))
            continue;
        m_loaded.SetCurrentFile(entry.name);
        if (!LoadCurrentFile())
            continue;
        entry.signal = std::move(m_loaded.Scratch());
        entry.modified = false;
    }
    LoadedSignalsChanged();
    ShowLoadWarnings();
}

void COndrelDoc::ShowLoadWarnings()
{
    if (m_messages.TakeLoadWarnings())
        ShowMessages();
}

void COndrelDoc::ReportNotEnoughMemory(const QString& what)
{
    if (m_ui)
        m_ui->ShowMessageBox(QStringLiteral("Not enough memory for %1").arg(what));
}

void COndrelDoc::BrowseDirectory(const QString& dir)
{
    m_list.Browse(dir);
    m_loaded.Entries().clear();
    UpdateAllViews(HINT_LIST_CHANGED);
    LoadedSignalsChanged();
    if (m_ui)
        m_ui->SetCaption(QStringLiteral("Browsing ") + m_list.Directory());
}

void COndrelDoc::SwitchToHitMode()
{
    const QString directory = m_list.SwitchToHitMode();
    for (CSignalEntry& entry : m_loaded.Entries()) {
        // A computed signal has no file: it keeps its empty name.
        if (!entry.name.isEmpty())
            entry.name.prepend(directory);
    }
}

bool COndrelDoc::MayDrop(const std::vector<const CSignalEntry*>& dropped)
{
    std::vector<const CSignalEntry*> modified;
    QStringList names;
    for (const CSignalEntry* entry : dropped) {
        if (entry && entry->modified) {
            modified.push_back(entry);
            names << entry->DisplayName();
        }
    }
    if (modified.empty())
        return true;
    if (!m_ui)
        return false;
    switch (m_ui->AskDropModified(names)) {
    case EDropAnswer::Discard: return true;
    case EDropAnswer::Save: return ExportCommands::SaveRvf(*this, modified);
    case EDropAnswer::Cancel: break;
    }
    return false;
}

bool COndrelDoc::MayDropLoaded()
{
    return MayDrop(m_loaded.All());
}

void COndrelDoc::UpdateLabels()
{
    m_texts.Follow(m_loaded, m_list);
}

void COndrelDoc::UpdateTitle()
{
    if (!m_ui)
        return;
    QString title = m_list.HitMode() ? QStringLiteral("HitList") : QStringLiteral("Directory");
    if (m_loaded.HasModified())
        title += QStringLiteral(" - Modified");
    m_ui->SetTitle(title);
}

void COndrelDoc::LoadedSignalsChanged()
{
    // LoadCurrentFile resets the count; the loaded signals decide it.
    m_loaded.CountPoints();
    if (!m_loaded.Empty())
        UpdateLabels();
    UpdateTitle();
    // Also with none left: the plot must not go on showing unloaded curves.
    UpdateAllViews(HINT_PLOT_CHANGED);
}

void COndrelDoc::SignalsOperatedOn()
{
    // Every operation may change the point counts the plot buffers are sized by.
    m_loaded.CountPoints();
    UpdateLabels();
    UpdateTitle();
    UpdateAllViews(HINT_PLOT_CHANGED);
    m_messages.CollectErrors();
    ShowMessages();
}

void COndrelDoc::ShowMessages()
{
    m_messages.Show(m_ui);
}
