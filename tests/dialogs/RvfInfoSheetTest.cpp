#include "CRvfInfoSheet.h"
#include "CSheetPage.h"
#include "SupportWidgets.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

// A loaded signal with a value in every field that differs from its default.
KVSignal SampleSignal()
{
    KVSignal s;
    s.Allocate(4);
    for (size_t i = 0; i < 4; ++i)
        s.SetPoint(0.001f * static_cast<float>(i), 1.5f * static_cast<float>(i), i);
    s.UpdateExtremes();
    s.UpdateTimeStep();
    s.SetHasData(true);
    s.SetTestTitle("Sled run");
    s.SetTestNumber("2231");
    s.SetSensorLocation("HEAD");
    s.SetSensorAttachment("CG");
    s.SetAxis("X");
    s.SetYType("ACCELERATION");
    s.SetYUnits("G");
    s.SetXUnits("SECONDS");
    s.SetCurveNumber(12);
    s.SetFilterClass(180);
    s.SetCutOffFrequency(300.0f);
    s.SetPreFilterFrequency(1.2345678f);
    s.SetHic(512.25f);
    s.SetHicInterval(36);
    s.SetVehicleNumber(2);
    s.SetModelYear(2019);
    s.SetImpactAngle(30.0f);
    s.SetOccupantWeight(77.7f);
    s.SetRestraint1("BELT");
    s.SetVehicleMake("M\xfcller");  // Latin-1 u-umlaut
    return s;
}

QStringList Labels(CSheetPage* page)
{
    QStringList out;
    auto* form = static_cast<QFormLayout*>(page->layout());
    for (int row = 0; row < form->rowCount(); ++row)
        out << static_cast<QLabel*>(form->itemAt(row, QFormLayout::LabelRole)->widget())->text();
    return out;
}

QStringList ReadOnlyBoxes(CSheetPage* page)
{
    QStringList out;
    for (QLineEdit* e : page->findChildren<QLineEdit*>())
        if (e->isReadOnly())
            out << e->objectName();
    out.sort();
    return out;
}

class RvfInfoSheetTest : public WidgetTest {
protected:
    void SetUp() override
    {
        TestApp();
        sheet.SetShowMessage([this](QWidget*, const QString& text) { messages << text; });
        sheet.SetSignal(original);
        sheet.show();
    }
    QLineEdit* Box(int page, const char* name) { return sheet.Pages()[size_t(page)]->Box(name); }

    KVSignal original = SampleSignal();
    CRvfInfoSheet sheet;
    QStringList messages;
};

TEST_F(RvfInfoSheetTest, FivePagesInOrderWithTheirBoxes)
{
    EXPECT_EQ(sheet.windowTitle(), "Rvf Information");
    ASSERT_EQ(sheet.Tabs()->count(), 5);
    const QStringList tabs{"Sensor", "Data", "Test", "Vehicle", "Occupant"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(sheet.Tabs()->tabText(i), tabs[i]);
    EXPECT_TRUE(sheet.Pages()[0]->inherits("CSensorPage"));
    EXPECT_TRUE(sheet.Pages()[4]->inherits("COccPage"));

    EXPECT_EQ(Labels(sheet.Pages()[0]),
              (QStringList{"Channel Code:", "Channel Name:", "Location:", "Attachment:", "Status:", "Axis:", "Sensor Type:", "Curve Number:",
                           "Filter Class:", "Pre Filter Frequency:", "Cut Off Frequency:", "Stopping Frequency:"}));
    EXPECT_EQ(Labels(sheet.Pages()[1]),
              (QStringList{"First Point Index:", "Last Point Index:", "T0:", "Del:", "X Type:", "X  Units:",
                           "X Min:", "Y Type:", "Y Units:", "Y Min:", "Y Max :", "Band Number:", "Gauge Number:",
                           "X Max:"}));
    EXPECT_EQ(Labels(sheet.Pages()[2]), (QStringList{"Test Title:", "Test Reference:", "Test Number:",
                                                     "Test Config:", "Test Source:", "Dimension:"}));
    EXPECT_EQ(Labels(sheet.Pages()[3]), (QStringList{"Make:", "Model:", "Year:", "Impact Angle:",
                                                     "Closing Speed:", "Initial Velocity:", "Vehicle Number "}));
    EXPECT_EQ(Labels(sheet.Pages()[4]),
              (QStringList{"Type: ", "Sex:", "Weight:", "Size:", "Hic:", "Hic Interval:", "Hic T1:", "Hic T2:",
                           "CSI:", "Clip3M:", "Clip3M T1:", "Clip3M T2:", "AIS:", "Restraint 1", "Restraint 2"}));

    EXPECT_EQ(ReadOnlyBoxes(sheet.Pages()[0]), (QStringList{"ChannelCode", "CurveNumber"}));
    EXPECT_EQ(ReadOnlyBoxes(sheet.Pages()[1]), (QStringList{"BandNumber", "GaugeNumber", "Nfp", "Nlp", "XMax",
                                                            "XMin", "YMax", "YMin"}));
    EXPECT_TRUE(ReadOnlyBoxes(sheet.Pages()[2]).isEmpty());
    EXPECT_EQ(ReadOnlyBoxes(sheet.Pages()[3]), QStringList{"VehicleNumber"});
    EXPECT_EQ(Box(3, "VehicleNumber")->alignment(), Qt::AlignCenter);
    EXPECT_EQ(ReadOnlyBoxes(sheet.Pages()[4]),
              (QStringList{"Clip3ms", "Clip3msT1", "Clip3msT2", "Csi", "Hic", "HicIntervalShown", "HicT1", "HicT2",
                           "Restraint1", "Restraint2"}));
}

TEST_F(RvfInfoSheetTest, AllTabsShowAndReadOnlyBoxesLookIt)
{
    // Regression: the sheet opened too narrow for its last tabs.
    QTabBar* bar = sheet.Tabs()->tabBar();
    EXPECT_LE(bar->tabRect(4).right(), bar->width());
    // Regression: a 30-character attachment was cut off at the box's edge.
    QLineEdit* attachment = Box(0, "SensorAttachment");
    const QString whole = QStringLiteral("HEAD CG, TRIAXIAL BLOCK, RIGHT");
    EXPECT_LE(attachment->fontMetrics().horizontalAdvance(whole) + 8, attachment->width());
    // A longer text shows its start, not its end.
    for (QLineEdit* box : {attachment, Box(2, "TestTitle")})
        EXPECT_EQ(box->cursorPosition(), 0) << box->text().toStdString();
    const QColor page = Box(1, "XMax")->palette().color(QPalette::Window);
    EXPECT_EQ(Box(1, "XMax")->palette().color(QPalette::Base), page);
    EXPECT_NE(Box(1, "Del")->palette().color(QPalette::Base), page);
}

TEST_F(RvfInfoSheetTest, BoxesShowTheFields)
{
    EXPECT_EQ(Box(0, "SensorLocation")->text(), "HEAD");
    EXPECT_EQ(Box(0, "FilterClass")->text(), "CFC 180");
    EXPECT_EQ(Box(0, "PreFilterFrequency")->text(), "1.2345678");
    EXPECT_EQ(Box(1, "Del")->text(), "0.001");
    EXPECT_EQ(Box(1, "YMax")->text(), "4.5");
    EXPECT_EQ(Box(3, "ModelYear")->text(), "2019");
    EXPECT_EQ(Box(3, "VehicleMake")->text(), QString::fromUtf8("M\u00fcller"));
    EXPECT_EQ(Box(4, "Hic")->text(), "512.25");
    EXPECT_EQ(Box(4, "HicIntervalShown")->text(), "0");  // not the window of 36
}

TEST_F(RvfInfoSheetTest, UntouchedOkWritesBackTheSameHeader)
{
    sheet.accept();
    ASSERT_EQ(sheet.result(), QDialog::Accepted);
    const KVHeader& a = original.Header();
    const KVHeader& b = sheet.Signal().Header();
#define KV_SAME(name, def) EXPECT_EQ(a.name, b.name) << #name;
    KV_SIGNAL_FIELDS(KV_SAME, KV_SAME, KV_SAME)
#undef KV_SAME
    ASSERT_EQ(sheet.Signal().PointCount(), 4u);
    EXPECT_TRUE(sheet.Signal().HasData());
}

TEST_F(RvfInfoSheetTest, FilterClassWithoutClassStoresNoClassText)
{
    original.SetFilterClass(1001);
    sheet.SetSignal(original);
    EXPECT_EQ(Box(0, "FilterClass")->text(), "None");
    sheet.accept();
    EXPECT_EQ(sheet.Signal().FilterClass(), 1002);
}

TEST_F(RvfInfoSheetTest, FilterClassTextInLowerCaseIsAClass)
{
    Box(0, "FilterClass")->setText("cfc 600");
    sheet.accept();
    EXPECT_EQ(sheet.Signal().FilterClass(), 600);
}

TEST_F(RvfInfoSheetTest, EditedDelIsStoredWithoutMovingTheSamples)
{
    Box(1, "Del")->setText("0.0002");
    Box(1, "T0")->setText("-0.5");
    Box(2, "TestTitle")->setText("Edited title");
    Box(3, "VehicleMake")->setText(QString::fromUtf8("G\u00f6ta"));
    sheet.accept();
    const KVSignal& s = sheet.Signal();
    EXPECT_FLOAT_EQ(s.Del(), 0.0002f);
    EXPECT_FLOAT_EQ(s.T0(), -0.5f);
    EXPECT_EQ(s.TestTitle(), "Edited title");
    EXPECT_EQ(s.VehicleMake(), "G\xf6ta");
    for (size_t i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(s.X()[i], original.X()[i]);
    EXPECT_FLOAT_EQ(s.XMax(), original.XMax());
    EXPECT_FLOAT_EQ(s.YMax(), original.YMax());
}

TEST_F(RvfInfoSheetTest, ReadOnlyBoxesAreNeverWrittenBack)
{
    // Typed in through code, as no person can: OK must still ignore them.
    Box(0, "CurveNumber")->setText("99");
    Box(1, "XMax")->setText("7");
    Box(3, "VehicleNumber")->setText("5");
    Box(4, "Hic")->setText("1000");
    Box(4, "Restraint1")->setText("AIRBAG");
    sheet.accept();
    const KVSignal& s = sheet.Signal();
    EXPECT_EQ(s.CurveNumber(), 12);
    EXPECT_FLOAT_EQ(s.XMax(), original.XMax());
    EXPECT_EQ(s.VehicleNumber(), 2);
    EXPECT_FLOAT_EQ(s.Hic(), 512.25f);
    EXPECT_EQ(s.Restraint1(), "BELT");
    EXPECT_EQ(s.HicInterval(), 36);
}

TEST_F(RvfInfoSheetTest, InvalidNumberKeepsTheSheetOpenOnItsPage)
{
    Box(2, "TestTitle")->setText("changed");
    Box(3, "ModelYear")->setText("20x9");
    sheet.Tabs()->setCurrentIndex(0);
    sheet.accept();
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_NE(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), 3);
    EXPECT_EQ(messages, QStringList{"Please enter an integer."});
    EXPECT_EQ(sheet.Signal().TestTitle(), "Sled run");  // nothing written yet

    messages.clear();
    Box(3, "ModelYear")->setText("2020");
    Box(4, "OccupantWeight")->setText("heavy");
    sheet.accept();
    EXPECT_EQ(sheet.Tabs()->currentIndex(), 4);
    EXPECT_EQ(messages, QStringList{"Please enter a number."});

    Box(4, "OccupantWeight")->setText("80");
    sheet.accept();
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(sheet.Signal().ModelYear(), 2020);
    EXPECT_FLOAT_EQ(sheet.Signal().OccupantWeight(), 80.0f);
    EXPECT_EQ(sheet.Signal().TestTitle(), "changed");
}

TEST(RvfInfoSheet, EditSignalHeaderReplacesTheSignalOnlyOnOk)
{
    TestApp();
    KVSignal signal = SampleSignal();
    WhenModal([](QWidget* w) {
        w->findChild<QLineEdit*>("TestTitle")->setText("discarded");
        static_cast<QDialog*>(w)->reject();
    });
    EXPECT_FALSE(EditSignalHeader(nullptr, signal));
    EXPECT_EQ(signal.TestTitle(), "Sled run");

    WhenModal([](QWidget* w) {
        w->findChild<QLineEdit*>("TestTitle")->setText("kept");
        static_cast<QDialog*>(w)->accept();
    });
    EXPECT_TRUE(EditSignalHeader(nullptr, signal));
    EXPECT_EQ(signal.TestTitle(), "kept");
    EXPECT_EQ(signal.PointCount(), 4u);
}

}  // namespace

TEST_F(RvfInfoSheetTest, ChannelCodeAndNameHaveBoxesOfTheirOwn)
{
    KVSignal s = SampleSignal();
    s.SetSensorAttachment("11HEAD0000H3ACXC");
    s.SetSensorLocation(" "); // the code's own location stands
    s.SetCurveText("HEAD CG ACCELERATION X");
    sheet.SetSignal(s);
    // The code as a test is written with it: filter class 180 is the letter C.
    EXPECT_EQ(Box(0, "ChannelCode")->text(), "11HEAD0000H3ACXC");
    EXPECT_TRUE(Box(0, "ChannelCode")->isReadOnly());
    EXPECT_EQ(Box(0, "CurveText")->text(), "HEAD CG ACCELERATION X");
    Box(0, "CurveText")->setText("HEAD X");
    sheet.accept();
    EXPECT_EQ(sheet.Signal().CurveText(), "HEAD X");
}
