#pragma once
// Writing signals as one ISO-MME test: <dir>/<test>.mme, <dir>/Channel/<test>.chn
// and one channel file per signal, CR LF line ends, names padded to 28.
#include <string>
#include <vector>

class KVErrorList;
class KVSignal;

// What a code built from a header cannot know, given by the one who writes
// the test: the test object (code character 1: 1-9 vehicle, S sled, ...) and
// the seat position (character 2). "?" leaves a character unknown.
struct IsoMmeCodeDefaults {
    char object = '?';
    char position = '?';
};

// The one code character text gives for a default (0-9 or A-Z, small letters
// taken as capitals, or ?); false when text is no such character.
bool IsoMmeCodeCharacter(const std::string& text, char& c);

// The 16-character code a signal is written with: the code it was read with
// (its side record or its attachment text) where the record still agrees,
// else built from location, dummy, type, axis and filter class, with the
// defaults where object or position are unknown, "?" where a part still is.
std::string IsoMmeCodeOf(const KVSignal& signal, const IsoMmeCodeDefaults& defaults = {});

// The text of the channel file of signal; false, with the reason in errors,
// for a signal without points or without a constant time step.
bool IsoMmeChannelText(const KVSignal& signal, std::string& text, KVErrorList& errors,
                       const IsoMmeCodeDefaults& defaults = {});

// The text of the test file from the test facts of signal.
std::string IsoMmeTestText(const KVSignal& signal);

// Writes signals as the test folder testDir, whose name is the test number.
// The test is written beside testDir and renamed into place at the end; an
// existing testDir is never replaced, and a failure leaves nothing behind.
bool IsoMmeWriteTest(const std::vector<const KVSignal*>& signals, const std::string& testDir, KVErrorList& errors,
                     const IsoMmeCodeDefaults& defaults = {});
