// The correlation report read back as pdftotext sees it: every pair with its
// rating or its reason, the region means and the bands' thresholds; nothing
// written when a channel of the map is missing.
#include "CorrelationReport.h"
#include "DemoData.h"
#include "KVErrorList.h"
#include "SupportFiles.h"
#include "SupportWidgets.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace {

std::string PdfText(const std::string& pdf)
{
    std::string out;
    if (FILE* p = popen(("pdftotext -raw '" + pdf + "' -").c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        pclose(p);
    }
    return out;
}

class CorrelationReportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApplication();
        DemoDataSet written;
        KVErrorList errors;
        ASSERT_TRUE(WriteDemoIsoTests(dir.Path(), written, errors));
        test = dir.Path("iso-mme/2231");
    }
    TempDir dir;
    std::string test;
};

} // namespace

TEST_F(CorrelationReportTest, ListsEveryPairWithItsRatingOrReasonAndTheRegionMeans)
{
    WriteText(dir.Path("map.json"),
              "{\"pairs\": [{\"test\": \"11HEAD0000H3ACXA\", \"simulation\": \"11HEAD0000H3ACXA\"},\n"
              "{\"test\": \"11NECKUP00H3FOZB\", \"simulation\": \"11NECKUP00H3FOZB\", \"sign\": \"-\"},\n"
              "{\"test\": \"11CHST0000H3ACXC\", \"simulation\": \"11NECKUP00H3FOXB\"}]}");
    const std::string pdf = dir.Path("c.pdf");
    ASSERT_EQ(Report::RunCorrelationReport({test, test, "--map", dir.Path("map.json"), "-o", pdf}), 0);
    const std::string text = PdfText(pdf);
    for (const char* expected : {"11HEAD0000H3ACXA", "1.000 good", "11NECKUP00H3FOZB x -1", "poor", "n/a: ",
                                 "Y units differ", "HEAD", "NECK", "CHST", "0 of 1", "2 of 3", "above 0.75"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
}

TEST_F(CorrelationReportTest, AMissingChannelWritesNothing)
{
    WriteText(dir.Path("map.json"), "{\"pairs\": [{\"test\": \"11HEAD0000H3ACXX\", \"simulation\": \"11HEAD0000H3ACXA\"}]}");
    const std::string pdf = dir.Path("c.pdf");
    EXPECT_EQ(Report::RunCorrelationReport({test, test, "--map", dir.Path("map.json"), "-o", pdf}), 1);
    EXPECT_FALSE(std::filesystem::exists(pdf));
}
