#include "RvfFormat.h"

#include <algorithm>
#include <cstring>

namespace {

// The machine's conventions, found once from the bytes of two known values.
struct MachineConventions {
    int order = RVF_UNKNOWN_ORDER;
    int format = RVF_UNKNOWN_FORMAT;
};

const MachineConventions& Machine()
{
    static const MachineConventions conventions = [] {
        MachineConventions c;
        const int32_t i = 0x00006386;
        uint8_t b[4];
        std::memcpy(b, &i, 4);
        if (b[0] == 0x86 && b[1] == 0x63 && b[2] == 0 && b[3] == 0)
            c.order = RVF_LITTLE_ENDIAN;
        else if (b[0] == 0 && b[1] == 0 && b[2] == 0x63 && b[3] == 0x86)
            c.order = RVF_BIG_ENDIAN;
        const uint32_t bits = 0x359AC0C7u;
        float f;
        std::memcpy(&f, &bits, 4);
        std::memcpy(b, &f, 4);
        const auto is = [&b](int x0, int x1, int x2, int x3) {
            return b[0] == x0 && b[1] == x1 && b[2] == x2 && b[3] == x3;
        };
        if (is(0xC7, 0xC0, 0x9A, 0x35))
            c.format = RVF_IEEE;
        else if (is(0x35, 0x9A, 0xC0, 0xC7))
            c.format = RVF_SUN;
        else if (is(0x9A, 0x36, 0xC7, 0xC0))
            c.format = RVF_VAX;
        return c;
    }();
    return conventions;
}

} // namespace

int RvfMachineByteOrder() { return Machine().order; }
int RvfMachineFloatFormat() { return Machine().format; }

const char* RvfFormatName(int format, const char* unknown)
{
    switch (format) {
    case RVF_IEEE: return "IEEE";
    case RVF_SUN: return "SUN";
    case RVF_VAX: return "VAX";
    default: return unknown;
    }
}

void RvfConvertFloatBytes(uint8_t b[4], int from, int to)
{
    if (from == to)
        return;
    const uint8_t b0 = b[0], b1 = b[1], b2 = b[2], b3 = b[3];
    const auto set = [b](int r0, int r1, int r2, int r3) {
        b[0] = static_cast<uint8_t>(r0);
        b[1] = static_cast<uint8_t>(r1);
        b[2] = static_cast<uint8_t>(r2);
        b[3] = static_cast<uint8_t>(r3);
    };
    if (from == RVF_VAX && to == RVF_IEEE) {
        if (b1 == 0 || b1 == 0x80)
            set(0, 0, 0, 0);
        else
            set(b2, b3, b0, b1 - 1);
    } else if (from == RVF_VAX && to == RVF_SUN) {
        if (b1 == 0 || b1 == 0x80)
            set(0, 0, 0, 0);
        else
            set(b1 - 1, b0, b3, b2);
    } else if (from == RVF_IEEE && to == RVF_VAX) {
        if (b3 == 0 || b3 == 0x80)
            set(0, 0, 0, 0);
        else if (b3 == 0x7F || b3 == 0xFF)
            set(0xFF, b3, 0xFF, 0xFF);
        else
            set(b2, b3 + 1, b0, b1);
    } else if (from == RVF_SUN && to == RVF_VAX) {
        if (b0 == 0 || b0 == 0x80)
            set(0, 0, 0, 0);
        else if (b0 == 0x7F || b0 == 0xFF)
            set(0xFF, b0, 0xFF, 0xFF);
        else
            set(b1, b0 + 1, b3, b2);
    } else if ((from == RVF_IEEE && to == RVF_SUN) || (from == RVF_SUN && to == RVF_IEEE)) {
        set(b3, b2, b1, b0);
    } else {
        set(0, 0, 0, 0);
    }
}

int RvfFloatFormatFromName(const std::string& name)
{
    const std::string n = RvfReadText(reinterpret_cast<const uint8_t*>(name.data()), name.size());
    if (n == "IEEE")
        return RVF_IEEE;
    if (n == "SUN")
        return RVF_SUN;
    if (n == "VAX")
        return RVF_VAX;
    return RVF_UNKNOWN_FORMAT;
}

int RvfByteOrderFromFormat(int floatFormat)
{
    switch (floatFormat) {
    case RVF_IEEE: return RVF_LITTLE_ENDIAN;
    case RVF_SUN: return RVF_BIG_ENDIAN;
    case RVF_VAX: return RVF_LITTLE_ENDIAN;
    default: return RVF_UNKNOWN_ORDER;
    }
}

std::string RvfReadText(const uint8_t* p, size_t width)
{
    // Fields are mostly blank padding: it is passed eight bytes at a time.
    const void* nul = std::memchr(p, 0, width);
    size_t n = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - p) : width;
    for (uint64_t word; n >= 8 && (std::memcpy(&word, p + n - 8, 8), word == 0x2020202020202020u);)
        n -= 8;
    while (n > 0 && RvfIsSpace(p[n - 1]))
        --n;
    std::string s(reinterpret_cast<const char*>(p), n);
    for (char& ch : s)
        ch = RvfUpper(ch);
    return s;
}

bool RvfIsBlank(const std::string& s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return RvfIsSpace(static_cast<unsigned char>(c)); });
}

int RvfFixModelYear(int year)
{
    if (year >= 1 && year <= 49)
        return year + 2000;
    if (year >= 50 && year <= 99)
        return year + 1900;
    return year;
}

bool RvfLabelReads(const uint8_t* p, std::string_view label)
{
    size_t n = 0;
    while (n < 12 && p[n] != 0)
        ++n;
    while (n > 0 && RvfIsSpace(p[n - 1]))
        --n;
    if (n != label.size())
        return false;
    for (size_t i = 0; i < n; ++i)
        if (RvfUpper(static_cast<char>(p[i])) != label[i])
            return false;
    return true;
}
