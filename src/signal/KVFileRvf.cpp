#include "KVFileRvf.h"

#include "CRVFFile.h"
#include "KVSignal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <new>
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
    h.Dimension = f.Test.Dimension;
    h.TestNumber = std::to_string(f.Test.Number);
    h.TestSource = f.Test.Source;
    h.TestTitle = f.Test.Title;
    h.TestReference = f.Test.Reference;
    h.TestConfig = f.Test.Config;
    h.ImpactAngle = static_cast<float>(f.Test.ImpactAngle);
    h.ClosingSpeed = f.Test.ClosingSpeed;
    h.VehicleNumber = f.Vehicle.Number;
    h.VehicleMake = f.Vehicle.Make;
    h.VehicleModel = f.Vehicle.Model;
    h.ModelYear = f.Vehicle.ModelYear;
    h.VehicleValue = TruncToInt(f.Vehicle.Value);
    h.OccupantType = f.Occupant.Type;
    h.OccupantSex = f.Occupant.Sex;
    h.OccupantWeight = f.Occupant.Weight;
    h.OccupantSize = f.Occupant.Size;
    h.Restraint1 = f.Occupant.Restraint1;
    h.Restraint2 = f.Occupant.Restraint2;
    h.Hic = f.Injury.Hic;
    h.HicT1 = f.Injury.HicT1;
    h.HicT2 = f.Injury.HicT2;
    h.Clip3ms = f.Injury.Clip3ms;
    h.Csi = f.Injury.Csi;
    h.Ais = f.Injury.Ais;
    h.CurveNumber = f.Curve.Number;
    h.SensorAttachment = f.Curve.Attachment;
    h.SensorLocation = f.Curve.Location;
    h.GaugeNumber = f.Curve.GaugeNumber;
    h.BandNumber = f.Curve.BandNumber;
    h.Axis = f.Curve.Axis;
    h.YType = f.Curve.YType;
    h.SensorType = f.Curve.YType;
    h.YUnits = f.Curve.YUnits;
    h.XType = f.Curve.XType;
    h.XUnits = f.Curve.XUnits;
    h.Status = f.Curve.Status;
    h.CurveText = f.Curve.Description;
    h.Nfp = f.Curve.Nfp;
    h.Nlp = f.Curve.Nlp;
    h.Del = f.Curve.Del; // an "X-Y" file's step follows from its X values
    h.PreFilterFrequency = f.Curve.PreFilterFrequency;
    h.StoppingFrequency = f.Curve.StoppingFrequency;
    h.CutOffFrequency = f.Curve.CutOffFrequency;
    h.InitialVelocity = f.Curve.InitialVelocity;
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
        AddError("Couldn't set sequence length", kLoadScope);
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
    f.Test.Dimension = h.Dimension;
    f.Test.NumberText = h.TestNumber;
    f.Test.Source = h.TestSource;
    f.Test.Title = h.TestTitle;
    f.Test.Reference = h.TestReference;
    f.Test.Config = h.TestConfig;
    f.Test.ImpactAngle = TruncToInt(h.ImpactAngle);
    f.Test.ClosingSpeed = h.ClosingSpeed;
    f.Vehicle.Number = h.VehicleNumber;
    f.Vehicle.Make = h.VehicleMake;
    f.Vehicle.Model = h.VehicleModel;
    f.Vehicle.ModelYear = h.ModelYear;
    f.Vehicle.Value = static_cast<float>(h.VehicleValue);
    f.Occupant.Type = h.OccupantType;
    f.Occupant.Sex = h.OccupantSex;
    f.Occupant.Weight = h.OccupantWeight;
    f.Occupant.Size = h.OccupantSize;
    f.Occupant.Restraint1 = h.Restraint1;
    f.Occupant.Restraint2 = h.Restraint2;
    f.Injury.Hic = h.Hic;
    f.Injury.HicT1 = h.HicT1;
    f.Injury.HicT2 = h.HicT2;
    f.Injury.Clip3ms = h.Clip3ms;
    f.Injury.Csi = h.Csi;
    f.Injury.Ais = h.Ais;
    f.Curve.Number = h.CurveNumber;
    f.Curve.Attachment = h.SensorAttachment;
    f.Curve.Location = h.SensorLocation;
    f.Curve.GaugeNumber = h.GaugeNumber;
    f.Curve.BandNumber = h.BandNumber;
    f.Curve.Axis = h.Axis;
    f.Curve.YType = h.YType;
    f.Curve.YUnits = h.YUnits;
    f.Curve.XType = h.XType;
    f.Curve.XUnits = h.XUnits;
    f.Curve.Status = h.Status;
    f.Curve.Description = h.CurveText;
    f.Curve.Nfp = h.Nfp;
    f.Curve.Nlp = h.Nlp;
    f.Curve.InitialVelocity = h.InitialVelocity;
    f.Curve.PreFilterFrequency = h.PreFilterFrequency;
    f.Curve.CutOffFrequency = h.CutOffFrequency;
    f.Curve.StoppingFrequency = h.StoppingFrequency;

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
