#include "TfRvf.h"

#include "TfText.h"

#include <algorithm>
#include <new>

namespace Toolsif {

void RvfRecord::SetSamples(long long base, std::vector<float> y, std::vector<float> x)
{
    m_y = std::move(y);
    m_x = std::move(x);
    if (!m_x.empty())
        m_x.resize(m_y.size(), 0.0f);
    m_store = IndexStore::Exactly(base, m_y.size());
}

void RvfRecord::Widen(long long lo, long long hi)
{
    const IndexStore old = m_store;
    if (!m_store.Widen(lo, hi))
        return;
    const bool withX = !m_x.empty();
    Relayout(m_y, old, m_store);
    if (withX)
        Relayout(m_x, old, m_store);
}

void RvfRecord::ClearChannelIntegers()
{
    rvf.Curve.Number = 0;
    rvf.Curve.Int74 = 0;
    rvf.Curve.GaugeNumber = 0;
    rvf.Curve.BandNumber = 0;
    rvf.Curve.Ints314[0] = 0;
    rvf.Curve.Ints314[1] = 0;
}

void RvfControlInit(RvfControl& control)
{
    control = RvfControl{};
}

namespace {

void ReportErrors(MsgUnit& unit, const KVErrorList& errors, const std::string& what)
{
    for (int i = 0; i < errors.ErrorCount(); ++i)
        MsgWrite(unit, "*** " + errors.ErrorScope(i) + " - " + errors.ErrorMessage(i));
    MsgWrite(unit, what);
}

} // namespace

int RvfGet(const std::string& name, RvfRecord& rec, const RvfControl&, MsgUnit& unit)
{
    CRVFFile file;
    if (!file.RVF_Read(name)) {
        ReportErrors(unit, file, "*** Couldn't read RVF file " + name);
        return 1;
    }
    const bool xy = file.FileId.DataType == "X-Y";
    const size_t n = static_cast<size_t>(file.PointCount());
    // A layout other than "Y" or "X-Y" passes the reader without samples.
    if (file.Y.size() != n || (xy && file.X.size() != n)) {
        ReportErrors(unit, file, "*** No samples in RVF file " + name + " (data layout "
                                     + file.FileId.DataType + ")");
        return 1;
    }
    std::vector<float> y = std::move(file.Y);
    std::vector<float> x = xy ? std::move(file.X) : std::vector<float>();
    file.Y.clear();
    file.X.clear();
    rec.rvf = file;
    rec.SetSamples(file.Curve.Nfp, std::move(y), std::move(x));
    return 0;
}

int RvfPut(const std::string& name, const RvfRecord& rec, const RvfControl& control, MsgUnit& unit)
{
    CRVFFile file = rec.rvf;
    file.ClearErrors();
    if (!control.floatFormat.empty())
        file.FileId.FloatFormatName = control.floatFormat;
    const long long lo = rec.Nfp();
    const long long hi = rec.Nlp();
    if (hi > lo && (!rec.Holds(lo) || !rec.Holds(hi))) {
        MsgWrite(unit, "*** Samples missing for the index range of " + name);
        return 1;
    }
    if (hi > lo) {
        try {
            file.Y = rec.YRange(lo, hi);
            if (rec.HasX())
                file.X = rec.XRange(lo, hi);
        } catch (const std::bad_alloc&) {
            MsgWrite(unit, "*** Not enough memory to write " + name);
            return 1;
        }
    }
    file.FileId.DataType = rec.HasX() ? "X-Y" : "Y";
    if (!file.RVF_Write(name)) {
        ReportErrors(unit, file, "*** Couldn't write RVF file " + name);
        return 1;
    }
    return 0;
}

int RvfMerge(const RvfRecord& add, RvfRecord& acc, const RvfControl& control, MsgUnit& unit)
{
    const long long lo = std::min<long long>(add.Nfp(), acc.Size() ? acc.Base() : add.Nfp());
    const long long hi = std::max<long long>(add.Nlp(), acc.Size() ? acc.Base() + static_cast<long long>(acc.Size()) - 1
                                                                   : add.Nlp());
    if (hi - lo + 1 > control.maxSpan) {
        MsgWrite(unit, "*** ERROR - Point indices " + std::to_string(lo) + " to " + std::to_string(hi)
                           + " span more than " + std::to_string(control.maxSpan) + " points");
        return 1;
    }
    const bool hadX = acc.HasX();
    const long long oldLo = acc.Size() ? acc.Base() : hi + 1;
    const long long oldHi = acc.Size() ? acc.Base() + static_cast<long long>(acc.Size()) - 1 : lo - 1;
    acc.Widen(lo, hi);
    // Indices new to acc take their X from the record that brought them.
    if (hadX) {
        for (long long i = add.Nfp(); i <= add.Nlp(); ++i) {
            if (i < oldLo || i > oldHi)
                acc.X(i) = add.HasX() ? add.X(i) : static_cast<float>(double(i) * add.Del());
        }
    }
    acc.rvf.Curve.Nfp = add.Nfp();
    acc.rvf.Curve.Nlp = add.Nlp();
    return 0;
}

std::string FnDef(const RvfRecord& rec)
{
    std::string test = Trim(rec.rvf.Test.NumberText);
    std::string curve = Trim(rec.rvf.Curve.NumberText);
    std::string stem = (test.empty() ? std::string("0") : test) + "_" + (curve.empty() ? std::string("0") : curve);
    for (char& c : stem) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'
            || c == '_' || c == '.';
        if (!ok)
            c = '_';
    }
    return stem;
}

} // namespace Toolsif
