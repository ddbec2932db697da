#include "CheckCommands.h"

#include "OndrelDoc.h"

namespace CheckCommands {

void CheckSignals(COndrelDoc& doc, const QStringList& selected)
{
    const QStringList names = selected.isEmpty() ? doc.FileList() : selected;
    if (names.isEmpty())
        return;
    QStringList paths;
    paths.reserve(names.size());
    for (const QString& name : names)
        paths << doc.List().PathOf(name);
    std::vector<CCheckedFile> checked;
    const auto work = [&](const CDocUi::Progress& progress) {
        checked = doc.Checks().Check(names, paths, progress, doc.TextOptions());
    };
    if (doc.Ui())
        doc.Ui()->RunWithProgress(QStringLiteral("Checking Signals"), work);
    else
        work({});
    // The whole list is like a folder: what is no signal file at all is left
    // out; a selected file always gets its result.
    if (selected.isEmpty())
        std::erase_if(checked, [](const CCheckedFile& f) { return !f.signalFile; });
    for (CCheckedFile& f : checked)
        f.shown = doc.List().ListText(f.name);
    doc.UpdateAllViews(HINT_CHECKS_CHANGED);
    if (doc.Ui())
        doc.Ui()->ShowCheckResults(checked);
}

} // namespace CheckCommands
