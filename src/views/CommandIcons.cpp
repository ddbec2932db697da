#include "CommandIcons.h"

#include "CommandRegistry.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kIconSide = 32;

// A tag of one to four letters on a rounded plate, for commands the icon
// theme has no picture for.
QIcon DrawnTag(const QString& letters, const QColor& plate)
{
    QPixmap pixmap(kIconSide, kIconSide);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(plate.darker(160), 1.5));
    painter.setBrush(plate);
    painter.drawRoundedRect(QRectF(1.5, 1.5, kIconSide - 3, kIconSide - 3), 5, 5);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(letters.size() > 2 ? 11 : 15);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, kIconSide, kIconSide), Qt::AlignCenter, letters);
    return QIcon(pixmap);
}

// A filter's pass band over the class number, for the four CFC buttons.
QIcon DrawnFilter(const QString& cfc)
{
    QPixmap pixmap(kIconSide, kIconSide);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x1f, 0x4e, 0x79), 2));
    QPainterPath band;
    band.moveTo(2, 8);
    band.lineTo(16, 8);
    band.cubicTo(22, 8, 24, 14, 30, 14);
    painter.drawPath(band);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(cfc.size() > 3 ? 10 : 12);
    painter.setFont(font);
    painter.setPen(QColor(0x1f, 0x4e, 0x79));
    painter.drawText(QRect(0, 14, kIconSide, 18), Qt::AlignCenter, cfc);
    return QIcon(pixmap);
}

QIcon Themed(const char* name, const QString& letters, const QColor& plate)
{
    QIcon themed = QIcon::fromTheme(QString::fromLatin1(name));
    if (!themed.isNull())
        return themed;
    return DrawnTag(letters, plate);
}

} // namespace

QIcon CommandIcon(const CommandIconLook& look)
{
    const QString letters = QString::fromLatin1(look.letters);
    switch (look.plate) {
    case EIconPlate::None: return QIcon();
    case EIconPlate::Filter: return DrawnFilter(letters);
    case EIconPlate::Blue: return Themed(look.theme, letters, QColor(0x2e, 0x86, 0xc1));
    case EIconPlate::Green: return Themed(look.theme, letters, QColor(0x27, 0xae, 0x60));
    case EIconPlate::Grey: return Themed(look.theme, letters, QColor(0x5d, 0x6d, 0x7e));
    }
    return QIcon();
}
