#include "KVFileIsoMme.h"

#include "IsoMmeSource.h"
#include "IsoMmeVocabulary.h"
#include "KVFilterClass.h"
#include "KVNumberText.h"
#include "KVSignal.h"
#include "KVSystemReason.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <new>
#include <vector>

namespace {

const char* const kScope = "KVFileIsoMme::Load";

std::string_view TrimBlanks(std::string_view s)
{
    size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t'))
        ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t'))
        --b;
    return s.substr(a, b - a);
}

// How a sample line reads.
enum class SampleKind { Number, NoValue, NaN, Infinite, Bad };

// A sample text: a number with an optional sign, NOVALUE, NaN, or a number
// beyond the float range (infinite). All but Number leave v a gap (NaN).
SampleKind ParseSample(std::string_view text, float& v)
{
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    const auto res = std::from_chars(first, last, v);
    if (res.ptr == last && first != last) {
        // beyond float: a tiny value becomes 0 as the C library would read
        // it, a huge one is infinite
        if (res.ec == std::errc::result_out_of_range)
            v = std::strtof(std::string(text).c_str(), nullptr);
        else if (res.ec != std::errc())
            return SampleKind::Bad;
        if (std::isfinite(v))
            return SampleKind::Number;
        const SampleKind kind = std::isinf(v) ? SampleKind::Infinite : SampleKind::NaN;
        v = std::numeric_limits<float>::quiet_NaN();
        return kind;
    }
    if (text == "NOVALUE") {
        v = std::numeric_limits<float>::quiet_NaN();
        return SampleKind::NoValue;
    }
    return SampleKind::Bad;
}

bool ParseReal(const std::optional<std::string>& text, double& v)
{
    return text && KVParseNumber(*text, v);
}

std::string Where(const std::string& name, size_t line)
{
    return line ? name + ":" + std::to_string(line) + ": " : name + ": ";
}

// A test file's line of test object k for field ("Name of test object 2").
std::string ObjectLine(KVFieldId field, int k)
{
    return std::string(KVIsoLineOf(field)) + " " + std::to_string(k);
}

struct Context {
    const std::string& name;
    const IsoMmeHeader& h;
    KVErrorList& errors;

    size_t LineOf(std::string_view field) const
    {
        const IsoMmeField* f = h.Find(field);
        return f ? f->line : 0;
    }
    void Warn(std::string_view field, const std::string& text) const
    {
        errors.AddError(Where(name, LineOf(field)) + text, kScope);
    }
};

// The header facts of the channel code: location, axis, type, filter, dummy.
void MapCode(const Context& c, const std::string& code, KVHeader& out)
{
    out.SensorAttachment = code;
    std::string dim = code.size() == 16 ? code.substr(12, 2) : std::string();
    if (auto d = c.h.Given(KVIsoLineOf(KVFieldId::YType)); d && (dim.empty() || dim.find('?') != std::string::npos))
        dim = *d;
    if (auto word = IsoDimensionWord(dim)) {
        out.SensorType = *word;
        out.YType = *word;
    }
    char direction = code.size() == 16 ? code[14] : '?';
    if (auto d = c.h.Given(KVIsoLineOf(KVFieldId::Axis)); d && d->size() == 1 && direction == '?')
        direction = (*d)[0];
    bool signConvention = false;
    if (auto axis = IsoAxisOfDirection(direction, signConvention))
        out.Axis = *axis;
    if (signConvention)
        c.Warn(KVIsoLineOf(KVFieldId::SensorAttachment), std::string("direction ") + direction + " is " + out.Axis
                                   + " with a sign convention other than SAE J211's");
    if (code.size() != 16)
        return;
    if (auto loc = IsoLocationToRecord(code.substr(2, 4), code.substr(6, 2), code.substr(10, 2)))
        out.SensorLocation = *loc;
    if (auto dummy = IsoDummyToRecord(code.substr(10, 2)))
        out.OccupantType = *dummy;
}

void MapFilter(const Context& c, char letter, KVHeader& out)
{
    std::optional<IsoFilter> filter = IsoFilterOfLetter(letter);
    double cfc = 0.0;
    if (!filter && ParseReal(c.h.Given(KVIsoLineOf(KVFieldId::FilterClass)), cfc) && cfc > 0 && cfc < 1e6) {
        const int cls = static_cast<int>(std::lround(cfc));
        filter = IsoFilter{KVIsChannelClass(cls) ? cls : 1001,
                           static_cast<float>(cfc * 5.0 / 3.0), true};
    }
    if (!filter)
        filter = IsoFilter{};
    out.FilterClass = filter->filterClass;
    double cutOff = 0.0;
    out.CutOffFrequency = ParseReal(c.h.Given(KVIsoLineOf(KVFieldId::CutOffFrequency)), cutOff) ? static_cast<float>(cutOff)
                                                                             : filter->cutOff;
    double pre = 0.0;
    if (ParseReal(c.h.Given(KVIsoLineOf(KVFieldId::PreFilterFrequency)), pre))
        out.PreFilterFrequency = static_cast<float>(pre);
    std::string status = c.h.Given(KVIsoLineOf(KVFieldId::Status)).value_or("ok");
    for (char& ch : status)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    out.Status = status == "OK" ? (filter->filtered ? "FILTERED" : "AS MEASURED") : status;
}

// Test facts: number, reference, title, laboratory and the channel's test object.
void MapTest(const IsoMmeTestFacts& facts, KVHeader& out)
{
    const IsoMmeHeader& m = facts.mme;
    const std::string& stem = facts.testNumber;
    const bool digits = !stem.empty() && stem.size() < 10
                        && stem.find_first_not_of("0123456789") == std::string::npos;
    out.TestNumber = digits ? std::to_string(std::stol(stem)) : "0";
    out.TestReference = m.Given(KVIsoLineOf(KVFieldId::TestReference)).value_or(stem.empty() ? " " : stem);
    out.TestTitle = m.Given(KVIsoLineOf(KVFieldId::TestTitle)).value_or(" ");
    out.TestSource = m.Given(KVIsoLineOf(KVFieldId::TestSource)).value_or("ISO-MME File");
    if (auto name = m.Given(ObjectLine(KVFieldId::VehicleModel, out.VehicleNumber)))
        out.VehicleModel = *name;
    double v = 0.0;
    if (ParseReal(m.Given(ObjectLine(KVFieldId::ClosingSpeed, out.VehicleNumber)), v)) {
        out.ClosingSpeed = static_cast<float>(v * 3.6);
        out.InitialVelocity = out.ClosingSpeed;
    }
}

KVSideRecord::Lines LinesOf(const IsoMmeHeader& h)
{
    KVSideRecord::Lines lines;
    lines.reserve(h.fields.size());
    for (const IsoMmeField& f : h.fields)
        lines.emplace_back(f.name, f.value);
    return lines;
}

// Sample lines that are read as gaps, by kind: how many, and the first line.
struct Gaps {
    size_t count[3] = {0, 0, 0}; // NOVALUE, NaN, infinite
    size_t first[3] = {0, 0, 0};

    void Add(SampleKind kind, size_t line)
    {
        const int k = kind == SampleKind::NoValue ? 0 : kind == SampleKind::NaN ? 1 : 2;
        if (count[k]++ == 0)
            first[k] = line;
    }
};

// The sample lines from offset on: numbers, and NOVALUE, NaN and infinite
// values as gaps (NaN); blank lines skipped.
bool ReadSamples(std::string_view text, size_t offset, size_t firstLine, const std::string& name, KVSamples& y,
                 Gaps& gaps, KVErrorList& errors)
{
    // Lines end at LF, CR or CR LF, as IsoNextLine reads them. A plain
    // number is read where it stands and its line end found after it; any
    // other line is split first and read as a whole.
    const char* p = text.data() + std::min(offset, text.size());
    const char* const end = text.data() + text.size();
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    const auto nextLine = [end](const char* at) {
        return at == end ? end : at + (*at == '\r' && at + 1 < end && at[1] == '\n' ? 2 : 1);
    };
    size_t line = firstLine - 1;
    while (p < end) {
        ++line;
        const char* first = p;
        while (first < end && blank(*first))
            ++first;
        float v;
        if (const char* after = first < end ? KVQuickFloat(first + (*first == '+'), end, v) : nullptr) {
            while (after < end && blank(*after))
                ++after;
            if (after == end || *after == '\n' || *after == '\r') {
                y.push_back(v);
                p = nextLine(after);
                continue;
            }
        }
        const char* last = first;
        while (last < end && *last != '\n' && *last != '\r')
            ++last;
        p = nextLine(last);
        while (last > first && blank(last[-1]))
            --last;
        if (first == last)
            continue;
        const std::string_view t(first, static_cast<size_t>(last - first));
        const SampleKind kind = ParseSample(t, v);
        if (kind == SampleKind::Bad) {
            errors.AddError(Where(name, line) + "\"" + std::string(t.substr(0, 40))
                                + "\" is not a sample value (a number or NOVALUE)",
                            kScope);
            return false;
        }
        if (kind != SampleKind::Number)
            gaps.Add(kind, line);
        y.push_back(v);
    }
    return true;
}

// Warns of the gaps read, one line per kind.
void WarnGaps(const std::string& name, const Gaps& gaps, KVErrorList& errors)
{
    static const char* const kWhat[] = {" NOVALUE sample(s)", " NaN sample(s)",
                                        " sample(s) beyond the float range (infinite)"};
    for (int k = 0; k < 3; ++k)
        if (gaps.count[k])
            errors.AddError(Where(name, gaps.first[k]) + std::to_string(gaps.count[k]) + kWhat[k]
                                + ", the first on this line, read as gaps (NaN)",
                            kScope);
}

} // namespace

int IsoChannelNumberOf(const std::string& fileName)
{
    const size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || fileName.size() - dot != 4)
        return 0;
    const std::string ext = fileName.substr(dot + 1);
    if (ext.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return std::stoi(ext);
}

bool KVLooksLikeIsoMmeChannel(std::string_view bytes)
{
    std::string storage;
    bool mark = false;
    const std::string_view text = IsoUnmarkedBytes(bytes.substr(0, 8192), storage, mark);
    size_t pos = 0;
    std::string_view line;
    std::string name, value;
    while (IsoNextLine(text, pos, line)) {
        if (TrimBlanks(line).empty())
            continue;
        if (!IsoSplitField(line, name, value))
            return false;
        if (IsoSameName(name, KVIsoLineOf(KVFieldId::SensorAttachment)) || IsoSameName(name, KVIsoLineOf(KVFieldId::Del))
            || IsoSameName(name, "Number of samples"))
            return true;
    }
    return false;
}

bool KVLoadIsoMmeChannel(std::string_view bytes, const std::string& name, int channelNumber,
                         const IsoMmeTestFacts& facts, KVSignal& signal, KVErrorList& errors)
{
    std::string storage;
    bool mark = false;
    const std::string_view text = IsoUnmarkedBytes(bytes, storage, mark);
    size_t dataOffset = 0, dataLine = 0;
    const IsoMmeHeader h = IsoParseHeader(text, true, &dataOffset, &dataLine);
    const Context c{name, h, errors};
    if (h.fields.empty()) {
        errors.AddError(Where(name, 0) + "not an ISO-MME channel file (no \"Name :value\" header lines)", kScope);
        return false;
    }
    double dt = 0.0;
    if (!ParseReal(h.Given(KVIsoLineOf(KVFieldId::Del)), dt) || dt <= 0.0) {
        const bool explicitAxis = IsoSameName(h.Given("Reference channel").value_or(""), "explicit");
        errors.AddError(Where(name, c.LineOf(KVIsoLineOf(KVFieldId::Del)))
                            + (explicitAxis ? "the time axis is another channel ("
                                                  + h.Given("Reference channel name").value_or("NOVALUE")
                                                  + "); only channels with a Sampling interval can be read"
                                            : "Sampling interval is missing or not a positive number"),
                        kScope);
        return false;
    }
    KVSamples y;
    double declared = -1.0;
    const bool hasCount = ParseReal(h.Given("Number of samples"), declared);
    // The lines decide the count, never the claim: a sample line takes at
    // least two bytes, which bounds what is reserved.
    const double lineBound = static_cast<double>(text.size() - std::min(text.size(), dataOffset)) / 2.0 + 1.0;
    Gaps gaps;
    try {
        if (hasCount && declared > 0)
            y.reserve(static_cast<size_t>(std::min(declared, lineBound)));
        if (!ReadSamples(text, dataOffset, dataLine, name, y, gaps, errors))
            return false;
    } catch (const std::bad_alloc&) {
        errors.AddError(Where(name, 0) + kNotEnoughMemory, kScope);
        return false;
    }
    if (y.empty()) {
        errors.AddError(Where(name, dataLine) + "the channel holds no samples", kScope);
        return false;
    }
    if (!hasCount || declared != static_cast<double>(y.size()))
        c.Warn("Number of samples", "Number of samples says "
                                        + h.Given("Number of samples").value_or("NOVALUE") + ", the file holds "
                                        + std::to_string(y.size()) + " sample lines; all of them are read");
    WarnGaps(name, gaps, errors);

    double t0 = 0.0;
    if (!ParseReal(h.Given(KVIsoLineOf(KVFieldId::T0)), t0))
        c.Warn(KVIsoLineOf(KVFieldId::T0), "Time of first sample is not given; 0 assumed");
    const double steps = t0 / dt;
    if (!(std::fabs(steps) < 1e9)) {
        errors.AddError(Where(name, c.LineOf(KVIsoLineOf(KVFieldId::T0)))
                            + "Time of first sample lies more than 1e9 sampling intervals from zero",
                        kScope);
        return false;
    }
    const long long nfp = std::llround(steps);
    if (std::fabs(steps - static_cast<double>(nfp)) > 1e-6 * std::max(1.0, std::fabs(steps)))
        c.Warn(KVIsoLineOf(KVFieldId::T0), "Time of first sample is not a whole number of sampling intervals;"
                                       " the first point index is rounded");

    signal.Reset();
    const size_t n = y.size();
    KVSamples x;
    try {
        x.resize(n);
    } catch (const std::bad_alloc&) {
        errors.AddError(Where(name, 0) + kNotEnoughMemory, kScope);
        return false;
    }
    // Every time must be a finite float above the one before: a step of 1e300
    // or 1e-50 s would give infinite times or all of them alike.
    bool finite = std::isfinite(static_cast<float>(dt)), rising = static_cast<float>(dt) > 0.0f;
    for (size_t i = 0; i < n && finite && rising; ++i) {
        x[i] = static_cast<float>(t0 + static_cast<double>(i) * dt);
        finite = std::isfinite(x[i]);
        rising = i == 0 || x[i] > x[i - 1];
    }
    if (!finite || !rising) {
        errors.AddError(Where(name, c.LineOf(KVIsoLineOf(KVFieldId::Del))) + "Sampling interval "
                            + h.Given(KVIsoLineOf(KVFieldId::Del)).value_or("") + " gives sample times that "
                            + (finite ? "do not rise in float precision" : "are not finite"),
                        kScope);
        return false;
    }
    if (!signal.AdoptArrays(std::move(x), std::move(y))) {
        errors.AddError(Where(name, 0) + kNotEnoughMemory, kScope);
        signal.SetHasData(false);
        return false;
    }
    KVHeader& out = signal.Header();
    out.XUnits = "SECONDS";
    out.XType = "TIME";
    out.Del = static_cast<float>(dt);
    out.Nfp = static_cast<int>(nfp);
    out.Nlp = static_cast<int>(nfp + static_cast<long long>(n) - 1);
    out.T0 = static_cast<float>(t0);
    out.CurveNumber = channelNumber;

    const std::string code = h.Given(KVIsoLineOf(KVFieldId::SensorAttachment)).value_or("");
    MapCode(c, code, out);
    MapFilter(c, code.size() == 16 ? code[15] : '?', out);
    if (auto unit = h.Given(KVIsoLineOf(KVFieldId::YUnits))) {
        if (auto word = IsoUnitToRecord(*unit)) {
            out.YUnits = *word;
        } else {
            out.YUnits = *unit;
            c.Warn(KVIsoLineOf(KVFieldId::YUnits), "unit \"" + *unit + "\" is not known here; kept as written");
        }
    } else {
        if (!h.Find(KVIsoLineOf(KVFieldId::YUnits)))
            c.Warn(KVIsoLineOf(KVFieldId::YUnits), "the file has no Unit line; the samples have no unit");
    }
    if (auto title = h.Given(KVIsoLineOf(KVFieldId::CurveText)))
        out.CurveText = *title;
    double number = 0.0;
    if (ParseReal(h.Given(KVIsoLineOf(KVFieldId::VehicleNumber)), number) && std::fabs(number) < 1e6)
        out.VehicleNumber = static_cast<int>(number);
    else if (!code.empty() && code[0] >= '1' && code[0] <= '9')
        out.VehicleNumber = code[0] - '0';
    if (ParseReal(h.Given(KVIsoLineOf(KVFieldId::GaugeNumber)), number) && number == std::floor(number) && std::fabs(number) < 2e9)
        out.GaugeNumber = static_cast<int>(number);
    MapTest(facts, out);
    out.Side.testLines = facts.lines;
    out.Side.channelLines = LinesOf(h);
    signal.UpdateExtremes();
    signal.SetHasData(true);
    return true;
}

IsoMmeTestFacts IsoMmeFactsOf(std::string testNumber, std::string_view mmeText)
{
    IsoMmeTestFacts facts;
    facts.testNumber = std::move(testNumber);
    facts.mme = IsoParseHeader(mmeText, false);
    facts.lines = KVSideRecord::SharedLines(LinesOf(facts.mme));
    return facts;
}

namespace {

// The facts read last, kept while their test file is the same (for a file
// inside an archive, while the archive is): the channel files of one test,
// read one by one, parse its test file once and share its lines.
struct LastFacts {
    std::string mmePath;
    struct stat info {};
    std::shared_ptr<const IsoMmeTestFacts> facts;
};

std::mutex g_factsLock;
LastFacts g_lastFacts;

bool StatOf(const std::string& path, struct stat& info)
{
    const std::string archive = IsoArchiveOf(path);
    return ::stat((archive.empty() ? path : archive).c_str(), &info) == 0;
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size
        && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

} // namespace

std::shared_ptr<const IsoMmeTestFacts> IsoMmeFactsBeside(const std::string& channelPath)
{
    const std::string file = IsoLastPart(channelPath);
    std::string testNumber = file.substr(0, file.find_last_of('.'));
    const std::string folder = IsoParentOf(channelPath);
    std::string mmePath;
    if (IsoSameName(IsoLastPart(folder), "Channel"))
        for (const IsoEntry& e : IsoListFolder(IsoParentOf(folder)))
            if (!e.folder && IsoSameName(e.name, testNumber + ".mme")) {
                mmePath = e.path;
                break;
            }
    struct stat info {};
    if (mmePath.empty() || !StatOf(mmePath, info)) {
        auto alone = std::make_shared<IsoMmeTestFacts>();
        alone->testNumber = std::move(testNumber);
        return alone;
    }
    {
        const std::lock_guard<std::mutex> lock(g_factsLock);
        if (g_lastFacts.facts && g_lastFacts.mmePath == mmePath && SameFile(g_lastFacts.info, info)
            && g_lastFacts.facts->testNumber == testNumber)
            return g_lastFacts.facts;
    }
    std::string bytes, why, storage;
    bool mark = false;
    auto facts = std::make_shared<const IsoMmeTestFacts>(IsoMmeFactsOf(
        testNumber, IsoReadBytes(mmePath, bytes, why) == IsoReadStatus::Ok ? IsoUnmarkedBytes(bytes, storage, mark)
                                                                            : std::string_view()));
    const std::lock_guard<std::mutex> lock(g_factsLock);
    g_lastFacts = {mmePath, info, facts};
    return facts;
}

KVFileIsoMme::KVFileIsoMme(std::string fileName) : m_fileName(std::move(fileName)) {}

size_t KVFileIsoMme::PointCount()
{
    std::string bytes, why, storage;
    if (IsoReadBytes(m_fileName, bytes, why) != IsoReadStatus::Ok)
        return 0;
    bool mark = false;
    const std::string_view text = IsoUnmarkedBytes(bytes, storage, mark);
    size_t offset = 0;
    IsoParseHeader(text, true, &offset);
    size_t count = 0;
    std::string_view line;
    while (IsoNextLine(text, offset, line))
        count += TrimBlanks(line).empty() ? 0 : 1;
    return count;
}

bool KVFileIsoMme::Load(KVSignal& signal)
{
    std::string bytes, why;
    if (IsoReadBytes(m_fileName, bytes, why) != IsoReadStatus::Ok) {
        AddError(m_fileName + ": " + why, kScope);
        signal.SetHasData(false);
        return false;
    }
    const bool ok = KVLoadIsoMmeChannel(bytes, m_fileName, IsoChannelNumberOf(m_fileName),
                                        *IsoMmeFactsBeside(m_fileName), signal, *this);
    if (!ok)
        signal.SetHasData(false);
    return ok;
}
