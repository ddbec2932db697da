#pragma once
// Writes the demo data set: every channel of DemoChannels() as an RVF-1992
// file (the three float formats and both layouts in turn), two two-column
// text files and a hitlist of the channels the injury programs take.
#include <string>
#include <vector>

class KVErrorList;

struct DemoDataSet {
    std::vector<std::string> rvfFiles;   // full paths, in channel order
    std::vector<std::string> asciiFiles; // full paths
    std::string hitlist;                 // full path
    std::vector<std::string> hitlistEntries;
    std::vector<std::string> isoTests;   // the test files (.mme) of the ISO-MME tests
};

// Float format and layout of channel i: formats rotate IEEE, SUN, VAX; every
// fourth file keeps its X array (layout "X-Y").
const char* DemoFloatFormat(std::size_t i);
bool DemoKeepsXArray(std::size_t i);

// Writes the set into dir (made when missing; files already there are
// replaced). False with the failures in errors.
bool WriteDemoDataSet(const std::string& dir, DemoDataSet& written, KVErrorList& errors);

// Writes both demo tests as ISO-MME tests DIR/iso-mme/<number>/ (replacing
// the ones an earlier run made). False with the failures in errors.
bool WriteDemoIsoTests(const std::string& dir, DemoDataSet& written, KVErrorList& errors);

// Writes two tests for the assessment, DIR/iso-mme/3301/ (an offset frontal
// test: THOR driver, Hybrid III 5th female passenger, the car's sill) and
// DIR/iso-mme/3302/ (a side test: WorldSID driver). False with the failures.
bool WriteDemoAssessTests(const std::string& dir, DemoDataSet& written, KVErrorList& errors);
