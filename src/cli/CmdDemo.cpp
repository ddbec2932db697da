// kalvio demo: writes the demo data set.
#include "CliSupport.h"
#include "DemoData.h"
#include "KVErrorList.h"
#include "KalvioCommand.h"

#include <cstdio>

namespace {

int RunDemo(const std::vector<std::string>& args)
{
    if (args.size() != 1)
        return UsageError("demo", args.empty() ? "no directory given" : "give exactly one directory");
    if (args[0].size() > 1 && args[0][0] == '-')
        return UsageError("demo", "unknown option " + args[0]);
    DemoDataSet written;
    KVErrorList errors;
    if (!WriteDemoDataSet(args[0], written, errors)) {
        PrintErrors(errors);
        return KALVIO_FAILED;
    }
    std::printf("Wrote %zu RVF-1992 files, %zu text files and the hitlist %s\n", written.rvfFiles.size(),
                written.asciiFiles.size(), written.hitlist.c_str());
    for (const std::string& test : written.isoTests)
        std::printf("Wrote the ISO-MME test %s\n", test.c_str());
    return KALVIO_OK;
}

} // namespace

const KalvioCommand kDemoCommand = {
    "demo", "write a demo data set",
    "Usage: kalvio demo DIR\n"
    "Writes a demo data set into DIR (made when missing; files of the set that\n"
    "are already there are replaced). The set is the same on every run:\n"
    "  veh4127_*.rvf  a 56 km/h full-width frontal vehicle test (VEHICLE DB):\n"
    "                 sill, tunnel, engine, panel and door accelerations in X, Y\n"
    "                 and Z, steering column displacement and force, barrier force;\n"
    "  occ2231_*.rvf  a 47 km/h sled test with a mid-size male dummy\n"
    "                 (BIOMECHANICS DB): head, chest and pelvis accelerations in\n"
    "                 X, Y and Z, head angular velocity, chest deflection, upper\n"
    "                 neck forces and moments, femur forces, upper tibia Mx, My, Fz,\n"
    "                 belt forces and the sled pulse;\n"
    "  veh4127_bpillar_x.rvf, occ2231_spine_x.rvf  two channels with faults left\n"
    "                 in on purpose, for 'kalvio check' to find: a B-pillar\n"
    "                 amplifier set to +-25 g (clipped) and a lower spine channel\n"
    "                 that dropped two samples;\n"
    "  *.txt          two two-column text exports (time in milliseconds): the\n"
    "                 sled pulse and the vehicle's tunnel velocity;\n"
    "  occ2231_injury.hit  a hitlist of the channels the injury programs take\n"
    "                 (head X, Y, Z; neck Fx, My, Fz; chest deflection; tibia Mx,\n"
    "                 My, Fz), their Axis fields X, Y and Z;\n"
    "  iso-mme/4127/, iso-mme/2231/  both tests again as ISO-MME tests\n"
    "                 (4127.mme, Channel/4127.chn, Channel/4127.001 ...), the\n"
    "                 dummy on the driver's seat (channel codes 11HEAD0000H3ACXA ...);\n"
    "  iso-mme/3301/, iso-mme/3302/  two ISO-MME tests for kalvio assess: an\n"
    "                 offset frontal test against a mobile barrier (THOR driver,\n"
    "                 Hybrid III 5th female front passenger, the car's rear sill)\n"
    "                 and a side barrier test (WorldSID driver, struck side left).\n"
    "Every channel is sampled at 10 kHz from -0.05 s to 0.25 s (time in SECONDS,\n"
    "Nfp -500, Nlp 2500) with a pre-event bias and sensor noise. The files come\n"
    "in the IEEE, SUN and VAX float formats in turn; every fourth one keeps its\n"
    "X array (layout X-Y), the others store Y only.\n",
    RunDemo, false};
