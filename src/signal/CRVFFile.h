#pragma once
#include "KVErrorList.h"
#include "KVExtremes.h"
#include "KVFileBytes.h"
#include "RvfFields.h"
#include "RvfFormat.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// One RVF-1992 file access: reads a file into the fields below or writes them.
class CRVFFile : public KVErrorList {
public:
    static constexpr int RecordSize = 512;
    static constexpr int ValuesPerRecord = int(kRvfRecordValues);

    CRVFFile();
    ~CRVFFile() override;

    virtual int FileByteOrder() const;
    virtual int FileFloatFormat() const;
    virtual std::string FileFloatFormatName() const;
    virtual int MachineByteOrder() const;
    virtual int MachineFloatFormat() const;
    virtual std::string MachineFloatFormatName() const;

    // Reads and parses the whole file into the fields and X, Y; false after
    // recording the failure.
    bool RVF_Read(const std::string& fileName);
    // The two halves of RVF_Read, for a caller that keeps the arrays itself:
    // the header records and the index and size checks, then the data
    // records straight into x (layout "X-Y" only) and y, each with room for
    // PointCount() values. The file stays open in between; only a small
    // piece of it is held in memory at a time. xRange and yRange, when
    // given, gather the extremes of each array's values. A null x or y keeps
    // that array nowhere: its values are checked and scanned where they lie.
    bool RVF_ReadHeader(const std::string& fileName);
    bool RVF_ReadData(float* x, float* y, KVRunningExtremes* xRange = nullptr, KVRunningExtremes* yRange = nullptr);

    // Writes the records and the data records from X and Y, and replaces
    // fileName only when all succeeded.
    bool RVF_Write(const std::string& fileName);
    // The same from arrays the caller keeps: x (xCount values, layout "X-Y")
    // and y (yCount values); slots they do not hold are written as zero. The
    // data records go to the new file piece by piece as they are formed.
    bool RVF_Write(const std::string& fileName, const float* x, size_t xCount, const float* y, size_t yCount);

    // Parsing steps of the header over a buffer that holds at least the
    // first 1536 bytes of the file (or all of a shorter one).
    bool ReadFirstRecord(std::span<const uint8_t> buf);
    bool ReadSecondRecord(std::span<const uint8_t> buf);
    bool ReadThirdRecord(std::span<const uint8_t> buf);

    // Number of points NLP - NFP + 1 (64-bit: the indices are file data).
    int64_t PointCount() const { return int64_t(Curve.Nlp) - int64_t(Curve.Nfp) + 1; }
    bool HasSecondRecord() const { return m_secondRecord; }

    RvfFileId FileId;
    RvfTest Test;
    RvfVehicle Vehicle;
    RvfOccupant Occupant;
    RvfInjury Injury;
    RvfVehicle Vehicle2;   // record 2
    RvfOccupant Occupant2; // record 2
    RvfCurve Curve;
    std::vector<float> X; // filled for layout "X-Y"
    std::vector<float> Y;

private:
    bool CheckIndices(size_t fileSize);
    std::vector<uint8_t> HeaderBytes();
    void SettleFileConventions();

    // Records moved per read or write: large enough for the system (a file
    // of 20,000 points is read in one), small enough to stay in the cache.
    static constexpr size_t kPieceRecords = 256;
    // The header records lie within the first 1536 bytes, before any data record.
    static constexpr size_t kMaxHeaderBytes = 1536;
    // The buffer of the records read or written at a time, kept for the
    // object's life. After RVF_ReadHeader it holds the header and the first
    // m_heldRecords data records from m_dataStart: one read for a small file.
    uint8_t* Piece();

    std::shared_ptr<KVFileBytes> m_source; // open from RVF_ReadHeader to RVF_ReadData
    std::shared_ptr<uint8_t[]> m_piece; // shared by copies, as m_source is
    size_t m_dataStart = 0;
    size_t m_heldRecords = 0;
    std::string m_sourceName;
    size_t m_dataRecords = 0;
    bool m_secondRecord = false;
    int m_fileOrder = RVF_UNKNOWN_ORDER;
    int m_fileFormat = RVF_UNKNOWN_FORMAT;
};
