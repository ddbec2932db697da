#pragma once
// An ISO-MME test opened as the list of its channels: from its test file
// (.mme), its folder, or a .zip archive holding one test.
#include "KVErrorList.h"
#include "KVFileIsoMme.h"

#include <string>
#include <string_view>
#include <vector>

class KVSignal;

struct IsoMmeChannelInfo {
    int number = 0;   // NNN of the list entry and of the file name
    std::string code; // the 16-character code of the channel list
    std::string name; // "Name of the channel" of the file (or the list's text)
    std::string path; // the channel file (ARCHIVE.zip/ENTRY inside an archive)
};

class IsoMmeTest {
public:
    // Opens the test at path. False, with a one-line message naming the file,
    // when there is no single test file; missing channel files and repeated
    // codes are warnings in errors while the rest opens.
    bool Open(const std::string& path, KVErrorList& errors);

    const std::string& TestNumber() const { return m_facts.testNumber; }
    const std::string& TestFile() const { return m_mmePath; }
    const IsoMmeTestFacts& Facts() const { return m_facts; }
    // The channels whose files exist, in the order of the channel list.
    const std::vector<IsoMmeChannelInfo>& Channels() const { return m_channels; }

    // Reads channel i; a file whose code differs from the list's is trusted,
    // with a warning.
    bool LoadChannel(size_t i, KVSignal& signal, KVErrorList& errors) const;

private:
    bool FindTestFile(const std::string& path, KVErrorList& errors);
    void ListChannels(KVErrorList& errors);

    std::string m_mmePath;
    std::string m_channelFolder;
    IsoMmeTestFacts m_facts;
    std::vector<IsoMmeChannelInfo> m_channels;
};

// Whether path names a test rather than a signal file: a .mme file, a .zip
// archive, or a folder that holds a .mme file.
bool IsoMmeIsTestPath(const std::string& path);
// Whether path names a test by its name alone (.mme or .zip, case-blind).
bool IsoMmeIsTestName(const std::string& path);

// Whether code matches pattern, case-blind: "?" stands for one character
// (a "?" of the code included), "*" for any run of them.
bool IsoMmeCodeMatches(std::string_view pattern, std::string_view code);

// The channels of the test at path (empty, with the reason in errors, when
// it cannot be opened).
std::vector<IsoMmeChannelInfo> IsoMmeListChannels(const std::string& path, KVErrorList& errors);
