#include "KVFileIsoMme.h"

#include "IsoMmeSource.h"
#include "IsoMmeVocabulary.h"
#include "KVNumberText.h"
#include "KVSignal.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
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

// A sample text: a number with an optional sign, NOVALUE (NaN), or nothing.
bool ParseSample(std::string_view text, float& v)
{
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    const auto res = std::from_chars(first, last, v);
    if (res.ptr == last && first != last) {
        if (res.ec == std::errc())
            return true;
        if (res.ec == std::errc::result_out_of_range) // beyond float: read as the C library would
            return (v = std::strtof(std::string(text).c_str(), nullptr)), true;
    }
    if (text == "NOVALUE") {
        v = std::numeric_limits<float>::quiet_NaN();
        return true;
    }
    return false;
}

bool ParseReal(const std::optional<std::string>& text, double& v)
{
    return text && KVParseNumber(*text, v);
}

std::string Where(const std::string& name, size_t line)
{
    return line ? name + ":" + std::to_string(line) + ": " : name + ": ";
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
    if (auto d = c.h.Given("Dimension"); d && (dim.empty() || dim.find('?') != std::string::npos))
        dim = *d;
    if (auto word = IsoDimensionWord(dim)) {
        out.SensorType = *word;
        out.YType = *word;
    }
    char direction = code.size() == 16 ? code[14] : '?';
    if (auto d = c.h.Given("Direction"); d && d->size() == 1 && direction == '?')
        direction = (*d)[0];
    bool signConvention = false;
    if (auto axis = IsoAxisOfDirection(direction, signConvention))
        out.Axis = *axis;
    if (signConvention)
        c.Warn("Channel code", std::string("direction ") + direction + " is " + out.Axis
                                   + " with a sign convention other than SAE J211's");
    if (code.size() != 16)
        return;
    if (auto loc = IsoLocationToRecord(code.substr(2, 4), code.substr(6, 2)))
        out.SensorLocation = *loc;
    if (auto dummy = IsoDummyToRecord(code.substr(10, 2)))
        out.OccupantType = *dummy;
}

void MapFilter(const Context& c, char letter, KVHeader& out)
{
    std::optional<IsoFilter> filter = IsoFilterOfLetter(letter);
    double cfc = 0.0;
    if (!filter && ParseReal(c.h.Given("Channel frequency class"), cfc) && cfc > 0 && cfc < 1e6) {
        const int cls = static_cast<int>(std::lround(cfc));
        filter = IsoFilter{cls == 60 || cls == 180 || cls == 600 || cls == 1000 ? cls : 1001,
                           static_cast<float>(cfc * 5.0 / 3.0), true};
    }
    if (!filter)
        filter = IsoFilter{};
    out.FilterClass = filter->filterClass;
    double cutOff = 0.0;
    out.CutOffFrequency = ParseReal(c.h.Given("Cut off frequency"), cutOff) ? static_cast<float>(cutOff)
                                                                             : filter->cutOff;
    double pre = 0.0;
    if (ParseReal(c.h.Given("Pre-filter type"), pre))
        out.PreFilterFrequency = static_cast<float>(pre);
    std::string status = c.h.Given("Data status").value_or("ok");
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
    out.TestReference = m.Given("Laboratory test ref. number").value_or(stem.empty() ? " " : stem);
    out.TestTitle = m.Given("Title").value_or(" ");
    out.TestSource = m.Given("Laboratory name").value_or("ISO-MME File");
    const std::string k = std::to_string(out.VehicleNumber);
    if (auto name = m.Given("Name of test object " + k))
        out.VehicleModel = *name;
    double v = 0.0;
    if (ParseReal(m.Given("Velocity test object " + k), v)) {
        out.ClosingSpeed = static_cast<float>(v * 3.6);
        out.InitialVelocity = out.ClosingSpeed;
    }
}

void KeepLines(const IsoMmeHeader& h, KVSideRecord::Lines& lines)
{
    lines.clear();
    for (const IsoMmeField& f : h.fields)
        lines.emplace_back(f.name, f.value);
}

// The sample lines from offset on: numbers, NOVALUE as NaN; blank lines skipped.
bool ReadSamples(std::string_view text, size_t offset, size_t firstLine, const std::string& name,
                 KVSamples& y, size_t& noValues, size_t& firstNoValueLine, KVErrorList& errors)
{
    size_t pos = offset;
    size_t line = firstLine - 1;
    std::string_view raw;
    while (IsoNextLine(text, pos, raw)) {
        ++line;
        const std::string_view t = TrimBlanks(raw);
        if (t.empty())
            continue;
        float v;
        if (!ParseSample(t, v)) {
            errors.AddError(Where(name, line) + "\"" + std::string(t.substr(0, 40))
                                + "\" is not a sample value (a number or NOVALUE)",
                            kScope);
            return false;
        }
        if (v != v && noValues++ == 0)
            firstNoValueLine = line;
        y.push_back(v);
    }
    return true;
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
        if (IsoSameName(name, "Channel code") || IsoSameName(name, "Sampling interval")
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
    if (!ParseReal(h.Given("Sampling interval"), dt) || dt <= 0.0) {
        const bool explicitAxis = IsoSameName(h.Given("Reference channel").value_or(""), "explicit");
        errors.AddError(Where(name, c.LineOf("Sampling interval"))
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
    if (hasCount && declared > 0 && declared < 1e9)
        y.reserve(static_cast<size_t>(declared));
    size_t noValues = 0, firstNoValue = 0;
    if (!ReadSamples(text, dataOffset, dataLine, name, y, noValues, firstNoValue, errors))
        return false;
    if (y.empty()) {
        errors.AddError(Where(name, dataLine) + "the channel holds no samples", kScope);
        return false;
    }
    if (!hasCount || declared != static_cast<double>(y.size()))
        c.Warn("Number of samples", "Number of samples says "
                                        + h.Given("Number of samples").value_or("NOVALUE") + ", the file holds "
                                        + std::to_string(y.size()) + " sample lines; all of them are read");
    if (noValues)
        errors.AddError(Where(name, firstNoValue) + std::to_string(noValues)
                            + " NOVALUE sample(s), the first on this line, read as gaps (NaN)",
                        kScope);

    double t0 = 0.0;
    if (!ParseReal(h.Given("Time of first sample"), t0))
        c.Warn("Time of first sample", "Time of first sample is not given; 0 assumed");
    const double steps = t0 / dt;
    if (!(std::fabs(steps) < 1e9)) {
        errors.AddError(Where(name, c.LineOf("Time of first sample"))
                            + "Time of first sample lies more than 1e9 sampling intervals from zero",
                        kScope);
        return false;
    }
    const long long nfp = std::llround(steps);
    if (std::fabs(steps - static_cast<double>(nfp)) > 1e-6 * std::max(1.0, std::fabs(steps)))
        c.Warn("Time of first sample", "Time of first sample is not a whole number of sampling intervals;"
                                       " the first point index is rounded");

    signal.Reset();
    KVSamples x(y.size());
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = static_cast<float>(t0 + static_cast<double>(i) * dt);
    const size_t n = y.size();
    if (!signal.AdoptArrays(std::move(x), std::move(y))) {
        errors.AddError(Where(name, 0) + "Couldn't set sequence length", kScope);
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

    const std::string code = h.Given("Channel code").value_or("");
    MapCode(c, code, out);
    MapFilter(c, code.size() == 16 ? code[15] : '?', out);
    if (auto unit = h.Given("Unit")) {
        if (auto word = IsoUnitToRecord(*unit)) {
            out.YUnits = *word;
        } else {
            out.YUnits = *unit;
            c.Warn("Unit", "unit \"" + *unit + "\" is not known here; kept as written");
        }
    }
    if (auto title = h.Given("Name of the channel"))
        out.CurveText = *title;
    double number = 0.0;
    if (ParseReal(h.Given("Test object number"), number) && std::fabs(number) < 1e6)
        out.VehicleNumber = static_cast<int>(number);
    else if (!code.empty() && code[0] >= '1' && code[0] <= '9')
        out.VehicleNumber = code[0] - '0';
    if (ParseReal(h.Given("Transducer id"), number) && number == std::floor(number) && std::fabs(number) < 2e9)
        out.GaugeNumber = static_cast<int>(number);
    MapTest(facts, out);
    KeepLines(facts.mme, out.Side.testLines);
    KeepLines(h, out.Side.channelLines);
    signal.UpdateExtremes();
    signal.SetHasData(true);
    return true;
}

IsoMmeTestFacts IsoMmeFactsBeside(const std::string& channelPath)
{
    IsoMmeTestFacts facts;
    const std::string file = IsoLastPart(channelPath);
    facts.testNumber = file.substr(0, file.find_last_of('.'));
    const std::string folder = IsoParentOf(channelPath);
    if (!IsoSameName(IsoLastPart(folder), "Channel"))
        return facts;
    const std::string testFolder = IsoParentOf(folder);
    for (const IsoEntry& e : IsoListFolder(testFolder)) {
        if (e.folder || !IsoSameName(e.name, facts.testNumber + ".mme"))
            continue;
        std::string bytes, why, storage;
        bool mark = false;
        if (IsoReadBytes(e.path, bytes, why) == IsoReadStatus::Ok)
            facts.mme = IsoParseHeader(IsoUnmarkedBytes(bytes, storage, mark), false);
        break;
    }
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
                                        IsoMmeFactsBeside(m_fileName), signal, *this);
    if (!ok)
        signal.SetHasData(false);
    return ok;
}
