#include "OndrelDoc.h"

#include "DocUi.h"
#include "FileMessages.h"
#include "KVFileAscii.h"
#include "KVReadSignalFile.h"
#include "OptionsSettings.h"
#include "PlotTexts.h"
#include "TimeAxis.h"

#include <QFile>

#include <algorithm>
#include <utility>

namespace {

QString FromLatin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

COndrelDoc::COndrelDoc(CDocUi* ui, QObject* parent) : QObject(parent), m_ui(ui)
{
    m_options = ReadOptions();
}

bool COndrelDoc::OnNewDocument()
{
    m_nMaxPoints = 0;
    m_strFile.clear();
    m_strDirectory.clear();
    m_signals.clear();
    m_fileList.clear();
    m_channelListings.clear();
    return true;
}

void COndrelDoc::UpdateAllViews(EViewHint hint)
{
    Q_EMIT ViewsUpdated(hint);
}

void COndrelDoc::SetFileList(const QStringList& names)
{
    m_fileList = names;
}

void COndrelDoc::AddSignal(CSignalEntry entry)
{
    m_signals.push_back(std::move(entry));
    UpdateMaxPoints();
}

bool COndrelDoc::LoadFile(const QString& name, QString* failure)
{
    m_strFile = name;
    return LoadCurrentFile(failure);
}

bool COndrelDoc::LoadAlone(const QString& name, QString* failure)
{
    // A batch pictures the files; what their loading warned of is not shown.
    m_loadWarnings.clear();
    if (!LoadFile(name, failure))
        return false;
    m_signals.clear();
    m_nMaxPoints = static_cast<int32_t>(std::min<size_t>(m_signal.PointCount(), INT32_MAX));
    m_signals.emplace_back(m_strFile, std::move(m_signal));
    return true;
}

COndrelDoc::CLoadedState COndrelDoc::PutLoadedAside()
{
    CLoadedState state{std::exchange(m_signals, {}), m_labels, m_strTitle, m_strSubTitle, m_strXLabel,
                       m_strYLabel, m_strFile, std::exchange(m_ratingBandOf, {})};
    m_nMaxPoints = 0;
    return state;
}

void COndrelDoc::RestoreLoaded(CLoadedState&& state)
{
    m_signals = std::move(state.entries);
    m_labels = std::move(state.labels);
    m_strTitle = std::move(state.title);
    m_strSubTitle = std::move(state.subTitle);
    m_strXLabel = std::move(state.xLabel);
    m_strYLabel = std::move(state.yLabel);
    m_strFile = std::move(state.file);
    m_ratingBandOf = std::move(state.ratingBandOf);
    UpdateMaxPoints();
    UpdateTitle();
    UpdateAllViews(HINT_PLOT_CHANGED);
}

QString COndrelDoc::PathOfName(const QString& name) const
{
    return m_bHitMode ? name : m_strDirectory + name;
}

bool COndrelDoc::LoadCurrentFile(QString* failure)
{
    m_nMaxPoints = 0;
    if (m_strFile.isEmpty())
        return false;
    if (!m_bHitMode && m_strDirectory.isEmpty())
        return false;
    const std::string path = QFile::encodeName(PathOfName(m_strFile)).toStdString();

    CWaitCursor wait(m_ui);
    KVErrorList errors;
    if (KVReadSignalFile(path, m_signal, errors, TextOptions())) {
        // A file that loaded may still warn (a text file's implausible time step).
        m_loadWarnings.append(MessagesNamingFile(m_strFile, path, errors));
        return true;
    }
    if (failure) {
        // The batch names the file on its line already.
        *failure = FileMessageLines(path, errors).join(QLatin1Char(' '));
        return false;
    }
    const QStringList lines = MessagesNamingFile(m_strFile, path, errors);
    if (!lines.isEmpty() && m_ui)
        m_ui->ShowMessageBox(lines.join(QLatin1Char('\n')));
    return false;
}

KVTextOptions COndrelDoc::TextOptions() const
{
    KVTextOptions options;
    options.timeUnit = m_options.textTimeSeconds ? KVTimeUnit::Seconds : KVTimeUnit::Milliseconds;
    // The warning of an implausible step names the choice that reads the other unit.
    options.unitSwitch = [](KVTimeUnit unit) {
        return std::string("Edit > Options, ") + kTextTimeUnitTitle + ": " + TextTimeUnitName(unit == KVTimeUnit::Seconds);
    };
    return options;
}

void COndrelDoc::ShowLoadWarnings()
{
    if (m_loadWarnings.isEmpty())
        return;
    m_messages = std::exchange(m_loadWarnings, {});
    ShowMessages();
}

void COndrelDoc::LoadedSignalsChanged()
{
    // LoadCurrentFile resets the count; the loaded signals decide it.
    UpdateMaxPoints();
    if (!m_signals.empty())
        UpdateLabels();
    UpdateTitle();
    // Also with none left: the plot must not go on showing unloaded curves.
    UpdateAllViews(HINT_PLOT_CHANGED);
}

void COndrelDoc::ReportNotEnoughMemory(const QString& what)
{
    if (m_ui)
        m_ui->ShowMessageBox(QStringLiteral("Not enough memory for %1").arg(what));
}

bool COndrelDoc::HasModifiedSignals() const
{
    return std::any_of(m_signals.begin(), m_signals.end(), [](const CSignalEntry& e) { return e.modified; });
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
    case EDropAnswer::Save: return SaveRvf(modified);
    case EDropAnswer::Cancel: break;
    }
    return false;
}

bool COndrelDoc::MayDropLoaded()
{
    std::vector<const CSignalEntry*> all;
    for (const CSignalEntry& entry : m_signals)
        all.push_back(&entry);
    return MayDrop(all);
}

void COndrelDoc::SwitchToHitMode()
{
    for (QString& name : m_fileList)
        name.prepend(m_strDirectory);
    for (CSignalEntry& entry : m_signals) {
        // A computed signal has no file: it keeps its empty name.
        if (!entry.name.isEmpty())
            entry.name.prepend(m_strDirectory);
    }
    m_strDirectory.clear();
    m_bHitMode = true;
}

void COndrelDoc::UpdateMaxPoints()
{
    size_t most = 0;
    for (const CSignalEntry& entry : m_signals)
        most = std::max(most, entry.signal.PointCount());
    m_nMaxPoints = static_cast<int32_t>(std::min<size_t>(most, INT32_MAX));
}

void COndrelDoc::UpdateSubTitle()
{
    m_strSubTitle.clear();
    if (m_signals.size() == 1)
        m_strSubTitle = PeakSubTitle(m_signals.front().signal);
}

void COndrelDoc::UpdateLabels()
{
    if (m_signals.empty())
        return;
    UpdateSubTitle();
    if (m_signals.size() == 1) {
        const CSignalEntry& entry = m_signals.front();
        const KVSignal& s = entry.signal;
        m_strYLabel = AxisLabel(s.YType(), s.YUnits());
        m_strXLabel = AxisLabel(s.XType(), s.XUnits());
        m_strTitle = SignalTitle(entry.DisplayName(), s);
        return;
    }
    m_strTitle = SharedTestTitle(LoadedSignals());
    m_strYLabel = FromLatin1(m_signals.front().signal.YUnits());
    QStringList names;
    bool allChannels = true;
    QHash<QString, int> uses;
    for (const CSignalEntry& entry : m_signals) {
        if (FromLatin1(entry.signal.YUnits()).compare(m_strYLabel, Qt::CaseInsensitive) != 0)
            m_strYLabel = QStringLiteral("Mixed Units");
        names.append(LegendName(entry));
        ++uses[names.back()];
        allChannels = allChannels && ChannelListingOf(entry.name);
    }
    // Two tests' channels of one code are told apart by their test.
    for (size_t k = 0; k < m_signals.size(); ++k) {
        const CChannelListing* listing = ChannelListingOf(m_signals[k].name);
        if (listing && uses.value(names[qsizetype(k)]) > 1 && !listing->test.isEmpty())
            names[qsizetype(k)] = listing->test + QLatin1Char(' ') + names[qsizetype(k)];
    }
    // The X label follows the loaded signals: a label left from another
    // selection would name units the curves are not in.
    m_strXLabel = SharedXAxis(LoadedSignals()).label;
    // Codes are short and distinct already: cutting them could make two alike.
    m_labels = allChannels ? names : DistinguishingLabels(names, kLegendLabelLength);
}

std::vector<const KVSignal*> COndrelDoc::LoadedSignals() const
{
    std::vector<const KVSignal*> loaded;
    for (const CSignalEntry& entry : m_signals)
        loaded.push_back(&entry.signal);
    return loaded;
}

void COndrelDoc::UpdateTitle()
{
    if (!m_ui)
        return;
    QString title = m_bHitMode ? QStringLiteral("HitList") : QStringLiteral("Directory");
    if (HasModifiedSignals())
        title += QStringLiteral(" - Modified");
    m_ui->SetTitle(title);
}

void COndrelDoc::ClearErrors()
{
    m_errors.ClearErrors();
    m_errorSubjects.clear();
}

void COndrelDoc::AddErrorsAbout(const QString& subject, const KVErrorList& errors)
{
    // Errors recorded without a subject keep their places.
    m_errorSubjects.resize(static_cast<size_t>(m_errors.ErrorCount()));
    for (const KVException& e : errors.Errors()) {
        m_errors.AddError(e);
        m_errorSubjects.push_back(subject);
    }
}

void COndrelDoc::CollectErrors()
{
    m_messages.clear();
    const std::vector<KVException>& errors = m_errors.Errors();
    for (size_t i = 0; i < errors.size(); ++i) {
        QString line = QStringLiteral("%1 - %2").arg(MessageText(errors[i].Scope()), MessageText(errors[i].Message()));
        // Which channel a message is about, when it is about one.
        if (i < m_errorSubjects.size() && !m_errorSubjects[i].isEmpty())
            line.prepend(m_errorSubjects[i] + QStringLiteral(": "));
        m_messages.append(line);
    }
}

void COndrelDoc::ShowMessages()
{
    if (m_messages.isEmpty() || !m_ui)
        return;
    m_ui->ShowErrorsAndWarnings(m_messages);
}
