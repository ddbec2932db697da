#pragma once
// A writer of the binout container for tests and benchmarks, independent of
// the reader: data records as written, then a symbol table part naming them
// at each EndPart, chained part to part. Field sizes are the common ones
// (LENGTH and OFFSET 8 bytes, COMMAND and TYPEID 1 byte).
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class BinoutWriter {
public:
    explicit BinoutWriter(bool bigEndian = false);

    // Where the next variables go ("/nodout/metadata", "../d000002").
    void Cd(const std::string& path);
    // A variable of type (1-10) and its values, converted to the type.
    void Values(const std::string& name, int type, const std::vector<double>& values);
    void Text(const std::string& name, const std::string& text);
    // Writes the table part of every variable since the last part.
    void EndPart();
    // The container so far (EndPart first for the last variables).
    const std::vector<uint8_t>& Bytes() const { return m_out; }

    // For damaging the container in tests: where each table part begins,
    // where a variable's table record begins ("/nodout/d000001/time"), and
    // where the offset of the first part is stored.
    std::vector<uint64_t> parts;
    std::map<std::string, uint64_t> variableRecords;
    static constexpr uint64_t kFirstPartPointer = 8 + 9;

private:
    void Put(uint64_t v, int n);
    void PutAt(uint64_t at, uint64_t v, int n);

    struct Pending {
        std::string folder;
        std::string name;
        int type;
        uint64_t offset;
        uint64_t count;
    };
    bool m_big;
    std::vector<uint8_t> m_out;
    std::string m_folder = "/";
    std::vector<Pending> m_pending;
    uint64_t m_lastEndPointer; // where the next part's offset goes
};
