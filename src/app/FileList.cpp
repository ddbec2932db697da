#include "FileList.h"

#include "FileMessages.h"
#include "FileSearch.h"
#include "IsoMmeSource.h"
#include "IsoMmeTest.h"
#include "KVTextCode.h"
#include "MessageList.h"
#include "SignalEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace {

// The extension as a path splitter returns it: from the last dot on, or empty.
QStringView Extension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    if (dot < 0 || dot < slash)
        return {};
    return QStringView(name).mid(dot);
}

std::string Encoded(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// The test's texts come as Windows-1252 bytes.
QString FromCp1252(const std::string& text)
{
    return QString::fromStdString(KVConvertText(text, KVCharset::Cp1252, KVCharset::Utf8));
}

} // namespace

void CFileList::AppendNew(const QStringList& names)
{
    for (const QString& name : names) {
        if (!m_names.contains(name))
            m_names.append(name);
    }
}

void CFileList::Clear()
{
    m_names.clear();
    if (!m_hitMode)
        m_directory.clear();
}

void CFileList::Reset()
{
    m_names.clear();
    m_directory.clear();
    m_listings.clear();
    m_simulations.clear();
}

void CFileList::Browse(const QString& dir)
{
    m_hitMode = false;
    m_directory = dir;
}

void CFileList::StartHitlist()
{
    m_names.clear();
    m_listings.clear();
    m_simulations.clear();
    m_hitMode = true;
}

QString CFileList::SwitchToHitMode()
{
    const QString directory = std::exchange(m_directory, {});
    for (QString& name : m_names)
        name.prepend(directory);
    m_hitMode = true;
    return directory;
}

bool CFileList::ListDirectory(const QString& pattern)
{
    QStringList names = ListDirectoryFiles(m_directory, pattern);
    if (names.isEmpty())
        return false;
    m_names = std::move(names);
    return true;
}

void CFileList::Sort(int order)
{
    if (order == 0) {
        std::stable_sort(m_names.begin(), m_names.end());
        return;
    }
    if (order == 1) {
        std::stable_sort(m_names.begin(), m_names.end(),
                         [](const QString& a, const QString& b) { return Extension(a) < Extension(b); });
    }
}

void CFileList::Relist(int order)
{
    if (!m_hitMode) {
        // An empty directory lists as empty: keeping the previous directory's
        // names would offer files that are not there.
        if (m_directory.isEmpty() || !ListDirectory(QStringLiteral("*.*"))) {
            m_names.clear();
            return;
        }
    }
    Sort(order);
}

QString CFileList::ListText(const QString& name) const
{
    const auto found = m_listings.constFind(name);
    return found == m_listings.cend() ? name : found->text;
}

const CChannelListing* CFileList::ListingOf(const QString& name) const
{
    const auto found = m_listings.constFind(name);
    return found == m_listings.cend() ? nullptr : &*found;
}

QString CFileList::LegendName(const CSignalEntry& entry) const
{
    const auto found = m_listings.constFind(entry.name);
    return found == m_listings.cend() ? entry.DisplayName() : found->legend;
}

QStringList CFileList::ListedTests() const
{
    QStringList tests;
    for (const QString& name : m_names)
        if (const CChannelListing* listing = ListingOf(name); listing && !tests.contains(listing->testPath))
            tests << listing->testPath;
    return tests;
}

bool CFileList::AppendTestChannels(const QString& path, QStringList& names, CMessageList& messages)
{
    const std::string file = Encoded(path);
    IsoMmeTest test;
    KVErrorList errors;
    const bool opened = test.Open(file, errors);
    // Why it did not open, or what is missing from it (a channel file, a repeated code).
    messages.Append(MessagesNamingFile(path, file, errors));
    if (!opened)
        return false;
    // The test is known by its number, else by its file or folder name.
    QString testName = FromCp1252(test.TestNumber()).trimmed();
    if (testName.isEmpty() || testName == QStringLiteral("NOVALUE"))
        testName = QFileInfo(path).completeBaseName();
    // Two listed tests of one number (a copy of a test in another folder) are
    // told apart by their folders, or the tree would show their channels as one test's.
    const QFileInfo where(path);
    const QString folder = where.isDir() ? where.fileName()
                           : where.suffix().compare(QStringLiteral("mme"), Qt::CaseInsensitive) == 0
                               ? where.absoluteDir().dirName()
                               : where.completeBaseName();
    for (const QString& listed : names)
        if (const CChannelListing* other = ListingOf(listed);
            other && other->testPath != path && other->test == testName) {
            const QString place = folder != testName ? folder : where.isDir() ? where.absoluteFilePath() : where.absolutePath();
            testName += QStringLiteral(" (") + place + QLatin1Char(')');
            break;
        }
    QHash<QString, int> uses;
    for (const IsoMmeChannelInfo& channel : test.Channels())
        ++uses[FromCp1252(channel.code)];
    for (const IsoMmeChannelInfo& channel : test.Channels()) {
        const QString name = QFile::decodeName(QByteArray::fromStdString(channel.path));
        CChannelListing listing;
        listing.code = FromCp1252(channel.code);
        listing.title = FromCp1252(channel.name).trimmed();
        listing.test = testName;
        listing.testPath = path;
        listing.text = listing.code;
        // Legends must tell the curves apart.
        listing.legend = uses.value(listing.text) > 1 ? QFileInfo(name).fileName() : listing.text;
        if (!listing.title.isEmpty())
            listing.text += QStringLiteral("  ") + listing.title;
        m_listings.insert(name, listing);
        names.append(name);
    }
    return true;
}

bool CFileList::AppendListed(const QString& entry, QStringList& names, CMessageList& messages)
{
    // A test folder is listed by its channels; other folders match nothing.
    if (QFileInfo(entry).isDir()) {
        const QString folder = QFileInfo(entry).absoluteFilePath();
        if (!IsoMmeIsTestPath(Encoded(folder)))
            return false;
        AppendTestChannels(folder, names, messages);
        return true;
    }
    // A simulation's channel as a saved list holds it.
    if (AppendSimulationChannel(entry, names, messages))
        return true;
    const QStringList matches = FindMatchingFiles(entry);
    if (matches.isEmpty() && !HasWildcards(entry)) {
        // A channel inside an archive (a saved list of a .zip test's channels) is no plain file.
        const QString path = QFileInfo(entry).absoluteFilePath();
        std::string bytes, why;
        if (IsoReadBytes(Encoded(path), bytes, why, 1) != IsoReadStatus::Ok)
            return false;
        names.append(path);
        return true;
    }
    for (const QString& match : matches) {
        if (IsChannelSource(match))
            AppendSourceChannels(match, names, messages);
        else
            names.append(match);
    }
    return !matches.isEmpty();
}
