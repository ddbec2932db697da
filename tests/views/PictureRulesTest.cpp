#include "CImageDirDlg.h"
#include "CImageSizeDlg.h"
#include "CProgressDlg.h"
#include "OndrelSettings.h"
#include "PictureRules.h"
#include "ViewTestSupport.h"

#include <QApplication>
#include <QSpinBox>

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

TEST(Progress, PercentAndCaption)
{
    EXPECT_EQ(ProgressPercent(42, 100, 0), 42);
    EXPECT_EQ(ProgressPercent(1, 3, 0), 33);
    EXPECT_EQ(ProgressPercent(999, 1000, 0), 99);
    // Regression: an empty range divided by zero.
    EXPECT_EQ(ProgressPercent(5, 0, 0), 0);
    EXPECT_EQ(ProgressCaption("Progress", 42), "Progress [42%]");
}

TEST_F(ViewTest, ProgressCaptionChangesOnlyWithThePercentage)
{
    auto countChanges = [](int upper) {
        CProgressDlg dlg(QStringLiteral("Saving All Rvf Plots"));
        dlg.SetRange(upper, 0, 1);
        int changes = 0;
        QString last = dlg.windowTitle();
        for (int i = 0; i < upper; ++i) {
            dlg.StepIt();
            if (dlg.windowTitle() != last)
                ++changes;
            last = dlg.windowTitle();
        }
        EXPECT_EQ(last, "Saving All Rvf Plots [100%]");
        return changes;
    };
    EXPECT_EQ(countChanges(100), 100);
    EXPECT_EQ(countChanges(1000), 100);
    CProgressDlg dlg;
    dlg.SetRange(10, 0, 3);
    EXPECT_EQ(dlg.StepIt(), 0);
    EXPECT_EQ(dlg.StepIt(), 3);
    EXPECT_EQ(dlg.Pos(), 6);
    EXPECT_FALSE(dlg.Cancelled());
    dlg.reject(); // Escape or the close box
    EXPECT_TRUE(dlg.Cancelled());
}

TEST_F(ViewTest, ImageSizeDialogFocusesTheWrongField)
{
    CImageSizeDlg dlg;
    EXPECT_EQ(dlg.PixelWidth(), 640);
    EXPECT_EQ(dlg.PixelHeight(), 480);
    dlg.show();
    dlg.SetPixelSize(2001, 480);
    EXPECT_EQ(dlg.CheckFields().focus, EImageSizeField::Width);
    QSpinBox* focused = qobject_cast<QSpinBox*>(dlg.focusWidget());
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(focused->value(), 2001);
    dlg.SetPixelSize(100, 480);
    EXPECT_EQ(dlg.CheckFields().focus, EImageSizeField::Height);
    focused = qobject_cast<QSpinBox*>(dlg.focusWidget());
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(focused->value(), 480);
}

TEST_F(ViewTest, DirectoryDialogTrimsAddsTheSlashAndStoresOutputDir)
{
    OndrelSettings::WriteString(OndrelSettings::kOutputDir, "/stored/");
    CImageDirDlg dlg(false);
    EXPECT_EQ(dlg.PictureSize(), QSize(320, 240)); // the first choice
    dlg.SetDirectoryText("  /pictures/run1  ");
    dlg.SetChoice(1);
    ASSERT_TRUE(dlg.TakeFields());
    EXPECT_EQ(dlg.Directory(), "/pictures/run1/");
    EXPECT_EQ(dlg.PictureSize(), QSize(640, 480));
    EXPECT_EQ(OndrelSettings::ReadString(OndrelSettings::kOutputDir), "/pictures/run1/");

    CImageDirDlg svg(true);
    EXPECT_EQ(svg.PictureSize(), QSize(10000, 5000));
    svg.SetDirectoryText("");
    EXPECT_FALSE(svg.TakeFields());
    // Regression: blanks alone trimmed to nothing and saved into the root directory.
    svg.SetDirectoryText("   ");
    EXPECT_FALSE(svg.TakeFields());
    EXPECT_EQ(OndrelSettings::ReadString(OndrelSettings::kOutputDir), "/pictures/run1/");
}
