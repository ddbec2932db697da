#include "ChannelTree.h"

#include "IsoMmeVocabulary.h"
#include "IsoMmeWriter.h"
#include "KVFileRvf.h"
#include "KVSignal.h"
#include "OndrelDoc.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

struct CodeWord {
    char code;
    const char* text;
};

// The test objects of a code's first character.
constexpr CodeWord kTestObjects[] = {
    {'0', "Other"},          {'B', "Fixed barrier"}, {'M', "Mobile barrier"}, {'S', "Sled"},
    {'D', "Dummy/impactor"}, {'H', "Linear impactor"}, {'P', "Pendulum"},     {'C', "Component"},
    {'T', "Test rig"},       {'?', "Not stated"},
};

// The seating positions of a code's second character (A to Z are seats by letter).
constexpr CodeWord kPositions[] = {
    {'0', "None"},         {'1', "Front left"},  {'2', "Front middle"}, {'3', "Front right"},
    {'4', "Second row left"}, {'5', "Second row middle"}, {'6', "Second row right"},
    {'7', "Third row left"},  {'8', "Third row middle"},  {'9', "Third row right"},
    {'?', "Not stated"},
};

template <size_t N>
const char* WordOf(const CodeWord (&table)[N], QChar c)
{
    for (const CodeWord& row : table)
        if (QLatin1Char(row.code) == c)
            return row.text;
    return nullptr;
}

QString TestObjectLabel(QChar c)
{
    if (c >= QLatin1Char('1') && c <= QLatin1Char('9'))
        return QStringLiteral("%1 Vehicle %1").arg(c);
    const char* word = WordOf(kTestObjects, c);
    return word ? QStringLiteral("%1 %2").arg(c, QLatin1String(word)) : QString(c);
}

} // namespace

QString PositionLabel(QChar p)
{
    if (const char* word = WordOf(kPositions, p))
        return QStringLiteral("%1 %2").arg(p, QLatin1String(word));
    if (p >= QLatin1Char('A') && p <= QLatin1Char('Z'))
        return QStringLiteral("%1 Seat %1").arg(p);
    return QString(p);
}

QChar DummyPosition(const QString& code)
{
    if (code.size() != 16 || !IsoIsDummyLocation(code.mid(2, 4).toStdString()))
        return {};
    const QChar p = code[1];
    return p.isDigit() && p != QLatin1Char('0') ? p : (p >= QLatin1Char('A') && p <= QLatin1Char('Z') ? p : QChar());
}

QStringList ChannelGroupPath(const CChannelItem& item, bool severalTests)
{
    if (!item.groups.isEmpty())
        return item.groups;
    if (item.code.size() != 16)
        return {};
    QStringList path;
    if (severalTests)
        path << item.test;
    path << TestObjectLabel(item.code[0]) << PositionLabel(item.code[1]) << item.code.mid(2, 4);
    return path;
}

bool ChannelMatches(const CChannelItem& item, const QString& filter)
{
    const QString text = filter.trimmed();
    if (text.isEmpty())
        return true;
    if (text.contains(QLatin1Char('?')) || text.contains(QLatin1Char('*'))) {
        const QRegularExpression pattern(QRegularExpression::wildcardToRegularExpression(
                                             text, QRegularExpression::UnanchoredWildcardConversion),
                                         QRegularExpression::CaseInsensitiveOption);
        const QString subject = item.code.isEmpty() ? item.title : item.code;
        const QRegularExpressionMatch m = pattern.match(subject);
        return m.hasMatch() && m.capturedStart() == 0 && m.capturedLength() == subject.size();
    }
    const QString haystack = item.code + QLatin1Char(' ') + item.title + QLatin1Char(' ') + item.name;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        if (!haystack.contains(word, Qt::CaseInsensitive))
            return false;
    return true;
}

// The name after the last "/" (no file system call: a long list is named fast).
static QString BareName(const QString& name)
{
    return name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
}

QString CodeOfFileName(const QString& name)
{
    QString base = BareName(name);
    base.truncate(base.indexOf(QLatin1Char('.')) < 0 ? base.size() : base.indexOf(QLatin1Char('.')));
    // Most names are no code: cheaper to tell by length than by pattern.
    if (base.size() != 16 && (base.size() < 18 || base[16] != QLatin1Char('_')))
        return {};
    static const QRegularExpression pattern(QStringLiteral("^([0-9A-Z_]{16})(_[0-9]+)?$"));
    const QRegularExpressionMatch m = pattern.match(base);
    if (!m.hasMatch())
        return {};
    return m.captured(1).replace(QLatin1Char('_'), QLatin1Char('?'));
}

QString CodeOfRvfHeader(const QString& name, QString& title, QString* test)
{
    KVFileRvf file(QFile::encodeName(name).toStdString());
    KVSignal signal;
    if (!file.LoadRecordFields(signal.Header()))
        return {};
    const std::string code = IsoMmeCodeOf(signal);
    // Without a location or a quantity the code would be mostly "?": no group to put it in.
    if (code.size() != 16 || code.substr(2, 4).find('?') != std::string::npos || code.substr(12, 2).find('?') != std::string::npos)
        return {};
    title = QString::fromLatin1(signal.CurveText().c_str()).trimmed();
    if (test && signal.TestNumber() != "0")
        *test = QString::fromLatin1(signal.TestNumber().c_str());
    return QString::fromLatin1(code.c_str());
}

const CChannelItem& CHeaderCodes::Of(const QString& name)
{
    Known& known = m_known[name];
    if (known.listing == m_listing && known.item.name == name)
        return known.item;
    known.listing = m_listing;
    const QFileInfo info(name);
    const qint64 size = info.size();
    const qint64 modified = info.lastModified().toMSecsSinceEpoch();
    if (known.size == size && known.modified == modified && known.item.name == name)
        return known.item;
    known.size = size;
    known.modified = modified;
    known.item = {name, QString(), BareName(name), QString()};
    QString title;
    known.item.code = CodeOfRvfHeader(name, title, &known.item.test);
    if (!known.item.code.isEmpty() && !title.isEmpty())
        known.item.title = title;
    return known.item;
}

std::vector<CChannelItem> ListedChannels(const COndrelDoc& doc, CHeaderCodes* headers)
{
    std::vector<CChannelItem> items;
    items.reserve(static_cast<size_t>(doc.FileList().size()));
    for (const QString& name : doc.FileList()) {
        if (const CChannelListing* listing = doc.List().ListingOf(name))
            items.push_back({name, listing->code, listing->title, listing->test, listing->groups});
        else if (QString code = CodeOfFileName(name); !code.isEmpty() || !headers)
            items.push_back({name, code, BareName(name), QString()});
        else
            items.push_back(headers->Of(name));
    }
    return items;
}

bool SeveralTests(const std::vector<CChannelItem>& items)
{
    const QString* first = nullptr;
    for (const CChannelItem& item : items) {
        if (item.test.isEmpty())
            continue;
        if (!first)
            first = &item.test;
        else if (*first != item.test)
            return true;
    }
    return false;
}
