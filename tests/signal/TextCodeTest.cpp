// Conversions between the character sets of ISO-MME texts and archive names.
#include "KVTextCode.h"

#include <gtest/gtest.h>

TEST(TextCode, Cp1252KeepsItsUnassignedBytesAndReplacesWhatItLacks)
{
    // U+20AC is the euro sign at 0x80; U+0081 has no character in the code
    // page and stands for its byte; U+4E2D and U+1F600 (a surrogate pair) have
    // no place at all.
    const std::string le("\xAC\x20\x81\x00\x2D\x4E\x3D\xD8\x00\xDE\x41\x00", 12);
    EXPECT_EQ(KVConvertText(le, KVCharset::Utf16LE, KVCharset::Cp1252), "\x80\x81??A");
    const std::string be("\x20\xAC\x00\x41\x00", 5); // the last byte is half a character
    EXPECT_EQ(KVConvertText(be, KVCharset::Utf16BE, KVCharset::Cp1252), "\x80\x41");
    EXPECT_EQ(KVConvertText("\xE2\x82\xAC \xC3\xBC", KVCharset::Utf8, KVCharset::Cp1252), "\x80 \xFC");
    EXPECT_EQ(KVConvertText("\x80\x81\xFC", KVCharset::Cp1252, KVCharset::Utf8), "\xE2\x82\xAC\xC2\x81\xC3\xBC");
}

TEST(TextCode, CodePage437AndUtf8Validity)
{
    EXPECT_EQ(KVConvertText("\x84\xE4\xFF", KVCharset::Cp437, KVCharset::Utf8), "\xC3\xA4\xCE\xA3\xC2\xA0");
    EXPECT_TRUE(KVIsUtf8("plain"));
    EXPECT_TRUE(KVIsUtf8("\xF0\x9F\x98\x80"));
    EXPECT_FALSE(KVIsUtf8("\xC0\xAF"));         // overlong '/'
    EXPECT_FALSE(KVIsUtf8("\xED\xA0\x80"));     // a surrogate
    EXPECT_FALSE(KVIsUtf8("ok \xE2\x82"));      // cut short
    EXPECT_FALSE(KVIsUtf8(std::string(5000, '\xFC'))); // beyond one buffer of the check
}
