#pragma once
#include "CRVFFile.h"
#include "TfIndexStore.h"
#include "TfSession.h"

#include <string>
#include <vector>

namespace Toolsif {

// The signal record: every RVF-1992 field through CRVFFile (record 1, record
// 2, curve record, kept fields included) and the samples addressed by their
// point index. The record stores the samples of [Base(), Base() + Size());
// NFP and NLP (Curve.Nfp, Curve.Nlp) may name a part of that range. The
// 12-character curve text is the curve-number text (Curve.NumberText).
class RvfRecord {
public:
    CRVFFile rvf;

    int Nfp() const { return rvf.Curve.Nfp; }
    int Nlp() const { return rvf.Curve.Nlp; }
    float Del() const { return rvf.Curve.Del; }
    // Whether X values are stored (layout "X-Y"); layout "Y" derives them.
    bool HasX() const { return !m_x.empty(); }

    // The indices held: [Base(), Base() + Size()).
    long long Base() const { return m_store.lo; }
    size_t Size() const { return static_cast<size_t>(m_store.Count()); }
    bool Holds(long long i) const { return i >= m_store.lo && i <= m_store.hi; }
    // Sample at point index i; i must be held.
    float& Y(long long i) { return m_y[m_store.Slot(i)]; }
    float Y(long long i) const { return m_y[m_store.Slot(i)]; }
    float& X(long long i) { return m_x[m_store.Slot(i)]; }
    float X(long long i) const { return m_x[m_store.Slot(i)]; }
    // The samples [lo, hi] (both held) as a copy.
    std::vector<float> YRange(long long lo, long long hi) const { return Slice(m_y, lo, hi); }
    std::vector<float> XRange(long long lo, long long hi) const { return Slice(m_x, lo, hi); }

    // Holds exactly [base, base + y.size()).
    void SetSamples(long long base, std::vector<float> y, std::vector<float> x);
    // Widens the stored range to hold [lo, hi]; new samples are 0.
    void Widen(long long lo, long long hi);

    // The six channel integers cleared on a computed curve: curve number, the
    // curve integer at 74, gauge number, band number and the first two of the
    // five kept curve integers.
    void ClearChannelIntegers();

private:
    std::vector<float> Slice(const std::vector<float>& v, long long lo, long long hi) const
    {
        return std::vector<float>(v.begin() + static_cast<std::ptrdiff_t>(m_store.Slot(lo)),
                                  v.begin() + static_cast<std::ptrdiff_t>(m_store.Slot(hi) + 1));
    }

    IndexStore m_store;
    std::vector<float> m_y;
    std::vector<float> m_x;
};

// Control block of RVF_GET and RVF_PUT.
struct RvfControl {
    std::string floatFormat;        // written format ("IEEE", "SUN", "VAX"); empty keeps the record's
    long long maxSpan = 16'000'000; // most point indices a merged record may span
};

// RVF_CONTROL_INIT: control block ready for RVF_GET and RVF_PUT.
void RvfControlInit(RvfControl& control);
// RVF_GET: fills rec from the RVF-1992 file name. Returns 0, or 1 after
// writing the reader's messages to unit.
int RvfGet(const std::string& name, RvfRecord& rec, const RvfControl& control, MsgUnit& unit);
// RVF_PUT: writes the samples NFP..NLP of rec as the RVF-1992 file name (an
// existing file is replaced only on success). Returns 0, or 1 after messages.
int RvfPut(const std::string& name, const RvfRecord& rec, const RvfControl& control, MsgUnit& unit);
// RVF_MERGE: widens acc to hold the span of add as well and sets acc's
// NFP..NLP to add's span, the indices over which add's samples are summed.
// Samples of acc outside its old range start at 0 (X from add). Returns 0, or
// 1 after a message when the joint span would exceed control.maxSpan.
int RvfMerge(const RvfRecord& add, RvfRecord& acc, const RvfControl& control, MsgUnit& unit);

// FN_DEF: default file stem of a record: test-number text, "_", curve text;
// characters other than letters, digits, "-", "_" and "." become "_".
std::string FnDef(const RvfRecord& rec);

} // namespace Toolsif
