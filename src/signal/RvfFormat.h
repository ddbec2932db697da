#pragma once
// The conventions of RVF-1992 bytes: float formats and byte orders (the
// file's and this machine's), and how text fields read and write.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

// A data record: a 12-byte label and 125 reals.
constexpr size_t kRvfRecordValues = 125;

// Byte-order and float-format codes of an RVF-1992 file and of this machine.
enum RvfByteOrder { RVF_BIG_ENDIAN = 1, RVF_LITTLE_ENDIAN = 2, RVF_UNKNOWN_ORDER = 3 };
enum RvfFloatFormat { RVF_IEEE = 1, RVF_SUN = 2, RVF_VAX = 3, RVF_UNKNOWN_FORMAT = 4 };

// Converts the four bytes of a real as they lie in memory from one float
// format to another (VAX word order and exponent bias included).
void RvfConvertFloatBytes(uint8_t b[4], int from, int to);
// The float-format code that a format name selects, and the byte order it implies.
int RvfFloatFormatFromName(const std::string& name);
int RvfByteOrderFromFormat(int floatFormat);
// This machine's conventions, found once from the bytes of two known values.
int RvfMachineByteOrder();
int RvfMachineFloatFormat();
// "IEEE", "SUN", "VAX", or unknown for any other code.
const char* RvfFormatName(int format, const char* unknown);

// White space and upper case of the file's texts: plain ASCII whatever the
// process locale, so that a file reads and writes the same everywhere.
inline bool RvfIsSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
inline char RvfUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// A text field as the reader takes it: up to width or the first NUL, trailing
// white space removed, upper-cased.
std::string RvfReadText(const uint8_t* p, size_t width);
// Whether an RVF-1992 text is blank (empty or only white space).
bool RvfIsBlank(const std::string& s);
// The model-year fix-up: 1..49 -> 20xx, 50..99 -> 19xx, others unchanged.
int RvfFixModelYear(int year);
// Whether the 12-byte label at p, read as a text field, is label (an upper
// case text without trailing blanks; no text is built: this runs for every
// data record).
bool RvfLabelReads(const uint8_t* p, std::string_view label);
