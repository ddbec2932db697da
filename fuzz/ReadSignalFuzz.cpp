// Fuzz target: the signal-file readers over arbitrary bytes, each taken as a
// file of every kind (RVF-1992, text, ISO-MME channel), as an ISO-MME test
// (.mme, .zip) and as a simulation (a binout; nodout, rcforc and secforc). Every input must be refused with a recorded error or give a
// consistent signal; a crash, a sanitizer report or a hang is a finding.
#include "IsoMmeTest.h"
#include "KVErrorList.h"
#include "KVFileAscii.h"
#include "KVFileIsoMme.h"
#include "KVFileRvf.h"
#include "KVReadSignalFile.h"
#include "KVSignal.h"
#include "Simulation.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string& Folder()
{
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        std::string p = std::string(dir && *dir ? dir : "/tmp") + "/ondrel-fuzz-" + std::to_string(::getpid());
        ::mkdir(p.c_str(), 0700);
        return p;
    }();
    return path;
}

bool Write(const std::string& path, const uint8_t* data, size_t size)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

void Check(bool ok, const KVSignal& s, const KVErrorList& errors)
{
    if (!ok) {
        if (errors.ErrorCount() == 0)
            std::abort(); // a refusal must say why
        return;
    }
    if (s.PointCount() == 0 || !s.X() || !s.Y())
        std::abort(); // success without samples
}

template <typename Reader>
void ReadAs(const std::string& path)
{
    KVSignal s;
    Reader reader(path);
    Check(reader.Load(s), s, reader);
}

void OpenAsTest(const std::string& path)
{
    KVErrorList errors;
    IsoMmeTest test;
    if (!test.Open(path, errors)) {
        if (errors.ErrorCount() == 0)
            std::abort();
        return;
    }
    for (size_t i = 0; i < test.Channels().size() && i < 4; ++i) {
        KVSignal s;
        KVErrorList channelErrors;
        Check(test.LoadChannel(i, s, channelErrors), s, channelErrors);
    }
}

void OpenAsSimulation(const std::string& path)
{
    KVErrorList errors;
    const std::unique_ptr<Simulation> sim = Simulation::Open(path, errors);
    if (!sim) {
        if (errors.ErrorCount() == 0)
            std::abort();
        return;
    }
    for (size_t i = 0; i < sim->Channels().size() && i < 8; ++i) {
        KVSignal s;
        KVErrorList channelErrors;
        Check(sim->LoadChannel(i, nullptr, s, channelErrors), s, channelErrors);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = Folder() + "/in";
    if (!Write(path, data, size))
        return 0;
    ReadAs<KVFileRvf>(path);
    ReadAs<KVFileAscii>(path);
    ReadAs<KVFileIsoMme>(path);
    KVSignal u;
    KVErrorList errors;
    Check(KVReadSignalFile(path, u, errors) != nullptr, u, errors);
    ::unlink(path.c_str());

    // The same bytes as a test file and as an archive.
    const bool zip = size >= 2 && data[0] == 'P' && data[1] == 'K';
    const std::string test = Folder() + (zip ? "/in.zip" : "/in.mme");
    if (Write(test, data, size))
        OpenAsTest(test);
    ::unlink(test.c_str());

    // The same bytes as a binout (told by its header) and as ASCII files
    // (told by their names).
    for (const char* name : {"/binout", "/nodout", "/rcforc", "/secforc", "/glstat", "/matsum"}) {
        const std::string sim = Folder() + name;
        if (Write(sim, data, size))
            OpenAsSimulation(sim);
        ::unlink(sim.c_str());
    }
    return 0;
}
