// Hitlist commands: reading, opening, saving and editing lists of file names.
#include "FileSearch.h"
#include "HitlistFile.h"
#include "IsoMmeTest.h"
#include "OndrelDoc.h"
#include "OndrelSettings.h"

#include <QFile>
#include <QFileInfo>

bool COndrelDoc::ReadHitlist(const QString& path)
{
    if (IsoMmeIsTestPath(QFile::encodeName(path).toStdString()))
        return AppendTestChannels(path, m_fileList);
    QStringList lines;
    QString reason;
    if (!ReadNameLines(path, lines, &reason)) {
        if (m_ui)
            m_ui->ShowMessageBox(QStringLiteral("%1: %2").arg(path, reason));
        return false;
    }
    for (const QString& line : lines) {
        m_strFile = line;
        if (!AppendListed(line, m_fileList))
            m_messages.append(QStringLiteral("Hitlist %1, filename %2, not found").arg(path, line));
    }
    return true;
}

void COndrelDoc::OnOpenHitlist()
{
    if (!m_ui)
        return;
    CFileDialogRequest request;
    request.title = QStringLiteral("Select HitList File");
    request.filters = QStringList{QStringLiteral("HitList File (*.*)"), QStringLiteral("HitList File (*.txt)"),
                                  QStringLiteral("HitList File (*.hit)"),
                                  QStringLiteral("ISO-MME Test (*.mme *.MME *.zip *.ZIP)")};
    request.directory = OndrelSettings::ReadString(QString::fromLatin1(OndrelSettings::kOutputDir));
    QString path;
    if (!m_ui->OpenFileDialog(request, path) || !MayDropLoaded())
        return;
    m_messages.clear();
    m_signals.clear();
    m_fileList.clear();
    m_channelListings.clear();
    m_bHitMode = true;
    if (ReadHitlist(path)) {
        OndrelSettings::StoreOutputDir(path);
        m_strHitlistName = QFileInfo(path).fileName();
        m_ui->SetCaption(QStringLiteral("Browsing ") + m_strHitlistName);
    }
    // Sent also when the list could not be read: the list was emptied, and a
    // view still showing the old names would load files no longer listed.
    UpdateAllViews(HINT_LIST_CHANGED);
    LoadedSignalsChanged();
    ShowMessages();
}

bool COndrelDoc::ChooseSaveFile(const QString& title, const QStringList& filters, const QString& suffix,
                                QString& path, bool* append, const QString& initialName,
                                bool confirmOverwrite)
{
    if (!m_ui)
        return false;
    CFileDialogRequest request;
    request.title = title;
    request.filters = filters;
    request.defaultSuffix = suffix;
    request.directory = OndrelSettings::ReadString(QString::fromLatin1(OndrelSettings::kOutputDir));
    request.fileName = initialName;
    request.confirmOverwrite = confirmOverwrite;
    request.appendBox = append != nullptr;
    bool appendChosen = false;
    if (!m_ui->SaveFileDialog(request, path, appendChosen))
        return false;
    if (append)
        *append = appendChosen;
    return true;
}

// The save steps shared by Save HitList and Save Selected Hitlist.
bool COndrelDoc::WriteHitlistLines(const QStringList& names)
{
    QString path;
    bool append = false;
    if (!ChooseSaveFile(QStringLiteral("Save Hitlist as"), QStringList{QStringLiteral("Hit List Files (*.*)")},
                        QString(), path, &append))
        return false;
    QStringList lines;
    for (const QString& name : names)
        lines.append(PathOfName(name));
    QString reason;
    const bool written = WriteNameLines(path, lines, append, &reason);
    OndrelSettings::StoreOutputDir(path);
    // A list that was not saved must not look saved.
    if (!written)
        m_ui->ShowMessageBox(QStringLiteral("Hitlist %1 was not saved: %2").arg(path, reason));
    return written;
}

void COndrelDoc::OnSaveHitlist()
{
    if (m_fileList.isEmpty())
        return;
    WriteHitlistLines(m_fileList);
}

void COndrelDoc::OnSaveSelectedHitlist()
{
    if (m_signals.empty())
        return;
    QStringList names;
    for (const CSignalEntry& entry : m_signals) {
        if (!entry.name.isEmpty())
            names.append(entry.name);
    }
    WriteHitlistLines(names);
}

void COndrelDoc::OnEditHitlist()
{
    if (!m_bHitMode || !m_ui)
        return;
    QStringList names = m_fileList;
    if (!m_ui->EditHitlist(names))
        return;
    SetFileList(names);
    UpdateAllViews(HINT_LIST_CHANGED);
}
