#include "TestChannels.h"

#include "IsoMmeTest.h"
#include "IsoMmeVocabulary.h"
#include "KVErrorList.h"

namespace Criteria {

namespace {

const char* const kScope = "Criteria::TestChannels";

// One wanted channel: main location, fine location 1 ("" any), dimension, direction.
struct Wanted {
    const char* main;
    const char* fine1;
    const char* dimension;
    char direction;
};

// The channels of each criterion; three entries for the three-input form.
std::vector<Wanted> WantedFor(CriterionId id, bool right)
{
    const char* leg = right ? "RI" : "LE";
    switch (id) {
    case CriterionId::Hic:
        return {{"HEAD", "", "AC", 'X'}, {"HEAD", "", "AC", 'Y'}, {"HEAD", "", "AC", 'Z'}};
    case CriterionId::Clip3ms:
        return {{"CHST", "", "AC", 'X'}, {"CHST", "", "AC", 'Y'}, {"CHST", "", "AC", 'Z'}};
    case CriterionId::Neck208:
        return {{"NECK", "UP", "FO", 'Z'}};
    case CriterionId::Nij:
        return {{"NECK", "UP", "FO", 'X'}, {"NECK", "UP", "MO", 'Y'}, {"NECK", "UP", "FO", 'Z'}};
    case CriterionId::Vc:
        return {{"CHST", "", "DS", 'X'}};
    case CriterionId::Tibia:
        return {{"TIBI", leg, "MO", 'X'}, {"TIBI", leg, "MO", 'Y'}, {"TIBI", leg, "FO", 'Z'}};
    case CriterionId::Bric:
        return {{"HEAD", "", "AV", 'X'}, {"HEAD", "", "AV", 'Y'}, {"HEAD", "", "AV", 'Z'}};
    case CriterionId::Olc:
        return {{"SILB", "", "AC", 'X'}}; // the vehicle's sill, at the position given (0: no seat)
    }
    return {};
}

// The code pattern of w at position: "?" where any character will do.
std::string Pattern(const Wanted& w, char position)
{
    return std::string("?") + position + w.main + (*w.fine1 ? w.fine1 : "??") + "????" + w.dimension + w.direction
           + "?";
}

// 0 for a channel at the first class of def, 1 at the second, 2 otherwise.
int Rank(const CriterionDef& def, char letter)
{
    const auto filter = IsoFilterOfLetter(letter);
    for (int k = 0; k < 2; ++k)
        if (filter && filter->filtered && def.filterClasses[k] != 0 && filter->filterClass == def.filterClasses[k])
            return k;
    return 2;
}

} // namespace

bool SelectTestChannels(const CriterionDef& def, const TestChoice& choice, std::vector<std::string>& paths,
                        std::vector<std::string>& took, KVErrorList& errors)
{
    IsoMmeTest test;
    KVErrorList openErrors;
    if (!test.Open(choice.test, openErrors)) {
        errors.AppendErrors(openErrors);
        return false;
    }
    paths.clear();
    took.clear();
    for (const Wanted& w : WantedFor(def.id, choice.rightSide)) {
        const IsoMmeChannelInfo* best = nullptr;
        const std::string pattern = Pattern(w, choice.position);
        for (const IsoMmeChannelInfo& c : test.Channels())
            if (IsoMmeCodeMatches(pattern, c.code) && (!best || Rank(def, c.code[15]) < Rank(def, best->code[15])))
                best = &c;
        if (!best) {
            errors.AddError(choice.test + ": no channel " + pattern + " in the test (position "
                                + choice.position + "); the criterion needs it",
                            kScope);
            return false;
        }
        paths.push_back(best->path);
        took.push_back("took " + best->code + " (" + best->name + ") from " + test.TestNumber());
    }
    return true;
}

} // namespace Criteria
