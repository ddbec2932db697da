#include "PictureRules.h"

#include <gtest/gtest.h>

TEST(PictureRules, ImageSizeChecksInOrderHeightWidthRatio)
{
    EXPECT_TRUE(CheckImageSize(640, 480).ok);
    const CImageSizeCheck wide = CheckImageSize(2001, 480);
    EXPECT_FALSE(wide.ok);
    EXPECT_EQ(wide.message, "Pixel Size must be between 32 and 2000");
    EXPECT_EQ(wide.focus, EImageSizeField::Width);
    // Both wrong: the height is named first.
    EXPECT_EQ(CheckImageSize(2001, 31).focus, EImageSizeField::Height);
    const CImageSizeCheck narrow = CheckImageSize(100, 480); // 0.208
    EXPECT_EQ(narrow.message, "Aspect Ratio (width/height) must be between .333 and 10.0");
    EXPECT_EQ(narrow.focus, EImageSizeField::Height);
    // The ends of both ranges are allowed.
    EXPECT_TRUE(CheckImageSize(32, 32).ok);
    EXPECT_TRUE(CheckImageSize(2000, 2000).ok);
    EXPECT_TRUE(CheckImageSize(333, 1000).ok);
    EXPECT_TRUE(CheckImageSize(2000, 200).ok);
    EXPECT_FALSE(CheckImageSize(332, 1000).ok);
    EXPECT_FALSE(CheckImageSize(2000, 199).ok);
    EXPECT_EQ(InitialImageSize(0, -5), QSize(640, 480));
    EXPECT_EQ(InitialImageSize(800, 600), QSize(800, 600));
}

TEST(PictureRules, BatchSizeChoicesAndNames)
{
    EXPECT_EQ(BatchSizeChoiceTexts(false), (QStringList{"320 by 240", "640 by 480", "800 by 600", "1024 by 780"}));
    EXPECT_EQ(BatchSizeChoiceTexts(true), (QStringList{"100 mm by 50 mm", "100 mm by 75 mm", "100 mm by 100 mm"}));
    EXPECT_EQ(BatchSizeForChoice(false, 3), QSize(1024, 780));
    EXPECT_EQ(BatchSizeForChoice(false, 4), QSize(800, 600));
    EXPECT_EQ(BatchSizeForChoice(false, -1), QSize(800, 600));
    EXPECT_EQ(BatchSizeForChoice(true, 1), QSize(10000, 7500));
    EXPECT_EQ(BatchSizeForChoice(true, 3), QSize(10000, 10000));

    EXPECT_EQ(BatchPictureName("/out/", "alpha.rvf", 0, false), "/out/alpha.rvf_000.jpg");
    EXPECT_EQ(BatchPictureName("/out/", "/data/x/beta.rvf", 1, true), "/out/beta.rvf_001.svg");
    EXPECT_EQ(BatchPictureName("/out/", "noext", 42, false), "/out/noext_042.jpg");
    EXPECT_EQ(BatchPictureName("/out/", "a.b.c", 1234, false), "/out/a.b.c_1234.jpg");
}
