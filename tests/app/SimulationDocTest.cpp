// A simulation in the document: listed as its channels, the model's units
// asked once per file, and its channels rated against other signals.
#include "AppTestSupport.h"
#include "FileCommands.h"
#include "ListCommands.h"
#include "RatingCommands.h"

#include <QFile>

namespace {

const QString kCae = QStringLiteral(ONDREL_CAE_DATA_DIR "/");

class SimulationDocTest : public AppTest {
protected:
    QString Channel(const QString& file, const char* channel) const { return kCae + file + ":" + channel; }
    void Select(const QStringList& names) { ListCommands::SelectionChanged(*doc, names, true); }
};

} // namespace

TEST_F(SimulationDocTest, ChannelsLoadInTheUnitsChosenOncePerFile)
{
    ListCommands::AddNames(*doc, {kCae + "pouch-impact.binout"});
    const QString y = Channel("pouch-impact.binout", "nodout/84340382/y_displacement");
    ASSERT_TRUE(doc->FileList().contains(y));
    EXPECT_EQ(doc->List().ListText(y), "nodout/84340382/y_displacement  History_node_1");

    // Cancel loads nothing and is asked again.
    Select({y});
    EXPECT_TRUE(doc->Signals().empty());
    ui.modelUnits = {"mm-ms-kg-kN"};
    Select({y, Channel("pouch-impact.binout", "nodout/84340382/x_acceleration")});
    ASSERT_EQ(doc->Signals().size(), 2u);
    EXPECT_EQ(ui.unitsAskedFor, (QStringList{"pouch-impact.binout", "pouch-impact.binout"}));
    const KVSignal& s = doc->Signals().front().signal;
    EXPECT_EQ(s.XUnits(), "SECONDS");
    ASSERT_EQ(s.PointCount(), 601u);
    EXPECT_FLOAT_EQ(s.X()[600], 0.059999637f);
    EXPECT_FLOAT_EQ(s.Y()[600], 121.14822f);
}

TEST_F(SimulationDocTest, RatingTakesASimulationChannelAndRefusesModelUnits)
{
    ListCommands::AddNames(*doc, {kCae + "pouch-impact.binout", kCae + "sph-r12.binout"});
    ui.modelUnits = {"mm-ms-kg-kN", ""};
    const QString y = Channel("pouch-impact.binout", "nodout/84340382/y_displacement");
    Select({y, Channel("pouch-impact.binout", "nodout/84340382/y_coordinate"),
            Channel("sph-r12.binout", "glstat/kinetic_energy")});
    ASSERT_EQ(doc->Signals().size(), 3u);
    const std::vector<CRatingRow> rows = RatingCommands::RatingsAgainst(*doc, 0);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[0].failure.isEmpty()) << rows[0].failure.toStdString();
    EXPECT_GE(rows[0].rating, 0.0);
    EXPECT_LE(rows[0].rating, 1.0);
    EXPECT_TRUE(rows[1].failure.contains("model units")) << rows[1].failure.toStdString();
}

TEST_F(SimulationDocTest, ASavedListOfSimulationChannelsReadsBack)
{
    const QString y = Channel("pouch-impact.binout", "nodout/84340382/y_displacement");
    WriteBytes("sim.hit", (y + "\n" + Channel("pouch-impact.binout", "nodout/1/y_displacement") + "\n").toUtf8());
    doc->List().StartHitlist();
    ASSERT_TRUE(FileCommands::ReadHitlist(*doc, PathOf("sim.hit")));
    EXPECT_EQ(doc->FileList(), QStringList{y});
    EXPECT_EQ(doc->List().ListText(y), "nodout/84340382/y_displacement  History_node_1");
    EXPECT_EQ(doc->Messages().Lines().filter("not found").size(), 1) << doc->Messages().Lines().join('\n').toStdString();
}
