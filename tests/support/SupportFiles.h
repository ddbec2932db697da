#pragma once
// Temporary folders and whole-file reads and writes for the tests of every layer.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    std::string Path() const { return m_dir.string(); }
    // Names of the entries of the folder, sorted.
    std::vector<std::string> Entries() const;

private:
    std::filesystem::path m_dir;
};

// A fresh folder that is the current folder while it lives (programs under
// test resolve relative names against it).
class CurrentTempDir : public TempDir {
public:
    CurrentTempDir();
    ~CurrentTempDir();

private:
    std::filesystem::path m_old;
};

Bytes ReadAll(const std::string& path);
std::string ReadText(const std::string& path);
std::vector<std::string> ReadLines(const std::string& path);
// A new file (not a truncated old one) with exactly these bytes.
void WriteAll(const std::string& path, const Bytes& bytes);
void WriteText(const std::string& path, const std::string& text);

// Limits this process's address space to what it holds now plus extra bytes,
// for a test (in a child process: a death test) of running out of memory.
// Builds with AddressSanitizer, which reserves far more, define
// ONDREL_NO_MEMORY_LIMIT and skip such tests.
void LimitAddressSpace(size_t extra);
#if defined(__SANITIZE_ADDRESS__)
#define ONDREL_NO_MEMORY_LIMIT 1
#endif
