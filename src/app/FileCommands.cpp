#include "FileCommands.h"

#include "HitlistFile.h"
#include "IsoMmeTest.h"
#include "OndrelDoc.h"
#include "OndrelSettings.h"

#include <QFile>
#include <QFileInfo>

namespace FileCommands {

void OpenDirectory(COndrelDoc& doc)
{
    if (!doc.Ui())
        return;
    QString dir;
    if (!doc.Ui()->ChooseDirectory(dir))
        return;
    dir = OndrelSettings::NormaliseDirectory(dir);
    if (!dir.isEmpty() && doc.MayDropLoaded())
        doc.BrowseDirectory(dir);
}

void OpenHitlist(COndrelDoc& doc)
{
    CDocUi* ui = doc.Ui();
    if (!ui)
        return;
    CFileDialogRequest request;
    request.title = QStringLiteral("Select HitList File");
    request.filters =
        QStringList{QStringLiteral("HitList File (*.*)"), QStringLiteral("HitList File (*.txt)"),
                    QStringLiteral("HitList File (*.hit)"), QStringLiteral("ISO-MME Test (*.mme *.MME *.zip *.ZIP)"),
                    QStringLiteral("Simulation (*binout* nodout* glstat* secforc* rcforc* matsum* sbtout* jntforc* deforc* abstat*)")};
    request.directory = OndrelSettings::ReadString(QString::fromLatin1(OndrelSettings::kOutputDir));
    QString path;
    if (!ui->OpenFileDialog(request, path) || !doc.MayDropLoaded())
        return;
    doc.Messages().ClearLines();
    doc.Loaded().Clear();
    doc.List().StartHitlist();
    if (ReadHitlist(doc, path)) {
        OndrelSettings::StoreOutputDir(path);
        doc.List().SetHitlistName(QFileInfo(path).fileName());
        ui->SetCaption(QStringLiteral("Browsing ") + doc.List().HitlistName());
    }
    // Sent also when the list could not be read: the list was emptied, and a
    // view still showing the old names would load files no longer listed.
    doc.UpdateAllViews(HINT_LIST_CHANGED);
    doc.LoadedSignalsChanged();
    doc.ShowMessages();
}

bool ReadHitlist(COndrelDoc& doc, const QString& path)
{
    CFileList& list = doc.List();
    QStringList names;
    if (CFileList::IsChannelSource(path)) {
        const bool read = list.AppendSourceChannels(path, names, doc.Messages());
        list.Append(names);
        return read;
    }
    QStringList lines;
    QString reason;
    if (!ReadNameLines(path, lines, &reason)) {
        if (doc.Ui())
            doc.Ui()->ShowMessageBox(QStringLiteral("%1: %2").arg(path, reason));
        return false;
    }
    for (const QString& line : lines) {
        doc.Loaded().SetCurrentFile(line);
        if (!list.AppendListed(line, names, doc.Messages()))
            doc.Messages().Append(QStringLiteral("Hitlist %1, filename %2, not found").arg(path, line));
    }
    list.Append(names);
    return true;
}

void BrowseCommandLine(COndrelDoc& doc, const QStringList& files)
{
    // "ondrel DIR": the engineer points the program at a directory of signal
    // files, which is browsed as Open Directory browses it (it was reported
    // as a file that does not exist). A test folder lists its channels below.
    if (files.size() == 1 && QFileInfo(files[0]).isDir() &&
        !IsoMmeIsTestPath(QFile::encodeName(files[0]).toStdString())) {
        doc.BrowseDirectory(OndrelSettings::NormaliseDirectory(QFileInfo(files[0]).absoluteFilePath()));
        return;
    }
    doc.Messages().ClearLines();
    QStringList found;
    for (const QString& entry : files) {
        if (!doc.List().AppendListed(entry, found, doc.Messages()))
            doc.Messages().Append(QStringLiteral("File, %1, does not Exist").arg(entry));
    }
    if (!found.isEmpty() || !doc.FileList().isEmpty()) {
        // Full paths must not mix with the bare names of a browsed directory.
        if (!doc.List().HitMode())
            doc.SwitchToHitMode();
        doc.List().Append(found);
        if (doc.Ui())
            doc.Ui()->SetCaption(QStringLiteral("Browsing Command Line arguments"));
        doc.UpdateAllViews(HINT_LIST_CHANGED);
    }
    // Named files that are missing are reported even when none was found, so
    // that a mistyped command line does not open an empty window in silence.
    doc.ShowMessages();
}

} // namespace FileCommands
