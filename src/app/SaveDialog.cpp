#include "SaveDialog.h"

#include "DocUi.h"
#include "OndrelSettings.h"

bool ChooseSaveFile(CDocUi* ui, const QString& title, const QStringList& filters, const QString& suffix, QString& path,
                    bool* append, const QString& initialName, bool confirmOverwrite)
{
    if (!ui)
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
    if (!ui->SaveFileDialog(request, path, appendChosen))
        return false;
    if (append)
        *append = appendChosen;
    return true;
}
