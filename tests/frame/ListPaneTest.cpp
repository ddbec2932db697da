// The file list's pane over an ISO-MME test: the tree of channels, the filter
// in both views and the selection for a criterion.
#include "CChannelTree.h"
#include "CFileListPane.h"
#include "CFrameUi.h"
#include "COndrelView.h"
#include "CheckCommands.h"
#include "Criterion.h"
#include "CriterionCommands.h"
#include "FrameTestSupport.h"
#include "ListCommands.h"
#include "OndrelDoc.h"
#include "SignalCheckCache.h"

#include <QDir>
#include <QInputDialog>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

namespace {

class ListPaneTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        // Driver head X, Y, Z, chest, passenger head X and the sled.
        const char* codes[] = {"11HEAD0000H3ACXA", "11HEAD0000H3ACYA", "11HEAD0000H3ACZA",
                               "11CHST0000H3DSXC", "13HEAD0000H3ACXA", "S0SLED000000ACXD"};
        QDir(Dir()).mkpath("T5/Channel");
        Write("T5/T5.mme", "Data format edition number  :1.6\r\nTest number                 :T5\r\n");
        QByteArray list = "Number of channels          :6\r\n";
        for (int k = 0; k < 6; ++k) {
            const QByteArray nnn = QByteArray::number(k + 1).rightJustified(3, '0');
            list += "Name of channel " + nnn + "         :" + codes[k] + "\r\n";
            Write("T5/Channel/T5." + nnn, QByteArray("Channel code                :") + codes[k] +
                                              "\r\nName of the channel         :Channel " + nnn +
                                              "\r\nUnit                        :g\r\nTime of first sample        :0\r\n"
                                              "Sampling interval           :0.001\r\nNumber of samples           :3\r\n"
                                              "1\r\n2\r\n3\r\n");
        }
        Write("T5/Channel/T5.chn", list);
        doc = std::make_unique<COndrelDoc>(&ui);
        doc->OnNewDocument();
        pane = std::make_unique<CFileListPane>(doc.get(), &window);
        pane->ListView()->OnInitialUpdate();
        ListCommands::AddNames(*doc, {Dir() + "T5/T5.mme"});
    }
    void Write(const QString& name, const QByteArray& bytes)
    {
        QFile f(Dir() + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QString Channel(int k) const { return Dir() + QStringLiteral("T5/Channel/T5.00%1").arg(k); }
    QStringList Loaded() const
    {
        QStringList names;
        for (const CSignalEntry& entry : doc->Signals())
            names << entry.name;
        return names;
    }
    // Every row of the tree, indented by its depth: "  CODE | name".
    QStringList Rows() const
    {
        QStringList rows;
        for (QTreeWidgetItemIterator it(pane->Tree()); *it; ++it) {
            int depth = 0;
            for (QTreeWidgetItem* p = (*it)->parent(); p; p = p->parent())
                ++depth;
            rows << QString(2 * depth, QLatin1Char(' ')) + (*it)->text(0) +
                        ((*it)->text(1).isEmpty() ? QString() : QStringLiteral(" | ") + (*it)->text(1));
        }
        return rows;
    }

    QWidget window;
    CFrameUi ui{&window};
    std::unique_ptr<COndrelDoc> doc;
    std::unique_ptr<CFileListPane> pane;
};

} // namespace

TEST_F(ListPaneTest, ATestIsShownAsATreeByObjectPositionAndRegion)
{
    ASSERT_TRUE(pane->TreeShown());
    EXPECT_EQ(Rows(), (QStringList{"1 Vehicle 1", "  1 Front left", "    HEAD", "      11HEAD0000H3ACXA | Channel 001",
                                   "      11HEAD0000H3ACYA | Channel 002", "      11HEAD0000H3ACZA | Channel 003",
                                   "    CHST", "      11CHST0000H3DSXC | Channel 004", "  3 Front right", "    HEAD",
                                   "      13HEAD0000H3ACXA | Channel 005", "S Sled", "  0 None", "    SLED",
                                   "      S0SLED000000ACXD | Channel 006"}));
    QTreeWidgetItem* leaf = pane->Tree()->topLevelItem(0)->child(0)->child(0)->child(0);
    // The codes align: every character is drawn one width, whichever
    // fixed-width family the system has (Qt calls some of them proportional).
    const QFontMetrics code(leaf->font(0));
    EXPECT_EQ(code.horizontalAdvance("iiii"), code.horizontalAdvance("MMMM"));
    // The flat view stays one click away and shows the same selection.
    pane->Tree()->SelectNames({Channel(1), Channel(4)});
    EXPECT_EQ(Loaded(), (QStringList{Channel(1), Channel(4)}));
    pane->TreeButton()->click();
    EXPECT_FALSE(pane->TreeShown());
    EXPECT_EQ(pane->ListView()->SelectedLabels(), (QStringList{Channel(1), Channel(4)}));
    pane->TreeButton()->click();
    EXPECT_TRUE(pane->TreeShown());
    // Type-ahead finds a code.
    pane->Tree()->keyboardSearch("11CH");
    ASSERT_NE(pane->Tree()->currentItem(), nullptr);
    EXPECT_EQ(pane->Tree()->currentItem()->text(0), "11CHST0000H3DSXC");
}

TEST_F(ListPaneTest, TheFilterNarrowsBothViewsAndKeepsWhatIsLoaded)
{
    pane->Tree()->SelectNames({Channel(4)});
    pane->FilterField()->setText("1?HEAD*AC?A");
    EXPECT_EQ(pane->ListView()->count(), 4);
    EXPECT_EQ(Rows().filter("HEAD0000").size(), 4);
    // Filtering loads and unloads nothing.
    EXPECT_EQ(Loaded(), QStringList{Channel(4)});
    pane->FilterField()->setText("channel 006");
    EXPECT_EQ(Rows(), (QStringList{"S Sled", "  0 None", "    SLED", "      S0SLED000000ACXD | Channel 006"}));
    ASSERT_EQ(pane->ListView()->count(), 1);
    EXPECT_EQ(pane->ListView()->item(0)->text(), "S0SLED000000ACXD  Channel 006");
    pane->FilterField()->clear();
    EXPECT_EQ(pane->ListView()->count(), 6);
    EXPECT_TRUE(pane->ListView()->item(3)->isSelected());
}

TEST_F(ListPaneTest, CheckedChannelsAreMarkedInTheTree)
{
    // Channel 004 written again as a flat line, which the check reports.
    Write("T5/Channel/T5.004", QByteArray("Channel code                :11CHST0000H3DSXC\r\n"
                                          "Name of the channel         :Channel 004\r\nUnit                        :mm\r\n"
                                          "Time of first sample        :0\r\nSampling interval           :0.001\r\n"
                                          "Number of samples           :3\r\n5\r\n5\r\n5\r\n"));
    CheckCommands::CheckSignals(*doc, {Channel(4)});
    const CCheckedFile* checked = doc->CheckOf(Channel(4));
    ASSERT_NE(checked, nullptr);
    ASSERT_NE(CheckedFileVerdict(*checked), Kalvio::CheckVerdict::Ok) << "a flat channel is reported";
    QTreeWidgetItem* chest = nullptr;
    for (QTreeWidgetItemIterator it(pane->Tree()); *it; ++it)
        if ((*it)->text(0) == "11CHST0000H3DSXC")
            chest = *it;
    ASSERT_NE(chest, nullptr);
    EXPECT_FALSE(chest->icon(0).isNull());
    EXPECT_TRUE(chest->data(1, Qt::ForegroundRole).isValid());
    EXPECT_TRUE(chest->toolTip(0).contains(CheckVerdictText(*checked))) << chest->toolTip(0).toStdString();
    // A refill keeps the mark.
    pane->FilterField()->setText("CHST");
    ASSERT_EQ(pane->Tree()->topLevelItem(0)->child(0)->child(0)->childCount(), 1);
    EXPECT_FALSE(pane->Tree()->topLevelItem(0)->child(0)->child(0)->child(0)->icon(0).isNull());
}

TEST_F(ListPaneTest, SelectForCriterionPicksThePositionsChannelsByCode)
{
    const Criteria::CriterionDef* hic = Criteria::FindCriterion("hic");
    ASSERT_NE(hic, nullptr);
    QString why;
    EXPECT_EQ(CriterionCommands::CriterionChannels(*doc, *hic, '1', why),
              (QStringList{Channel(1), Channel(2), Channel(3)}));
    // The passenger has head X only: nothing is chosen, and the reason names what is missing.
    EXPECT_TRUE(CriterionCommands::CriterionChannels(*doc, *hic, '3', why).isEmpty());
    EXPECT_TRUE(why.contains("3HEAD??????ACY")) << why.toStdString();

    std::unique_ptr<QMenu> menu(pane->ListView()->BuildContextMenu(&window));
    QMenu* select = menu->findChild<QMenu*>("selectForCriterion");
    ASSERT_NE(select, nullptr);
    QAction* driver = nullptr;
    for (QAction* criterion : select->actions())
        if (criterion->text() == QString::fromLatin1(hic->title))
            for (QAction* position : criterion->menu()->actions())
                if (position->text() == "1 Front left")
                    driver = position;
    ASSERT_NE(driver, nullptr);
    pane->FilterField()->setText("chest");
    driver->trigger();
    EXPECT_TRUE(pane->FilterField()->text().isEmpty()) << "the chosen channels are shown";
    EXPECT_EQ(Loaded(), (QStringList{Channel(1), Channel(2), Channel(3)}));
}

TEST_F(ListPaneTest, ASimulationIsATreeOfFileIdAndVariableBesideTheTest)
{
    const QString binout = QStringLiteral(ONDREL_CAE_DATA_DIR "/pouch-impact.binout");
    ListCommands::AddNames(*doc, {binout});
    const QStringList rows = Rows();
    const qsizetype top = rows.indexOf("pouch-impact.binout");
    ASSERT_GE(top, 0) << rows.join('\n').toStdString();
    EXPECT_EQ(rows.mid(top + 1, 3),
              (QStringList{"  nodout", "    84340382  History_node_1", "      cycle"}));
    EXPECT_TRUE(rows.contains("    100002-master  Cell_Impaktor_cont"));
    EXPECT_EQ(rows.filter("T5/").size() + rows.filter("Channel 00").size(), 6) << "the test's channels stay";

    // The units are asked once for the file; the channel plots in seconds.
    QString prompt;
    AnswerNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QInputDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        prompt = dialog->labelText();
        dialog->setTextValue("mm-ms-kg-kN");
        dialog->accept();
    });
    const QString y = binout + ":nodout/84340382/y_displacement";
    pane->Tree()->SelectNames({y});
    EXPECT_TRUE(prompt.contains("pouch-impact.binout")) << prompt.toStdString();
    EXPECT_EQ(Loaded(), QStringList{y});
    EXPECT_EQ(doc->Signals().front().signal.XUnits(), "SECONDS");
}

TEST_F(ListPaneTest, ATruncatedBinoutIsSaidAndTheListStays)
{
    QFile whole(QStringLiteral(ONDREL_CAE_DATA_DIR "/pouch-impact.binout"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    Write("cut.binout", whole.read(whole.size() / 3));
    pane->Tree()->SelectNames({Channel(4)});
    QString shown;
    AnswerNextModal([&](QWidget* modal) {
        for (QWidget* w : modal->findChildren<QWidget*>())
            if (auto* text = qobject_cast<QPlainTextEdit*>(w))
                shown += text->toPlainText();
            else if (auto* list = qobject_cast<QListWidget*>(w))
                for (int i = 0; i < list->count(); ++i)
                    shown += list->item(i)->text() + "\n";
        static_cast<QDialog*>(modal)->accept();
    });
    ListCommands::AddNames(*doc, {Dir() + "cut.binout"});
    EXPECT_TRUE(shown.contains("cut.binout")) << shown.toStdString();
    EXPECT_EQ(doc->FileList().size(), 6) << doc->FileList().join('\n').toStdString();
    EXPECT_EQ(Loaded(), QStringList{Channel(4)});
}
