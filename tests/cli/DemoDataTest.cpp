#include "Assessment.h"
#include "DemoChannels.h"
#include "DemoData.h"
#include "KVErrorList.h"
#include "KVReadSignalFile.h"
#include "KVSignal.h"
#include "ProtocolFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace fs = std::filesystem;

namespace {

class DemoDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path()
            / ("kalvio-demo-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-"
               + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    DemoDataSet Write(const fs::path& dir)
    {
        DemoDataSet set;
        KVErrorList errors;
        EXPECT_TRUE(WriteDemoDataSet(dir.string(), set, errors)) << errors.ErrorMessage(0);
        return set;
    }

    fs::path m_dir;
};

std::string Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string FieldAt(const std::string& bytes, size_t offset, size_t width)
{
    std::string s = bytes.substr(offset, width);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
        s.pop_back();
    return s;
}

TEST_F(DemoDataTest, EveryRvfFileReadsBackAsBuilt)
{
    const DemoDataSet set = Write(m_dir);
    ASSERT_EQ(set.rvfFiles.size(), DemoChannels().size());
    for (size_t i = 0; i < set.rvfFiles.size(); ++i) {
        SCOPED_TRACE(set.rvfFiles[i]);
        KVSignal built;
        BuildDemoSignal(i, built);
        KVSignal read;
        KVErrorList errors;
        ASSERT_STREQ(KVReadSignalFile(set.rvfFiles[i], read, errors), "RVF-1992 File");
        ASSERT_EQ(read.PointCount(), 3001u);
        EXPECT_EQ(read.Nfp(), -500);
        EXPECT_EQ(read.Nlp(), 2500);
        EXPECT_EQ(read.XUnits(), "SECONDS");
        EXPECT_EQ(read.XType(), "TIME");
        EXPECT_EQ(read.YUnits(), built.YUnits());
        // The file keeps no trailing blanks: a blank axis reads back empty.
        EXPECT_EQ(read.Axis(), built.Axis() == " " ? "" : built.Axis());
        EXPECT_EQ(read.TestSource(), DemoChannels()[i].test == 0 ? "VEHICLE DB" : "BIOMECHANICS DB");
        // A file with its X array reads back with the step of its even X
        // values, a "Y" file with the step it records.
        EXPECT_FLOAT_EQ(read.Del(), 0.0001f);
        EXPECT_NEAR(read.X()[0], -0.05f, 1e-7f);
        EXPECT_NEAR(read.X()[3000], 0.25f, 1e-6f);
        // Every float format carries the samples bit for bit.
        for (size_t k = 0; k < read.PointCount(); k += 7)
            ASSERT_EQ(read.Y()[k], built.Y()[k]) << "point " << k;
    }
}

TEST_F(DemoDataTest, FilesComeInAllThreeFormatsAndBothLayouts)
{
    const DemoDataSet set = Write(m_dir);
    std::set<std::string> formats;
    std::set<std::string> layouts;
    for (const std::string& f : set.rvfFiles) {
        const std::string bytes = Bytes(f);
        layouts.insert(FieldAt(bytes, 16, 10));
        formats.insert(FieldAt(bytes, 26, 5));
    }
    EXPECT_EQ(formats, (std::set<std::string>{"IEEE", "SUN", "VAX"}));
    EXPECT_EQ(layouts, (std::set<std::string>{"X-Y", "Y"}));
}

TEST_F(DemoDataTest, TextFilesReadAsTwoColumnSignals)
{
    const DemoDataSet set = Write(m_dir);
    ASSERT_EQ(set.asciiFiles.size(), 2u);
    for (const std::string& f : set.asciiFiles) {
        SCOPED_TRACE(f);
        EXPECT_EQ(fs::path(f).extension(), ".txt");
        KVSignal s;
        KVErrorList errors;
        ASSERT_STREQ(KVReadSignalFile(f, s, errors), "ASCII File");
        EXPECT_EQ(s.PointCount(), 3001u);
        // Time in milliseconds, the unit a text file is taken in.
        EXPECT_FLOAT_EQ(s.X()[0], -50.0f);
        EXPECT_NEAR(s.Del(), 0.1f, 1e-4f);
    }
    // The tunnel velocity loses about the closing speed (56.3 km/h) and rebounds a little.
    KVSignal v;
    KVErrorList errors;
    ASSERT_TRUE(KVReadSignalFile(set.asciiFiles[1], v, errors));
    EXPECT_NEAR(v.Y()[500], 56.3f, 0.01f);
    EXPECT_GT(v.Y()[2000], -12.0f);
    EXPECT_LT(v.Y()[2000], 0.0f);
}

TEST_F(DemoDataTest, HitlistNamesTheInjuryChannelsWithTheirAxes)
{
    const DemoDataSet set = Write(m_dir);
    std::ifstream in(set.hitlist);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines, set.hitlistEntries);
    ASSERT_EQ(lines.size(), 10u);
    std::string axes;
    for (const std::string& entry : lines) {
        ASSERT_TRUE(fs::path(entry).is_absolute()) << entry;
        KVSignal s;
        KVErrorList errors;
        ASSERT_TRUE(KVReadSignalFile(entry, s, errors)) << entry;
        axes += s.Axis().substr(0, 1);
    }
    // Head X Y Z, neck Fx My Fz, chest deflection, tibia Mx My Fz: each set in X, Y, Z order.
    EXPECT_EQ(axes, "XYZXYZXXYZ");
}

TEST_F(DemoDataTest, SameBytesOnEveryRunAndOverwrites)
{
    const DemoDataSet first = Write(m_dir / "a");
    std::ofstream(first.rvfFiles[0], std::ios::trunc) << "stale";
    const DemoDataSet again = Write(m_dir / "a");
    const DemoDataSet other = Write(m_dir / "b");
    ASSERT_EQ(again.rvfFiles.size(), other.rvfFiles.size());
    for (size_t i = 0; i < again.rvfFiles.size(); ++i)
        ASSERT_EQ(Bytes(again.rvfFiles[i]), Bytes(other.rvfFiles[i])) << again.rvfFiles[i];
    EXPECT_EQ(Bytes(again.asciiFiles[0]), Bytes(other.asciiFiles[0]));
}

TEST_F(DemoDataTest, DirectoryThatIsAFileFails)
{
    std::ofstream(m_dir.string()) << "x";
    DemoDataSet set;
    KVErrorList errors;
    EXPECT_FALSE(WriteDemoDataSet(m_dir.string(), set, errors));
    ASSERT_EQ(errors.ErrorCount(), 1);
    EXPECT_NE(errors.ErrorMessage(0).find("Couldn't make the directory"), std::string::npos);
    fs::remove(m_dir);
}

TEST(DemoNoise, DeviationIsKeptThroughTheBandLimit)
{
    for (double cutOff : {0.0, 100.0, 1650.0}) {
        const std::vector<double> v = DemoBandNoise(42, 200000, 2.0, 0.0001, cutOff);
        double sum = 0, sum2 = 0;
        for (double x : v) {
            sum += x;
            sum2 += x * x;
        }
        const double mean = sum / double(v.size());
        EXPECT_NEAR(mean, 0.0, 0.1) << cutOff;
        EXPECT_NEAR(std::sqrt(sum2 / double(v.size()) - mean * mean), 2.0, 0.1) << cutOff;
    }
}

} // namespace

// Each demo test under every shipped protocol whose dummies it carries: none
// aborts, and whatever cannot be computed says why.
TEST_F(DemoDataTest, EveryDemoTestAssessesUnderEveryProtocolItsDummiesFit)
{
    const DemoDataSet set = Write(m_dir);
    std::vector<std::string> problems;
    const std::vector<Assess::Protocol> protocols = Assess::LoadProtocols({ONDREL_PROTOCOLS_SOURCE_DIR}, problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
    ASSERT_GE(set.isoTests.size(), 3u);
    int assessed = 0;
    for (const std::string& test : set.isoTests) {
        Assess::TestSource source;
        KVErrorList errors;
        ASSERT_TRUE(source.Open({test}, errors)) << test;
        int fits = 0;
        for (const Assess::Protocol& p : protocols) {
            if (!Assess::ProtocolFitsTest(p, source))
                continue;
            ++fits;
            Assess::Assessment a;
            std::string error;
            ASSERT_TRUE(Assess::AssessTest(source, p, {}, a, error)) << test << " " << p.id << ": " << error;
            EXPECT_FALSE(a.occupants.empty()) << test << " " << p.id;
            for (const Assess::OccupantResult& o : a.occupants)
                for (const Assess::RegionResult& r : o.regions)
                    for (const auto* list : {&r.criteria, &r.modifiers})
                        for (const Assess::CriterionResult& c : *list) {
                            const bool explained = (c.status == Assess::Status::Ok && c.value) || !c.reason.empty();
                            EXPECT_TRUE(explained) << test << " " << p.id << " " << c.criterion;
                        }
        }
        assessed += fits > 0 ? 1 : 0;
    }
    // The full width, the MPDB and the side barrier test; the sled test carries no dummy a protocol assesses.
    EXPECT_EQ(assessed, 3);
}
