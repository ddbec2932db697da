#include "Kalvio.h"

#include <gtest/gtest.h>

using namespace Kalvio;

namespace {

std::string Code(const char* source, const char* number, const char* ytype, const char* status, float cutoff,
                 int curve)
{
    KVSignal s;
    s.SetTestSource(source);
    s.SetTestNumber(number);
    s.SetYType(ytype);
    s.SetStatus(status);
    s.SetCutOffFrequency(cutoff);
    s.SetCurveNumber(curve);
    std::string name;
    EXPECT_TRUE(FileNameCode(s, &name));
    return name;
}

} // namespace

TEST(FileNameCode, EncodesHeader)
{
    EXPECT_EQ(Code("VEHICLE", "123", "ACCELERATION", "FILTERED", 100.0f, 5), "V0123afd.005");
    EXPECT_EQ(Code("BIOMECHANICS", "2345", "FORCE", "COMPUTED", 1666.67f, 12), "B2345fc_.012");
    EXPECT_EQ(Code("COMPONENT", "7", "ANGULAR VELOCITY", "TRUNCATED", 0.0f, 0), "C0007vt0.000");
}

TEST(FileNameCode, LongNumbersAndUnknownNames)
{
    EXPECT_EQ(Code(" ", "123456", "JERK", "Truncated", 60.0f, 1234), "V123456__c.1234");
    EXPECT_EQ(Code("B", "abc", "DISPLACEMENTS", "FIR100 FILTERED", 1000.0f, 1), "B0000d_g.001");
    EXPECT_EQ(Code("", "12x", "ANGULAR IMPULSE", "ALIGEND", 15.0f, 3), "V0012ila.003");
}

TEST(FileNameCode, NoBufferFails)
{
    KVSignal s;
    EXPECT_FALSE(FileNameCode(s, nullptr));
}
