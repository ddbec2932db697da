#include "OndrelDoc.h"

#include "KVFileAscii.h"
#include "KVFileRvf.h"
#include "OndrelSettings.h"

#include <QFile>

#include <algorithm>

namespace {

QString FromLatin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

void ChopTrailingBlanks(QString& text)
{
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
}

// "type units", falling back to the units alone and then to their first 47
// characters, so that an axis label never grows beyond 47.
QString AxisLabel(const std::string& type, const std::string& units)
{
    constexpr qsizetype kMax = 47;
    QString label = FromLatin1(type) + QLatin1Char(' ') + FromLatin1(units);
    if (label.size() > kMax)
        label = FromLatin1(units);
    if (label.size() > kMax)
        label.truncate(kMax);
    return label;
}

} // namespace

COndrelDoc::COndrelDoc(CDocUi* ui, QObject* parent) : QObject(parent), m_ui(ui)
{
    using namespace OndrelSettings;
    m_bColumnHeaders = ReadInt(QString::fromLatin1(kColumnHeaders)) != 0;
    m_nLineStyle = ReadInt(QString::fromLatin1(kLineStyle));
    m_bSaveZoom = ReadInt(QString::fromLatin1(kSaveZoom)) != 0;
    m_strQuillonDir = ReadString(QString::fromLatin1(kQuillon));
}

bool COndrelDoc::OnNewDocument()
{
    m_nMaxPoints = 0;
    m_strFile.clear();
    m_strDirectory.clear();
    m_signals.clear();
    m_fileList.clear();
    return true;
}

void COndrelDoc::UpdateAllViews(int hint)
{
    Q_EMIT ViewsUpdated(hint);
}

bool COndrelDoc::LoadAlone(const QString& name)
{
    m_strFile = name;
    if (!LoadCurrentFile())
        return false;
    m_signals.clear();
    m_signals.emplace_back(m_strFile, m_signal);
    m_nMaxPoints = static_cast<int32_t>(std::min<size_t>(m_signal.PointCount(), INT32_MAX));
    return true;
}

QString COndrelDoc::PathOfName(const QString& name) const
{
    return m_bHitMode ? name : m_strDirectory + name;
}

bool COndrelDoc::LoadCurrentFile()
{
    m_nMaxPoints = 0;
    if (m_strFile.isEmpty())
        return false;
    if (!m_bHitMode && m_strDirectory.isEmpty())
        return false;
    const std::string path = QFile::encodeName(PathOfName(m_strFile)).toStdString();

    CWaitCursor wait(m_ui);
    KVFileRvf rvf(path);
    if (rvf.Load(m_signal))
        return true;
    KVFileAscii ascii(path);
    if (ascii.Load(m_signal))
        return true;

    QStringList lines;
    for (const KVException& e : rvf.Errors())
        lines.append(FromLatin1(e.Message()));
    if (!lines.isEmpty() && m_ui)
        m_ui->ShowMessageBox(lines.join(QLatin1Char('\n')));
    return false;
}

void COndrelDoc::LoadedSignalsChanged()
{
    // LoadCurrentFile resets the count; the loaded signals decide it.
    UpdateMaxPoints();
    if (m_signals.empty())
        return;
    UpdateLabels();
    UpdateTitle();
    UpdateAllViews(HINT_PLOT_CHANGED);
}

void COndrelDoc::SwitchToHitMode()
{
    for (QString& name : m_fileList)
        name.prepend(m_strDirectory);
    for (CSignalEntry& entry : m_signals)
        entry.name.prepend(m_strDirectory);
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
    if (m_signals.size() != 1)
        return;
    const KVSignal& s = m_signals.front().signal;
    const size_t n = s.PointCount();
    if (n == 0)
        return;
    size_t iMin = 0;
    size_t iMax = 0;
    for (size_t i = 1; i < n; ++i) {
        if (s.Y()[i] < s.Y()[iMin])
            iMin = i;
        if (s.Y()[i] > s.Y()[iMax])
            iMax = i;
    }
    m_strSubTitle = QString::asprintf("Ymin %.3f @ %3.1f, Ymax %.3f @ %3.1f", double(s.Y()[iMin]),
                                      double(s.X()[iMin]), double(s.Y()[iMax]), double(s.X()[iMax]));
    if (m_strSubTitle.size() >= 47)
        m_strSubTitle.truncate(46);
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
        QString title = entry.name + QStringLiteral(" (") + FromLatin1(s.TestReference());
        ChopTrailingBlanks(title);
        title += QStringLiteral("), ") + FromLatin1(s.SensorAttachment());
        ChopTrailingBlanks(title);
        title += QLatin1Char(',') + FromLatin1(s.Axis()) + QStringLiteral(" axis, occ ") +
                 FromLatin1(s.SensorLocation());
        if (title.size() >= 255)
            title.truncate(254);
        m_strTitle = title;
        return;
    }
    m_strTitle.clear();
    m_labels.clear();
    m_strYLabel = FromLatin1(m_signals.front().signal.YUnits());
    for (const CSignalEntry& entry : m_signals) {
        if (FromLatin1(entry.signal.YUnits()).compare(m_strYLabel, Qt::CaseInsensitive) != 0)
            m_strYLabel = QStringLiteral("Mixed Units");
        m_labels.append(entry.name.right(16));
    }
}

void COndrelDoc::UpdateTitle()
{
    if (!m_ui)
        return;
    QString title = m_bHitMode ? QStringLiteral("HitList") : QStringLiteral("Directory");
    const bool modified =
        std::any_of(m_signals.begin(), m_signals.end(), [](const CSignalEntry& e) { return e.modified; });
    if (modified)
        title += QStringLiteral(" - Modified");
    m_ui->SetTitle(title);
}

void COndrelDoc::CollectErrors()
{
    m_messages.clear();
    for (const KVException& e : m_errors.Errors())
        m_messages.append(QStringLiteral("%1 - %2").arg(FromLatin1(e.Scope()), FromLatin1(e.Message())));
}

void COndrelDoc::ShowMessages()
{
    if (m_messages.isEmpty() || !m_ui)
        return;
    m_ui->ShowErrorsAndWarnings(m_messages);
}
