#include "OperateCommands.h"

#include "KVFilterClass.h"
#include "KVNumberText.h"
#include "Kalvio.h"
#include "OndrelDoc.h"
#include "Operations.h"
#include "TimeAxis.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace OperateCommands {
namespace {

// Runs the table's operation `name` with its numbers on every loaded signal.
// The names are the command line's; a name the table lacks runs nothing.
void RunOperation(COndrelDoc& doc, const char* name, std::initializer_list<double> numbers = {},
                  const std::function<bool(const KVSignal&)>& keeps = {})
{
    const Kalvio::OperationDef* operation = Kalvio::FindOperation(name);
    if (!operation)
        return;
    double args[2] = {0.0, 0.0};
    std::copy_n(numbers.begin(), std::min<size_t>(numbers.size(), 2), args);
    OnEachSignal(
        doc, [operation, args](KVSignal& s, KVErrorList* e) { return operation->apply(s, args, false, e); }, keeps);
}

// Asks for one number with the text-entry dialog; false on Cancel.
bool EnterConstant(COndrelDoc& doc, const QString& caption, const QString& field, const QString& initial, float& value)
{
    if (!doc.Ui())
        return false;
    QString text = initial;
    if (!doc.Ui()->EnterText(caption, field, text))
        return false;
    value = static_cast<float>(KVLeadingNumber(text.toStdString()));
    return true;
}

// The question before an operation that takes one number: the dialog's
// caption, field and initial text, and the operation's name in the table.
struct CConstantQuestion {
    const char* caption;
    const char* field;
    const char* initial;
    const char* operation;
};

// Asks for one number, then runs the operation with it.
void OperateWithConstant(COndrelDoc& doc, const CConstantQuestion& question)
{
    float c = 0.0f;
    if (!EnterConstant(doc, QString::fromLatin1(question.caption), QString::fromLatin1(question.field),
                       QString::fromLatin1(question.initial), c))
        return;
    RunOperation(doc, question.operation, {c});
}

// Replaces all loaded signals by one computed result called computedName
// (or shows why not).
void FinishCombining(COndrelDoc& doc, bool ok, const KVSignal& result, const QString& computedName,
                     const KVErrorList& errors)
{
    // A combination's messages are about all the signals it combined.
    CMessageList& messages = doc.Messages();
    messages.ClearErrors();
    messages.AddErrorsAbout(doc.Loaded().DisplayNames().join(QStringLiteral(", ")), errors);
    if (ok) {
        // Computed, it is in no file: it counts as modified until saved.
        CSignalEntry entry(QString(), result, true);
        entry.computedName = computedName;
        doc.Loaded().Clear();
        doc.Loaded().Add(std::move(entry));
        doc.UpdateLabels();
        doc.UpdateTitle();
        doc.UpdateAllViews(HINT_PLOT_CHANGED);
    }
    // Warnings of a success are shown too; failures leave the signals loaded.
    messages.CollectErrors();
    doc.ShowMessages();
}

// Sum or Average of all loaded signals in load order.
void CombineAll(COndrelDoc& doc, bool (*op)(const std::vector<KVSignal*>&, KVErrorList*), const QString& computedName)
{
    std::vector<CSignalEntry>& entries = doc.Loaded().Entries();
    if (entries.empty())
        return;
    KVErrorList errors;
    // The result is computed in a copy so that a failure leaves the first signal as it was.
    KVSignal result = entries[0].signal;
    std::vector<KVSignal*> list{&result};
    for (size_t k = 1; k < entries.size(); ++k)
        list.push_back(&entries[k].signal);
    const bool ok = op(list, &errors);
    FinishCombining(doc, ok, result, computedName, errors);
}

} // namespace

void OnEachSignal(COndrelDoc& doc, const std::function<bool(KVSignal&, KVErrorList*)>& op,
                  const std::function<bool(const KVSignal&)>& keeps)
{
    doc.Messages().ClearErrors();
    {
        CWaitCursor wait(doc.Ui());
        for (CSignalEntry& entry : doc.Loaded().Entries()) {
            KVErrorList errors;
            const bool unchanged = keeps && keeps(entry.signal);
            if (op(entry.signal, &errors) && !unchanged)
                entry.modified = true;
            doc.Messages().AddErrorsAbout(entry.DisplayName(), errors);
        }
    }
    doc.SignalsOperatedOn();
}

void Derivative(COndrelDoc& doc)
{
    RunOperation(doc, "derivative");
}

void Integrate(COndrelDoc& doc)
{
    RunOperation(doc, "integrate");
}

void Fir100(COndrelDoc& doc)
{
    // Without the table's --keep-bias: the pre-event bias is removed.
    RunOperation(doc, "fir100");
}

void Resample(COndrelDoc& doc)
{
    const CLoadedSignals& loaded = doc.Loaded();
    if (loaded.Empty() || !doc.Ui())
        return;
    const KVSignal& first = loaded.Entries().front().signal;
    CResampleValues values;
    values.timeStep = first.Del();
    values.points = static_cast<int>(first.PointCount());
    // The span the points are spread over: data may start before time zero.
    values.span = XSpan(first);
    if (!doc.Ui()->SelectTimeStep(values))
        return;
    const float step = values.timeStep;
    if (values.byPoints) {
        // n points over a span are n - 1 steps: every signal gets a point at
        // both ends of its span (the first signal exactly the number chosen).
        OnEachSignal(doc, [step](KVSignal& s, KVErrorList* e) {
            const double steps = std::round(double(XSpan(s)) / double(step));
            return Kalvio::ResampleToPoints(s, step, static_cast<std::size_t>(std::max(steps, 1.0)) + 1, e);
        });
        return;
    }
    RunOperation(doc, "resample", {step});
}

void Truncate(COndrelDoc& doc)
{
    const CLoadedSignals& loaded = doc.Loaded();
    if (loaded.Empty() || !doc.Ui())
        return;
    const KVSignal& first = loaded.Entries().front().signal;
    const size_t n = first.PointCount();
    float start = n > 0 ? first.X()[0] : 0.0f;
    float stop = n > 0 ? first.X()[n - 1] : 0.0f;
    if (!doc.Ui()->SelectInterval(start, stop))
        return;
    RunOperation(doc, "truncate", {start, stop});
}

void BiasAutoRemoveY(COndrelDoc& doc)
{
    RunOperation(doc, "bias");
}

void AddConstantY(COndrelDoc& doc)
{
    OperateWithConstant(doc, {"Add A constant Value to Y data", "Y Value", "0.0", "add-y"});
}

void AddConstantX(COndrelDoc& doc)
{
    OperateWithConstant(doc, {"Add A constant Value to X data", "X Value", "0.0", "add-x"});
}

void ScaleY(COndrelDoc& doc)
{
    OperateWithConstant(doc, {"Multiply Y Axis by Constant Value", "Y Multiplier", "1.0", "scale-y"});
}

void ScaleX(COndrelDoc& doc)
{
    OperateWithConstant(doc, {"Multiply X Axis by Constant Value", "X Multiplier", "1.0", "scale-x"});
}

void Filter(COndrelDoc& doc)
{
    if (!doc.Ui())
        return;
    int index = 0;
    float frequency = 30.0f;
    if (!doc.Ui()->SelectFilterClass(index, frequency))
        return;
    if (index >= 0 && index < static_cast<int>(std::size(kKVChannelClasses))) {
        FilterClass(doc, kKVChannelClasses[index]);
        return;
    }
    RunOperation(doc, "filter", {frequency});
}

void FilterClass(COndrelDoc& doc, int cfc)
{
    if (!KVIsChannelClass(cfc)) {
        doc.Messages().SetLines(QStringList{QStringLiteral("Improper Frequency Class")});
        doc.ShowMessages();
        return;
    }
    // The class a signal is filtered at already leaves it as it is: not modified.
    RunOperation(doc, "cfc", {double(cfc)}, [cfc](const KVSignal& s) { return Kalvio::FilterClassKeeps(s, cfc); });
}

void Resultant(COndrelDoc& doc)
{
    const std::vector<CSignalEntry>& entries = doc.Loaded().Entries();
    KVErrorList errors;
    KVSignal result;
    bool ok = false;
    if (entries.size() == 2) {
        result = entries[0].signal;
        ok = Kalvio::Resultant(result, entries[0].signal, entries[1].signal, &errors);
    } else if (entries.size() == 3) {
        result = entries[0].signal;
        ok = Kalvio::Resultant(result, entries[0].signal, entries[1].signal, entries[2].signal, &errors);
    } else {
        errors.AddError("Resultant is computed for 2 or 3 signals only", "Ondrel");
    }
    FinishCombining(doc, ok, result, QStringLiteral("Resultant"), errors);
}

void Average(COndrelDoc& doc)
{
    CombineAll(doc, &Kalvio::Average, QStringLiteral("Average"));
}

void Sum(COndrelDoc& doc)
{
    CombineAll(doc, &Kalvio::Sum, QStringLiteral("Sum"));
}

void Reload(COndrelDoc& doc)
{
    // Modified signals read again are not lost unasked (Save, Discard,
    // Cancel); computed ones have no file and stay.
    std::vector<const CSignalEntry*> dropped;
    for (const CSignalEntry& entry : doc.Signals())
        if (!entry.name.isEmpty())
            dropped.push_back(&entry);
    if (!doc.MayDrop(dropped))
        return;
    doc.ReadSignalsAgain(false);
}

} // namespace OperateCommands
