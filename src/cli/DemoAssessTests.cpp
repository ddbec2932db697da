// Two more demo tests for the assessment, as ISO-MME tests: an offset frontal
// test against a mobile barrier (THOR driver, Hybrid III 5th female front
// passenger, the barrier trolley for the occupant load criterion) and a side
// barrier test (WorldSID driver). Pulses made from half-sines with sensor
// noise; the values are synthetic.
#include "DemoData.h"

#include "IsoMmeVocabulary.h"
#include "IsoMmeWriter.h"
#include "KVErrorList.h"
#include "KVSignal.h"

#include <cmath>
#include <filesystem>
#include <numbers>

namespace fs = std::filesystem;

namespace {

struct DemoPulse {
    const char* code;
    const char* units; // the record's spelling
    double amplitude;
    double start;    // s
    double duration; // s
};

// An offset frontal test at 50 km/h: every channel the MPDB protocol reads.
const std::vector<DemoPulse>& FrontalPulses()
{
    static const std::vector<DemoPulse> pulses = {
        {"11HEAD0000THACXP", "G'S", 52, 0.045, 0.035},      {"11HEAD0000THACYP", "G'S", 6, 0.05, 0.03},
        {"11HEAD0000THACZP", "G'S", 18, 0.05, 0.03},        {"11HEAD0000THAAXP", "RADIANS/SEC**2", 900, 0.05, 0.03},
        {"11HEAD0000THAAYP", "RADIANS/SEC**2", 2600, 0.05, 0.035}, {"11HEAD0000THAAZP", "RADIANS/SEC**2", 700, 0.05, 0.03},
        {"11NECKUP00THFOXA", "NEWTONS", 1350, 0.045, 0.04},  {"11NECKUP00THFOZA", "NEWTONS", 2950, 0.045, 0.045},
        {"11NECKUP00THMOYB", "NEWTON-METERS", -22, 0.05, 0.035},
        {"11CHSTLEUPTHDC0C", "MILLIMETERS", -41, 0.04, 0.06}, {"11CHSTLEUPTHANYC", "RADIANS", 0.05, 0.04, 0.06},
        {"11CHSTLEUPTHANZC", "RADIANS", 0.08, 0.04, 0.06},   {"11CHSTRIUPTHDC0C", "MILLIMETERS", -33, 0.04, 0.06},
        {"11CHSTRIUPTHANYC", "RADIANS", 0.04, 0.04, 0.06},   {"11CHSTRIUPTHANZC", "RADIANS", -0.06, 0.04, 0.06},
        {"11CHSTLELOTHDC0C", "MILLIMETERS", -29, 0.04, 0.06}, {"11CHSTLELOTHANYC", "RADIANS", 0.03, 0.04, 0.06},
        {"11CHSTLELOTHANZC", "RADIANS", 0.05, 0.04, 0.06},   {"11CHSTRILOTHDC0C", "MILLIMETERS", -26, 0.04, 0.06},
        {"11CHSTRILOTHANYC", "RADIANS", 0.03, 0.04, 0.06},   {"11CHSTRILOTHANZC", "RADIANS", -0.04, 0.04, 0.06},
        {"11FEMRLE00THFOZP", "NEWTONS", -4600, 0.03, 0.03},  {"11FEMRRI00THFOZP", "NEWTONS", -3900, 0.03, 0.03},
        {"11ACTBLE00THFOXB", "NEWTONS", 2400, 0.035, 0.03},  {"11ACTBLE00THFOYB", "NEWTONS", 600, 0.035, 0.03},
        {"11ACTBLE00THFOZB", "NEWTONS", 900, 0.035, 0.03},   {"11ACTBRI00THFOXB", "NEWTONS", 2100, 0.035, 0.03},
        {"11ACTBRI00THFOYB", "NEWTONS", -500, 0.035, 0.03},  {"11ACTBRI00THFOZB", "NEWTONS", 800, 0.035, 0.03},
        {"11KNSLLE00THDSXC", "MILLIMETERS", 4.2, 0.04, 0.025}, {"11KNSLRI00THDSXC", "MILLIMETERS", 2.6, 0.04, 0.025},
        {"11TIBILEUPTHMOXB", "NEWTON-METERS", 35, 0.035, 0.03}, {"11TIBILEUPTHMOYB", "NEWTON-METERS", 80, 0.035, 0.03},
        {"11TIBILEUPTHFOZB", "NEWTONS", -3100, 0.035, 0.03}, {"11TIBILELOTHMOXB", "NEWTON-METERS", 25, 0.035, 0.03},
        {"11TIBILELOTHMOYB", "NEWTON-METERS", 95, 0.035, 0.03}, {"11TIBILELOTHFOZB", "NEWTONS", -3000, 0.035, 0.03},
        {"11TIBIRIUPTHMOXB", "NEWTON-METERS", 30, 0.035, 0.03}, {"11TIBIRIUPTHMOYB", "NEWTON-METERS", 70, 0.035, 0.03},
        {"11TIBIRIUPTHFOZB", "NEWTONS", -2700, 0.035, 0.03}, {"11TIBIRILOTHMOXB", "NEWTON-METERS", 22, 0.035, 0.03},
        {"11TIBIRILOTHMOYB", "NEWTON-METERS", 75, 0.035, 0.03}, {"11TIBIRILOTHFOZB", "NEWTONS", -2600, 0.035, 0.03},
        {"13HEAD0000HFACXP", "G'S", 48, 0.05, 0.035},       {"13HEAD0000HFACYP", "G'S", 5, 0.05, 0.03},
        {"13HEAD0000HFACZP", "G'S", 14, 0.05, 0.03},        {"13NECKUP00HFFOXA", "NEWTONS", 700, 0.05, 0.035},
        {"13NECKUP00HFMOYB", "NEWTON-METERS", -31, 0.05, 0.035}, {"13CHST0000HFDSXC", "MILLIMETERS", -27, 0.04, 0.05},
        {"13NECKUP00HFFOZA", "NEWTONS", 1450, 0.05, 0.035},   {"13FEMRLE00HFFOZB", "NEWTONS", -2900, 0.03, 0.03},
        {"13FEMRRI00HFFOZB", "NEWTONS", -2400, 0.03, 0.03},   {"13KNSLLE00HFDSXC", "MILLIMETERS", 2.4, 0.04, 0.025},
        {"13KNSLRI00HFDSXC", "MILLIMETERS", 1.8, 0.04, 0.025}, {"13TIBILEUPHFMOXB", "NEWTON-METERS", 18, 0.035, 0.03},
        {"13TIBILEUPHFMOYB", "NEWTON-METERS", 45, 0.035, 0.03}, {"13TIBILEUPHFFOZB", "NEWTONS", -1900, 0.035, 0.03},
        {"13TIBILELOHFMOXB", "NEWTON-METERS", 14, 0.035, 0.03}, {"13TIBILELOHFMOYB", "NEWTON-METERS", 52, 0.035, 0.03},
        {"13TIBILELOHFFOZB", "NEWTONS", -1850, 0.035, 0.03}, {"13TIBIRIUPHFMOXB", "NEWTON-METERS", 16, 0.035, 0.03},
        {"13TIBIRIUPHFMOYB", "NEWTON-METERS", 40, 0.035, 0.03}, {"13TIBIRIUPHFFOZB", "NEWTONS", -1700, 0.035, 0.03},
        {"13TIBIRILOHFMOXB", "NEWTON-METERS", 12, 0.035, 0.03}, {"13TIBIRILOHFMOYB", "NEWTON-METERS", 47, 0.035, 0.03},
        {"13TIBIRILOHFFOZB", "NEWTONS", -1650, 0.035, 0.03},
        // The car's left rear sill: 50 km/h taken away in 90 ms.
        {"10SILBLE0000ACXP", "G'S", -13.8888889 * std::numbers::pi / (2 * 0.09) / 9.80665, 0.0, 0.09},
        // The barrier trolley (the occupant load criterion's channel): 50 km/h taken away in 95 ms.
        {"M0MBARCG0000ACXP", "G'S", -13.8888889 * std::numbers::pi / (2 * 0.095) / 9.80665, 0.0, 0.095},
    };
    return pulses;
}

// A side barrier test: the struck-side (left) WorldSID channels.
const std::vector<DemoPulse>& SidePulses()
{
    static const std::vector<DemoPulse> pulses = {
        {"11HEAD0000WSACXA", "G'S", 12, 0.04, 0.03},        {"11HEAD0000WSACYA", "G'S", 46, 0.04, 0.03},
        {"11HEAD0000WSACZA", "G'S", 10, 0.04, 0.03},        {"11SHLD0000WSFOYB", "NEWTONS", 1900, 0.02, 0.03},
        {"11TRRILE01WSDSYC", "MILLIMETERS", 31, 0.02, 0.04}, {"11TRRILE02WSDSYC", "MILLIMETERS", 35, 0.02, 0.04},
        {"11TRRILE03WSDSYC", "MILLIMETERS", 28, 0.02, 0.04}, {"11ABRILE01WSDSYC", "MILLIMETERS", 44, 0.022, 0.04},
        {"11ABRILE02WSDSYC", "MILLIMETERS", 39, 0.022, 0.04}, {"11PUBC0000WSFOYB", "NEWTONS", 1450, 0.025, 0.03},
    };
    return pulses;
}

void BuildPulse(const DemoPulse& p, std::uint64_t seed, KVSignal& s)
{
    constexpr int kFirst = -500, kLast = 2500;
    constexpr float kDel = 1e-4f;
    s.Allocate(size_t(kLast - kFirst + 1));
    std::uint64_t state = seed * 0x9E3779B97F4A7C15ull + 7;
    for (int k = kFirst; k <= kLast; ++k) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        const double t = double(k) * kDel;
        const double u = t - p.start;
        const double pulse = u > 0 && u < p.duration ? p.amplitude * std::sin(std::numbers::pi * u / p.duration) : 0;
        const double noise = 0.004 * std::fabs(p.amplitude) * (double(state >> 11) / 9007199254740992.0 - 0.5);
        s.SetPoint(KVGridTime(k, kDel), float(pulse + noise), size_t(k - kFirst));
    }
    s.SetNfp(kFirst);
    s.SetNlp(kLast);
    s.SetDel(kDel);
    s.SetXType("TIME");
    s.SetXUnits("SECONDS");
    s.SetYUnits(p.units);
    const auto filter = IsoFilterOfLetter(p.code[15]);
    s.SetFilterClass(filter ? filter->filterClass : 1001);
    s.SetCutOffFrequency(filter ? filter->cutOff : 0.0f);
    s.SetTestSource("Zelnor Demo Laboratory");
    s.SetHasData(true);
    s.UpdateExtremes();
    s.Header().Side.channelLines = {{"Channel code", p.code}, {"Data source", "transducer"}};
}

bool WriteOne(const std::string& dirName, const char* number, const char* type, const std::vector<DemoPulse>& pulses,
              DemoDataSet& written, KVErrorList& errors)
{
    const KVSideRecord::SharedLines testLines(KVSideRecord::Lines{
        {"Data format edition number", "1.6"},
        {"Type of the test", type},
        {"Date of the test", "2026-03-02"},
        {"Number of test objects", "1"},
        {"Velocity test object 1", "13.89"},
        {"Comments", "Demo data made by kalvio demo; the values are synthetic."},
    });
    std::vector<KVSignal> signals(pulses.size());
    std::vector<const KVSignal*> pointers;
    for (size_t i = 0; i < pulses.size(); ++i) {
        BuildPulse(pulses[i], i + 1, signals[i]);
        signals[i].Header().Side.testLines = testLines;
        pointers.push_back(&signals[i]);
    }
    const fs::path folder = fs::path(dirName) / "iso-mme" / number;
    std::error_code ec;
    fs::create_directories(folder.parent_path(), ec);
    fs::remove_all(folder, ec);
    if (!IsoMmeWriteTest(pointers, folder.string(), errors))
        return false;
    written.isoTests.push_back((folder / (std::string(number) + ".mme")).string());
    return true;
}

} // namespace

bool WriteDemoAssessTests(const std::string& dirName, DemoDataSet& written, KVErrorList& errors)
{
    return WriteOne(dirName, "3301", "Offset frontal, mobile progressive deformable barrier, 50 km/h", FrontalPulses(),
                    written, errors)
           && WriteOne(dirName, "3302", "Side impact, mobile deformable barrier", SidePulses(), written, errors);
}
