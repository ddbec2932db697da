#include "CRVFFile.h"

#include "KVSystemReason.h"
#include "RvfIo.h"
#include "RvfRecords.h"

#include <new>

namespace {

const char* const kReadScope = "CRVFFile::RVF_Read";

// The message of a file that cannot be read as a whole.
std::string OpenFailure(const KVFileBytes& file, KVFileBytes::Status status, const std::string& fileName)
{
    switch (status) {
    case KVFileBytes::CannotOpen:
        // The message box shows this line alone: it names the file and why.
        return "Couldn't open file: " + file.Describe(fileName);
    case KVFileBytes::NotRegular: // a directory or a device, whatever size it claims
    case KVFileBytes::WrongSize:
        return fileName + " is not a valid RVF-1992 Signal File.";
    case KVFileBytes::TooLarge:
        return file.Describe(fileName);
    default:
        return "Couldn't get file info from " + fileName;
    }
}

} // namespace

CRVFFile::CRVFFile() { FileId.FloatFormatName = MachineFloatFormatName(); }

CRVFFile::~CRVFFile() = default;

int CRVFFile::FileFloatFormat() const { return RvfFloatFormatFromName(FileId.FloatFormatName); }
int CRVFFile::FileByteOrder() const { return RvfByteOrderFromFormat(FileFloatFormat()); }
std::string CRVFFile::FileFloatFormatName() const { return RvfFormatName(FileFloatFormat(), "UNKNOWN"); }
int CRVFFile::MachineByteOrder() const { return RvfMachineByteOrder(); }
int CRVFFile::MachineFloatFormat() const { return RvfMachineFloatFormat(); }
// "UKNOWN" (sic) is what a machine of no known float format has always called
// itself; "UNKNOWN" above is the file's word. Both stay as they are spelled.
std::string CRVFFile::MachineFloatFormatName() const { return RvfFormatName(MachineFloatFormat(), "UKNOWN"); }

void CRVFFile::SettleFileConventions()
{
    m_fileFormat = FileFloatFormat();
    m_fileOrder = FileByteOrder();
}

bool CRVFFile::RVF_Read(const std::string& fileName)
{
    X.clear();
    Y.clear();
    if (!RVF_ReadHeader(fileName))
        return false;
    const size_t n = static_cast<size_t>(PointCount());
    const bool xy = FileId.DataType == "X-Y";
    try {
        Y.resize(n);
        if (xy)
            X.resize(n);
    } catch (const std::bad_alloc&) {
        m_source.reset();
        X.clear();
        Y.clear();
        AddError(std::string(kNotEnoughMemory) + " to read " + fileName + ".", kReadScope);
        return false;
    }
    if (!xy && FileId.DataType != "Y") {
        Y.clear(); // an unknown layout: no data record is read
        m_source.reset();
        return true;
    }
    if (!RVF_ReadData(xy ? X.data() : nullptr, Y.data())) {
        X.clear();
        Y.clear();
        return false;
    }
    return true;
}

bool CRVFFile::RVF_ReadHeader(const std::string& fileName)
{
    m_source = std::make_shared<KVFileBytes>();
    m_sourceName = fileName;
    KVFileBytes& file = *m_source;
    // Record 1 and the curve record (or record 2) lie in the first 1024
    // bytes; with record 2 the curve record follows in the next 512. The
    // first data records are read with them.
    m_heldRecords = 0;
    KVFileBytes::Status status = file.Open(fileName, RecordSize);
    const size_t got = std::min(file.Size(), kMaxHeaderBytes + kPieceRecords * RecordSize);
    if (status == KVFileBytes::Ok && !file.ReadNext(Piece(), got))
        status = KVFileBytes::ReadFailed;
    if (status != KVFileBytes::Ok) {
        AddError(OpenFailure(file, status, fileName), kReadScope);
        m_source.reset();
        return false;
    }
    // The header is parsed from its own bytes alone, not the data after it.
    const bool second = got >= 524 && RvfLabelReads(m_piece.get() + 512, "CMP-2 HDR");
    const std::span<const uint8_t> buf(m_piece.get(), std::min(got, second ? kMaxHeaderBytes : 1024));
    if (!(ReadFirstRecord(buf) && ReadSecondRecord(buf) && ReadThirdRecord(buf) && CheckIndices(file.Size()))) {
        m_source.reset();
        return false;
    }
    m_dataStart = m_secondRecord ? 1536 : 1024;
    m_heldRecords = got > m_dataStart ? (got - m_dataStart) / RecordSize : 0;
    return true;
}

bool CRVFFile::CheckIndices(size_t fileSize)
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
    const int64_t records = fileSize > d ? int64_t((fileSize - d) / RecordSize) : 0;
    const int64_t n = PointCount();
    const int64_t padded = (n + ValuesPerRecord - 1) / ValuesPerRecord * ValuesPerRecord;
    if (records * ValuesPerRecord != (FileId.DataType == "Y" ? padded : 2 * padded)) {
        AddError("Insufficient Data Points", scope);
        return false;
    }
    m_dataRecords = static_cast<size_t>(records);
    return true;
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
    m_secondRecord = RvfLabelReads(buf.data() + 512, "CMP-2 HDR");
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
    if (!RvfLabelReads(buf.data() + r, "CURVE HDR")) {
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
