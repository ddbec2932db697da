#include "CriterionProgram.h"

#include "KVErrorList.h"

#include <ostream>

namespace Criteria {

std::string ParseProgramArgs(const CriterionDef& def, const std::vector<std::string>& args, ProgramArgs& out)
{
    out = ProgramArgs{};
    out.dummy = &Dummies().front();
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-h" || a == "--help") {
            out.help = true;
        } else if (a == "--text") {
            out.text = true;
        } else if (a == "--list-dummies") {
            out.listDummies = true;
        } else if (a == "--dummy" || a.rfind("--dummy=", 0) == 0) {
            std::string key;
            if (a == "--dummy") {
                if (i + 1 >= args.size())
                    return "--dummy needs a dummy name";
                key = args[++i];
            } else {
                key = a.substr(8);
            }
            out.dummy = FindDummy(key);
            if (!out.dummy)
                return "unknown dummy '" + key + "' (see --list-dummies)";
        } else if (a.size() > 1 && a[0] == '-') {
            return "unknown option " + a;
        } else {
            out.paths.push_back(a);
        }
    }
    if (out.help || out.listDummies)
        return {};
    const size_t n = out.paths.size();
    if (n == 1 && def.takesOne)
        return {};
    if (n == 3 && def.takesThree)
        return {};
    if (def.takesOne && def.takesThree)
        return "give one file or three files in X, Y, Z order";
    return def.takesOne ? "give exactly one file" : "give three files in X, Y, Z order";
}

std::string ProgramHelp(const CriterionDef& def)
{
    std::string forms;
    if (def.takesOne)
        forms += std::string("  ") + def.program + " [OPTIONS] FILE\n";
    if (def.takesThree)
        forms += std::string("  ") + def.program + " [OPTIONS] FILE_" + def.labels[0] + " FILE_" + def.labels[1]
                 + " FILE_" + def.labels[2] + "\n";
    std::string what;
    switch (def.id) {
    case CriterionId::Hic:
        what = "Head injury criterion HIC15 and HIC36 of a head acceleration (the\n"
               "resultant of three axes, or one channel by its magnitude), exact over\n"
               "all sample pairs; limits 700 and 1000.\n";
        break;
    case CriterionId::Neck208:
        what = "Peak upper neck tension and compression of the axial force Fz against\n"
               "the limits of the dummy.\n";
        break;
    case CriterionId::Nij:
        what = "Nij from the upper neck Fx, My and Fz, the moment corrected to the\n"
               "occipital condyle (My - 0.01778 m * Fx): the maximum of each load case\n"
               "(NTF, NTE, NCF, NCE) and overall; limit 1.0.\n";
        break;
    case CriterionId::Clip3ms:
        what = "3 ms clip: the largest level an acceleration (the resultant of three\n"
               "axes, or one channel by its magnitude) stays at or above for a\n"
               "continuous 3 ms; limit 60 g.\n";
        break;
    case CriterionId::Vc:
        what = "Viscous criterion V*C of a chest deflection: the largest\n"
               "SF * V * D / D0 with the five-point deflection rate V; limit 1.0 m/s.\n";
        break;
    case CriterionId::Tibia:
        what = "Tibia index |sqrt(Mx^2 + My^2) / Mc| + |Fz / Fc| of a tibia load cell;\n"
               "limit 1.3.\n";
        break;
    }
    std::string dummies;
    for (const DummyInfo& d : Dummies())
        dummies += std::string("  ") + d.key + std::string(12 - std::string(d.key).size(), ' ') + d.name + "\n";
    return "Usage:\n" + forms + "\n" + what
           + "Files are RVF-1992 or two-column text; units are converted from the\n"
             "header's units, the filter class is checked and reported but never\n"
             "applied. Without --text the result is shown in a window.\n\n"
             "Options:\n"
             "  --text          print the result as text lines, open no window\n"
             "  --dummy KEY     the dummy whose constants apply (default h3-50m)\n"
             "  --list-dummies  list the dummies\n"
             "  -h, --help      this text\n\nDummies:\n"
           + dummies + "\nExit status: 0 evaluated, 1 an input could not be used, 2 bad usage.\n";
}

bool LoadInputs(const CriterionDef& def, const std::vector<std::string>& paths, std::vector<Channel>& inputs,
                KVErrorList& errors)
{
    inputs.assign(paths.size(), Channel{});
    for (size_t i = 0; i < paths.size(); ++i) {
        const Quantity q = paths.size() == 3 ? def.three[i] : def.single;
        if (!LoadChannel(paths[i], q, inputs[i], errors))
            return false;
    }
    return AlignChannels(inputs, errors);
}

bool LoadAndEvaluate(const CriterionDef& def, const ProgramArgs& args, std::vector<Channel>& inputs,
                     Outcome& outcome, KVErrorList& errors)
{
    return LoadInputs(def, args.paths, inputs, errors) && Evaluate(def, inputs, *args.dummy, outcome, errors);
}

void PrintProgramErrors(const CriterionDef& def, const KVErrorList& errors, std::ostream& err)
{
    for (int i = 0; i < errors.ErrorCount(); ++i)
        err << def.program << ": " << errors.ErrorScope(i) << " - " << errors.ErrorMessage(i) << "\n";
}

int RunTextProgram(const CriterionDef& def, const std::vector<std::string>& args, std::ostream& out,
                   std::ostream& err)
{
    ProgramArgs parsed;
    const std::string problem = ParseProgramArgs(def, args, parsed);
    if (!problem.empty()) {
        err << def.program << ": " << problem << "\nTry '" << def.program << " --help'.\n";
        return PROGRAM_USAGE;
    }
    if (parsed.help) {
        out << ProgramHelp(def);
        return PROGRAM_OK;
    }
    if (parsed.listDummies) {
        for (const DummyInfo& d : Dummies())
            out << d.key << "\t" << d.name << "\n";
        return PROGRAM_OK;
    }
    std::vector<Channel> inputs;
    Outcome outcome;
    KVErrorList errors;
    if (!LoadAndEvaluate(def, parsed, inputs, outcome, errors)) {
        PrintProgramErrors(def, errors, err);
        return PROGRAM_FAILED;
    }
    out << FormatOutcome(outcome);
    return PROGRAM_OK;
}

} // namespace Criteria
