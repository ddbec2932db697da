#pragma once
#include "IsoMmeText.h"
#include "KVFile.h"
#include "KVSideRecord.h"

#include <memory>
#include <string>
#include <string_view>

// The test a channel belongs to: its number (the file stem) and the lines of
// its test file; both empty for a channel file met on its own.
struct IsoMmeTestFacts {
    std::string testNumber;
    IsoMmeHeader mme;
    KVSideRecord::SharedLines lines; // mme's lines, shared by every channel read
};

// Facts of a test from the text of its test file.
IsoMmeTestFacts IsoMmeFactsOf(std::string testNumber, std::string_view mmeText);

// An ISO-MME channel file (Channel/<test>.NNN): header lines, then one sample
// per line. Read only; tests are written by IsoMmeWriteTest.
class KVFileIsoMme : public KVFile {
public:
    explicit KVFileIsoMme(std::string fileName);

    const char* TypeName() const override { return "ISO-MME Channel"; }
    std::string FileName() const override { return m_fileName; }
    // Sample lines of the file; 0 when it cannot be read.
    size_t PointCount() override;
    // Reads the channel into signal (reset first), with the facts of the test
    // file beside its Channel folder when there is one. Warnings (NOVALUE
    // samples, a wrong sample count, an unknown unit) are recorded while the
    // load succeeds.
    bool Load(KVSignal& signal) override;

private:
    std::string m_fileName;
};

// Whether bytes look like an ISO-MME channel file: "Name :value" header lines
// naming a channel code, a sampling interval or a number of samples.
bool KVLooksLikeIsoMmeChannel(std::string_view bytes);

// Reads the bytes of one channel file into signal. name is the file's name in
// messages ("name:line: ..."); channelNumber is the NNN of its file name
// (0 when unknown). Failures and warnings go to errors; false on failure.
bool KVLoadIsoMmeChannel(std::string_view bytes, const std::string& name, int channelNumber,
                         const IsoMmeTestFacts& facts, KVSignal& signal, KVErrorList& errors);

// The test facts of the test whose Channel folder holds channelPath: the
// stem, and the test file's lines when a test file is found next to the folder.
// Read once for the channels of one test met one by one, and shared.
std::shared_ptr<const IsoMmeTestFacts> IsoMmeFactsBeside(const std::string& channelPath);

// The channel number of a file name ending in .NNN, or 0.
int IsoChannelNumberOf(const std::string& fileName);
