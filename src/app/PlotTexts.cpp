// Before any Qt header: its "signals" keyword would clash with a parameter name.
#include "IsoMmeWriter.h"

#include "PlotTexts.h"

#include "FileList.h"
#include "KVSignal.h"
#include "LoadedSignals.h"
#include "TimeAxis.h"

#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

constexpr qsizetype kTitleLimit = 254;
constexpr qsizetype kSubTitleLimit = 46;
// Legend labels keep at most this many characters.
constexpr qsizetype kLegendLabelLength = 20;

QString Latin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// A header text without its trailing blanks; empty when it holds only blanks.
QString Field(const std::string& text)
{
    QString s = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    while (s.endsWith(QLatin1Char(' ')))
        s.chop(1);
    return s.trimmed().isEmpty() ? QString() : s;
}

bool IsWordSeparator(QChar c)
{
    return c == QLatin1Char('_') || c == QLatin1Char('-') || c == QLatin1Char('.') || c == QLatin1Char(' ') ||
           c == QLatin1Char('/');
}

bool AllFit(const QStringList& labels, qsizetype limit)
{
    return std::all_of(labels.begin(), labels.end(), [limit](const QString& l) { return l.size() <= limit; });
}

// The labels that stand for a name (computed signals have none).
QStringList NonEmpty(const QStringList& labels)
{
    QStringList result;
    for (const QString& l : labels)
        if (!l.isEmpty())
            result << l;
    return result;
}

QString FileName(const QString& name) { return name.mid(name.lastIndexOf(QLatin1Char('/')) + 1); }

// Drops the extensions, unless two names differ only there.
void DropExtensions(QStringList& labels)
{
    QStringList stems = labels;
    for (QString& l : stems) {
        const qsizetype dot = l.lastIndexOf(QLatin1Char('.'));
        if (dot > l.lastIndexOf(QLatin1Char('/')) + 1)
            l.truncate(dot);
    }
    const QStringList named = NonEmpty(stems);
    if (QSet<QString>(named.begin(), named.end()).size() == named.size())
        labels = stems;
}

// Length of the common start of all labels that ends with a word separator
// and leaves every label at least one character.
qsizetype CommonLeadingWords(const QStringList& labels)
{
    qsizetype common = labels.front().size();
    for (const QString& l : labels) {
        qsizetype k = 0;
        while (k < common && k < l.size() && l[k] == labels.front()[k])
            ++k;
        common = k;
    }
    const qsizetype shortest =
        std::min_element(labels.begin(), labels.end(), [](const QString& a, const QString& b) {
            return a.size() < b.size();
        })->size();
    for (qsizetype k = std::min(common, shortest - 1); k > 0; --k)
        if (IsWordSeparator(labels.front()[k - 1]))
            return k;
    return 0;
}

qsizetype CommonTrailingWords(const QStringList& labels)
{
    QStringList reversed;
    for (const QString& l : labels) {
        QString r(l);
        std::reverse(r.begin(), r.end());
        reversed << r;
    }
    return CommonLeadingWords(reversed);
}

void DropCommonWords(QStringList& labels)
{
    const QStringList named = NonEmpty(labels);
    if (named.size() < 2)
        return;
    const qsizetype lead = CommonLeadingWords(named);
    for (QString& l : labels)
        if (!l.isEmpty())
            l.remove(0, lead);
    const qsizetype trail = CommonTrailingWords(NonEmpty(labels));
    for (QString& l : labels)
        if (!l.isEmpty())
            l.chop(trail);
}

// Keeps the start and the (longer) end: test numbers lead, channel names end.
QString ElideMiddle(const QString& label, qsizetype limit)
{
    if (label.size() <= limit || limit < 3)
        return label.left(limit);
    const qsizetype head = (limit - 1) / 2;
    const qsizetype tail = limit - 1 - head;
    return label.left(head) + QChar(0x2026) + label.right(tail);
}

} // namespace

QString SignalTitle(const QString& name, const KVSignal& s)
{
    QString title = name;
    if (const QString ref = Field(s.TestReference()); !ref.isEmpty())
        title += QStringLiteral(" (%1)").arg(ref);
    // A test's channel shows its code as it now stands (a filter changes its last letter).
    QString tail = s.Header().Side.channelLines.empty() ? Field(s.SensorAttachment())
                                                        : QString::fromLatin1(IsoMmeCodeOf(s).c_str());
    if (const QString axis = Field(s.Axis()); !axis.isEmpty())
        tail += (tail.isEmpty() ? QString() : QStringLiteral(",")) + axis + QStringLiteral(" axis");
    if (const QString location = Field(s.SensorLocation()); !location.isEmpty())
        tail += (tail.isEmpty() ? QString() : QStringLiteral(", ")) + QStringLiteral("occ ") + location;
    if (!tail.isEmpty())
        title += (title.isEmpty() ? QString() : QStringLiteral(", ")) + tail;
    if (title.size() > kTitleLimit)
        title.truncate(kTitleLimit);
    return title;
}

int XDecimals(const KVSignal& s, size_t i)
{
    const size_t n = s.PointCount();
    double step = 0.0;
    if (n >= 2 && i < n) {
        const size_t j = i + 1 < n ? i + 1 : i - 1;
        step = std::fabs(double(s.X()[j]) - double(s.X()[i]));
    }
    if (!(step > 0.0) || !std::isfinite(step))
        step = s.Del() > 0.0f && s.Del() < KV_NO_VALUE ? double(s.Del()) : 0.1;
    // The spacing is a float difference: allow for its rounding before ceil.
    const int decimals = static_cast<int>(std::ceil(-std::log10(step) - 0.01));
    return std::clamp(decimals, 1, 6);
}

QString PeakSubTitle(const KVSignal& s)
{
    const size_t n = s.PointCount();
    if (n == 0)
        return {};
    size_t iMin = 0;
    size_t iMax = 0;
    for (size_t i = 1; i < n; ++i) {
        if (s.Y()[i] < s.Y()[iMin])
            iMin = i;
        if (s.Y()[i] > s.Y()[iMax])
            iMax = i;
    }
    QString text = QString::asprintf("Ymin %.3f @ %.*f, Ymax %.3f @ %.*f", double(s.Y()[iMin]), XDecimals(s, iMin),
                                     double(s.X()[iMin]), double(s.Y()[iMax]), XDecimals(s, iMax),
                                     double(s.X()[iMax]));
    if (text.size() > kSubTitleLimit)
        text.truncate(kSubTitleLimit);
    return text;
}

QString SharedTestTitle(const std::vector<const KVSignal*>& loaded)
{
    if (loaded.empty())
        return {};
    const QString number = Field(loaded.front()->TestNumber());
    if (number.isEmpty() || number == QStringLiteral("0"))
        return {};
    for (const KVSignal* s : loaded)
        if (Field(s->TestNumber()) != number)
            return {};
    const QString title = Field(loaded.front()->TestTitle());
    return QStringLiteral("Test ") + number + (title.isEmpty() ? QString() : QStringLiteral(" - ") + title);
}

QStringList DistinguishingLabels(const QStringList& names, qsizetype limit)
{
    QStringList labels;
    for (const QString& name : names)
        labels << FileName(name);
    // The same file name in two folders: only the folders tell them apart.
    const QStringList named = NonEmpty(labels);
    if (QSet<QString>(named.begin(), named.end()).size() != named.size())
        labels = names;
    if (AllFit(labels, limit))
        return labels;
    DropExtensions(labels);
    if (AllFit(labels, limit))
        return labels;
    DropCommonWords(labels);
    for (QString& l : labels)
        l = ElideMiddle(l, limit);
    return labels;
}

QString PlotNotice(const QStringList& names, const std::vector<size_t>& pointCounts)
{
    if (pointCounts.empty())
        return QStringLiteral("No signal loaded");
    QStringList lines;
    for (size_t i = 0; i < pointCounts.size(); ++i) {
        if (pointCounts[i] >= 2)
            continue;
        const QString name = i < size_t(names.size()) ? names[qsizetype(i)] : QString();
        lines << QStringLiteral("%1: %2").arg(name, pointCounts[i] == 1 ? QStringLiteral("1 point")
                                                                         : QStringLiteral("no points"));
    }
    return lines.join(QLatin1Char('\n'));
}

void CPlotTexts::FollowSubTitle(const CLoadedSignals& loaded)
{
    subTitle.clear();
    if (loaded.Size() == 1)
        subTitle = PeakSubTitle(loaded.Entries().front().signal);
}

void CPlotTexts::Follow(const CLoadedSignals& loaded, const CFileList& list)
{
    const std::vector<CSignalEntry>& entries = loaded.Entries();
    if (entries.empty())
        return;
    FollowSubTitle(loaded);
    if (entries.size() == 1) {
        const CSignalEntry& entry = entries.front();
        const KVSignal& s = entry.signal;
        yLabel = AxisLabel(s.YType(), s.YUnits());
        xLabel = AxisLabel(s.XType(), s.XUnits());
        title = SignalTitle(entry.DisplayName(), s);
        return;
    }
    title = SharedTestTitle(loaded.Signals());
    // A test without a number (T0001) is named as the list names it.
    if (title.isEmpty()) {
        const CChannelListing* first = list.ListingOf(entries.front().name);
        const bool oneTest = first && !first->test.isEmpty()
                             && std::all_of(entries.begin(), entries.end(), [&](const CSignalEntry& e) {
                                    const CChannelListing* l = list.ListingOf(e.name);
                                    return l && l->testPath == first->testPath;
                                });
        if (oneTest)
            title = QStringLiteral("Test ") + first->test;
    }
    yLabel = Latin1(entries.front().signal.YUnits());
    QStringList names;
    bool allChannels = true;
    QHash<QString, int> uses;
    for (const CSignalEntry& entry : entries) {
        if (Latin1(entry.signal.YUnits()).compare(yLabel, Qt::CaseInsensitive) != 0)
            yLabel = QStringLiteral("Mixed Units");
        names.append(list.LegendName(entry));
        // A listed channel's code as it now stands: a filter or a header
        // edit changes it (a file name, for a repeated code, stays).
        const CChannelListing* listing = list.ListingOf(entry.name);
        if (listing && listing->legend == listing->code && !entry.signal.Header().Side.channelLines.empty())
            names.back() = Latin1(IsoMmeCodeOf(entry.signal));
        ++uses[names.back()];
        allChannels = allChannels && list.ListingOf(entry.name);
    }
    // Two tests' channels of one code are told apart by their test.
    for (size_t k = 0; k < entries.size(); ++k) {
        const CChannelListing* listing = list.ListingOf(entries[k].name);
        if (listing && uses.value(names[qsizetype(k)]) > 1 && !listing->test.isEmpty())
            names[qsizetype(k)] = listing->test + QLatin1Char(' ') + names[qsizetype(k)];
    }
    // The X label follows the loaded signals: a label left from another
    // selection would name units the curves are not in.
    xLabel = SharedXAxis(loaded.Signals()).label;
    // Codes are short and distinct already: cutting them could make two alike.
    legend = allChannels ? names : DistinguishingLabels(names, kLegendLabelLength);
}
