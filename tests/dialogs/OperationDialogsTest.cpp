#include "CIntervalDlg.h"
#include "CResampleDlg.h"
#include "CSignalLabelsDlg.h"
#include "SupportWidgets.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

// Collects the messages a dialog shows instead of opening message boxes.
struct Messages {
    QStringList shown;
    ShowMessageFn Fn()
    {
        return [this](QWidget*, const QString& text) { shown.push_back(text); };
    }
};

template <class T>
T* Child(QWidget* w, const char* name)
{
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

class ResampleDlgTest : public WidgetTest {
protected:
    void SetUp() override
    {
        TestApp();
        dlg.SetShowMessage(messages.Fn());
        dlg.SetValues(0.001f, 201, 0.0f);
        dlg.show();
        step = Child<QLineEdit>(&dlg, "timeStep");
        points = Child<QLineEdit>(&dlg, "points");
    }
    CResampleDlg dlg;
    Messages messages;
    QLineEdit* step = nullptr;
    QLineEdit* points = nullptr;
};

TEST_F(ResampleDlgTest, OpensInTimeStepModeWithTheDerivedSpan)
{
    EXPECT_EQ(dlg.windowTitle(), "Select Time Step or Number of Points");
    EXPECT_FLOAT_EQ(dlg.Span(), 0.2f);
    EXPECT_EQ(step->text(), "0.001");
    EXPECT_EQ(points->text(), "201");
    EXPECT_TRUE(step->isEnabled());
    EXPECT_FALSE(points->isEnabled());
    EXPECT_EQ(dlg.Mode(), ResampleMode::TimeStep);
}

TEST_F(ResampleDlgTest, RadiosSwitchWhichBoxIsEnabled)
{
    Child<QRadioButton>(&dlg, "radioPoints")->click();
    EXPECT_EQ(dlg.Mode(), ResampleMode::Points);
    EXPECT_FALSE(step->isEnabled());
    EXPECT_TRUE(points->isEnabled());
    Child<QRadioButton>(&dlg, "radioTimeStep")->click();
    EXPECT_EQ(dlg.Mode(), ResampleMode::TimeStep);
    EXPECT_TRUE(step->isEnabled());
    EXPECT_FALSE(points->isEnabled());
}

TEST_F(ResampleDlgTest, TimeStepOfOneMillisecondGives201PointsOverPointTwoSeconds)
{
    step->setText("0.001");
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Points(), 201);
    EXPECT_EQ(points->text(), "201");
    EXPECT_FLOAT_EQ(dlg.TimeStep(), 0.001f);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(ResampleDlgTest, NumberOfPointsGivesTheTimeStep)
{
    Child<QRadioButton>(&dlg, "radioPoints")->click();
    points->setText("201");
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_FLOAT_EQ(dlg.TimeStep(), 0.001f);
    EXPECT_EQ(step->text(), "0.001");
}

TEST_F(ResampleDlgTest, InvalidEntriesKeepTheDialogOpen)
{
    for (const char* text : {"0", "-0.001", "abc", ""}) {
        messages.shown.clear();
        step->setText(text);
        dlg.accept();
        EXPECT_TRUE(dlg.isVisible()) << text;
        EXPECT_NE(dlg.result(), QDialog::Accepted) << text;
        EXPECT_EQ(messages.shown, QStringList{"Invalid Entry - Try Again"}) << text;
    }
    Child<QRadioButton>(&dlg, "radioPoints")->click();
    for (const char* text : {"1", "0", "2.5"}) {
        messages.shown.clear();
        points->setText(text);
        dlg.accept();
        EXPECT_TRUE(dlg.isVisible()) << text;
        EXPECT_EQ(messages.shown, QStringList{"Invalid Entry - Try Again"}) << text;
    }
    EXPECT_FLOAT_EQ(dlg.TimeStep(), 0.001f);  // nothing taken from refused entries
    EXPECT_EQ(dlg.Points(), 201);
}

TEST(ResampleDlg, SelectTimeStepLeavesValuesAloneOnCancel)
{
    TestApp();
    float step = 0.0005f, span = 0.0f;
    int points = 401;
    WhenModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    EXPECT_FALSE(SelectTimeStep(nullptr, step, points, span));
    EXPECT_FLOAT_EQ(step, 0.0005f);
    EXPECT_EQ(points, 401);
    EXPECT_FLOAT_EQ(span, 0.0f);

    WhenModal([](QWidget* w) {
        w->findChild<QLineEdit*>("timeStep")->setText("0.001");
        static_cast<QDialog*>(w)->accept();
    });
    EXPECT_TRUE(SelectTimeStep(nullptr, step, points, span));
    EXPECT_FLOAT_EQ(step, 0.001f);
    EXPECT_EQ(points, 201);
    EXPECT_FLOAT_EQ(span, 0.2f);
}

class IntervalDlgTest : public WidgetTest {
protected:
    void SetUp() override
    {
        TestApp();
        dlg.SetShowMessage(messages.Fn());
        dlg.SetInterval(-0.01f, 0.2f);
        dlg.show();
        start = Child<QLineEdit>(&dlg, "start");
        stop = Child<QLineEdit>(&dlg, "stop");
    }
    CIntervalDlg dlg;
    Messages messages;
    QLineEdit* start = nullptr;
    QLineEdit* stop = nullptr;
};

TEST_F(IntervalDlgTest, EqualOrReversedTimesAreRefused)
{
    EXPECT_EQ(dlg.windowTitle(), "Select Signal Interval");
    EXPECT_EQ(start->text(), "-0.01");
    EXPECT_EQ(stop->text(), "0.2");
    for (auto [a, b] : {std::pair{"0.05", "0.05"}, std::pair{"0.1", "0.05"}}) {
        messages.shown.clear();
        start->setText(a);
        stop->setText(b);
        dlg.accept();
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(messages.shown, QStringList{"Invalid Start / Stop Times"});
    }
    EXPECT_FLOAT_EQ(dlg.Start(), -0.01f);
    EXPECT_FLOAT_EQ(dlg.Stop(), 0.2f);
}

TEST_F(IntervalDlgTest, TextThatIsNoNumberIsRefusedNotTakenAsZero)
{
    start->setText("-1");
    stop->setText("abc");
    dlg.accept();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(messages.shown, QStringList{"Please enter a number."});
}

TEST_F(IntervalDlgTest, ValidIntervalIsReadBack)
{
    start->setText("0.01");
    stop->setText(" 0.05 ");
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_FLOAT_EQ(dlg.Start(), 0.01f);
    EXPECT_FLOAT_EQ(dlg.Stop(), 0.05f);
    EXPECT_TRUE(messages.shown.isEmpty());
}

class LabelsDlgTest : public WidgetTest {
protected:
    void SetUp() override
    {
        TestApp();
        dlg.SetEditText([this](QWidget*, const QString& caption, const QString& prompt, QString& text) {
            asked.push_back(caption + "|" + prompt + "|" + text);
            if (answers.isEmpty())
                return false;
            text = answers.takeFirst();
            return true;
        });
        dlg.SetLabels({"a.rvf", "b.rvf", "c.rvf"}, {"la", "lb", "lc"});
        dlg.show();
        list = Child<QTreeWidget>(&dlg, "labels");
    }
    void DoubleClickRow(int row)
    {
        QApplication::processEvents();
        const QRect r = list->visualItemRect(list->topLevelItem(row));
        ASSERT_TRUE(r.isValid());
        // A real double-click: press and release first, as the view only
        // takes a double-click on the item it saw pressed.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }
    CSignalLabelsDlg dlg;
    QStringList asked;
    QStringList answers;
    QTreeWidget* list = nullptr;
};

TEST_F(LabelsDlgTest, ShowsNamesAndLabelsInTwoColumns)
{
    EXPECT_EQ(dlg.windowTitle(), "Double Click to Edit Signal Labels");
    ASSERT_EQ(list->columnCount(), 2);
    EXPECT_EQ(list->headerItem()->text(0), "Filename");
    EXPECT_EQ(list->headerItem()->text(1), "Label");
    EXPECT_EQ(list->columnWidth(0), 125);
    EXPECT_EQ(list->columnWidth(1), 125);
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->topLevelItem(1)->text(0), "b.rvf");
    EXPECT_EQ(list->topLevelItem(1)->text(1), "lb");
}

TEST_F(LabelsDlgTest, DoubleClickEditsThroughTheTextEntry)
{
    answers = {"Head X"};
    DoubleClickRow(1);
    EXPECT_EQ(asked, QStringList{"Signal Label|Enter Label|lb"});
    EXPECT_EQ(list->topLevelItem(1)->text(1), "Head X");
    DoubleClickRow(2);  // the entry is cancelled: the label stays
    EXPECT_EQ(list->topLevelItem(2)->text(1), "lc");
    dlg.accept();
    EXPECT_EQ(dlg.Labels(), (QStringList{"la", "Head X", "lc"}));
}

TEST_F(LabelsDlgTest, CancelDiscardsAllEdits)
{
    answers = {"one", "two"};
    DoubleClickRow(0);
    DoubleClickRow(2);
    EXPECT_EQ(list->topLevelItem(0)->text(1), "one");
    dlg.reject();
    EXPECT_EQ(dlg.Labels(), (QStringList{"la", "lb", "lc"}));
}

TEST(LabelsDlg, FewerLabelsThanNamesKeepsTheLabelCount)
{
    TestApp();
    QStringList labels{"only"};
    WhenModal([](QWidget* w) {
        auto* dlg = static_cast<CSignalLabelsDlg*>(w);
        dlg->EditRow(1);
        dlg->accept();
    });
    const bool ok = EditSignalLabels(nullptr, {"a", "b"}, labels,
                                     [](QWidget*, const QString&, const QString&, QString& text) {
                                         text = "new";
                                         return true;
                                     });
    EXPECT_TRUE(ok);
    EXPECT_EQ(labels, QStringList{"only"});
}

}  // namespace
