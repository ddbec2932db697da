#include "Binout.h"

#include "KVPrintableName.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>

namespace {

const char* const kScope = "Simulation";

enum Command : unsigned {
    kNull = 1,
    kCd = 2,
    kData = 3,
    kVariable = 4,
    kBeginSymbolTable = 5,
    kEndSymbolTable = 6,
    kSymbolTableOffset = 7,
};

uint64_t Unsigned(const uint8_t* p, unsigned n, bool big)
{
    uint64_t v = 0;
    for (unsigned i = 0; i < n; ++i)
        v |= static_cast<uint64_t>(p[big ? n - 1 - i : i]) << (8 * i);
    return v;
}

double Decode(const uint8_t* p, unsigned type, bool big)
{
    const unsigned n = static_cast<unsigned>(BinoutTypeSize(type));
    const uint64_t u = Unsigned(p, n, big);
    switch (type) {
    case kBinoutI1:
    case kBinoutI2:
    case kBinoutI4:
    case kBinoutI8: {
        const unsigned shift = 64 - 8 * n; // sign-extend from n bytes
        return static_cast<double>(static_cast<int64_t>(u << shift) >> shift);
    }
    case kBinoutR4: {
        float f;
        const uint32_t w = static_cast<uint32_t>(u);
        std::memcpy(&f, &w, 4);
        return f;
    }
    case kBinoutR8: {
        double d;
        std::memcpy(&d, &u, 8);
        return d;
    }
    default:
        return static_cast<double>(u);
    }
}

// "d000001" (or more digits beyond 999,999): the state's number.
bool StateFolder(const std::string& name, uint32_t& number)
{
    if (name.size() < 7 || name.size() > 10 || name[0] != 'd')
        return false;
    uint64_t n = 0;
    for (size_t i = 1; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return false;
        n = n * 10 + static_cast<unsigned>(name[i] - '0');
    }
    number = static_cast<uint32_t>(n);
    return n <= UINT32_MAX;
}

// cwd after CD path (absolute, or relative with ".." and ".").
void ChangeFolder(std::vector<std::string>& cwd, const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        cwd.clear();
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string part = path.substr(start, end - start);
        if (part == "..") {
            if (!cwd.empty())
                cwd.pop_back();
        } else if (!part.empty() && part != ".") {
            cwd.push_back(part);
        }
        start = end + 1;
    }
}

std::string Joined(const std::vector<std::string>& parts, size_t n)
{
    std::string out;
    for (size_t i = 0; i < n; ++i)
        out += (i ? "/" : "") + parts[i];
    return out;
}

// "binout0000%001": stem "binout", number "0000", continuation 1.
struct RunName {
    std::string stem;
    std::string number;
    int continuation = 0;
};

RunName SplitRunName(const std::string& name)
{
    RunName r;
    std::string base = name;
    const size_t pct = name.rfind('%');
    if (pct != std::string::npos && pct + 4 == name.size()
        && std::all_of(name.begin() + static_cast<long>(pct) + 1, name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        r.continuation = std::stoi(name.substr(pct + 1));
        base = name.substr(0, pct);
    }
    size_t digits = 0;
    while (digits < base.size() && digits < 4 && base[base.size() - 1 - digits] >= '0'
           && base[base.size() - 1 - digits] <= '9')
        ++digits;
    if (digits == 4 && base.size() > 4) {
        r.stem = base.substr(0, base.size() - 4);
        r.number = base.substr(base.size() - 4);
    } else {
        r.stem = base;
    }
    return r;
}

} // namespace

size_t BinoutTypeSize(unsigned t)
{
    static const size_t sizes[] = {0, 1, 2, 4, 8, 1, 2, 4, 8, 4, 8};
    return t < sizeof sizes / sizeof sizes[0] ? sizes[t] : 0;
}

bool BinoutHeaderFits(const uint8_t* b, size_t size)
{
    if (size < 8 || b[0] < 8)
        return false;
    for (int i = 1; i <= 4; ++i)
        if (b[i] < 1 || b[i] > 8)
            return false;
    return b[5] <= 1 && b[6] == 0;
}

bool BinoutIsFile(const std::string& path)
{
    KVFileBytes file;
    uint8_t head[8];
    return file.Open(path) == KVFileBytes::Ok && file.Size() >= 8 && file.ReadNext(head, 8)
           && BinoutHeaderFits(head, 8);
}

std::vector<std::string> BinoutRunFiles(const std::string& path)
{
    namespace fs = std::filesystem;
    const fs::path p(path);
    const RunName self = SplitRunName(p.filename().string());
    std::vector<std::pair<std::pair<std::string, int>, std::string>> found;
    std::error_code ec;
    const fs::path folder = p.has_parent_path() ? p.parent_path() : fs::path(".");
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const RunName r = SplitRunName(name);
        const bool sameRun = r.stem == self.stem && (self.number.empty() ? r.number.empty() : !r.number.empty());
        if (sameRun && it->is_regular_file(ec) && BinoutIsFile(it->path().string()))
            found.push_back({{r.number, r.continuation}, p.has_parent_path() ? (folder / name).string() : name});
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> files;
    for (auto& f : found)
        files.push_back(f.second);
    if (files.empty())
        files.push_back(path);
    return files;
}

struct BinoutRun::File {
    mutable KVFileBytes bytes; // reading moves no state a caller sees
    std::string name;
    unsigned lengthSize = 8, offsetSize = 8, commandSize = 1, typeSize = 1;
    bool big = false;
    uint64_t size = 0;
};

BinoutRun::BinoutRun() = default;
BinoutRun::~BinoutRun() = default;

bool BinoutRun::Open(const std::vector<std::string>& files, KVErrorList& errors)
{
    m_names = files;
    m_files.clear();
    m_branches.clear();
    m_branchIndex.clear();
    m_stateIndex.clear();
    for (uint32_t i = 0; i < files.size(); ++i) {
        auto f = std::make_unique<File>();
        f->name = KVPrintableName(files[i]);
        if (f->bytes.Open(files[i]) != KVFileBytes::Ok) {
            errors.AddError(f->bytes.Describe(f->name), kScope);
            return false;
        }
        f->size = f->bytes.Size();
        uint8_t head[8];
        if (f->size < 8 || !f->bytes.ReadAt(0, head, 8) || !BinoutHeaderFits(head, 8)) {
            errors.AddError(f->name + " is no binout: its first 8 bytes are no binout header", kScope);
            return false;
        }
        f->lengthSize = head[1];
        f->offsetSize = head[2];
        f->commandSize = head[3];
        f->typeSize = head[4];
        f->big = head[5] == 0;
        m_files.push_back(std::move(f));
        if (!ReadTable(i, errors))
            return false;
    }
    m_stateIndex.clear();
    for (BinoutBranch& b : m_branches)
        std::stable_sort(b.states.begin(), b.states.end(),
                         [](const BinoutBranch::State& x, const BinoutBranch::State& y) { return x.number < y.number; });
    return true;
}

bool BinoutRun::ReadTable(uint32_t fileIndex, KVErrorList& errors)
{
    File& f = *m_files[fileIndex];
    const uint8_t headerLength = [&] {
        uint8_t h = 8;
        f.bytes.ReadAt(0, &h, 1);
        return h;
    }();
    const unsigned L = f.lengthSize, C = f.commandSize, O = f.offsetSize;
    uint8_t rec[24];
    if (f.size < headerLength + L + C + O || !f.bytes.ReadAt(headerLength, rec, L + C + O)
        || Unsigned(rec + L, C, f.big) != kSymbolTableOffset) {
        errors.AddError(f.name + " is truncated or damaged: no symbol table offset after its header", kScope);
        return false;
    }
    uint64_t next = Unsigned(rec + L + C, O, f.big);
    std::set<uint64_t> seen;
    std::vector<std::string> cwd;
    while (next != 0) {
        if (!seen.insert(next).second) {
            errors.AddError(f.name + " is damaged: its symbol table at byte " + std::to_string(next) +
                                " points back into itself",
                            kScope);
            return false;
        }
        const uint64_t at = next;
        if (!ReadPart(fileIndex, at, cwd, next, errors))
            return false;
    }
    return true;
}

bool BinoutRun::ReadPart(uint32_t fileIndex, uint64_t offset, std::vector<std::string>& cwd, uint64_t& next,
                         KVErrorList& errors)
{
    File& f = *m_files[fileIndex];
    const unsigned L = f.lengthSize, C = f.commandSize, O = f.offsetSize, T = f.typeSize;
    const std::string where = " (symbol table at byte " + std::to_string(offset) + ")";
    uint8_t head[16];
    if (offset < 8 || offset >= f.size || f.size - offset < L + C || !f.bytes.ReadAt(offset, head, L + C)) {
        errors.AddError(f.name + " is truncated: its symbol table continues at byte " + std::to_string(offset) +
                            ", beyond its " + std::to_string(f.size) + " bytes",
                        kScope);
        return false;
    }
    const uint64_t length = Unsigned(head, L, f.big);
    if (Unsigned(head + L, C, f.big) != kBeginSymbolTable || length < L + C) {
        errors.AddError(f.name + " is damaged: no symbol table where it should begin" + where, kScope);
        return false;
    }
    if (length > f.size - offset) {
        errors.AddError(f.name + " is truncated: a symbol table of " + std::to_string(length) +
                            " bytes ends beyond the file's " + std::to_string(f.size) + where,
                        kScope);
        return false;
    }
    std::vector<uint8_t> part(length);
    if (!f.bytes.ReadAt(offset, part.data(), length)) {
        errors.AddError(f.bytes.Describe(f.name), kScope);
        return false;
    }
    size_t p = L + C;
    while (p + L + C <= length) {
        const uint64_t rl = Unsigned(&part[p], L, f.big);
        const unsigned command = static_cast<unsigned>(Unsigned(&part[p + L], C, f.big));
        if (rl < L + C || rl > length - p) {
            errors.AddError(f.name + " is damaged: a record of " + std::to_string(rl) + " bytes at byte " +
                                std::to_string(offset + p) + " does not fit" + where,
                            kScope);
            return false;
        }
        const uint8_t* body = &part[p + L + C];
        const size_t bodySize = static_cast<size_t>(rl) - L - C;
        if (command == kEndSymbolTable) {
            if (bodySize < O)
                break;
            next = Unsigned(body, O, f.big);
            return true;
        }
        if (command == kCd) {
            ChangeFolder(cwd, std::string(reinterpret_cast<const char*>(body), bodySize));
        } else if (command == kVariable) {
            if (bodySize <= T + O + L || bodySize - (T + O + L) > 255) {
                errors.AddError(f.name + " is damaged: a variable record of " + std::to_string(rl) +
                                    " bytes at byte " + std::to_string(offset + p) + where,
                                kScope);
                return false;
            }
            const size_t nameLength = bodySize - T - O - L;
            const std::string name(reinterpret_cast<const char*>(body), nameLength);
            BinoutVar v;
            v.file = fileIndex;
            const uint64_t type = Unsigned(body + nameLength, T, f.big);
            v.offset = Unsigned(body + nameLength + T, O, f.big);
            v.count = Unsigned(body + nameLength + T + O, L, f.big);
            v.nameLength = static_cast<uint8_t>(nameLength);
            const std::string path = "/" + Joined(cwd, cwd.size()) + "/" + name;
            const size_t valueSize = BinoutTypeSize(type <= 255 ? static_cast<unsigned>(type) : 0);
            if (valueSize == 0) {
                errors.AddError(f.name + ": " + path + " has the unknown type id " + std::to_string(type), kScope);
                return false;
            }
            v.type = static_cast<uint8_t>(type);
            const uint64_t fixed = L + C + T + 1 + nameLength;
            if (v.offset < 8 || v.offset >= f.size || v.count > (f.size - v.offset) / valueSize
                || fixed > f.size - v.offset - v.count * valueSize) {
                errors.AddError(f.name + " is truncated or damaged: " + path + " (" + std::to_string(v.count) +
                                    " values at byte " + std::to_string(v.offset) + ") lies beyond its " +
                                    std::to_string(f.size) + " bytes",
                                kScope);
                return false;
            }
            AddVariable(cwd, name, v);
        } else if (command != kNull) {
            errors.AddError(f.name + " is damaged: a record of command " + std::to_string(command) + " at byte " +
                                std::to_string(offset + p) + " inside the symbol table",
                            kScope);
            return false;
        }
        p += static_cast<size_t>(rl);
    }
    errors.AddError(f.name + " is damaged: a symbol table without its end" + where, kScope);
    return false;
}

void BinoutRun::AddVariable(const std::vector<std::string>& cwd, const std::string& name, const BinoutVar& var)
{
    if (cwd.size() < 2)
        return; // not inside FILE/metadata or FILE/dNNNNNN
    uint32_t number = 0;
    const bool metadata = cwd.back() == "metadata";
    if (!metadata && !StateFolder(cwd.back(), number))
        return;
    const std::string path = Joined(cwd, cwd.size() - 1);
    auto [it, added] = m_branchIndex.try_emplace(path, m_branches.size());
    if (added) {
        m_branches.emplace_back();
        m_branches.back().path = path;
    }
    BinoutBranch& b = m_branches[it->second];
    if (metadata) {
        b.metadata.try_emplace(name, var);
        return;
    }
    // Another file of the run may hold more of a state seen before.
    if (m_stateIndex.size() <= it->second)
        m_stateIndex.resize(it->second + 1);
    auto [si, fresh] = m_stateIndex[it->second].try_emplace(number, b.states.size());
    if (fresh) {
        b.states.emplace_back();
        b.states.back().number = number;
    }
    BinoutBranch::State* state = &b.states[si->second];
    if (name == "time") {
        if (!state->time.Present())
            state->time = var;
        return;
    }
    const size_t k = static_cast<size_t>(
        std::find(b.variables.begin(), b.variables.end(), name) - b.variables.begin());
    if (k == b.variables.size())
        b.variables.push_back(name);
    if (state->values.size() <= k)
        state->values.resize(k + 1);
    if (!state->values[k].Present())
        state->values[k] = var;
}

bool BinoutRun::HeaderFits(const BinoutVar& var, const uint8_t* head, KVErrorList& errors) const
{
    const File& f = *m_files[var.file];
    const unsigned L = f.lengthSize, C = f.commandSize, T = f.typeSize;
    const unsigned n = L + C + T + 1;
    const uint64_t expected = n + var.nameLength + var.count * BinoutTypeSize(var.type);
    if (Unsigned(head, L, f.big) != expected || Unsigned(head + L, C, f.big) != kData
        || Unsigned(head + L + C, T, f.big) != var.type || head[n - 1] != var.nameLength) {
        errors.AddError(f.name + " is damaged: the symbol table names data at byte " + std::to_string(var.offset) +
                            " that is not there",
                        kScope);
        return false;
    }
    return true;
}

bool BinoutRun::CheckedHeader(const BinoutVar& var, uint64_t& valuesAt, KVErrorList& errors) const
{
    const File& f = *m_files[var.file];
    const unsigned n = f.lengthSize + f.commandSize + f.typeSize + 1;
    uint8_t head[32];
    if (!f.bytes.ReadAt(var.offset, head, n)) {
        errors.AddError(f.name + " is damaged: the symbol table names data at byte " + std::to_string(var.offset) +
                            " that is not there",
                        kScope);
        return false;
    }
    if (!HeaderFits(var, head, errors))
        return false;
    valuesAt = var.offset + n + var.nameLength;
    return true;
}

bool BinoutRun::ReadElements(const BinoutVar& var, const std::vector<uint64_t>& elements, double* out,
                             std::vector<uint8_t>& buffer, KVErrorList& errors) const
{
    if (elements.empty())
        return true;
    const File& f = *m_files[var.file];
    const size_t size = BinoutTypeSize(var.type);
    const uint64_t start = f.lengthSize + f.commandSize + f.typeSize + 1 + var.nameLength;
    if (elements.back() >= var.count) {
        errors.AddError(f.name + ": no value " + std::to_string(elements.back() + 1) + " in the " +
                            std::to_string(var.count) + " at byte " + std::to_string(var.offset),
                        kScope);
        return false;
    }
    const uint64_t span = start + (elements.back() + 1) * size;
    if (span > (256u << 10)) {
        for (size_t k = 0; k < elements.size(); ++k)
            if (!ReadValue(var, elements[k], out[k], errors))
                return false;
        return true;
    }
    // One read for the header and every value wanted: a state's array of
    // 10,000 nodes read for 100 of them costs one system call, not 101.
    buffer.resize(static_cast<size_t>(span));
    if (!f.bytes.ReadAt(var.offset, buffer.data(), buffer.size())) {
        errors.AddError(f.bytes.Describe(f.name), kScope);
        return false;
    }
    if (!HeaderFits(var, buffer.data(), errors))
        return false;
    for (size_t k = 0; k < elements.size(); ++k)
        out[k] = Decode(&buffer[static_cast<size_t>(start + elements[k] * size)], var.type, f.big);
    return true;
}

bool BinoutRun::ReadValues(const BinoutVar& var, std::vector<double>& out, KVErrorList& errors) const
{
    out.clear();
    uint64_t at = 0;
    if (!CheckedHeader(var, at, errors))
        return false;
    const File& f = *m_files[var.file];
    const size_t size = BinoutTypeSize(var.type);
    std::vector<uint8_t> raw(static_cast<size_t>(var.count) * size);
    if (!raw.empty() && !f.bytes.ReadAt(at, raw.data(), raw.size())) {
        errors.AddError(f.bytes.Describe(f.name), kScope);
        return false;
    }
    out.resize(static_cast<size_t>(var.count));
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = Decode(&raw[i * size], var.type, f.big);
    return true;
}

bool BinoutRun::ReadValue(const BinoutVar& var, uint64_t k, double& out, KVErrorList& errors) const
{
    uint64_t at = 0;
    if (k >= var.count || !CheckedHeader(var, at, errors))
        return false;
    const File& f = *m_files[var.file];
    const size_t size = BinoutTypeSize(var.type);
    uint8_t raw[8];
    if (!f.bytes.ReadAt(at + k * size, raw, size)) {
        errors.AddError(f.bytes.Describe(f.name), kScope);
        return false;
    }
    out = Decode(raw, var.type, f.big);
    return true;
}

bool BinoutRun::ReadText(const BinoutVar& var, std::string& out, KVErrorList& errors) const
{
    out.clear();
    uint64_t at = 0;
    if (BinoutTypeSize(var.type) != 1 || !CheckedHeader(var, at, errors))
        return false;
    const File& f = *m_files[var.file];
    out.resize(static_cast<size_t>(var.count));
    if (!out.empty() && !f.bytes.ReadAt(at, reinterpret_cast<uint8_t*>(out.data()), out.size())) {
        errors.AddError(f.bytes.Describe(f.name), kScope);
        return false;
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '\0'))
        out.pop_back();
    return true;
}
