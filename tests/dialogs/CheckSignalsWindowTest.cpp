// Operate > Check Signals in the main window on the demo data set: the
// results window, the marks in the file list, and a double-clicked result
// plotted.
#include "CCheckResultsDlg.h"
#include "CFrameUi.h"
#include "CGraph.h"
#include "COndrelView.h"
#include "CPlotView.h"
#include "DemoWindow.h"
#include "CommandIds.h"

#include <QComboBox>
#include <QDialog>
#include <QTest>
#include <QTreeWidget>

namespace {

class CheckSignalsWindow : public DemoWindowTest {
protected:
    void SetUp() override
    {
        DemoWindowTest::SetUp();
        if (HasFatalFailure())
            return;
        WhenModal([dir = Dir()](QWidget* w) {
            auto* dlg = qobject_cast<QDialog*>(w);
            ASSERT_NE(dlg, nullptr);
            dlg->findChild<QComboBox*>()->setEditText(dir);
            dlg->accept();
        });
        frame->RunCommand(ID_FILE_OPEN_DIRECTORY);
        ASSERT_EQ(doc->List().Directory(), Dir());
    }
};

TEST_F(CheckSignalsWindow, FaultyDemoFilesAreListedFirstMarkedAndPlottedOnDoubleClick)
{
    COndrelView* list = frame->ListView();
    ASSERT_TRUE(frame->RunCommand(ID_OPERATE_CHECK_SIGNALS));
    CCheckResultsDlg* dlg = frame->Ui()->CheckResults();
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg));
    QTreeWidget* tree = dlg->Tree();

    // Every signal file of the demo (the hitlist is none); faults first.
    ASSERT_EQ(tree->topLevelItemCount(), 46);
    QTreeWidgetItem* clipped = tree->topLevelItem(0);
    EXPECT_EQ(clipped->text(0), "veh4127_bpillar_x.rvf");
    EXPECT_EQ(clipped->text(1), "fail");
    EXPECT_TRUE(clipped->text(2).startsWith("fail clipping: held at its minimum")) << clipped->text(2).toStdString();
    EXPECT_EQ(tree->topLevelItem(1)->text(0), "occ2231_spine_x.rvf");
    EXPECT_EQ(tree->topLevelItem(1)->text(1), "warning");
    EXPECT_EQ(tree->topLevelItem(1)->childCount(), 1); // its second dropout
    for (int i = 2; i < tree->topLevelItemCount(); ++i)
        EXPECT_EQ(tree->topLevelItem(i)->text(1), "ok") << tree->topLevelItem(i)->text(0).toStdString();

    // The list marks exactly the two faulty files.
    QStringList marked;
    for (int i = 0; i < list->count(); ++i)
        if (!list->item(i)->icon().isNull())
            marked << list->item(i)->data(Qt::UserRole).toString();
    EXPECT_EQ(marked, (QStringList{"occ2231_spine_x.rvf", "veh4127_bpillar_x.rvf"}));

    // A double click as the mouse makes it: a click, then the second press.
    const QPoint at = tree->visualItemRect(clipped).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(list->SelectedLabels(), QStringList{"veh4127_bpillar_x.rvf"});
    ASSERT_EQ(doc->Signals().size(), 1u);
    EXPECT_EQ(doc->Signals()[0].name, "veh4127_bpillar_x.rvf");
    ASSERT_NE(frame->PlotView()->Graph(), nullptr);
    EXPECT_EQ(frame->PlotView()->Graph()->CurveCount(), 1);
    // The clipped stretch is shaded on the curve, until another selection.
    const CCheckedFile* checked = doc->CheckOf("veh4127_bpillar_x.rvf");
    ASSERT_NE(checked, nullptr);
    EXPECT_EQ(frame->PlotView()->Graph()->MarkCount(), int(checked->result.findings.size()));
    EXPECT_GT(frame->PlotView()->Graph()->MarkCount(), 0);
    list->item(0)->setSelected(true);
    EXPECT_EQ(frame->PlotView()->Graph()->MarkCount(), 0);
    EXPECT_TRUE(dlg->isVisible()) << "the results stay open beside the plot";
}

} // namespace
