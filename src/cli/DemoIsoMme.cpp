// The demo set as ISO-MME tests: one per demo test, channel codes as a lab
// would give them (driver seat, mid-size male dummy).
#include "DemoData.h"

#include "DemoChannels.h"
#include "IsoMmeWriter.h"
#include "KVErrorList.h"
#include "KVFileRvf.h"
#include "KVSignal.h"

#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace {

// Channel codes of the demo channels; a channel without one gets the code
// the writer builds from its header ("?" where a position is unknown).
const std::map<std::string, std::string>& DemoCodes()
{
    static const std::map<std::string, std::string> codes = {
        {"lsill_x", "10SILBLE0000ACXP"},   {"lsill_y", "10SILBLE0000ACYP"},   {"lsill_z", "10SILBLE0000ACZP"},
        {"rsill_x", "10SILBRI0000ACXP"},   {"rsill_y", "10SILBRI0000ACYP"},   {"rsill_z", "10SILBRI0000ACZP"},
        {"engine_x", "10ENGNTP0000ACXP"},  {"engine_z", "10ENGNTP0000ACZP"},  {"tunnel_x", "10TUNN000000ACXD"},
        {"tunnel_y", "10TUNN000000ACYD"},  {"tunnel_z", "10TUNN000000ACZD"},  {"door_y", "11DOOR000000ACYP"},
        {"steer_x", "10STCOUP0000DSXP"},   {"barrier_fx", "B0FBAR000000FOXD"}, {"steer_fz", "10STCO000000FOZB"},
        {"head_x", "11HEAD0000H3ACXA"},    {"head_y", "11HEAD0000H3ACYA"},    {"head_z", "11HEAD0000H3ACZA"},
        {"head_avy", "11HEAD0000H3AVYC"},  {"chest_x", "11CHST0000H3ACXC"},   {"chest_y", "11CHST0000H3ACYC"},
        {"chest_z", "11CHST0000H3ACZC"},   {"chest_dx", "11CHST0000H3DSXC"},  {"pelvis_x", "11PELV0000H3ACXA"},
        {"pelvis_y", "11PELV0000H3ACYA"},  {"pelvis_z", "11PELV0000H3ACZA"},  {"neck_fx", "11NECKUP00H3FOXB"},
        {"neck_fy", "11NECKUP00H3FOYB"},   {"neck_fz", "11NECKUP00H3FOZB"},   {"neck_mx", "11NECKUP00H3MOXB"},
        {"neck_my", "11NECKUP00H3MOYB"},   {"neck_mz", "11NECKUP00H3MOZB"},   {"lfemur_fz", "11FEMRLE00H3FOZB"},
        {"rfemur_fz", "11FEMRRI00H3FOZB"}, {"ltibia_mx", "11TIBILEUPH3MOXB"}, {"ltibia_my", "11TIBILEUPH3MOYB"},
        {"ltibia_fz", "11TIBILEUPH3FOZB"}, {"sbelt_f", "11SEBE0000B3FO0D"},  {"lbelt_f", "11SEBE0000B6FO0D"},
        {"sled_x", "S0SLED000000ACXD"},
    };
    return codes;
}

// Test facts the record has no field for.
KVSideRecord::Lines DemoTestLines(int test)
{
    KVSideRecord::Lines lines = {
        {"Data format edition number", "1.6"},
        {"Laboratory contact name", "Demo Data Desk"},
        {"Medium no./number of media", "1/1"},
        {"Type of the test", test == 0 ? "Full width frontal" : "Sled"},
        {"Date of the test", test == 0 ? "2025-11-04" : "2025-11-18"},
        {"Number of test objects", "1"},
        {"Mass test object 1", test == 0 ? "1420" : "NOVALUE"},
        {"Comments", "Demo data made by kalvio demo; the values are synthetic."},
    };
    return lines;
}

} // namespace

bool WriteDemoIsoTests(const std::string& dirName, DemoDataSet& written, KVErrorList& errors)
{
    const auto& channels = DemoChannels();
    for (std::size_t t = 0; t < DemoTests().size(); ++t) {
        std::vector<KVSignal> signals;
        for (std::size_t i = 0; i < channels.size(); ++i) {
            if (static_cast<std::size_t>(channels[i].test) != t)
                continue;
            KVSignal s;
            BuildDemoSignal(i, s);
            // As an RVF-1992 reader would see it: the class from the corner.
            s.SetFilterClass(KVFilterClassFromFrequency(s.CutOffFrequency(), s.PreFilterFrequency()));
            s.SetTestSource("Zelnor Demo Laboratory");
            s.Header().Side.testLines = DemoTestLines(static_cast<int>(t));
            const auto code = DemoCodes().find(channels[i].name);
            if (code != DemoCodes().end())
                s.Header().Side.channelLines = {{"Channel code", code->second}, {"Data source", "transducer"}};
            signals.push_back(std::move(s));
        }
        std::vector<const KVSignal*> pointers;
        for (const KVSignal& s : signals)
            pointers.push_back(&s);
        const fs::path folder = fs::path(dirName) / "iso-mme" / DemoTests()[t].number;
        std::error_code ec;
        fs::create_directories(folder.parent_path(), ec);
        // The demo set is made anew on each run: its own earlier test goes first.
        fs::remove_all(folder, ec);
        if (!IsoMmeWriteTest(pointers, folder.string(), errors))
            return false;
        written.isoTests.push_back((folder / (std::string(DemoTests()[t].number) + ".mme")).string());
    }
    return true;
}
