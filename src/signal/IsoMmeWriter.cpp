#include "IsoMmeWriter.h"

#include "IsoMmeVocabulary.h"
#include "KVErrorList.h"
#include "KVOutputFile.h"
#include "KVSignal.h"
#include "KVTempFile.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const kScope = "IsoMmeWriteTest";
const char* const kEol = "\r\n";

using Lines = KVSideRecord::Lines;

// The channel fields in the order a writer puts them; unknown values are NOVALUE.
constexpr const char* kChannelNames[] = {
    "Channel code", "Laboratory channel code", "Customer channel code", "Reference channel",
    "Reference channel name", "Data source", "Test object number", "Name of the channel", "Location",
    "Direction", "Dimension", "Pre-filter type", "Channel frequency class", "Cut off frequency",
    "Reference system", "Transducer type", "Transducer id", "Transducer natural frequency",
    "Transducer damping ratio", "Offset post test", "Channel amplitude class", "Sampling interval", "Unit",
    "Time of first sample", "Number of samples", "First global maximum value", "Time of maximum value",
    "First global minimum value", "Time of minimum value", "Bit resolution", "Start offset interval",
    "End offset interval", "Data status",
};

constexpr const char* kTestNames[] = {
    "Data format edition number", "Laboratory name", "Laboratory contact name", "Laboratory contact phone",
    "Laboratory contact fax", "Laboratory contact email", "Laboratory test ref. number", "Customer name",
    "Customer test ref. number", "Customer project ref. number", "Customer order number", "Customer cost unit",
    "Customer test engineer name", "Customer test engineer phone", "Customer test engineer fax",
    "Customer test engineer email", "Title", "Medium no./number of media", "Timestamp", "Type of the test",
    "Subtype of the test", "Regulation", "Reference temperature", "Relative air humidity", "Date of the test",
    "Number of test objects",
};

constexpr const char* kObjectNames[] = {
    "Name of test object", "Velocity test object", "Mass test object", "Driver position object",
    "Impact side test object", "Type of test object", "Class of test object", "Code of test object",
    "Ref. number of test object",
};

// Whether names holds the line of every header field at place: a field
// whose line were missing here would never be written.
template <size_t N>
constexpr bool HoldsEveryFieldLine(const char* const (&names)[N], KVIsoPlace place)
{
    for (const KVFieldRow& row : kKVFieldRows) {
        bool held = row.isoPlace != place;
        for (const char* name : names)
            held = held || row.isoLine == name;
        if (!held)
            return false;
    }
    return true;
}
static_assert(HoldsEveryFieldLine(kChannelNames, KVIsoPlace::Channel));
static_assert(HoldsEveryFieldLine(kTestNames, KVIsoPlace::Test));
static_assert(HoldsEveryFieldLine(kObjectNames, KVIsoPlace::Object));

const char* const kDataStatus[] = {"ok", "channel failed", "meaningless data", "no data", "questionable data",
                                   "scaling factor applied", "system failed", "linearised data"};

// Text on one line: a line break or another control character in a name or
// value would start a header line of its own when read back (a second
// "Sampling interval"), so each becomes a space.
std::string OneLine(std::string text)
{
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7F')
            c = ' ';
    return text;
}

std::string Padded(const std::string& name, const std::string& value)
{
    std::string line = OneLine(name);
    if (line.size() < 28)
        line.append(28 - line.size(), ' ');
    return line + ":" + OneLine(value) + kEol;
}

std::optional<std::string> SideValue(const Lines& lines, std::string_view name)
{
    for (const auto& [n, v] : lines)
        if (IsoSameName(n, name))
            return v;
    return std::nullopt;
}

std::string Blank(const std::string& s)
{
    const size_t a = s.find_first_not_of(' ');
    return a == std::string::npos ? std::string() : s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// The shortest text that reads back as v, in plain decimals where they are
// short enough ("0.0001" rather than "1e-04").
std::string Shortest(float v)
{
    char buf[64];
    const float a = std::fabs(v);
    const auto format = a >= 1e-5f && a < 1e7f ? std::chars_format::fixed : std::chars_format::general;
    const auto res = std::to_chars(buf, buf + sizeof buf, v, format);
    return std::string(buf, res.ptr);
}

bool ReadsAs(const std::string& text, double scale, float v)
{
    double d = 0.0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), d);
    return res.ec == std::errc() && res.ptr == text.data() + text.size() && static_cast<float>(d * scale) == v;
}

// A real as the file had it when that text still reads as v (so the file
// keeps its own spelling), else the shortest text of v / scale.
std::string Spelled(const Lines& side, std::string_view name, float v, double scale = 1.0)
{
    if (auto text = SideValue(side, name); text && ReadsAs(*text, scale, v))
        return *text;
    if (scale == 1.0)
        return Shortest(v);
    char buf[32];
    for (const char* format : {"%.7g", "%.9g"}) {
        std::snprintf(buf, sizeof buf, format, static_cast<double>(v) / scale);
        if (ReadsAs(buf, scale, v))
            break;
    }
    return buf;
}

// A sample in 7-digit E notation, or with 9 digits when 7 do not read back as
// the same float.
void AppendSample(std::string& out, float v)
{
    if (std::isnan(v)) {
        out += "NOVALUE";
        out += kEol;
        return;
    }
    char buf[32];
    for (int digits : {6, 8}) {
        const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, digits);
        float back = 0.0f;
        std::from_chars(buf, res.ptr, back);
        if (back == v || digits == 8) {
            for (char* p = buf; p != res.ptr; ++p)
                if (*p == 'e')
                    *p = 'E';
            out.append(buf, res.ptr);
            break;
        }
    }
    out += kEol;
}

bool IsCodeText(const std::string& s)
{
    if (s.size() != 16)
        return false;
    for (char c : s)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '?'))
            return false;
    return true;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A time of the record (a float in X units) as seconds, from the decimal the
// float stands for: a 0.1 ms step is 0.0001 s exactly rather than
// 0.000100000005, and 20 steps of 0.0001 s are 0.002 s, as a reader of the
// written text computes them.
double InSeconds(double v, double toSeconds, bool isFloat)
{
    if (!isFloat)
        return v * toSeconds;
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, static_cast<float>(v));
    double decimal = v;
    std::from_chars(buf, res.ptr, decimal);
    return decimal / (1.0 / toSeconds);
}

// Time step in seconds and the factor from X units to seconds; false when the
// X axis is not time or its steps are not constant.
bool TimeStep(const KVSignal& s, double& dt, double& toSeconds, KVErrorList& errors)
{
    const std::string xu = Blank(s.XUnits());
    toSeconds = xu.rfind("SECONDS", 0) == 0 ? 1.0 : xu.rfind("MILLISECONDS", 0) == 0 ? 0.001 : 0.0;
    if (toSeconds == 0.0) {
        errors.AddError("X units " + xu + " are not a time; an ISO-MME channel is sampled in time", kScope);
        return false;
    }
    const size_t n = s.PointCount();
    double step = s.Del();
    bool stated = true;
    if (step == 0.0 || step == KV_NO_VALUE) {
        stated = false;
        step = n > 1 ? (double(s.X()[n - 1]) - double(s.X()[0])) / double(n - 1) : 0.0;
        for (size_t i = 1; i < n && step > 0.0; ++i)
            if (std::fabs(double(s.X()[i]) - double(s.X()[i - 1]) - step) > 0.01 * step)
                step = 0.0;
    }
    if (!(step > 0.0) || !std::isfinite(step)) {
        errors.AddError("no constant time step; an ISO-MME channel needs one", kScope);
        return false;
    }
    dt = InSeconds(step, toSeconds, stated);
    return true;
}

std::string CodeBase(const KVSignal& s)
{
    if (auto side = SideValue(s.Header().Side.channelLines, KVIsoLineOf(KVFieldId::SensorAttachment));
        side && IsCodeText(*side))
        return *side;
    if (IsCodeText(s.SensorAttachment()))
        return s.SensorAttachment();
    return std::string(16, '?');
}

} // namespace

bool IsoMmeCodeCharacter(const std::string& text, char& c)
{
    if (text.size() != 1 || !(std::isalnum(static_cast<unsigned char>(text[0])) || text[0] == '?'))
        return false;
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return true;
}

std::string IsoMmeCodeOf(const KVSignal& s, const IsoMmeCodeDefaults& defaults)
{
    std::string code = CodeBase(s);
    if (code[0] == '?' && s.VehicleNumber() >= 1 && s.VehicleNumber() <= 9)
        code[0] = static_cast<char>('0' + s.VehicleNumber());
    if (code[0] == '?')
        code[0] = defaults.object;
    if (code[1] == '?')
        code[1] = defaults.position;

    const std::string location = Blank(s.SensorLocation());
    if (!location.empty()
        && IsoLocationToRecord(code.substr(2, 4), code.substr(6, 2), code.substr(10, 2)).value_or("") != location) {
        const auto iso = IsoLocationFromRecord(location);
        code.replace(2, 4, iso ? iso->main : "????");
        if (iso && iso->fine1 != "??")
            code.replace(6, 2, iso->fine1);
        if (iso && !iso->fine3.empty())
            code.replace(6, 6, "0000" + iso->fine3);
    }
    if (code.substr(10, 2) == "??" && IsoIsDummyLocation(code.substr(2, 4)))
        if (auto dummy = IsoDummyFromRecord(s.OccupantType()))
            code.replace(10, 2, *dummy);

    const std::string type = Blank(s.YType()).empty() ? Blank(s.SensorType()) : Blank(s.YType());
    if (!type.empty() && IsoDimensionWord(code.substr(12, 2)).value_or("") != type)
        code.replace(12, 2, IsoDimensionCode(type).value_or("??"));

    // A blank axis says nothing: the code's direction stays.
    bool sign = false;
    const std::string axis = Blank(s.Axis());
    if (code[14] == '?' || (!axis.empty() && IsoAxisOfDirection(code[14], sign).value_or("") != axis))
        code[14] = IsoDirectionOfAxis(axis).value_or('?');

    const char letter = IsoFilterLetter(s.FilterClass(), s.CutOffFrequency(), s.PreFilterFrequency());
    const auto have = IsoFilterOfLetter(code[15]);
    const auto want = IsoFilterOfLetter(letter);
    if (!have || have->filterClass != want->filterClass || have->filtered != want->filtered
        || have->cutOff != want->cutOff)
        code[15] = letter;
    return code;
}

bool IsoMmeChannelText(const KVSignal& s, std::string& text, KVErrorList& errors, const IsoMmeCodeDefaults& defaults)
{
    double dt = 0.0, toSeconds = 1.0;
    if (s.PointCount() == 0) {
        errors.AddError("a signal without points cannot be written", kScope);
        return false;
    }
    if (!TimeStep(s, dt, toSeconds, errors))
        return false;
    for (size_t i = 0; i < s.PointCount(); ++i)
        if (std::isinf(s.Y()[i])) {
            errors.AddError("sample " + std::to_string(i + 1) + " of " + std::to_string(s.PointCount())
                                + " is infinite, which an ISO-MME channel file cannot hold",
                            kScope);
            return false;
        }
    const Lines& side = s.Header().Side.channelLines;
    const std::string code = IsoMmeCodeOf(s, defaults);
    const float* x = s.X();
    // The first time as the grid gives it (Nfp steps of Del) where that is the
    // first X value to within float rounding: -0.05 rather than -0.049999997.
    double t0 = InSeconds(x[0], toSeconds, true);
    const double grid = double(s.Nfp()) * InSeconds(s.Del(), toSeconds, true);
    if (s.Del() == float(dt / toSeconds) && std::fabs(grid - t0) <= 1e-3 * dt)
        t0 = grid;
    auto timeAt = [&](size_t i) { return static_cast<float>(t0 + double(i) * dt); };
    const float* y = s.Y();
    size_t iMax = s.PointCount(), iMin = s.PointCount();
    for (size_t i = 0; i < s.PointCount(); ++i) {
        if (std::isnan(y[i]))
            continue;
        if (iMax == s.PointCount() || y[i] > y[iMax])
            iMax = i;
        if (iMin == s.PointCount() || y[i] < y[iMin])
            iMin = i;
    }
    const auto filter = IsoFilterOfLetter(code[15]);
    std::string unit = Blank(s.YUnits());
    unit = IsoUnitFromRecord(unit).value_or(unit.empty() ? "NOVALUE" : unit);
    std::string status = Lower(Blank(s.Status()));
    bool known = false;
    for (const char* st : kDataStatus)
        known = known || status == st;
    if (!known)
        status = SideValue(side, KVIsoLineOf(KVFieldId::Status)).value_or("ok");

    // A line that holds a header field is written from the field; the others
    // from the file's own line, NOVALUE without one.
    auto value = [&](const std::string& name) -> std::string {
        auto fromSide = [&]() { return SideValue(side, name).value_or("NOVALUE"); };
        auto real = [&](float v) { return Spelled(side, name, v); };
        const KVFieldRow* field = KVFieldOfIsoLine(KVIsoPlace::Channel, name);
        switch (field ? field->id : KVFieldId::Count) {
        case KVFieldId::SensorAttachment:
            return code;
        case KVFieldId::VehicleNumber: {
            if (s.VehicleNumber() > 0)
                return std::to_string(s.VehicleNumber());
            const bool vehicle = defaults.object >= '1' && defaults.object <= '9';
            return vehicle && !SideValue(side, name) ? std::string(1, defaults.object) : fromSide();
        }
        case KVFieldId::CurveText:
            return Blank(s.CurveText()).empty() ? "NOVALUE" : Blank(s.CurveText());
        case KVFieldId::Axis:
            return std::string(1, code[14]);
        case KVFieldId::YType:
            return code.substr(12, 2);
        case KVFieldId::PreFilterFrequency:
            return s.PreFilterFrequency() > 0 ? real(s.PreFilterFrequency()) : fromSide();
        case KVFieldId::FilterClass:
            return filter && filter->filtered && filter->filterClass <= 1000 ? std::to_string(filter->filterClass)
                                                                            : "NOVALUE";
        case KVFieldId::CutOffFrequency:
            return s.CutOffFrequency() > 0 ? real(s.CutOffFrequency()) : "NOVALUE";
        case KVFieldId::GaugeNumber:
            return s.GaugeNumber() != 0 && !SideValue(side, name) ? std::to_string(s.GaugeNumber()) : fromSide();
        case KVFieldId::Del:
            return Spelled(side, name, static_cast<float>(dt));
        case KVFieldId::YUnits:
            return unit;
        case KVFieldId::T0:
            return Spelled(side, name, timeAt(0));
        case KVFieldId::YMax:
            return iMax == s.PointCount() ? "NOVALUE" : Shortest(y[iMax]);
        case KVFieldId::YMin:
            return iMin == s.PointCount() ? "NOVALUE" : Shortest(y[iMin]);
        case KVFieldId::Status:
            return status;
        default:
            break;
        }
        if (name == "Reference channel")
            return "implicit";
        if (name == "Reference channel name")
            return "NOVALUE";
        if (name == "Number of samples")
            return std::to_string(s.PointCount());
        if (name == "Time of maximum value")
            return iMax == s.PointCount() ? "NOVALUE" : Shortest(timeAt(iMax));
        if (name == "Time of minimum value")
            return iMin == s.PointCount() ? "NOVALUE" : Shortest(timeAt(iMin));
        return fromSide();
    };
    text.clear();
    std::set<std::string> written;
    for (const char* name : kChannelNames) {
        text += Padded(name, value(name));
        written.insert(Lower(name));
    }
    // Lines of the original file that have no place above: comments, lab names.
    for (const auto& [name, v] : side)
        if (!written.count(Lower(name)))
            text += Padded(name, v);
    text.reserve(text.size() + s.PointCount() * 15);
    for (size_t i = 0; i < s.PointCount(); ++i)
        AppendSample(text, y[i]);
    return true;
}

std::string IsoMmeTestText(const KVSignal& s)
{
    const Lines& side = s.Header().Side.testLines;
    std::set<std::string> written;
    std::string text;
    auto put = [&](const std::string& name, const std::string& v) {
        text += Padded(name, v.empty() ? "NOVALUE" : v);
        written.insert(Lower(name));
    };
    auto fromSide = [&](const std::string& name) { return SideValue(side, name).value_or("NOVALUE"); };
    const std::string source = Blank(s.TestSource());
    int objects = 1;
    if (auto n = SideValue(side, "Number of test objects"))
        objects = std::max(objects, std::atoi(n->c_str()));
    objects = std::max(objects, s.VehicleNumber());
    for (const char* name : kTestNames) {
        const std::string n = name;
        const KVFieldRow* field = KVFieldOfIsoLine(KVIsoPlace::Test, n);
        switch (field ? field->id : KVFieldId::Count) {
        case KVFieldId::TestSource:
            put(n, source.empty() || source == "ISO-MME File" ? fromSide(n) : source);
            break;
        case KVFieldId::TestReference:
            put(n, Blank(s.TestReference()));
            break;
        case KVFieldId::TestTitle:
            put(n, Blank(s.TestTitle()));
            break;
        default:
            if (n == "Data format edition number")
                put(n, SideValue(side, n).value_or("1.6"));
            else if (n == "Number of test objects")
                put(n, std::to_string(objects));
            else
                put(n, fromSide(n));
        }
    }
    // The record's vehicle is one of the test objects; its model and speed
    // go to that object's lines.
    for (int k = 1; k <= objects; ++k) {
        for (const char* base : kObjectNames) {
            const std::string n = std::string(base) + " " + std::to_string(k);
            const KVFieldRow* field = k == s.VehicleNumber() ? KVFieldOfIsoLine(KVIsoPlace::Object, base) : nullptr;
            const KVFieldId id = field ? field->id : KVFieldId::Count;
            if (id == KVFieldId::VehicleModel && !Blank(s.VehicleModel()).empty())
                put(n, Blank(s.VehicleModel()));
            else if (id == KVFieldId::ClosingSpeed && s.ClosingSpeed() != 0.0f)
                put(n, Spelled(side, n, s.ClosingSpeed(), 3.6));
            else
                put(n, fromSide(n));
        }
    }
    for (const auto& [name, v] : side)
        if (!written.count(Lower(name)))
            text += Padded(name, v);
    return text;
}

namespace {

bool WriteFile(const fs::path& path, const std::string& text, KVErrorList& errors)
{
    std::string reason;
    if (!KVWriteFile(path.string(), {reinterpret_cast<const uint8_t*>(text.data()), text.size()}, reason)) {
        errors.AddError("Couldn't write " + path.string() + ": " + reason, kScope);
        return false;
    }
    return true;
}

// Writes the whole test into folder (which exists and is empty).
bool WriteInto(const std::vector<const KVSignal*>& signals, const fs::path& folder, const std::string& stem,
               const IsoMmeCodeDefaults& defaults, KVErrorList& errors)
{
    std::error_code ec;
    fs::create_directory(folder / "Channel", ec);
    if (ec) {
        errors.AddError("Couldn't make " + (folder / "Channel").string() + ": " + ec.message(), kScope);
        return false;
    }
    if (!WriteFile(folder / (stem + ".mme"), IsoMmeTestText(*signals.front()), errors))
        return false;
    std::string list = Padded("Instrumentation standard", "SAEJ211, issued 1992");
    if (auto side = SideValue(signals.front()->Header().Side.testLines, "Instrumentation standard"))
        list = Padded("Instrumentation standard", *side);
    list += Padded("Number of channels", std::to_string(signals.size()));
    std::string text;
    for (size_t i = 0; i < signals.size(); ++i) {
        char number[24];
        std::snprintf(number, sizeof number, "%03zu", i + 1);
        KVErrorList why;
        if (!IsoMmeChannelText(*signals[i], text, why, defaults)) {
            const std::string title = Blank(signals[i]->CurveText());
            for (const KVException& e : why.Errors())
                errors.AddError("channel " + std::string(number) + (title.empty() ? "" : " (" + title + ")") + ": "
                                    + e.Message(),
                                e.Scope());
            return false;
        }
        list += Padded(std::string("Name of channel ") + number, IsoMmeCodeOf(*signals[i], defaults));
        if (!WriteFile(folder / "Channel" / (stem + "." + number), text, errors))
            return false;
    }
    return WriteFile(folder / "Channel" / (stem + ".chn"), list, errors);
}

} // namespace

bool IsoMmeWriteTest(const std::vector<const KVSignal*>& signals, const std::string& testDir, KVErrorList& errors,
                     const IsoMmeCodeDefaults& defaults)
{
    const fs::path target = fs::path(testDir).lexically_normal();
    const std::string stem = (target.has_filename() ? target.filename() : target.parent_path().filename()).string();
    const fs::path dest = target.has_filename() ? target : target.parent_path();
    std::error_code ec;
    if (signals.empty() || signals.size() > 999) {
        errors.AddError(signals.empty() ? "no signal to write" : "a test holds at most 999 channels", kScope);
        return false;
    }
    if (stem.empty() || stem == "." || stem == "..") {
        errors.AddError(testDir + ": the folder's name is the test number; give one", kScope);
        return false;
    }
    if (fs::exists(fs::symlink_status(dest, ec))) {
        errors.AddError(dest.string() + " already exists; an existing test is never replaced", kScope);
        return false;
    }
    const fs::path parent = dest.has_parent_path() ? dest.parent_path() : fs::path(".");
    // The folders above the test that this write makes; a failure removes them again.
    std::vector<fs::path> made;
    for (fs::path p = parent; !p.empty() && !fs::exists(fs::symlink_status(p, ec)); p = p.parent_path())
        made.push_back(p);
    const auto removeMade = [&] {
        for (const fs::path& p : made)
            if (::rmdir(p.c_str()) != 0)
                break;
    };
    fs::create_directories(parent, ec);
    std::string pattern = (parent / ("." + stem + ".partial-XXXXXX")).string();
    int cleanup = -1;
    {
        // Made and entered for removal on an interrupting signal with the
        // signals held, so that no interruption falls between the two.
        const KVSignalsHeld held;
        if (::mkdtemp(pattern.data()))
            cleanup = KVRememberTempFolder(pattern);
        else
            pattern.clear();
    }
    if (pattern.empty()) {
        errors.AddError("Couldn't make a folder beside " + dest.string() + ": " + std::strerror(errno), kScope);
        removeMade();
        return false;
    }
    const fs::path temp = pattern;
    // mkdtemp makes the folder 0700; a test is made for colleagues to read, as
    // files are: the umask decides.
    ::chmod(temp.c_str(), 0777 & ~KVProcessUmask());
    bool ok = WriteInto(signals, temp, stem, defaults, errors);
    // RENAME_NOREPLACE: a folder made meanwhile under the same name is not replaced either.
    if (ok && ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, dest.c_str(), RENAME_NOREPLACE) != 0) {
        errors.AddError("Couldn't rename the written test to " + dest.string() + ": " + std::strerror(errno), kScope);
        ok = false;
    }
    if (!ok)
        fs::remove_all(temp, ec);
    KVForgetTempName(cleanup);
    if (!ok) {
        removeMade();
        return false;
    }
    // Each file was sent to disk as it was written; the test's own name follows.
    if (!KVSyncFolder(parent.string())) {
        errors.AddError("Couldn't send " + dest.string() + " to disk: " + std::strerror(errno), kScope);
        return false;
    }
    return ok;
}
