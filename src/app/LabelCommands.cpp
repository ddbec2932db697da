#include "LabelCommands.h"

#include "OndrelDoc.h"

namespace LabelCommands {
namespace {

constexpr qsizetype kNoLimit = -1;
constexpr qsizetype kTitleLimit = 46; // what the plot's title lines hold

bool EnterLabel(COndrelDoc& doc, const QString& prompt, QString& label, qsizetype limit)
{
    if (!doc.Ui())
        return false;
    QString text = label;
    if (!doc.Ui()->EnterText(QStringLiteral("Enter Plot Label"), prompt, text))
        return false;
    if (limit != kNoLimit && text.size() > limit)
        text.truncate(limit);
    label = text;
    doc.UpdateAllViews(HINT_PLOT_CHANGED);
    return true;
}

} // namespace

void Title(COndrelDoc& doc)
{
    EnterLabel(doc, QStringLiteral("Title Label"), doc.Texts().title, kTitleLimit);
}

void SubTitle(COndrelDoc& doc)
{
    EnterLabel(doc, QStringLiteral("Sub Title Label"), doc.Texts().subTitle, kTitleLimit);
}

void XAxis(COndrelDoc& doc)
{
    EnterLabel(doc, QStringLiteral("X Axis Label"), doc.Texts().xLabel, kNoLimit);
}

void YAxis(COndrelDoc& doc)
{
    EnterLabel(doc, QStringLiteral("Y Axis Label"), doc.Texts().yLabel, kNoLimit);
}

void SignalLabels(COndrelDoc& doc)
{
    if (doc.Loaded().Empty() || !doc.Ui())
        return;
    QStringList names;
    for (const CSignalEntry& entry : doc.Signals())
        names.append(entry.name);
    QStringList labels = doc.Texts().legend;
    if (!doc.Ui()->EditSignalLabels(names, labels))
        return;
    doc.Texts().legend = labels;
    doc.UpdateAllViews(HINT_PLOT_CHANGED);
}

} // namespace LabelCommands
