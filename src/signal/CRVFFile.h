#pragma once
#include "KVErrorList.h"
#include "KVFileBytes.h"
#include "RvfFields.h"
#include "RvfFormat.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

// One RVF-1992 file access: reads a file into the fields below or writes them.
class CRVFFile : public KVErrorList {
public:
    static constexpr int RecordSize = 512;
    static constexpr int ValuesPerRecord = 125;

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
    // piece of it is held in memory at a time. onValues(isX, values, first,
    // count), when given, hears of every piece of either array as it is
    // filled (in the order of each array): values[0..count-1] are the values
    // first.. of that array. A null x or y keeps that array nowhere: its
    // values are checked and handed to onValues piece by piece only.
    bool RVF_ReadHeader(const std::string& fileName);
    using ValuesFilled = std::function<void(bool isX, const float* values, size_t first, size_t count)>;
    bool RVF_ReadData(float* x, float* y, const ValuesFilled& onValues = {});

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

    std::shared_ptr<KVFileBytes> m_source; // open from RVF_ReadHeader to RVF_ReadData
    std::string m_sourceName;
    size_t m_dataRecords = 0;
    bool m_secondRecord = false;
    int m_fileOrder = RVF_UNKNOWN_ORDER;
    int m_fileFormat = RVF_UNKNOWN_FORMAT;
};
