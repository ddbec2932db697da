// Grouping and filtering of the file list's channels.
#include "ChannelTree.h"

#include "KVFileRvf.h"
#include "KVSignal.h"
#include "SupportSignals.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

CChannelItem Channel(const char* code, const char* title, const char* test = "T1")
{
    return {QStringLiteral("/t/%1/Channel/%2").arg(test, code), code, title, test};
}

} // namespace

TEST(ChannelTree, GroupsByTestObjectPositionAndBodyRegion)
{
    const CChannelItem head = Channel("11HEAD0000H3ACXA", "HEAD CG ACCELERATION X");
    EXPECT_EQ(ChannelGroupPath(head, false), (QStringList{"1 Vehicle 1", "1 Front left", "HEAD"}));
    EXPECT_EQ(ChannelGroupPath(head, true), (QStringList{"T1", "1 Vehicle 1", "1 Front left", "HEAD"}));
    EXPECT_EQ(ChannelGroupPath(Channel("S0SLED000000ACXD", "Sled X"), false),
              (QStringList{"S Sled", "0 None", "SLED"}));
    EXPECT_EQ(ChannelGroupPath(Channel("B3FBAR0000000FOXP", "too long"), false), QStringList{});
    // A file without a code stands outside the groups.
    EXPECT_EQ(ChannelGroupPath({"/d/a.rvf", {}, "a.rvf", {}}, true), QStringList{});
    EXPECT_EQ(PositionLabel(QLatin1Char('C')), "C Seat C");
    EXPECT_EQ(DummyPosition("13CHST0000H3ACXC"), QLatin1Char('3'));
    EXPECT_TRUE(DummyPosition("10VEHC000000ACXD").isNull());
    EXPECT_TRUE(DummyPosition("11TUNN000000ACXD").isNull()) << "a vehicle location has no dummy";
    EXPECT_TRUE(SeveralTests({Channel("11HEAD0000H3ACXA", "x", "T1"), Channel("11HEAD0000H3ACXA", "x", "T2")}));
    EXPECT_FALSE(SeveralTests({Channel("11HEAD0000H3ACXA", "x"), {"/d/a.rvf", {}, "a.rvf", {}}}));
}

TEST(ChannelTree, AFileNamedByItsCodeIsGroupedByIt)
{
    EXPECT_EQ(CodeOfFileName("/out/11HEAD0000H3ACXA.rvf"), "11HEAD0000H3ACXA");
    EXPECT_EQ(CodeOfFileName("11HEAD0000H3ACXA_2.rvf"), "11HEAD0000H3ACXA");
    EXPECT_EQ(CodeOfFileName("1_HEAD0000H3ACXA.rvf"), "1?HEAD0000H3ACXA");
    EXPECT_EQ(CodeOfFileName("occ2231_head_x.rvf"), "");
    EXPECT_EQ(CodeOfFileName("11HEAD0000H3ACX.rvf"), "") << "15 characters";
    EXPECT_EQ(CodeOfFileName("11head0000h3acxa.rvf"), "") << "codes are capitals";
}

TEST(ChannelTree, FilterIsACodePatternOrWordsOfTheName)
{
    const CChannelItem x = Channel("11HEAD0000H3ACXA", "HEAD CG ACCELERATION X");
    const CChannelItem z = Channel("11HEAD0000H3ACZC", "Head CG acceleration Z");
    const CChannelItem chest = Channel("11CHST0000H3DSXC", "CHEST DEFLECTION");
    const CChannelItem file = {"/d/occ2231_head_x.rvf", {}, "occ2231_head_x.rvf", {}};
    const auto passing = [&](const QString& filter) {
        QStringList names;
        for (const CChannelItem* item : {&x, &z, &chest, &file})
            if (ChannelMatches(*item, filter))
                names << item->title;
        return names;
    };
    EXPECT_EQ(passing(""), (QStringList{x.title, z.title, chest.title, file.title}));
    // A pattern matches the whole code, letter case ignored.
    EXPECT_EQ(passing("11HEAD*AC?A"), QStringList{x.title});
    EXPECT_EQ(passing("11head*"), (QStringList{x.title, z.title}));
    EXPECT_EQ(passing("HEAD*"), QStringList{}) << "not anchored at the start";
    EXPECT_EQ(passing("*X?"), (QStringList{x.title, chest.title}));
    EXPECT_EQ(passing("occ*.rvf"), QStringList{file.title}) << "file names without a code";
    // Words must all occur, in code, name or file name.
    EXPECT_EQ(passing("head acceleration"), (QStringList{x.title, z.title}));
    EXPECT_EQ(passing("  deflection   CHST "), QStringList{chest.title});
    EXPECT_EQ(passing("head x"), (QStringList{x.title, file.title}));
    EXPECT_EQ(passing("pelvis"), QStringList{});
}

TEST(ChannelTree, AnRvfFileIsGroupedByTheCodeItsHeaderGives)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A driver's channel as a lab writes it: no seat in the header.
    const auto save = [](const QString& path, int nlp, const char* location, const char* testNumber = "0") {
        KVSignal s = UniformSignal(0, nlp, 0.001f, [](double t) { return t; });
        s.SetTestNumber(testNumber);
        s.SetVehicleNumber(1);
        s.SetOccupantType("H3 50M");
        s.SetSensorLocation(location);
        s.SetYType(*location ? "ACCELERATION" : " ");
        s.SetAxis("X");
        s.SetCurveText("HEAD ACCEL X ");
        s.SetPreFilterFrequency(1650.0f);
        s.SetCutOffFrequency(1650.0f);
        return SaveSignalAsRvf(s, QFile::encodeName(path).toStdString());
    };
    const QString headFile = dir.filePath("occ_head_x.rvf");
    ASSERT_TRUE(save(headFile, 2, "HD"));
    QString title;
    QString test;
    EXPECT_EQ(CodeOfRvfHeader(headFile, title, &test), "1?HEAD????H3ACXA");
    EXPECT_EQ(title, "HEAD ACCEL X");
    EXPECT_EQ(test, "") << "test number 0 is none";

    // A header without a location gives no code to group by; a text file none either.
    const QString blankFile = dir.filePath("blank.rvf");
    ASSERT_TRUE(save(blankFile, 2, ""));
    EXPECT_EQ(CodeOfRvfHeader(blankFile, title), "");
    QFile text(dir.filePath("a.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("0 1\n1 2\n");
    text.close();
    EXPECT_EQ(CodeOfRvfHeader(text.fileName(), title), "");
    EXPECT_EQ(CodeOfRvfHeader(dir.filePath("missing.rvf"), title), "");

    // The codes are remembered per file and read again when a file changed
    // by the next listing (another size: a change within the clock's
    // resolution is still seen); within one listing no file is looked at.
    CHeaderCodes codes;
    EXPECT_EQ(codes.Of(blankFile).code, "");
    EXPECT_EQ(codes.Of(blankFile).title, "blank.rvf");
    ASSERT_TRUE(save(blankFile, 3, "CH", "2231"));
    EXPECT_EQ(codes.Of(blankFile).code, "");
    codes.NewListing();
    EXPECT_EQ(codes.Of(blankFile).code, "1?CHST????H3ACXA");
    EXPECT_EQ(ChannelGroupPath(codes.Of(blankFile), true), (QStringList{"2231", "1 Vehicle 1", "? Not stated", "CHST"}));
}
