// Labels menu: plot title, subtitle, axis labels and the legend labels.
#include "OndrelDoc.h"

namespace {
constexpr qsizetype kNoLimit = -1;
constexpr qsizetype kTitleLimit = 46; // what the plot's title lines hold
} // namespace

bool COndrelDoc::EnterLabel(const QString& prompt, QString& label, qsizetype limit)
{
    if (!m_ui)
        return false;
    QString text = label;
    if (!m_ui->EnterText(QStringLiteral("Enter Plot Label"), prompt, text))
        return false;
    if (limit != kNoLimit && text.size() > limit)
        text.truncate(limit);
    label = text;
    UpdateAllViews(HINT_PLOT_CHANGED);
    return true;
}

void COndrelDoc::SetPlotTexts(const CPlotTexts& texts)
{
    m_strTitle = texts.title;
    m_strSubTitle = texts.subTitle;
    m_strXLabel = texts.xLabel;
    m_strYLabel = texts.yLabel;
    m_labels = texts.legend;
}

void COndrelDoc::OnLabelTitle()
{
    EnterLabel(QStringLiteral("Title Label"), m_strTitle, kTitleLimit);
}

void COndrelDoc::OnLabelSubTitle()
{
    EnterLabel(QStringLiteral("Sub Title Label"), m_strSubTitle, kTitleLimit);
}

void COndrelDoc::OnLabelXAxis()
{
    EnterLabel(QStringLiteral("X Axis Label"), m_strXLabel, kNoLimit);
}

void COndrelDoc::OnLabelYAxis()
{
    EnterLabel(QStringLiteral("Y Axis Label"), m_strYLabel, kNoLimit);
}

void COndrelDoc::OnSignalLabels()
{
    if (m_signals.empty() || !m_ui)
        return;
    QStringList names;
    for (const CSignalEntry& entry : m_signals)
        names.append(entry.name);
    QStringList labels = m_labels;
    if (!m_ui->EditSignalLabels(names, labels))
        return;
    m_labels = labels;
    UpdateAllViews(HINT_PLOT_CHANGED);
}
