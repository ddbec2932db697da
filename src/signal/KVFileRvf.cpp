#include "KVFileRvf.h"

#include "CRVFFile.h"
#include "KVSignal.h"
#include "KVSystemReason.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <new>
#include <type_traits>
#include <vector>

namespace {

const char* const kLoadScope = "KVFileRvf::Load";
const char* const kStoreScope = "KVFileRvf::Store";

// Truncation toward zero that stays defined for NaN and out-of-range values.
int TruncToInt(float v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0f)
        return std::numeric_limits<int>::max();
    if (v <= -2147483648.0f)
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

// A "Y" file's X values are (NFP + i) x DEL: a step that is not a positive
// finite number, or whose end times overflow, gives no usable time axis.
bool UsableGridStep(float del, int nfp, int nlp)
{
    return del > 0.0f && std::isfinite(del) && std::isfinite(KVGridTime(nfp, del))
        && std::isfinite(KVGridTime(nlp, del));
}

// A header field and its record field, which may be of another kind: a
// real kept in an integer field is truncated, an integer becomes a real.
template <class To, class From>
void AssignField(To& to, const From& from)
{
    if constexpr (std::is_same_v<To, int> && std::is_same_v<From, float>)
        to = TruncToInt(from);
    else
        to = static_cast<To>(from);
}

// The places of the field table (KVSignalFields.h): a record field, reached
// from the file's records, or none.
#define KV_RVF(member) [](auto& file) -> auto& { return file.member; }
#define KV_NO_RVF nullptr

template <class Field, class Place>
void LoadField(Field& field, const CRVFFile& f, Place place)
{
    AssignField(field, place(f));
}
template <class Field>
void LoadField(Field&, const CRVFFile&, std::nullptr_t)
{
}

template <class Field, class Place>
void StoreField(const Field& field, CRVFFile& f, Place place)
{
    AssignField(place(f), field);
}
template <class Field>
void StoreField(const Field&, CRVFFile&, std::nullptr_t)
{
}

std::string FormatStep(float v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", double(v));
    return buf;
}

} // namespace

int KVFilterClassFromFrequency(float cutOff, float preFilter)
{
    const float f = cutOff != 0.0f ? cutOff : preFilter;
    if (f > 90.0f && f < 110.0f)
        return 60;
    if (f > 280.0f && f < 320.0f)
        return 180;
    if (f > 980.0f && f < 1020.0f)
        return 600;
    if (f > 1630.0f && f < 1700.0f)
        return 1000;
    return 1001;
}

KVFileRvf::KVFileRvf(std::string fileName) : m_fileName(std::move(fileName)) {}

KVFileRvf::~KVFileRvf() = default;

size_t KVFileRvf::PointCount()
{
    if (!m_rvf)
        return 0;
    const int64_t n = m_rvf->PointCount();
    return n > 0 ? static_cast<size_t>(n) : 0;
}

bool KVFileRvf::Open(const std::string& fileName)
{
    if (m_isOpen)
        return false;
    if (m_fileName.empty())
        m_fileName = fileName;
    m_rvf = std::make_unique<CRVFFile>();
    m_isOpen = true;
    return true;
}

bool KVFileRvf::Close()
{
    const bool wasOpen = m_isOpen;
    m_isOpen = false;
    m_rvf.reset();
    return wasOpen;
}

bool KVFileRvf::OpenHeader()
{
    if (m_isOpen) {
        AddError("File already open", kLoadScope);
        return false;
    }
    if (!Open(m_fileName)) {
        Close();
        AddError("File couldn't be opened", kLoadScope);
        return false;
    }
    CRVFFile& f = *m_rvf;
    if (!f.RVF_ReadHeader(m_fileName)) {
        AppendErrors(f);
        f.ClearErrors();
        Close();
        return false;
    }
    const bool xy = f.FileId.DataType == "X-Y";
    if (!xy && f.FileId.DataType != "Y") {
        // The reader fills no points for other layouts; such a file is not a signal.
        AddError("Unknown data layout \"" + f.FileId.DataType + "\" in " + m_fileName
                     + ", expected X-Y or Y",
                 kLoadScope);
        Close();
        return false;
    }
    if (!xy && !UsableGridStep(f.Curve.Del, f.Curve.Nfp, f.Curve.Nlp)) {
        AddError(m_fileName + " has no usable time step: DEL is " + FormatStep(f.Curve.Del)
                     + ", a \"Y\" file needs a positive step whose times stay finite",
                 kLoadScope);
        Close();
        return false;
    }
    return true;
}

bool KVFileRvf::ReadValues(float* x, float* y, KVRunningExtremes& xRange, KVRunningExtremes& yRange)
{
    CRVFFile& f = *m_rvf;
    if (f.RVF_ReadData(x, y, &xRange, &yRange))
        return true;
    AppendErrors(f);
    f.ClearErrors();
    Close();
    return false;
}

void KVFileRvf::FillHeader(KVHeader& h, const KVRunningExtremes& xRange, const KVRunningExtremes& yRange) const
{
    const CRVFFile& f = *m_rvf;
#define KV_LOAD_FIELD(KIND, name, def, place, iso) LoadField(h.name, f, place);
    KV_SIGNAL_FIELD_TABLE(KV_LOAD_FIELD, TEXT, REAL, INT)
#undef KV_LOAD_FIELD
    h.TestNumber = std::to_string(f.Test.Number);
    h.SensorType = f.Curve.YType;
    h.Del = f.Curve.Del; // an "X-Y" file's step follows from its X values
    h.FilterClass = KVFilterClassFromFrequency(h.CutOffFrequency, h.PreFilterFrequency);
    h.SourceName = m_fileName;
    h.XMin = xRange.lo;
    h.XMax = xRange.hi;
    h.YMin = yRange.lo;
    h.YMax = yRange.hi;
    h.T0 = f.Curve.Del * static_cast<float>(f.Curve.Nfp);
}

KVRunningExtremes KVFileRvf::GridRange() const
{
    // A positive step gives increasing times: the ends are the extremes.
    const int64_t nfp = m_rvf->Curve.Nfp;
    const float del = m_rvf->Curve.Del;
    return {KVGridTime(nfp, del), KVGridTime(nfp + static_cast<int64_t>(PointCountOpen()) - 1, del), true};
}

size_t KVFileRvf::PointCountOpen() const
{
    const int64_t n = m_rvf->PointCount();
    return n > 0 ? static_cast<size_t>(n) : 0;
}

bool KVFileRvf::Load(KVSignal& signal)
{
    if (!OpenHeader())
        return false;
    const bool xy = m_rvf->FileId.DataType == "X-Y";
    signal.Reset();
    // The data records are read straight into the signal's own arrays, which
    // are not cleared first; the extremes are taken piece by piece while the
    // values are fresh in the cache.
    const size_t n = PointCountOpen();
    if (!signal.Allocate(n)) {
        signal.SetHasData(false);
        AddError(n == 0 ? std::string("the file holds no data points") : std::string(kNotEnoughMemory) + " to read " + m_fileName + ".",
                 kLoadScope);
        Close();
        return false;
    }
    float* x = signal.X();
    KVRunningExtremes xRange, yRange;
    if (!ReadValues(xy ? x : nullptr, signal.Y(), xRange, yRange)) {
        signal.FreeData();
        signal.SetHasData(false);
        return false;
    }
    if (!xy) {
        const int64_t nfp = m_rvf->Curve.Nfp;
        const float del = m_rvf->Curve.Del;
        for (size_t i = 0; i < n; ++i)
            x[i] = KVGridTime(nfp + static_cast<int64_t>(i), del);
        xRange = GridRange();
    }
    FillHeader(signal.Header(), xRange, yRange);
    // Evenly spaced X gives its step, as for a text file; uneven X the
    // "no constant step" marker. The X values stay as the file holds them.
    if (xy)
        signal.UpdateTimeStep();
    signal.SetHasData(true);
    Close();
    return true;
}

bool KVFileRvf::LoadHeader(KVHeader& header, size_t& points)
{
    if (!OpenHeader())
        return false;
    if (m_rvf->FileId.DataType == "X-Y") {
        // The step of an "X-Y" file follows from all of its X values.
        Close();
        KVSignal signal;
        if (!Load(signal))
            return false;
        header = signal.Header();
        points = signal.PointCount();
        return true;
    }
    KVRunningExtremes xRange, yRange;
    if (!ReadValues(nullptr, nullptr, xRange, yRange))
        return false;
    // Every field is assigned once: the file's by FillHeader, the others
    // their defaults here (building a whole default header first costs a
    // tenth of reading a small file).
    static const KVHeader defaults;
    header.HicInterval = defaults.HicInterval;
    header.Clip3msT1 = defaults.Clip3msT1;
    header.Clip3msT2 = defaults.Clip3msT2;
    header.Side = {};
    FillHeader(header, GridRange(), yRange);
    points = PointCountOpen();
    Close();
    return true;
}

bool KVFileRvf::LoadRecordFields(KVHeader& header)
{
    if (!OpenHeader())
        return false;
    header = KVHeader{};
    const KVHeader defaults;
    FillHeader(header, {defaults.XMin, defaults.XMax, false}, {defaults.YMin, defaults.YMax, false});
    Close();
    return true;
}

bool KVFileRvf::Store(const KVSignal& signal)
{
    if (m_isOpen) {
        AddError("File already open.", kStoreScope);
        return false;
    }
    if (!Open(m_fileName)) {
        Close();
        AddError("File couldn't be opened.", kStoreScope);
        return false;
    }
    CRVFFile& f = *m_rvf;
    if (!m_floatFormat.empty())
        f.FileId.FloatFormatName = m_floatFormat;
    const KVHeader& h = signal.Header();
#define KV_STORE_FIELD(KIND, name, def, place, iso) StoreField(h.name, f, place);
    KV_SIGNAL_FIELD_TABLE(KV_STORE_FIELD, TEXT, REAL, INT)
#undef KV_STORE_FIELD
    f.Test.NumberText = h.TestNumber;

    // Only X values that a reload gives back may be left out of the file.
    const bool yOnly = signal.IsOnOwnGrid();
    f.FileId.DataType = yOnly ? "Y" : "X-Y";
    f.Curve.DataType = f.FileId.DataType;
    if (yOnly)
        f.Curve.Del = h.Del;

    size_t take = 0;
    if (signal.NoData()) {
        f.Curve.Nfp = 0;
        f.Curve.Nlp = 0;
    } else {
        const int64_t n = int64_t(h.Nlp) - int64_t(h.Nfp) + 1;
        // Indices edited to claim more points than the arrays hold would make
        // up samples (or a file of gigabytes): refuse instead.
        if (n > static_cast<int64_t>(signal.PointCount())) {
            AddError("Point indices claim more points than the signal holds", kStoreScope);
            Close();
            return false;
        }
        take = n > 0 ? static_cast<size_t>(n) : 0;
    }
    // The records are written straight from the signal's arrays.
    if (!f.RVF_Write(m_fileName, yOnly ? nullptr : signal.X(), yOnly ? 0 : take, signal.Y(), take)) {
        AppendErrors(f);
        f.ClearErrors();
        Close();
        return false;
    }
    Close();
    return true;
}

bool SaveSignalAsRvf(const KVSignal& signal, const std::string& fileName)
{
    KVFileRvf file(fileName);
    return file.Store(signal);
}
