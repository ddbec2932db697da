#include "CRVFFile.h"

#include "KVFileBytes.h"
#include "KVOutputFile.h"
#include "KVSystemReason.h"
#include "RvfIo.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>

namespace {

const char* const kReadScope = "CRVFFile::RVF_Read";
const char* const kWriteScope = "CRVFFile::RVF_Write";

// The machine's conventions, found once from the bytes of two known values.
struct MachineConventions {
    int order = RVF_UNKNOWN_ORDER;
    int format = RVF_UNKNOWN_FORMAT;
};

const MachineConventions& Machine()
{
    static const MachineConventions conventions = [] {
        MachineConventions c;
        const int32_t i = 0x00006386;
        uint8_t b[4];
        std::memcpy(b, &i, 4);
        if (b[0] == 0x86 && b[1] == 0x63 && b[2] == 0 && b[3] == 0)
            c.order = RVF_LITTLE_ENDIAN;
        else if (b[0] == 0 && b[1] == 0 && b[2] == 0x63 && b[3] == 0x86)
            c.order = RVF_BIG_ENDIAN;
        const uint32_t bits = 0x359AC0C7u;
        float f;
        std::memcpy(&f, &bits, 4);
        std::memcpy(b, &f, 4);
        const auto is = [&b](int x0, int x1, int x2, int x3) {
            return b[0] == x0 && b[1] == x1 && b[2] == x2 && b[3] == x3;
        };
        if (is(0xC7, 0xC0, 0x9A, 0x35))
            c.format = RVF_IEEE;
        else if (is(0x35, 0x9A, 0xC0, 0xC7))
            c.format = RVF_SUN;
        else if (is(0x9A, 0x36, 0xC7, 0xC0))
            c.format = RVF_VAX;
        return c;
    }();
    return conventions;
}

const char* FormatName(int format, const char* unknown)
{
    switch (format) {
    case RVF_IEEE: return "IEEE";
    case RVF_SUN: return "SUN";
    case RVF_VAX: return "VAX";
    default: return unknown;
    }
}

// A text as it lands in a field of the given width (before blank padding).
std::string FieldText(const std::string& s, size_t width)
{
    size_t n = s.size();
    while (n > 0 && RvfIsSpace(static_cast<unsigned char>(s[n - 1])))
        --n;
    return s.substr(0, std::min(n, width));
}

// Leading decimal number of a text (as atoi would read it, clamped to the
// integer range); 0 when none.
int LeadingNumber(const std::string& s)
{
    size_t i = 0;
    while (i < s.size() && RvfIsSpace(static_cast<unsigned char>(s[i])))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    long long v = 0;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > 0x7FFFFFFFLL)
            v = 0x7FFFFFFFLL + 1;
    }
    if (negative)
        v = -v;
    return static_cast<int>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

// The vehicle and occupant blocks lie at 181 in record 1 and at 524 in record 2.
template <class Io>
void VisitVehicleOccupant(Io& io, size_t base, RvfVehicle& v, RvfOccupant& o)
{
    const size_t d = base - 181;
    io.Int(d + 181, v.Number);
    io.Text(d + 185, 2, v.Field185);
    io.Text(d + 187, 30, v.Field187);
    io.Text(d + 217, 15, v.Make);
    io.Text(d + 232, 25, v.Model);
    io.Int(d + 257, v.ModelYear);
    io.Text(d + 261, 25, v.Field261);
    io.Text(d + 286, 4, v.Field286);
    io.Real(d + 290, v.Value);
    io.Real(d + 294, v.Value294);
    io.Text(d + 298, 6, o.Type);
    io.Int(d + 304, o.Int304);
    io.Text(d + 308, 1, o.Sex);
    io.Real(d + 309, o.Weight);
    io.Text(d + 313, 2, o.Size);
    io.Text(d + 315, 20, o.Restraint1);
    io.Text(d + 335, 20, o.Restraint2);
}

template <class Io>
void VisitFirstRecord(Io& io, RvfFileId& id, RvfTest& t, RvfVehicle& v, RvfOccupant& o, RvfInjury& j)
{
    io.Text(0, 12, id.Identifier);
    io.Int(12, id.Record1Int);
    io.Text(16, 10, id.DataType);
    io.Text(26, 5, id.FloatFormatName);
    io.Text(31, 3, t.Dimension);
    io.Text(34, 15, t.Source);
    io.Int(49, t.Number);
    io.Text(53, 12, t.NumberText);
    io.Text(65, 70, t.Title);
    io.Text(135, 25, t.Text135);
    io.Text(160, 10, t.Reference);
    io.Text(170, 3, t.Config);
    io.Int(173, t.ImpactAngle);
    io.Real(177, t.ClosingSpeed);
    VisitVehicleOccupant(io, 181, v, o);
    io.Real(355, j.Hic);
    io.Real(359, j.HicT1);
    io.Real(363, j.HicT2);
    io.Real(367, j.Real367);
    io.Real(371, j.Clip3ms);
    io.Real(375, j.Csi);
    io.Text(379, 1, j.Ais);
}

template <class Io>
void VisitCurveRecord(Io& io, size_t r, RvfCurve& c)
{
    io.Int(r + 12, c.Int12);
    io.Text(r + 16, 10, c.DataType);
    io.Int(r + 26, c.Number);
    io.Text(r + 30, 12, c.NumberText);
    io.Text(r + 42, 30, c.Attachment);
    io.Text(r + 72, 2, c.Location);
    io.Int(r + 74, c.Int74);
    io.Int(r + 78, c.GaugeNumber);
    io.Int(r + 82, c.BandNumber);
    io.Text(r + 86, 2, c.Axis);
    io.Text(r + 88, 20, c.YType);
    io.Text(r + 108, 20, c.YUnits);
    io.Text(r + 128, 20, c.XType);
    io.Text(r + 148, 20, c.XUnits);
    io.Text(r + 168, 20, c.Status);
    io.Text(r + 188, 20, c.Kind);
    io.Text(r + 208, 70, c.Description);
    io.Int(r + 278, c.Nfp);
    io.Int(r + 282, c.Nlp);
    io.Real(r + 286, c.Del);
    io.Real(r + 290, c.InitialVelocity);
    io.Real(r + 294, c.PreFilterFrequency);
    io.Real(r + 298, c.CutOffFrequency);
    io.Real(r + 302, c.Real302);
    io.Real(r + 306, c.StoppingFrequency);
    io.Real(r + 310, c.Real310);
    for (size_t k = 0; k < 5; ++k)
        io.Int(r + 314 + 4 * k, c.Ints314[k]);
    for (size_t k = 0; k < 5; ++k)
        io.Real(r + 334 + 4 * k, c.Reals334[k]);
    io.Text(r + 354, 20, c.Text354);
    io.Text(r + 374, 70, c.Text374);
}

// Whether the 12-byte label at offset, read as a text field, is label; no
// text is built, as this runs for every data record.
bool LabelIs(std::span<const uint8_t> buf, size_t offset, std::string_view label)
{
    if (offset + 12 > buf.size())
        return false;
    const uint8_t* p = buf.data() + offset;
    size_t n = 0;
    while (n < 12 && p[n] != 0)
        ++n;
    while (n > 0 && RvfIsSpace(p[n - 1]))
        --n;
    if (n != label.size())
        return false;
    for (size_t i = 0; i < n; ++i)
        if (RvfUpper(static_cast<char>(p[i])) != label[i])
            return false;
    return true;
}

} // namespace

// ---------------------------------------------------------------------------
// Float formats and texts

void RvfConvertFloatBytes(uint8_t b[4], int from, int to)
{
    if (from == to)
        return;
    const uint8_t b0 = b[0], b1 = b[1], b2 = b[2], b3 = b[3];
    const auto set = [b](int r0, int r1, int r2, int r3) {
        b[0] = static_cast<uint8_t>(r0);
        b[1] = static_cast<uint8_t>(r1);
        b[2] = static_cast<uint8_t>(r2);
        b[3] = static_cast<uint8_t>(r3);
    };
    if (from == RVF_VAX && to == RVF_IEEE) {
        if (b1 == 0 || b1 == 0x80)
            set(0, 0, 0, 0);
        else
            set(b2, b3, b0, b1 - 1);
    } else if (from == RVF_VAX && to == RVF_SUN) {
        if (b1 == 0 || b1 == 0x80)
            set(0, 0, 0, 0);
        else
            set(b1 - 1, b0, b3, b2);
    } else if (from == RVF_IEEE && to == RVF_VAX) {
        if (b3 == 0 || b3 == 0x80)
            set(0, 0, 0, 0);
        else if (b3 == 0x7F || b3 == 0xFF)
            set(0xFF, b3, 0xFF, 0xFF);
        else
            set(b2, b3 + 1, b0, b1);
    } else if (from == RVF_SUN && to == RVF_VAX) {
        if (b0 == 0 || b0 == 0x80)
            set(0, 0, 0, 0);
        else if (b0 == 0x7F || b0 == 0xFF)
            set(0xFF, b0, 0xFF, 0xFF);
        else
            set(b1, b0 + 1, b3, b2);
    } else if ((from == RVF_IEEE && to == RVF_SUN) || (from == RVF_SUN && to == RVF_IEEE)) {
        set(b3, b2, b1, b0);
    } else {
        set(0, 0, 0, 0);
    }
}

int RvfFloatFormatFromName(const std::string& name)
{
    const std::string n = RvfReadText(reinterpret_cast<const uint8_t*>(name.data()), name.size());
    if (n == "IEEE")
        return RVF_IEEE;
    if (n == "SUN")
        return RVF_SUN;
    if (n == "VAX")
        return RVF_VAX;
    return RVF_UNKNOWN_FORMAT;
}

int RvfByteOrderFromFormat(int floatFormat)
{
    switch (floatFormat) {
    case RVF_IEEE: return RVF_LITTLE_ENDIAN;
    case RVF_SUN: return RVF_BIG_ENDIAN;
    case RVF_VAX: return RVF_LITTLE_ENDIAN;
    default: return RVF_UNKNOWN_ORDER;
    }
}

std::string RvfReadText(const uint8_t* p, size_t width)
{
    size_t n = 0;
    while (n < width && p[n] != 0)
        ++n;
    while (n > 0 && RvfIsSpace(p[n - 1]))
        --n;
    std::string s(reinterpret_cast<const char*>(p), n);
    for (char& ch : s)
        ch = RvfUpper(ch);
    return s;
}

bool RvfIsBlank(const std::string& s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return RvfIsSpace(static_cast<unsigned char>(c)); });
}

int RvfFixModelYear(int year)
{
    if (year >= 1 && year <= 49)
        return year + 2000;
    if (year >= 50 && year <= 99)
        return year + 1900;
    return year;
}

// ---------------------------------------------------------------------------
// CRVFFile

CRVFFile::CRVFFile() { FileId.FloatFormatName = MachineFloatFormatName(); }

CRVFFile::~CRVFFile() = default;

int CRVFFile::FileFloatFormat() const { return RvfFloatFormatFromName(FileId.FloatFormatName); }
int CRVFFile::FileByteOrder() const { return RvfByteOrderFromFormat(FileFloatFormat()); }
std::string CRVFFile::FileFloatFormatName() const { return FormatName(FileFloatFormat(), "UNKNOWN"); }
int CRVFFile::MachineByteOrder() const { return Machine().order; }
int CRVFFile::MachineFloatFormat() const { return Machine().format; }
std::string CRVFFile::MachineFloatFormatName() const { return FormatName(MachineFloatFormat(), "UKNOWN"); }

void CRVFFile::SettleFileConventions()
{
    m_fileFormat = FileFloatFormat();
    m_fileOrder = FileByteOrder();
}

bool CRVFFile::RVF_Read(const std::string& fileName)
{
    KVFileBytes file;
    switch (file.Read(fileName, RecordSize)) {
    case KVFileBytes::Ok:
        break;
    case KVFileBytes::CannotOpen:
        // The message box shows this line alone: it names the file and why.
        AddError("Couldn't open file: " + file.Describe(fileName), kReadScope);
        return false;
    case KVFileBytes::NotRegular: // a directory or a device, whatever size it claims
    case KVFileBytes::WrongSize:
        AddError(fileName + " is not a valid RVF-1992 Signal File.", kReadScope);
        return false;
    case KVFileBytes::TooLarge:
        AddError(file.Describe(fileName), kReadScope);
        return false;
    case KVFileBytes::NoInfo:
    case KVFileBytes::ReadFailed:
        AddError("Couldn't get file info from " + fileName, kReadScope);
        return false;
    }
    const std::span<const uint8_t> buf = file.Bytes();
    try {
        return ReadFirstRecord(buf) && ReadSecondRecord(buf) && ReadThirdRecord(buf) && ReadSignalArrays(buf);
    } catch (const std::bad_alloc&) {
        // The arrays of a file that fitted in memory once may not fit twice.
        X.clear();
        Y.clear();
        AddError("Couldn't get file info from " + fileName, kReadScope);
        return false;
    }
}

bool CRVFFile::ReadFirstRecord(std::span<const uint8_t> buf)
{
    const char* scope = "CRVFFile::ReadFirstRecord";
    if (buf.size() < 380) {
        AddError("Data buffer too small", scope);
        return false;
    }
    if (RvfReadText(buf.data(), 12) != "RVF-1992") {
        AddError("Not a RVF-1992 Signal File", scope);
        return false;
    }
    FileId.DataType = RvfReadText(buf.data() + 16, 10);
    FileId.FloatFormatName = RvfReadText(buf.data() + 26, 5);
    Test.Dimension = RvfReadText(buf.data() + 31, 3);
    SettleFileConventions();
    try {
        RvfReader io(buf, m_fileOrder, MachineByteOrder(), m_fileFormat, MachineFloatFormat());
        VisitFirstRecord(io, FileId, Test, Vehicle, Occupant, Injury);
    } catch (const KVException& e) {
        AddError(e);
        return false;
    }
    Vehicle.ModelYear = RvfFixModelYear(Vehicle.ModelYear);
    return true;
}

bool CRVFFile::ReadSecondRecord(std::span<const uint8_t> buf)
{
    if (buf.size() < 698) {
        AddError("Data buffer too small", "CRVFFile::ReadSecondRecord");
        return false;
    }
    m_secondRecord = LabelIs(buf, 512, "CMP-2 HDR");
    if (!m_secondRecord)
        return true;
    try {
        RvfReader io(buf, m_fileOrder, MachineByteOrder(), m_fileFormat, MachineFloatFormat());
        VisitVehicleOccupant(io, 524, Vehicle2, Occupant2);
    } catch (const KVException& e) {
        AddError(e);
        return false;
    }
    return true;
}

bool CRVFFile::ReadThirdRecord(std::span<const uint8_t> buf)
{
    const char* scope = "CRVFFile::ReadThirdRecord";
    const size_t r = m_secondRecord ? 1024 : 512;
    if (buf.size() < r + 440) {
        AddError("Data buffer too small", scope);
        return false;
    }
    if (!LabelIs(buf, r, "CURVE HDR")) {
        AddError("Invalid  3rd Record Header", scope);
        return false;
    }
    try {
        RvfReader io(buf, m_fileOrder, MachineByteOrder(), m_fileFormat, MachineFloatFormat());
        VisitCurveRecord(io, r, Curve);
    } catch (const KVException& e) {
        AddError(e);
        return false;
    }
    return true;
}

bool CRVFFile::ReadSignalArrays(std::span<const uint8_t> buf)
{
    const char* scope = "CRVFFile::ReadSignalArrays";
    if (Curve.Nfp == Curve.Nlp) {
        AddError("Equal array indices, NFP = NLP in file", scope);
        return false;
    }
    if (Curve.Nlp < Curve.Nfp) {
        AddError("Crossed array indices, NFP > NLP in file", scope);
        return false;
    }
    const size_t d = m_secondRecord ? 1536 : 1024;
    const int64_t records = buf.size() > d ? int64_t((buf.size() - d) / RecordSize) : 0;
    const int64_t n = PointCount();
    const int64_t padded = (n + ValuesPerRecord - 1) / ValuesPerRecord * ValuesPerRecord;
    const bool yOnly = FileId.DataType == "Y";
    if (records * ValuesPerRecord != (yOnly ? padded : 2 * padded)) {
        AddError("Insufficient Data Points", scope);
        return false;
    }
    X.clear();
    Y.clear();
    if (!yOnly && FileId.DataType != "X-Y")
        return true; // an unknown layout: no data record is read
    // Each run grows record by record up to N values.
    const size_t count = static_cast<size_t>(n);
    Y.reserve(count);
    if (!yOnly)
        X.reserve(count);
    try {
        RvfReader io(buf, m_fileOrder, MachineByteOrder(), m_fileFormat, MachineFloatFormat());
        float values[ValuesPerRecord];
        for (int64_t b = 0; b < records; ++b) {
            const size_t offset = d + static_cast<size_t>(b) * RecordSize;
            std::vector<float>* target = nullptr;
            if (LabelIs(buf, offset, "Y DATA")) {
                target = &Y;
            } else if (!yOnly && LabelIs(buf, offset, "X DATA")) {
                target = &X;
            } else {
                X.clear();
                Y.clear();
                AddError("Unknown Data Block", scope);
                return false;
            }
            const size_t take = std::min<size_t>(ValuesPerRecord, count - target->size());
            io.Reals(offset + 12, values, take);
            target->insert(target->end(), values, values + take);
        }
        // An "X-Y" file holds as many records as both runs need, but their
        // labels may give one run more and the other fewer: a run that does
        // not reach N values would leave points without data.
        for (const auto& [run, label] : {std::pair{&Y, "Y DATA"}, std::pair{&X, "X DATA"}}) {
            if (run->size() < count && (run == &Y || !yOnly)) {
                const int64_t need = (n + ValuesPerRecord - 1) / ValuesPerRecord;
                const int64_t have = int64_t(run->size() + ValuesPerRecord - 1) / ValuesPerRecord;
                X.clear();
                Y.clear();
                AddError(std::string("Too few ") + label + " records: " + std::to_string(have) + " of the "
                             + std::to_string(need) + " that " + std::to_string(n) + " points need",
                         scope);
                return false;
            }
        }
    } catch (const KVException& e) {
        X.clear();
        Y.clear();
        AddError(e);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Writing

bool CRVFFile::AssembleBuffer(std::vector<uint8_t>& buf)
{
    int nfp = Curve.Nfp;
    int nlp = Curve.Nlp;
    int64_t n = int64_t(nlp) - int64_t(nfp) + 1;
    if (n < 2 || (nfp == 0 && nlp == 0)) {
        nfp = nlp = 0;
        n = 1;
    }
    const std::string layout = RvfReadText(reinterpret_cast<const uint8_t*>(FileId.DataType.data()),
                                           FileId.DataType.size());
    const int arrays = layout == "Y" ? 1 : layout == "X-Y" ? 2 : 0;
    const size_t r = m_secondRecord ? 1024 : 512;
    const size_t d = r + RecordSize;
    const size_t perArray = static_cast<size_t>((n + ValuesPerRecord - 1) / ValuesPerRecord);
    buf.assign(d + perArray * RecordSize * static_cast<size_t>(arrays), 0);

    RvfWriter io(buf, m_fileOrder, MachineByteOrder(), m_fileFormat, MachineFloatFormat());
    RvfTest test = Test;
    if (test.Number == 0)
        test.Number = LeadingNumber(FieldText(test.NumberText, 12));
    RvfVehicle vehicle = Vehicle;
    vehicle.ModelYear = RvfFixModelYear(vehicle.ModelYear);
    RvfCurve curve = Curve;
    curve.DataType = FileId.DataType;
    if (curve.Number == 0)
        curve.Number = LeadingNumber(FieldText(curve.NumberText, 12));
    curve.Nfp = nfp;
    curve.Nlp = nlp;

    VisitFirstRecord(io, FileId, test, vehicle, Occupant, Injury);
    if (m_secondRecord) {
        std::string label = "CMP-2 HDR";
        io.Text(512, 12, label);
        VisitVehicleOccupant(io, 524, Vehicle2, Occupant2);
    }
    std::string curveLabel = "CURVE HDR";
    io.Text(r, 12, curveLabel);
    VisitCurveRecord(io, r, curve);

    // Data records: the Y run first, then for "X-Y" the X run.
    const bool withValues = n >= 2; // n is 1 exactly when no values are written (see above)
    size_t offset = d;
    const auto writeRun = [&](const std::vector<float>& values, const char* label) {
        std::string text = label;
        for (size_t rec = 0; rec < perArray; ++rec, offset += RecordSize) {
            io.Text(offset, 12, text);
            if (!withValues)
                continue;
            const size_t first = rec * ValuesPerRecord;
            const size_t count = std::min<size_t>(ValuesPerRecord, static_cast<size_t>(n) - first);
            // Values the arrays do not hold stay zero.
            const size_t have = first < values.size() ? std::min(count, values.size() - first) : 0;
            if (have > 0)
                io.Reals(offset + 12, values.data() + first, have);
        }
    };
    if (arrays >= 1)
        writeRun(Y, "Y DATA");
    if (arrays == 2)
        writeRun(X, "X DATA");
    return true;
}

bool CRVFFile::RVF_Write(const std::string& fileName)
{
    if (Curve.Nlp < Curve.Nfp) {
        AddError("Crossed array indices, NFP > NLP", kWriteScope);
        return false;
    }
    if (Curve.Nfp == Curve.Nlp) {
        AddError("Equal array indices, NFP = NLP", kWriteScope);
        return false;
    }
    KVOutputFile out(fileName);
    if (!out.Open()) {
        AddError("Couldn't open output file", kWriteScope);
        AddError(fileName + ": " + out.Reason(), kWriteScope);
        return false;
    }
    SettleFileConventions();
    if (m_fileFormat == RVF_UNKNOWN_FORMAT || m_fileOrder == RVF_UNKNOWN_ORDER) {
        AddError("Couldn't set byte order of float format", kWriteScope);
        return false;
    }
    m_secondRecord = Vehicle2.Number != 0 || !RvfIsBlank(Occupant2.Type);
    std::vector<uint8_t> buf;
    try {
        AssembleBuffer(buf);
    } catch (const KVException& e) {
        AddError(e);
        return false;
    } catch (const std::bad_alloc&) {
        // Indices far beyond the data ask for more records than memory holds.
        AddError(kNotEnoughMemory, kWriteScope);
        return false;
    }
    if (!out.Write(buf) || !out.Commit()) {
        AddError("Couldn't write output file", kWriteScope);
        AddError(fileName + ": " + out.Reason(), kWriteScope);
        return false;
    }
    return true;
}
