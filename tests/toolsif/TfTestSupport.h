#pragma once
// Helpers shared by the tests of the tools library and its two programs.
#include "KVFileRvf.h"
#include "KVSignal.h"
#include "SupportFiles.h"
#include "TfSession.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace TfTest {

// A fresh directory that is the current directory for the test's lifetime
// (the programs resolve relative names against it).
using TempDir = ::CurrentTempDir;
using ::ReadLines;
using ::ReadText;
using ::WriteText;

// A tools-library session on string streams: input given, output kept.
struct Console {
    explicit Console(const std::string& input = {}) : in(input), s(in, out) {}
    std::string Out() const { return out.str(); }
    bool Said(const std::string& text) const { return out.str().find(text) != std::string::npos; }

    std::istringstream in;
    std::ostringstream out;
    Toolsif::Session s;
};

inline bool Exists(const std::string& name)
{
    return std::filesystem::exists(name);
}

// Writes an RVF-1992 file (layout "Y") with the samples y at indices nfp...
inline bool MakeRvf(const std::string& name, int nfp, const std::vector<float>& y, float del = 0.0001f,
                    const std::string& yUnits = "G", const std::string& xUnits = "SECONDS")
{
    KVSignal s;
    if (!s.Allocate(y.size()))
        return false;
    for (size_t i = 0; i < y.size(); ++i)
        s.SetPoint(static_cast<float>((nfp + static_cast<double>(i)) * del), y[i], i);
    s.SetNfp(nfp);
    s.SetNlp(nfp + static_cast<int>(y.size()) - 1);
    s.SetDel(del);
    s.SetYUnits(yUnits);
    s.SetXUnits(xUnits);
    s.SetXType("TIME");
    s.SetYType("ACCELERATION");
    s.SetTestNumber("1234");
    s.SetHasData(true);
    return KVFileRvf(name).Store(s);
}

// A ramp a + b * k for k = 0..n-1.
inline std::vector<float> Ramp(size_t n, float a, float b)
{
    std::vector<float> y(n);
    for (size_t k = 0; k < n; ++k)
        y[k] = a + b * static_cast<float>(k);
    return y;
}

} // namespace TfTest
