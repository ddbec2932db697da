// The data records of an RVF-1992 file, read straight into the caller's
// arrays and written straight from them, a few records at a time; and the
// assembly of the header records for writing.
#include "CRVFFile.h"

#include "KVOutputFile.h"
#include "KVSystemReason.h"
#include "RvfIo.h"
#include "RvfRecords.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cstring>
#include <memory>
#include <new>

namespace {

const char* const kWriteScope = "CRVFFile::RVF_Write";

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

} // namespace

uint8_t* CRVFFile::Piece()
{
    if (!m_piece)
        m_piece = std::shared_ptr<uint8_t[]>(new uint8_t[kMaxHeaderBytes + kPieceRecords * RecordSize]);
    return m_piece.get();
}

bool CRVFFile::RVF_ReadData(float* x, float* y, KVRunningExtremes* xRange, KVRunningExtremes* yRange)
{
    const char* scope = "CRVFFile::ReadSignalArrays";
    const std::shared_ptr<KVFileBytes> source = std::move(m_source);
    const bool yOnly = FileId.DataType == "Y";
    if (!source)
        return false;
    float* const kept[2] = {y, x};
    KVRunningExtremes* const range[2] = {yRange, xRange};
    const size_t n = static_cast<size_t>(PointCount());
    const int fileFormat = m_fileFormat;
    const int machineFormat = MachineFloatFormat();
    // Each run grows record by record up to N values.
    size_t filled[2] = {0, 0}; // Y, X
    // The values of a run that is not kept are scanned where they lie.
    std::array<RvfSpan, kPieceRecords + 1> spans[2]; // the piece read with the header may hold one more
    try {
        for (size_t done = 0; done < m_dataRecords;) {
            // The first records came with the header.
            const bool held = done == 0 && m_heldRecords > 0;
            const size_t take =
                held ? std::min(m_heldRecords, m_dataRecords) : std::min(kPieceRecords, m_dataRecords - done);
            uint8_t* const piece = held ? m_piece.get() + m_dataStart : m_piece.get();
            const size_t before[2] = {filled[0], filled[1]};
            size_t spanCount[2] = {0, 0};
            if (!held && !source->ReadNext(piece, take * RecordSize)) {
                AddError("Couldn't get file info from " + m_sourceName, "CRVFFile::RVF_Read");
                return false;
            }
            for (size_t r = 0; r < take; ++r) {
                const uint8_t* record = piece + r * RecordSize;
                int run = 0;
                if (RvfLabelReads(record, "Y DATA")) {
                    run = 0;
                } else if (!yOnly && RvfLabelReads(record, "X DATA")) {
                    run = 1;
                } else {
                    AddError("Unknown Data Block", scope);
                    return false;
                }
                const size_t first = filled[run];
                const size_t count = std::min<size_t>(ValuesPerRecord, n - first);
                if (count == 0)
                    continue; // values beyond N are ignored
                if (kept[run])
                    RvfDecodeReals(record + 12, kept[run] + first, count, fileFormat, machineFormat);
                else
                    spans[run][spanCount[run]++] = {record + 12, count};
                filled[run] += count;
            }
            done += take;
            for (int run = 0; run < 2; ++run) {
                if (filled[run] == before[run])
                    continue;
                if (kept[run]) {
                    if (range[run])
                        range[run]->Add(kept[run] + before[run], filled[run] - before[run]);
                    continue;
                }
                float lo, hi;
                RvfScanReals({spans[run].data(), spanCount[run]}, fileFormat, machineFormat, lo, hi);
                if (range[run])
                    range[run]->Merge(lo, hi);
            }
        }
    } catch (const KVException& e) {
        AddError(e);
        return false;
    }
    // An "X-Y" file holds as many records as both runs need, but their
    // labels may give one run more and the other fewer: a run that does not
    // reach N values would leave points without data.
    for (int run = 0; run < (yOnly ? 1 : 2); ++run) {
        if (filled[run] < n) {
            const size_t need = (n + ValuesPerRecord - 1) / ValuesPerRecord;
            const size_t have = (filled[run] + ValuesPerRecord - 1) / ValuesPerRecord;
            AddError(std::string("Too few ") + (run == 0 ? "Y DATA" : "X DATA") + " records: " + std::to_string(have)
                         + " of the " + std::to_string(need) + " that " + std::to_string(n) + " points need",
                     scope);
            return false;
        }
    }
    return true;
}

std::vector<uint8_t> CRVFFile::HeaderBytes()
{
    const size_t r = m_secondRecord ? 1024 : 512;
    std::vector<uint8_t> buf(r + RecordSize, 0);
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
    // N < 2, or NFP = NLP = 0: the indices are written as 0 and no values.
    const int64_t n = int64_t(curve.Nlp) - int64_t(curve.Nfp) + 1;
    if (n < 2 || (curve.Nfp == 0 && curve.Nlp == 0))
        curve.Nfp = curve.Nlp = 0;

    VisitFirstRecord(io, FileId, test, vehicle, Occupant, Injury);
    if (m_secondRecord) {
        std::string label = "CMP-2 HDR";
        io.Text(512, 12, label);
        VisitVehicleOccupant(io, 524, Vehicle2, Occupant2);
    }
    std::string curveLabel = "CURVE HDR";
    io.Text(r, 12, curveLabel);
    VisitCurveRecord(io, r, curve);
    return buf;
}

bool CRVFFile::RVF_Write(const std::string& fileName)
{
    return RVF_Write(fileName, X.data(), X.size(), Y.data(), Y.size());
}

bool CRVFFile::RVF_Write(const std::string& fileName, const float* x, size_t xCount, const float* y, size_t yCount)
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

    int64_t n = int64_t(Curve.Nlp) - int64_t(Curve.Nfp) + 1;
    const bool withValues = !(n < 2 || (Curve.Nfp == 0 && Curve.Nlp == 0));
    if (!withValues)
        n = 1; // one all-zero data record per stored array
    const std::string layout = RvfReadText(reinterpret_cast<const uint8_t*>(FileId.DataType.data()),
                                           FileId.DataType.size());
    const int arrays = layout == "Y" ? 1 : layout == "X-Y" ? 2 : 0;
    const size_t perArray = static_cast<size_t>((n + ValuesPerRecord - 1) / ValuesPerRecord);
    const int fileFormat = m_fileFormat;
    const int machineFormat = MachineFloatFormat();
    bool written = true;
    try {
        const std::vector<uint8_t> header = HeaderBytes();
        written = out.Write(header);
        // Data records: the Y run first, then for "X-Y" the X run, each
        // formed piece by piece in the reused buffer and handed on at once.
        // A read begun by RVF_ReadHeader keeps its first records in Piece()
        // until RVF_ReadData: a write in between forms its own.
        std::unique_ptr<uint8_t[]> own;
        if (m_source)
            own = std::make_unique_for_overwrite<uint8_t[]>(kPieceRecords * RecordSize);
        uint8_t* piece = own ? own.get() : Piece();
        const struct {
            const float* values;
            size_t count;
            const char* label;
        } runs[2] = {{y, y ? yCount : 0, "Y DATA"}, {x, x ? xCount : 0, "X DATA"}};
        for (int a = 0; a < arrays && written; ++a) {
            std::vector<uint8_t> labelBytes(12, 0);
            RvfWriter labels(labelBytes, m_fileOrder, MachineByteOrder(), fileFormat, machineFormat);
            labels.Text(0, 12, runs[a].label);
            for (size_t rec = 0; rec < perArray && written;) {
                const size_t take = std::min(kPieceRecords, perArray - rec);
                for (size_t k = 0; k < take; ++k, ++rec) {
                    uint8_t* record = piece + k * RecordSize;
                    std::copy(labelBytes.begin(), labelBytes.end(), record);
                    const size_t first = rec * ValuesPerRecord;
                    const size_t count =
                        withValues ? std::min<size_t>(ValuesPerRecord, static_cast<size_t>(n) - first) : 0;
                    // Values the arrays do not hold, and the slots after the
                    // last value, are zero.
                    const size_t have = first < runs[a].count ? std::min(count, runs[a].count - first) : 0;
                    if (have > 0)
                        RvfEncodeReals(runs[a].values + first, record + 12, have, fileFormat, machineFormat);
                    std::fill(record + 12 + 4 * have, record + RecordSize, uint8_t(0));
                }
                written = out.Write(piece, take * RecordSize);
            }
        }
    } catch (const KVException& e) {
        AddError(e);
        return false; // the output is abandoned: the target stays as it was
    } catch (const std::bad_alloc&) {
        AddError(kNotEnoughMemory, kWriteScope);
        return false;
    }
    if (!written || !out.Commit()) {
        AddError("Couldn't write output file", kWriteScope);
        AddError(fileName + ": " + out.Reason(), kWriteScope);
        return false;
    }
    return true;
}
