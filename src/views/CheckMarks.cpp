#include "CheckMarks.h"

#include <QTreeWidgetItem>

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

namespace {

// The icon, text colour and tooltip of a checked file; all empty for ok or unchecked.
struct CheckLook {
    QIcon icon;
    QVariant colour;
    QString tip;
};

CheckLook LookOf(const CCheckedFile* file, const QWidget* widget)
{
    const Kalvio::CheckVerdict verdict = file ? CheckedFileVerdict(*file) : Kalvio::CheckVerdict::Ok;
    const QColor colour = CheckVerdictColor(verdict);
    CheckLook look{CheckVerdictIcon(verdict, widget), colour.isValid() ? QVariant(colour) : QVariant(), {}};
    if (file && verdict != Kalvio::CheckVerdict::Ok)
        look.tip = CheckVerdictText(*file) + QLatin1Char('\n') + CheckFindingLines(*file).join(QLatin1Char('\n'));
    return look;
}

} // namespace

void MarkCheckedItem(QListWidgetItem& item, const CCheckedFile* file, const QWidget* list)
{
    const CheckLook look = LookOf(file, list);
    item.setIcon(look.icon);
    item.setData(Qt::ForegroundRole, look.colour);
    item.setToolTip(look.tip);
}

void MarkCheckedItem(QTreeWidgetItem& item, const CCheckedFile* file, const QWidget* tree)
{
    const CheckLook look = LookOf(file, tree);
    item.setIcon(0, look.icon);
    for (int column = 0; column < item.columnCount(); ++column)
        item.setData(column, Qt::ForegroundRole, look.colour);
    // Without findings the tooltip names the file.
    item.setToolTip(0, look.tip.isEmpty() ? item.data(0, Qt::UserRole).toString() : look.tip);
}
