#include "IsoMmeTest.h"

#include "IsoMmeSource.h"
#include "IsoMmeVocabulary.h"
#include "KVSignal.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <sys/stat.h>

namespace {

const char* const kScope = "IsoMmeTest::Open";

bool EndsWithCaseBlind(const std::string& name, std::string_view end)
{
    return name.size() >= end.size() && IsoSameName(std::string_view(name).substr(name.size() - end.size()), end);
}

// The .mme files in folder and up to two folder levels below it.
void FindMme(const std::string& folder, int depth, std::vector<std::string>& found)
{
    for (const IsoEntry& e : IsoListFolder(folder)) {
        if (e.folder && depth > 0)
            FindMme(e.path, depth - 1, found);
        else if (!e.folder && EndsWithCaseBlind(e.name, ".mme"))
            found.push_back(e.path);
    }
}

// The code of a list entry: the first word, cut at "/".
std::string CodeOf(const std::string& value, std::string& rest)
{
    const size_t end = value.find_first_of(" \t/");
    rest.clear();
    if (end != std::string::npos) {
        const size_t slash = value.find('/', end);
        if (slash != std::string::npos) {
            const size_t a = value.find_first_not_of(" \t", slash + 1);
            rest = a == std::string::npos ? "" : value.substr(a);
        }
    }
    return value.substr(0, end);
}

} // namespace

bool IsoMmeIsTestPath(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::vector<std::string> found;
        FindMme(path, 0, found);
        return !found.empty();
    }
    return IsoMmeIsTestName(path);
}

bool IsoMmeIsTestName(const std::string& path)
{
    return EndsWithCaseBlind(path, ".mme") || IsoIsArchiveName(path);
}

bool IsoMmeTest::FindTestFile(const std::string& path, KVErrorList& errors)
{
    std::vector<std::string> found;
    std::error_code ec;
    if (EndsWithCaseBlind(path, ".mme") && !std::filesystem::is_directory(path, ec)) {
        found.push_back(path);
    } else {
        FindMme(path, IsoIsArchiveName(path) ? 2 : 0, found);
    }
    if (found.empty() && IsoIsArchiveName(path)) {
        if (const std::string why = IsoArchiveProblem(path); !why.empty()) {
            errors.AddError(path + ": the archive cannot be opened (" + why + ")", kScope);
            return false;
        }
    }
    if (found.size() != 1) {
        errors.AddError(path + (found.empty() ? ": no test file (.mme) found" : ": holds more than one test file (.mme)"),
                        kScope);
        return false;
    }
    m_mmePath = found.front();
    std::string bytes, why, storage;
    const IsoReadStatus read = IsoReadBytes(m_mmePath, bytes, why);
    if (read != IsoReadStatus::Ok) {
        errors.AddError(m_mmePath + ": " + why, kScope);
        return false;
    }
    bool mark = false;
    const std::string file = IsoLastPart(m_mmePath);
    m_facts = IsoMmeFactsOf(file.substr(0, file.size() - 4), IsoUnmarkedBytes(bytes, storage, mark));
    return true;
}

void IsoMmeTest::ListChannels(KVErrorList& errors)
{
    const std::string testFolder = IsoParentOf(m_mmePath);
    for (const IsoEntry& e : IsoListFolder(testFolder))
        if (e.folder && IsoSameName(e.name, "Channel"))
            m_channelFolder = e.path;
    if (m_channelFolder.empty()) {
        errors.AddError(m_mmePath + ": the test has no Channel folder", kScope);
        return;
    }
    // Channel files by number; the list decides which of them belong.
    std::map<int, std::string> files;
    std::string chn;
    for (const IsoEntry& e : IsoListFolder(m_channelFolder)) {
        if (e.folder)
            continue;
        const std::string stem = e.name.substr(0, e.name.find_last_of('.'));
        if (!IsoSameName(stem, m_facts.testNumber))
            continue;
        if (EndsWithCaseBlind(e.name, ".chn"))
            chn = e.path;
        else if (const int n = IsoChannelNumberOf(e.name))
            files[n] = e.path;
    }
    std::vector<IsoMmeChannelInfo> listed;
    if (chn.empty()) {
        errors.AddError(m_channelFolder + ": no channel list (" + m_facts.testNumber + ".chn); every channel file is read",
                        kScope);
        for (const auto& [n, path] : files)
            listed.push_back({n, {}, {}, path});
    } else {
        std::string bytes, why, storage;
        if (IsoReadBytes(chn, bytes, why) != IsoReadStatus::Ok) {
            errors.AddError(chn + ": the channel list cannot be read (" + why + ")", kScope);
            return;
        }
        bool mark = false;
        const IsoMmeHeader list = IsoParseHeader(IsoUnmarkedBytes(bytes, storage, mark), false);
        for (const IsoMmeField& f : list.fields) {
            if (f.name.size() < 4 || !IsoSameName(f.name.substr(0, f.name.size() - 3), "Name of channel "))
                continue;
            const int n = IsoChannelNumberOf("." + f.name.substr(f.name.size() - 3));
            IsoMmeChannelInfo info;
            info.number = n;
            info.code = CodeOf(f.value, info.name);
            const auto file = files.find(n);
            if (file == files.end()) {
                errors.AddError(chn + ":" + std::to_string(f.line) + ": channel file " + m_facts.testNumber + "."
                                    + f.name.substr(f.name.size() - 3) + " is missing; the other channels are read",
                                kScope);
                continue;
            }
            info.path = file->second;
            listed.push_back(std::move(info));
        }
        if (listed.empty() && std::none_of(list.fields.begin(), list.fields.end(), [](const IsoMmeField& f) {
                return f.name.size() > 3 && IsoSameName(f.name.substr(0, f.name.size() - 3), "Name of channel ");
            }))
            errors.AddError(chn + ": the channel list names no channel", kScope);
    }
    std::map<std::string, int> seen;
    for (IsoMmeChannelInfo& c : listed) {
        // The title is in the channel's own header: read only its head.
        std::string bytes, why, storage;
        if (IsoReadBytes(c.path, bytes, why, 8192) == IsoReadStatus::Ok) {
            bool mark = false;
            const IsoMmeHeader h = IsoParseHeader(IsoUnmarkedBytes(bytes, storage, mark), true);
            c.name = h.Given(KVIsoLineOf(KVFieldId::CurveText)).value_or(c.name);
            if (c.code.empty())
                c.code = h.Given(KVIsoLineOf(KVFieldId::SensorAttachment)).value_or("");
        }
        if (!c.code.empty() && seen[c.code]++ == 1)
            errors.AddError(chn + ": the code " + c.code + " is used by more than one channel; all are kept", kScope);
    }
    m_channels = std::move(listed);
}

bool IsoMmeTest::Open(const std::string& path, KVErrorList& errors)
{
    *this = IsoMmeTest{};
    if (!FindTestFile(path, errors))
        return false;
    ListChannels(errors);
    // A test without a channel to read is no test to check or convert.
    if (m_channels.empty()) {
        errors.AddError(path + ": the test has no channel that can be read", kScope);
        return false;
    }
    return true;
}

bool IsoMmeTest::LoadChannel(size_t i, KVSignal& signal, KVErrorList& errors) const
{
    if (i >= m_channels.size())
        return false;
    const IsoMmeChannelInfo& c = m_channels[i];
    std::string bytes, why;
    if (IsoReadBytes(c.path, bytes, why) != IsoReadStatus::Ok) {
        errors.AddError(c.path + ": " + why, "KVFileIsoMme::Load");
        return false;
    }
    if (!KVLoadIsoMmeChannel(bytes, c.path, c.number, m_facts, signal, errors)) {
        signal.SetHasData(false);
        return false;
    }
    const std::string& fileCode = signal.SensorAttachment();
    if (!c.code.empty() && fileCode != c.code)
        errors.AddError(c.path + ": Channel code " + fileCode + " differs from " + c.code
                            + " in the channel list; the file's code is used",
                        "KVFileIsoMme::Load");
    return true;
}

std::vector<IsoMmeChannelInfo> IsoMmeListChannels(const std::string& path, KVErrorList& errors)
{
    IsoMmeTest test;
    if (!test.Open(path, errors))
        return {};
    return test.Channels();
}

bool IsoMmeCodeMatches(std::string_view pattern, std::string_view code)
{
    // Greedy matching with one back-track point, the last "*": linear for
    // the patterns of a 16-character code, never recursive.
    size_t p = 0, c = 0, star = std::string_view::npos, resume = 0;
    const auto same = [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
    };
    while (c < code.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = c;
        } else if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], code[c]))) {
            ++p;
            ++c;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            c = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}
