// Criterion inputs picked by channel code from an ISO-MME test.
#include "IsoMmeWriter.h"
#include "KVErrorList.h"
#include "KVSignal.h"
#include "TestChannels.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {

KVSignal Coded(const std::string& code)
{
    KVSignal s;
    s.Allocate(4);
    for (size_t i = 0; i < 4; ++i)
        s.SetPoint(static_cast<float>(i) * 0.001f, 1.0f, i);
    s.SetXUnits("SECONDS");
    s.SetDel(0.001f);
    s.SetHasData(true);
    s.Header().Side.channelLines = {{"Channel code", code}};
    // The record agrees with the code, so the code is written as it is.
    s.SetSensorAttachment(code);
    s.SetFilterClass(code[15] == 'B' ? 600 : 1000);
    s.SetCutOffFrequency(code[15] == 'P' ? 0.0f : code[15] == 'B' ? 1000.0f : 1650.0f);
    s.SetPreFilterFrequency(1650.0f);
    return s;
}

} // namespace

TEST(TestChannels, PicksByPositionDimensionDirectionAndFilterClass)
{
    const std::string dir = (std::filesystem::temp_directory_path() / ("crit_iso_" + std::to_string(::getpid()))).string();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const char* codes[] = {"11HEAD0000H3ACZA", "11HEAD0000H3ACXP", "11HEAD0000H3ACXA", "11HEAD0000H3ACYA",
                           "13HEAD0000H3ACXA", "11NECKUP00H3FOZB"};
    std::vector<KVSignal> signals;
    for (const char* c : codes)
        signals.push_back(Coded(c));
    std::vector<const KVSignal*> pointers;
    for (const KVSignal& s : signals)
        pointers.push_back(&s);
    KVErrorList errors;
    ASSERT_TRUE(IsoMmeWriteTest(pointers, dir + "/T7", errors));

    using namespace Criteria;
    std::vector<std::string> paths, took;
    ASSERT_TRUE(SelectTestChannels(DefOf(CriterionId::Hic), {dir + "/T7", '1', false}, paths, took, errors));
    // X at CFC 1000 rather than the raw X; X, Y, Z order whatever the list order.
    EXPECT_EQ(paths, (std::vector<std::string>{dir + "/T7/Channel/T7.003", dir + "/T7/Channel/T7.004",
                                               dir + "/T7/Channel/T7.001"}));
    EXPECT_EQ(took.front(), "took 11HEAD0000H3ACXA () from T7");

    EXPECT_FALSE(SelectTestChannels(DefOf(CriterionId::Hic), {dir + "/T7", '3', false}, paths, took, errors));
    EXPECT_EQ(errors.Errors().back().Message(),
              dir + "/T7: no channel ?3HEAD??????ACY? in the test (position 3); the criterion needs it");
    EXPECT_FALSE(SelectTestChannels(DefOf(CriterionId::Nij), {dir + "/T7", '1', false}, paths, took, errors));
    EXPECT_EQ(errors.Errors().back().Message(),
              dir + "/T7: no channel ?1NECKUP????FOX? in the test (position 1); the criterion needs it");
    ASSERT_TRUE(SelectTestChannels(DefOf(CriterionId::Neck208), {dir + "/T7", '1', false}, paths, took, errors));
    EXPECT_EQ(paths, std::vector<std::string>{dir + "/T7/Channel/T7.006"});
    std::filesystem::remove_all(dir);
}
