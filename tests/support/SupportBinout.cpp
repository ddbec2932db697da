#include "SupportBinout.h"

#include <cstring>

namespace {

int Size(int type)
{
    static const int sizes[] = {0, 1, 2, 4, 8, 1, 2, 4, 8, 4, 8};
    return sizes[type];
}

} // namespace

BinoutWriter::BinoutWriter(bool bigEndian)
    : m_big(bigEndian)
{
    m_out = {8, 8, 8, 1, 1, static_cast<uint8_t>(bigEndian ? 0 : 1), 0, 0};
    Put(8 + 1 + 8, 8); // SYMBOLTABLEOFFSET: length, command, offset (patched)
    Put(7, 1);
    m_lastEndPointer = m_out.size();
    Put(0, 8);
}

void BinoutWriter::Put(uint64_t v, int n)
{
    const size_t at = m_out.size();
    m_out.resize(at + static_cast<size_t>(n));
    PutAt(at, v, n);
}

void BinoutWriter::PutAt(uint64_t at, uint64_t v, int n)
{
    for (int i = 0; i < n; ++i)
        m_out[at + static_cast<size_t>(m_big ? n - 1 - i : i)] = static_cast<uint8_t>(v >> (8 * i));
}

void BinoutWriter::Cd(const std::string& path)
{
    if (!path.empty() && path[0] == '/') {
        m_folder = path;
        return;
    }
    std::string f = m_folder;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string part = path.substr(start, end - start);
        if (part == "..")
            f = f.substr(0, f.find_last_of('/') == 0 ? 1 : f.find_last_of('/'));
        else if (!part.empty())
            f += (f.back() == '/' ? "" : "/") + part;
        start = end + 1;
    }
    m_folder = f;
}

void BinoutWriter::Values(const std::string& name, int type, const std::vector<double>& values)
{
    const int n = Size(type);
    const uint64_t offset = m_out.size();
    Put(8 + 1 + 1 + 1 + name.size() + values.size() * static_cast<size_t>(n), 8);
    Put(3, 1);
    Put(static_cast<uint64_t>(type), 1);
    Put(name.size(), 1);
    m_out.insert(m_out.end(), name.begin(), name.end());
    for (double v : values) {
        uint64_t bits = 0;
        if (type == 9) {
            const float f = static_cast<float>(v);
            uint32_t w;
            std::memcpy(&w, &f, 4);
            bits = w;
        } else if (type == 10) {
            std::memcpy(&bits, &v, 8);
        } else {
            bits = static_cast<uint64_t>(static_cast<int64_t>(v));
        }
        Put(bits, n);
    }
    m_pending.push_back({m_folder, name, type, offset, values.size()});
}

void BinoutWriter::Text(const std::string& name, const std::string& text)
{
    std::vector<double> bytes;
    for (char c : text)
        bytes.push_back(static_cast<unsigned char>(c));
    Values(name, 1, bytes);
}

void BinoutWriter::EndPart()
{
    const uint64_t begin = m_out.size();
    parts.push_back(begin);
    PutAt(m_lastEndPointer, begin, 8);
    Put(0, 8); // the part's length, patched below
    Put(5, 1);
    std::string folder;
    for (const Pending& p : m_pending) {
        if (p.folder != folder) {
            Put(8 + 1 + p.folder.size(), 8);
            Put(2, 1);
            m_out.insert(m_out.end(), p.folder.begin(), p.folder.end());
            folder = p.folder;
        }
        variableRecords[p.folder + "/" + p.name] = m_out.size();
        Put(8 + 1 + p.name.size() + 1 + 8 + 8, 8);
        Put(4, 1);
        m_out.insert(m_out.end(), p.name.begin(), p.name.end());
        Put(static_cast<uint64_t>(p.type), 1);
        Put(p.offset, 8);
        Put(p.count, 8);
    }
    m_pending.clear();
    Put(8 + 1 + 8, 8);
    Put(6, 1);
    m_lastEndPointer = m_out.size();
    Put(0, 8);
    PutAt(begin, m_out.size() - begin, 8);
}
