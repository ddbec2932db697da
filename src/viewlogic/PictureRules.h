#pragma once
// The rules of the picture commands that need no window: the checks of the
// image-size dialog, the size choices of the batch save and the numbered
// names of batch pictures.
#include <QSize>
#include <QString>
#include <QStringList>

// The field a failed check puts the focus on.
enum class EImageSizeField { None, Width, Height };

struct CImageSizeCheck {
    bool ok = true;
    QString message; // shown in a message box when not ok
    EImageSizeField focus = EImageSizeField::None;
};

// Pixel sizes of 32 to 2000 and a width/height ratio of .333 to 10.0; the
// height is checked first, then the width, then the ratio.
CImageSizeCheck CheckImageSize(int width, int height);

// The initial Width and Height of the image-size dialog: 640 and 480 in place
// of values that are not positive.
QSize InitialImageSize(int width, int height);

// The texts of the batch size choices, JPEG pixels or SVG sizes.
QStringList BatchSizeChoiceTexts(bool svg);
// The size pair of choice index; an index outside the list gives 800 x 600
// (JPEG) or 10000 x 10000 (SVG).
QSize BatchSizeForChoice(bool svg, int index);

// The picture of list entry index: directory (ending in "/") + the file's
// name and extension + "_" + the index in at least three digits + ".jpg" or
// ".svg". The file's own directory is left out.
QString BatchPictureName(const QString& directory, const QString& file, int index, bool svg);
