// ISO-MME tests in the document: a test opened as the list of its channels,
// each listed by its code and name, and the loaded signals saved as one test.
#include "FileMessages.h"
#include "FileSearch.h"
#include "IsoMmeSource.h"
#include "IsoMmeTest.h"
#include "IsoMmeWriter.h"
#include "KVTextCode.h"
#include "OndrelDoc.h"
#include "OndrelSettings.h"

#include <QFile>
#include <QFileInfo>

namespace {

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

bool COndrelDoc::AppendTestChannels(const QString& path, QStringList& names)
{
    const std::string file = Encoded(path);
    IsoMmeTest test;
    KVErrorList errors;
    const bool opened = test.Open(file, errors);
    // Why it did not open, or what is missing from it (a channel file, a repeated code).
    m_messages.append(MessagesNamingFile(path, file, errors));
    if (!opened)
        return false;
    // The test is known by its number, else by its file or folder name.
    QString testName = FromCp1252(test.TestNumber()).trimmed();
    if (testName.isEmpty() || testName == QStringLiteral("NOVALUE"))
        testName = QFileInfo(path).completeBaseName();
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
        m_channelListings.insert(name, listing);
        names.append(name);
    }
    return true;
}

bool COndrelDoc::AppendListed(const QString& entry, QStringList& names)
{
    // A test folder is listed by its channels; other folders match nothing.
    if (QFileInfo(entry).isDir()) {
        const QString folder = QFileInfo(entry).absoluteFilePath();
        if (!IsoMmeIsTestPath(Encoded(folder)))
            return false;
        AppendTestChannels(folder, names);
        return true;
    }
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
        if (IsoMmeIsTestPath(Encoded(match)))
            AppendTestChannels(match, names);
        else
            names.append(match);
    }
    return !matches.isEmpty();
}

QString COndrelDoc::ListText(const QString& name) const
{
    const auto found = m_channelListings.constFind(name);
    return found == m_channelListings.cend() ? name : found->text;
}

const CChannelListing* COndrelDoc::ChannelListingOf(const QString& name) const
{
    const auto found = m_channelListings.constFind(name);
    return found == m_channelListings.cend() ? nullptr : &*found;
}

QString COndrelDoc::LegendName(const CSignalEntry& entry) const
{
    const auto found = m_channelListings.constFind(entry.name);
    return found == m_channelListings.cend() ? entry.DisplayName() : found->legend;
}

void COndrelDoc::OnSaveIsoMme()
{
    if (m_signals.empty() || !m_ui)
        return;
    // The folder's name is the test number; a test number of the first signal is offered.
    QString offered = QString::fromLatin1(m_signals.front().signal.TestNumber().c_str()).trimmed();
    if (offered == QStringLiteral("0"))
        offered.clear();
    QString path;
    // No question about replacing: an existing folder is never replaced.
    if (!ChooseSaveFile(QStringLiteral("ISO-MME Test Folder, Save As"),
                        QStringList{QStringLiteral("ISO-MME Test Folder (*)")}, QString(), path, nullptr, offered,
                        false))
        return;
    KVErrorList errors;
    bool written = false;
    {
        CWaitCursor wait(m_ui);
        written = IsoMmeWriteTest(LoadedSignals(), Encoded(path), errors);
    }
    if (!written) {
        // The writer leaves nothing behind; the test must not look saved.
        QStringList lines{QStringLiteral("%1 was not saved:").arg(path)};
        lines.append(FileMessageLines(Encoded(path), errors));
        m_ui->ShowErrorsAndWarnings(lines);
        return;
    }
    OndrelSettings::StoreOutputDir(path);
}
