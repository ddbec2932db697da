#pragma once
// The binary time-history container of a crash solver (binout): an 8-byte
// header, then records; a symbol table in parts chained through the file
// names every value array with its type, count and the offset of its data.
// The table is read once when the run opens; a value is then fetched from
// its offset alone, never by scanning the data.
#include "KVErrorList.h"
#include "KVFileBytes.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// The type ids of the container's value arrays.
enum BinoutType : uint8_t {
    kBinoutI1 = 1, kBinoutI2, kBinoutI4, kBinoutI8,
    kBinoutU1, kBinoutU2, kBinoutU4, kBinoutU8,
    kBinoutR4, kBinoutR8,
};
// Bytes of one value of type t (1..10), 0 for an unknown type.
size_t BinoutTypeSize(unsigned t);

// Where the values of one array are: file of the run, DATA record's offset.
struct BinoutVar {
    uint64_t offset = 0; // of the DATA record; 0: the state lacks the variable
    uint64_t count = 0;  // values, not bytes
    uint32_t file = 0;   // index into BinoutRun::Files()
    uint8_t type = 0;
    uint8_t nameLength = 0;
    bool Present() const { return offset != 0; }
};

// One output folder of states: "nodout", "rwforc/forces".
struct BinoutBranch {
    std::string path;
    std::map<std::string, BinoutVar> metadata;
    std::vector<std::string> variables; // as first seen in the states
    struct State {
        uint32_t number = 0; // of its d000001 folder
        BinoutVar time;
        std::vector<BinoutVar> values; // by variable index; may be shorter
    };
    std::vector<State> states; // by number
};

// Whether bytes (at least 8) begin as a binout does.
bool BinoutHeaderFits(const uint8_t* bytes, size_t size);
// Whether the file at path begins with a binout header.
bool BinoutIsFile(const std::string& path);
// The files of the run that path belongs to: binout0000 brings binout0001,
// ..., and every %NNN continuation (binout0000%001) of each, in order; a
// name outside such a family stands alone with its continuations.
std::vector<std::string> BinoutRunFiles(const std::string& path);

class BinoutRun {
public:
    BinoutRun();
    ~BinoutRun();
    BinoutRun(const BinoutRun&) = delete;
    BinoutRun& operator=(const BinoutRun&) = delete;

    // Reads the symbol tables of files (one run) and checks that every array
    // they name lies inside its file. False, with a message naming the file
    // and the byte, for anything that is not a sound container.
    bool Open(const std::vector<std::string>& files, KVErrorList& errors);

    const std::vector<std::string>& Files() const { return m_names; }
    const std::vector<BinoutBranch>& Branches() const { return m_branches; }

    // The values of var as doubles (a text array: its bytes); false with the
    // reason when the file no longer holds what the table said.
    bool ReadValues(const BinoutVar& var, std::vector<double>& out, KVErrorList& errors) const;
    // Value k of var alone (k < var.count).
    bool ReadValue(const BinoutVar& var, uint64_t k, double& out, KVErrorList& errors) const;
    // The values of var at the places elements (ascending, each < count)
    // into out[0..]: its record read once, header and all, up to the last of
    // them when that spans at most 256 KiB (buffer holds it), else the
    // header and then each value.
    bool ReadElements(const BinoutVar& var, const std::vector<uint64_t>& elements, double* out,
                      std::vector<uint8_t>& buffer, KVErrorList& errors) const;
    // A text array (type 1 or 5) as text, trailing blanks and zeros removed.
    bool ReadText(const BinoutVar& var, std::string& out, KVErrorList& errors) const;

private:
    struct File;
    bool ReadTable(uint32_t fileIndex, KVErrorList& errors);
    bool ReadPart(uint32_t fileIndex, uint64_t offset, std::vector<std::string>& cwd, uint64_t& next,
                  KVErrorList& errors);
    void AddVariable(const std::vector<std::string>& cwd, const std::string& name, const BinoutVar& var);
    bool CheckedHeader(const BinoutVar& var, uint64_t& valuesAt, KVErrorList& errors) const;
    bool HeaderFits(const BinoutVar& var, const uint8_t* head, KVErrorList& errors) const;

    std::vector<std::string> m_names;
    std::vector<std::unique_ptr<File>> m_files;
    std::vector<BinoutBranch> m_branches;
    std::map<std::string, size_t> m_branchIndex;
    std::vector<std::unordered_map<uint32_t, size_t>> m_stateIndex; // while the tables are read
};
