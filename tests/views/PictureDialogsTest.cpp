#include "CImageDirDlg.h"
#include "CImageSizeDlg.h"
#include "CProgressDlg.h"
#include "OndrelSettings.h"
#include "ViewTestSupport.h"

#include <QSpinBox>

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
