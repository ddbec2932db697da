#include "TestSource.h"

#include "IsoMmeSource.h"
#include "IsoMmeTest.h"
#include "IsoMmeVocabulary.h"
#include "IsoMmeWriter.h"
#include "KVErrorList.h"
#include "KVReadSignalFile.h"
#include "KVSignal.h"
#include "Kalvio.h"

#include <algorithm>

namespace Assess {

namespace {

// The test a signal file belongs to, named as its test is: an ISO-MME
// channel file by its test's name (the file name before its first '.', "T0001"
// as well as "2231"), another file by the test number its header gives.
std::string TestNameOf(const KVSignal& s, const std::string& path)
{
    if (s.Header().Side.testLines.empty())
        return s.TestNumber();
    const size_t slash = path.find_last_of('/');
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string stem = file.substr(0, file.find('.'));
    return stem.empty() ? s.TestNumber() : stem;
}

} // namespace

struct TestSource::Impl {
    bool iso = false;
    IsoMmeTest test;
};

bool TestSource::Open(const std::vector<std::string>& paths, KVErrorList& errors)
{
    m_impl = std::make_shared<Impl>();
    m_entries.clear();
    m_warnings.clear();
    if (paths.empty()) {
        errors.AddError("no test given", "Assess::TestSource");
        return false;
    }
    if (paths.size() == 1 && IsoMmeIsTestPath(paths[0])) {
        m_impl->iso = true;
        if (!m_impl->test.Open(paths[0], errors))
            return false;
        m_name = m_impl->test.TestNumber();
        const auto& channels = m_impl->test.Channels();
        for (size_t i = 0; i < channels.size(); ++i)
            m_entries.push_back({channels[i].code, channels[i].name, channels[i].path, i, {}});
        FindAmbiguities();
        return true;
    }
    for (size_t i = 0; i < paths.size(); ++i) {
        KVSignal s;
        size_t points = 0;
        KVErrorList fileErrors;
        if (!KVReadSignalHeader(paths[i], s.Header(), points, fileErrors)) {
            for (const KVException& e : fileErrors.Errors())
                errors.AddError(paths[i] + ": " + e.Message(), e.Scope());
            return false;
        }
        const std::string code = IsoMmeCodeOf(s);
        const std::string name = TestNameOf(s, paths[i]);
        if (i == 0) {
            m_name = name;
        } else if (name != m_name) {
            // A criterion must never take a channel of another test.
            errors.AddError(paths[i] + " is a channel of test " + name + ", not of test " + m_name
                                + ": each test is assessed by itself",
                            "Assess::TestSource");
            return false;
        }
        m_entries.push_back({code, s.CurveText(), paths[i], i, {}});
    }
    FindAmbiguities();
    return true;
}

bool SplitByTest(const std::vector<std::string>& paths, std::vector<std::vector<std::string>>& tests,
                 KVErrorList& errors)
{
    tests.clear();
    std::vector<std::string> names; // of tests; "\n" (no test's name) for an ISO-MME test of its own
    for (const std::string& path : paths) {
        if (IsoMmeIsTestPath(path)) {
            tests.push_back({path});
            names.emplace_back("\n");
            continue;
        }
        KVSignal s;
        size_t points = 0;
        KVErrorList fileErrors;
        if (!KVReadSignalHeader(path, s.Header(), points, fileErrors)) {
            for (const KVException& e : fileErrors.Errors())
                errors.AddError(path + ": " + e.Message(), e.Scope());
            return false;
        }
        const std::string name = TestNameOf(s, path);
        const auto same = std::find(names.begin(), names.end(), name);
        if (same != names.end()) {
            tests[size_t(same - names.begin())].push_back(path);
            continue;
        }
        tests.push_back({path});
        names.push_back(name);
    }
    return true;
}

void TestSource::FindAmbiguities()
{
    for (Entry& e : m_entries) {
        // An archive that holds the entry twice: the first is read, and which
        // of them the laboratory meant nobody can tell.
        const size_t copies = IsoArchiveEntryCount(e.path);
        if (copies > 1) {
            e.doubt = "the archive holds " + e.path + " " + std::to_string(copies) + " times; the first is read";
            m_warnings.push_back(e.code + ": " + e.doubt);
        }
    }
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const std::string& code = m_entries[i].code;
        if (code.empty() || code.find('?') != std::string::npos)
            continue;
        std::vector<size_t> same;
        for (size_t k = 0; k < m_entries.size(); ++k)
            if (m_entries[k].code == code)
                same.push_back(k);
        if (same.size() < 2 || same.front() != i)
            continue;
        std::string files;
        for (size_t k : same)
            files += (files.empty() ? "" : ", ") + m_entries[k].path;
        const std::string doubt = "the code " + code + " is carried by " + std::to_string(same.size())
                                  + " channels (" + files + "); the first is used";
        m_warnings.push_back(doubt);
        for (size_t k : same)
            if (m_entries[k].doubt.empty())
                m_entries[k].doubt = doubt;
    }
}

bool TestSource::Load(const Entry& e, KVSignal& signal, KVErrorList& errors) const
{
    if (m_impl && m_impl->iso)
        return m_impl->test.LoadChannel(e.index, signal, errors);
    return KVReadSignalFile(e.path, signal, errors) != nullptr;
}

bool LoadChannelAsUsed(const TestSource& test, const ChannelUse& use, KVSignal& signal, KVErrorList& errors)
{
    const auto& channels = test.Channels();
    const auto e = std::find_if(channels.begin(), channels.end(),
                                [&](const TestSource::Entry& c) { return c.path == use.path; });
    if (e == channels.end()) {
        errors.AddError(use.path + " is no channel of test " + test.Name(), "Assess::LoadChannelAsUsed");
        return false;
    }
    if (!test.Load(*e, signal, errors))
        return false;
    return use.filteredTo == 0 || Kalvio::BWfilt(signal, use.filteredTo, &errors);
}

std::vector<std::string> TestSource::DummyCodesAt(char position) const
{
    std::vector<std::string> codes;
    for (const Entry& e : m_entries) {
        if (e.code.size() != 16 || e.code[1] != position || !IsoIsDummyLocation(e.code.substr(2, 4)))
            continue;
        const std::string d = e.code.substr(10, 2);
        if (d != "00" && d != "??" && std::find(codes.begin(), codes.end(), d) == codes.end())
            codes.push_back(d);
    }
    return codes;
}

std::vector<char> TestSource::DummyPositions() const
{
    std::vector<char> positions;
    for (const Entry& e : m_entries)
        if (e.code.size() == 16 && IsoIsDummyLocation(e.code.substr(2, 4))
            && std::find(positions.begin(), positions.end(), e.code[1]) == positions.end())
            positions.push_back(e.code[1]);
    std::sort(positions.begin(), positions.end());
    return positions;
}

} // namespace Assess
