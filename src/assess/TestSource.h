#pragma once
#include "AssessResult.h"

#include <memory>
#include <string>
#include <vector>

class KVErrorList;
class KVSignal;

namespace Assess {

// The channels of a test: an ISO-MME test (.mme, folder or .zip) or a set of
// signal files whose headers carry their channel codes.
class TestSource {
public:
    struct Entry {
        std::string code; // 16 characters
        std::string name;
        std::string path;
        size_t index = 0; // the test's own channel number (ISO-MME) or file number
        std::string doubt; // why what is read for this code may not be the channel meant, or ""
    };

    // Opens paths: one ISO-MME test, or signal files. False with the reason
    // in errors when nothing can be read; warnings go to errors too.
    bool Open(const std::vector<std::string>& paths, KVErrorList& errors);
    const std::string& Name() const { return m_name; }
    const std::vector<Entry>& Channels() const { return m_entries; }
    // What makes channels of the test ambiguous: a code that two channels
    // carry, an archive entry that is there twice; one line each.
    const std::vector<std::string>& Warnings() const { return m_warnings; }
    // Reads the channel of entry e; false with the reason in errors.
    bool Load(const Entry& e, KVSignal& signal, KVErrorList& errors) const;
    // The dummy type codes (code characters 11-12) at position (character 2),
    // "00" left out.
    std::vector<std::string> DummyCodesAt(char position) const;
    // The positions that carry dummy channels.
    std::vector<char> DummyPositions() const;

private:
    struct Impl;
    std::shared_ptr<Impl> m_impl;
    std::string m_name;
    std::vector<Entry> m_entries;
    std::vector<std::string> m_warnings;

    // Fills the doubts of the entries and the warnings.
    void FindAmbiguities();
};

// The listed paths split into tests, in the order each test first appears: an
// ISO-MME test (.mme, folder or .zip) stands alone, signal files go with the
// other files of their test (named as TestSource names it). False with the
// reason in errors when a file's header cannot be read.
bool SplitByTest(const std::vector<std::string>& paths, std::vector<std::vector<std::string>>& tests,
                 KVErrorList& errors);

// The channel of use read from test as the criterion used it: filtered to the
// class the assessment filtered it to. False with the reason in errors.
bool LoadChannelAsUsed(const TestSource& test, const ChannelUse& use, KVSignal& signal, KVErrorList& errors);

} // namespace Assess
