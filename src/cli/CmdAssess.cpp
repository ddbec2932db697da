// kalvio assess: every criterion of every occupant of a test, scored or
// judged under a protocol.
#include "AssessReport.h"
#include "AssessRequest.h"
#include "Assessment.h"
#include "CliSupport.h"
#include "KVErrorList.h"
#include "KalvioCommand.h"
#include "ProtocolFiles.h"

#include <cstdio>

namespace {

int RunAssess(const std::vector<std::string>& args)
{
    Assess::AssessRequest request;
    std::vector<std::string> tests; // the files of the one test
    bool json = false, list = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string problem;
        const Assess::ArgRead read = Assess::ReadRequestArg(args, i, request, problem, false);
        if (read == Assess::ArgRead::Bad)
            return UsageError("assess", problem);
        if (read == Assess::ArgRead::Taken)
            continue;
        if (a == "--json")
            json = true;
        else if (a == "--list-protocols")
            list = true;
        else if (a.size() > 1 && a[0] == '-')
            return UsageError("assess", "unknown option " + a);
        else
            tests.push_back(a);
    }
    if (std::string error; !request.protocolDir.empty() && !Assess::CheckProtocolDir(request.protocolDir, error))
        return UsageError("assess", error);
    std::vector<std::string> problems;
    const std::vector<Assess::Protocol> protocols
        = Assess::LoadProtocols(Assess::ProtocolDirs(request.protocolDir), problems);
    for (const std::string& p : problems)
        if (request.protocol.empty() || !Assess::ProblemIsAbout(p, request.protocol)) // that one is the usage error below
            std::fprintf(stderr, "kalvio assess: %s\n", p.c_str());
    if (list && tests.empty()) {
        std::fputs(Assess::ProtocolListText(protocols).c_str(), stdout);
        return KALVIO_OK;
    }
    if (tests.empty())
        return UsageError("assess", "give a test (.mme, its folder or a .zip) or the signal files of one");
    const Assess::Protocol* protocol = nullptr;
    Assess::AssessOptions options;
    if (!request.protocol.empty()) {
        for (const Assess::Protocol& p : protocols)
            if (p.id == request.protocol)
                protocol = &p;
        if (!protocol) {
            for (const std::string& p : problems)
                if (Assess::ProblemIsAbout(p, request.protocol))
                    return UsageError("assess", "protocol " + request.protocol + " cannot be used: " + p);
            std::string ids;
            for (const Assess::Protocol& p : protocols)
                ids += (ids.empty() ? "" : ", ") + p.id;
            return UsageError("assess", "no protocol " + request.protocol + " (there are: " + ids + ")");
        }
        if (std::string error; !Assess::RequestOptions(request, *protocol, options, error))
            return UsageError("assess", error);
    }

    Assess::TestSource test;
    KVErrorList errors;
    const bool opened = test.Open(tests, errors);
    PrintErrors(errors);
    if (!opened)
        return KALVIO_FAILED;
    if (!protocol) {
        // Without a protocol: the ones that fit the test's dummies.
        std::vector<Assess::Protocol> fitting;
        for (const Assess::Protocol& p : protocols)
            if (list || Assess::ProtocolFitsTest(p, test))
                fitting.push_back(p);
        if (fitting.empty())
            std::printf("no protocol fits the dummies of test %s; choose one with --protocol (--list-protocols lists "
                        "them)\n",
                        test.Name().c_str());
        else
            std::printf("protocols for test %s (choose one with --protocol ID):\n%s", test.Name().c_str(),
                        Assess::ProtocolListText(fitting).c_str());
        return KALVIO_OK;
    }
    Assess::Assessment assessment;
    std::string error;
    if (!Assess::AssessTest(test, *protocol, options, assessment, error))
        return UsageError("assess", error);
    const std::string text = json ? Assess::AssessmentJson(assessment) + "\n" : Assess::AssessmentText(assessment);
    std::fputs(text.c_str(), stdout);
    return KALVIO_OK;
}

} // namespace

const KalvioCommand kAssessCommand = {
    "assess", "assess a test under a protocol: every criterion of every occupant, scored or judged",
    "Usage: kalvio assess TEST [--protocol ID] [--position P]... [--dummy KEY]\n"
    "                    [--inputs FILE.json] [--json] [--list-protocols]\n"
    "                    [--protocol-dir DIR]\n"
    "Assesses the occupants of TEST under protocol ID: every criterion from the\n"
    "channels its code patterns pick at the occupant's position (code character\n"
    "2: 1 driver, 3 front passenger), at the protocol's filter class. A raw channel\n"
    "(filter letter 0 or P, or no class recorded) or one recorded at a finer class\n"
    "is filtered to it, and the report says so; one at a coarser class is used with\n"
    "a warning. TEST is an ISO-MME test (.mme, its folder or a .zip) or signal files\n"
    "whose headers carry the channel codes.\n"
    "Pass/fail protocols judge each criterion by its limit (an exceedance curve by\n"
    "the total time at or above each level); an occupant passes when every one\n"
    "passes. Sliding-scale protocols give each criterion points from full at the\n"
    "higher performance limit (HPL) to none at the lower one (LPL), linear between,\n"
    "with the colour band (good, adequate, marginal, weak, poor: the range in\n"
    "thirds) and the points by band from 2026 beside them; a region takes its worst\n"
    "criterion less its modifiers, and a capping limit reached sets the total to 0.\n"
    "A criterion whose channel is missing, fails the channel check or does not\n"
    "cover the protocol's window is n/a with the reason (doubtful for a check\n"
    "warning), gets no score or verdict, and the occupant is incomplete.\n"
    "  --protocol ID      the protocol; without it the protocols that fit the\n"
    "                     test's dummies are listed\n"
    "  --position P       assess only position P (repeatable)\n"
    "  --dummy KEY        the dummy, when the channel codes do not name it\n"
    "  --inputs FILE      observations that are no curves, as one JSON object\n"
    "                     {\"name\": value}; an unknown name or a value of the wrong\n"
    "                     kind is an error. The report lists every input with its\n"
    "                     source (default or file).\n"
    "  --json             one JSON object: protocol, test, inputs, occupants with\n"
    "                     regions and criteria (kN, Nm, mm, g; times in s)\n"
    "  --list-protocols   list the protocols found (with TEST: every protocol)\n"
    "  --protocol-dir DIR a folder of protocol files of one's own, read before\n"
    "                     the shipped ones (default: $ONDREL_PROTOCOL_DIR)\n"
    "\n"
    "Exit status: 0 when the assessment was made (whatever it found), 1 when the\n"
    "test could not be read, 2 for bad usage (also a bad protocol or inputs file).\n",
    RunAssess, false}; // the protocol picks the channels: no --code
