#include "CheckMarks.h"

#include <QListWidgetItem>
#include <QStyle>
#include <QWidget>

QColor CheckVerdictColor(Kalvio::CheckVerdict verdict)
{
    switch (verdict) {
    case Kalvio::CheckVerdict::Warning: return QColor(0x9A, 0x5B, 0x00);
    case Kalvio::CheckVerdict::Fail: return QColor(0xB0, 0x10, 0x10);
    default: return {};
    }
}

QList<CGraphMark> CheckFindingMarks(const CCheckedFile& file, double span)
{
    QList<CGraphMark> marks;
    for (const Kalvio::CheckFinding& f : file.result.findings) {
        CGraphMark mark;
        mark.kind = CGraphMark::XSpan;
        mark.from = f.t1;
        mark.to = f.t2 > f.t1 ? f.t2 : f.t1 + 0.001 * span;
        mark.label = QString::fromLatin1(Kalvio::CheckKindName(f.kind));
        mark.colour = CheckVerdictColor(f.severity);
        marks << mark;
    }
    return marks;
}

QIcon CheckVerdictIcon(Kalvio::CheckVerdict verdict, const QWidget* widget)
{
    if (verdict == Kalvio::CheckVerdict::Ok || !widget)
        return {};
    return widget->style()->standardIcon(
        verdict == Kalvio::CheckVerdict::Fail ? QStyle::SP_MessageBoxCritical : QStyle::SP_MessageBoxWarning,
        nullptr, widget);
}

void MarkCheckedItem(QListWidgetItem& item, const CCheckedFile* file, const QWidget* list)
{
    const Kalvio::CheckVerdict verdict = file ? CheckedFileVerdict(*file) : Kalvio::CheckVerdict::Ok;
    const QColor colour = CheckVerdictColor(verdict);
    item.setIcon(CheckVerdictIcon(verdict, list));
    item.setData(Qt::ForegroundRole, colour.isValid() ? QVariant(colour) : QVariant());
    if (!file || verdict == Kalvio::CheckVerdict::Ok) {
        item.setToolTip(QString());
        return;
    }
    item.setToolTip(CheckVerdictText(*file) + QLatin1Char('\n') + CheckFindingLines(*file).join(QLatin1Char('\n')));
}
