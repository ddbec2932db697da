// The --help text of each criterion program: forms, inputs with their units,
// what is computed with its limits, and the options.
#include "CriterionProgram.h"

#include <cstdio>
#include <utility>
#include <vector>

namespace Criteria {

namespace {

std::string What(const CriterionDef& def)
{
    switch (def.id) {
    case CriterionId::Hic:
        return "Head injury criterion HIC15 and HIC36 of a head acceleration (the\n"
               "resultant of three axes, or one channel by its magnitude), exact over\n"
               "all sample pairs; limits 700 and 1000.\n";
    case CriterionId::Neck208:
        return "Peak upper neck tension and compression of the axial force Fz against\n"
               "the limits of the dummy.\n";
    case CriterionId::Nij:
        return "Nij from the upper neck Fx, My and Fz, the moment corrected to the\n"
               "occipital condyle (My - 0.01778 m * Fx): the maximum of each load case\n"
               "(NTF, NTE, NCF, NCE) and overall; limit 1.0.\n";
    case CriterionId::Clip3ms:
        return "3 ms clip of an acceleration (the resultant of three axes, or one\n"
               "channel by its magnitude), both ways: continuous, the largest level it\n"
               "stays at or above for 3 ms without a break, and cumulative, the largest\n"
               "level it is at or above for 3 ms in total, intervals added up. Limit\n"
               "60 g, judged on the continuous clip unless --cumulative is given.\n";
    case CriterionId::Vc:
        return "Viscous criterion V*C of a chest deflection: the largest\n"
               "SF * V * D / D0 with the five-point deflection rate V; limit 1.0 m/s.\n";
    case CriterionId::Tibia:
        return "Tibia index |sqrt(Mx^2 + My^2) / Mc| + |Fz / Fc| of a tibia load cell;\n"
               "limit 1.3.\n";
    case CriterionId::Olc:
        return "Occupant load criterion OLC from the vehicle's longitudinal acceleration\n"
               "(a deceleration stored as positive is recognised): a virtual occupant\n"
               "moves freely for 65 mm relative to the vehicle, then decelerates\n"
               "uniformly over a further 235 mm to the vehicle's velocity; OLC is that\n"
               "deceleration in g. The initial velocity comes from --v0, else from the\n"
               "header (km/h, mph in a file of English units); without either the\n"
               "program refuses. No limit is judged.\n";
    case CriterionId::Bric:
        return "Brain injury criterion BrIC from the head angular velocities about X, Y\n"
               "and Z: sqrt of the sum of (peak |w| / critical w)^2 over the axes, with\n"
               "the critical values of the dummy (50th male: 66.25, 56.45, 42.87 rad/s).\n"
               "No limit is judged.\n";
    }
    return {};
}

std::string Inputs(const CriterionDef& def)
{
    std::string text = "Inputs (RVF-1992, ISO-MME channels or two-column text):\n";
    std::vector<std::pair<std::string, Quantity>> inputs;
    if (def.takesOne)
        inputs.push_back({"FILE", def.single});
    if (def.takesThree)
        for (size_t i = 0; i < 3; ++i)
            inputs.push_back({std::string("FILE_") + def.labels[i], def.three[i]});
    // Inputs of one quantity in a row share a line.
    for (size_t i = 0; i < inputs.size();) {
        std::string names = inputs[i].first;
        const Quantity q = inputs[i].second;
        for (++i; i < inputs.size() && inputs[i].second == q; ++i)
            names += ", " + inputs[i].first;
        text += "  " + names + ": " + QuantityName(q) + ", converted to " + UnitName(q) + " from "
                + AcceptedUnits(q) + "\n";
    }
    text += "  Time in SECONDS, MILLISECONDS or MICROSECONDS; the step is the header's\n"
            "  Del when it has one. Three files are combined over the time span they\n"
            "  share, with a warning when it is shorter than a file's own";
    if (def.minSpan > 0)
        text += "; refused\n  below " + std::to_string(static_cast<int>(def.minSpan * 1000 + 0.5)) + " ms";
    text += ".\n  Filter class " + std::string("CFC ") + std::to_string(def.filterClasses[0])
            + (def.filterClasses[1] ? " or CFC " + std::to_string(def.filterClasses[1]) : "")
            + " is expected and checked, never applied.\n";
    return text;
}

std::string Number(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

// The constants of d that def uses, "" when it uses none, "no constants" when d lacks them.
std::string Constants(const CriterionDef& def, const DummyInfo& d)
{
    switch (def.id) {
    case CriterionId::Neck208:
        return d.neck ? "tension " + Number(d.neck->tension) + " N, compression " + Number(d.neck->compression) + " N"
                      : "no constants";
    case CriterionId::Nij:
        return d.nij ? "Fzc " + Number(d.nij->tension) + " N tension, " + Number(d.nij->compression)
                           + " N compression; Myc " + Number(d.nij->flexion) + " N m flexion, "
                           + Number(d.nij->extension) + " N m extension"
                     : "no constants";
    case CriterionId::Vc:
        return d.vc ? "SF " + Number(d.vc->scale) + ", D0 " + Number(d.vc->depth) + " mm" : "no constants";
    case CriterionId::Tibia:
        return d.tibia ? "Mc " + Number(d.tibia->moment) + " N m, Fc " + Number(d.tibia->force) + " N"
                       : "no constants";
    case CriterionId::Bric:
        return d.bric ? Number(d.bric->x) + ", " + Number(d.bric->y) + ", " + Number(d.bric->z) + " rad/s"
                      : "no constants";
    case CriterionId::Hic:
    case CriterionId::Clip3ms:
    case CriterionId::Olc:
        break;
    }
    return {};
}

} // namespace

std::string ProgramHelp(const CriterionDef& def)
{
    std::string forms;
    if (def.takesOne)
        forms += std::string("  ") + def.program + " [OPTIONS] FILE\n";
    if (def.takesThree)
        forms += std::string("  ") + def.program + " [OPTIONS] FILE_" + def.labels[0] + " FILE_" + def.labels[1]
                 + " FILE_" + def.labels[2] + "\n";
    std::string own;
    if (def.id == CriterionId::Clip3ms)
        own = "  --cumulative    judge the limit on the cumulative 3 ms clip\n";
    if (def.id == CriterionId::Olc)
        own = "  --v0 M/S        the vehicle's initial velocity in m/s (else the header's)\n";
    std::string dummies;
    for (const DummyInfo& d : Dummies())
    {
        const std::string constants = Constants(def, d);
        dummies += std::string("  ") + d.key + std::string(12 - std::string(d.key).size(), ' ') + d.name
                   + (constants.empty() ? "" : ": " + constants) + "\n";
    }
    return "Usage:\n" + forms + "\n" + What(def) + "\n" + Inputs(def)
           + "\nWithout --text or --json the result is shown in a window.\n\n"
             "Options:\n"
             "  --text          print the result as text lines, open no window\n"
             "  --json          print the result as one JSON object in full precision\n"
           + own
           + "  --dummy KEY     the dummy whose constants apply (default h3-50m)\n"
             "  --list-dummies  list the dummies\n"
             "  --time-unit s|ms  time column of text files that state none in a header\n"
             "                  line (\"Time (ms)\", \"t/s\") in seconds or milliseconds\n"
             "                  (default ms); a step below 1 us or above 10 ms is warned of\n"
             "  --position P    with an ISO-MME test (TEST.mme, its folder or a .zip)\n"
             "                  instead of files: the dummy's seat in the channel codes\n"
             "                  (default 1, the driver); the channels are picked by code\n"
             "                  at the criterion's filter class and named in the result\n"
             "  --right         with a test: the right tibia instead of the left\n"
             "  --units L-T-M-F with a simulation (a binout or an ASCII file such as\n"
             "                  nodout) instead of files: the model's units (mm-ms-kg-kN,\n"
             "                  mm-s-t-N, m-s-kg-N, ...); needed, as the criteria take\n"
             "                  seconds\n"
             "  --channel PATTERN  the simulation's channel (FILE/ID/VARIABLE, ? one\n"
             "                  character, * any run; repeatable): one, or three that\n"
             "                  are taken in X, Y, Z order\n"
             "  -h, --help      this text\n\nDummies:\n"
           + dummies + "\nExit status: 0 evaluated, 1 an input could not be used, 2 bad usage.\n";
}

} // namespace Criteria
