#include "EditCommands.h"

#include "OndrelDoc.h"
#include "OptionsSettings.h"

namespace EditCommands {
namespace {

bool SameHeader(const KVHeader& a, const KVHeader& b)
{
#define SAME_FIELD(name, def) &&a.name == b.name
    return true KV_SIGNAL_FIELDS(SAME_FIELD, SAME_FIELD, SAME_FIELD);
#undef SAME_FIELD
}

} // namespace

void Options(COndrelDoc& doc)
{
    if (!doc.Ui())
        return;
    COptionsValues values = doc.Options();
    if (!doc.Ui()->EditOptions(values))
        return;
    const bool unitChanged = values.textTimeSeconds != doc.Options().textTimeSeconds;
    doc.SetOptions(values);
    WriteOptions(doc.Options());
    // A loaded text file's times were read in the old unit: read it again.
    if (unitChanged)
        doc.ReadSignalsAgain(true);
    doc.UpdateAllViews(HINT_PLOT_CHANGED);
}

void RvfInformation(COndrelDoc& doc)
{
    if (doc.Loaded().Size() != 1 || !doc.Ui())
        return;
    CSignalEntry& entry = doc.Loaded().Entries().front();
    KVSignal copy = entry.signal;
    if (!doc.Ui()->EditHeader(copy))
        return;
    const bool changed = !SameHeader(copy.Header(), entry.signal.Header());
    entry.signal = copy;
    if (!changed)
        return;
    // An edited header is a change like any operation's: it shows in the
    // title and the plot texts, and goes to a criterion program by file.
    entry.modified = true;
    doc.UpdateLabels();
    doc.UpdateTitle();
    doc.UpdateAllViews(HINT_PLOT_CHANGED);
}

} // namespace EditCommands
