#include "PictureRules.h"

#include <array>

namespace {

struct SizeChoice {
    const char* text;
    int width;
    int height;
};

constexpr std::array<SizeChoice, 4> kJpegChoices = {{
    {"320 by 240", 320, 240},
    {"640 by 480", 640, 480},
    {"800 by 600", 800, 600},
    {"1024 by 780", 1024, 780}, // 780 as the menu has always said, not 768
}};

// The sizes are in 1/100 mm: the choices say the size the pictures have.
constexpr std::array<SizeChoice, 3> kSvgChoices = {{
    {"100 mm by 50 mm", 10000, 5000},
    {"100 mm by 75 mm", 10000, 7500},
    {"100 mm by 100 mm", 10000, 10000},
}};

bool InPixelRange(int v) { return v >= 32 && v <= 2000; }

template <size_t N>
QStringList Texts(const std::array<SizeChoice, N>& choices)
{
    QStringList texts;
    for (const SizeChoice& c : choices)
        texts << QString::fromLatin1(c.text);
    return texts;
}

} // namespace

CImageSizeCheck CheckImageSize(int width, int height)
{
    const QString pixelMessage = QStringLiteral("Pixel Size must be between 32 and 2000");
    if (!InPixelRange(height))
        return {false, pixelMessage, EImageSizeField::Height};
    if (!InPixelRange(width))
        return {false, pixelMessage, EImageSizeField::Width};
    const double ratio = static_cast<double>(width) / static_cast<double>(height);
    if (ratio < 0.333 || ratio > 10.0)
        return {false, QStringLiteral("Aspect Ratio (width/height) must be between .333 and 10.0"),
                EImageSizeField::Height};
    return {};
}

QSize InitialImageSize(int width, int height)
{
    return QSize(width > 0 ? width : 640, height > 0 ? height : 480);
}

QStringList BatchSizeChoiceTexts(bool svg) { return svg ? Texts(kSvgChoices) : Texts(kJpegChoices); }

QSize BatchSizeForChoice(bool svg, int index)
{
    if (svg) {
        if (index < 0 || index >= static_cast<int>(kSvgChoices.size()))
            return QSize(10000, 10000);
        return QSize(kSvgChoices[static_cast<size_t>(index)].width, kSvgChoices[static_cast<size_t>(index)].height);
    }
    if (index < 0 || index >= static_cast<int>(kJpegChoices.size()))
        return QSize(800, 600);
    return QSize(kJpegChoices[static_cast<size_t>(index)].width, kJpegChoices[static_cast<size_t>(index)].height);
}

QString BatchPictureName(const QString& directory, const QString& file, int index, bool svg)
{
    // Name and extension only, as a path splitter gives them.
    const qsizetype slash = file.lastIndexOf(QLatin1Char('/'));
    const QString nameAndExtension = slash < 0 ? file : file.mid(slash + 1);
    return directory + nameAndExtension + QStringLiteral("_") +
           QStringLiteral("%1").arg(index, 3, 10, QLatin1Char('0')) +
           (svg ? QStringLiteral(".svg") : QStringLiteral(".jpg"));
}
