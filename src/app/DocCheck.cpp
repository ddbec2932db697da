// Operate > Check Signals.
#include "OndrelDoc.h"

void COndrelDoc::OnCheckSignals(const QStringList& selected)
{
    const QStringList names = selected.isEmpty() ? m_fileList : selected;
    if (names.isEmpty())
        return;
    QStringList paths;
    paths.reserve(names.size());
    for (const QString& name : names)
        paths << PathOfName(name);
    std::vector<CCheckedFile> checked;
    const auto work = [&](const CDocUi::Progress& progress) { checked = m_checks.Check(names, paths, progress, TextOptions()); };
    if (m_ui)
        m_ui->RunWithProgress(QStringLiteral("Checking Signals"), work);
    else
        work({});
    // The whole list is like a folder: what is no signal file at all is left
    // out; a selected file always gets its result.
    if (selected.isEmpty())
        std::erase_if(checked, [](const CCheckedFile& f) { return !f.signalFile; });
    for (CCheckedFile& f : checked)
        f.shown = ListText(f.name);
    UpdateAllViews(HINT_CHECKS_CHANGED);
    if (m_ui)
        m_ui->ShowCheckResults(checked);
}

const CCheckedFile* COndrelDoc::CheckOf(const QString& name) const
{
    // Nothing checked yet: a listing of many files costs no look at any.
    if (m_checks.IsEmpty())
        return nullptr;
    return m_checks.Current(PathOfName(name));
}
