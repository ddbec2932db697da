#pragma once
#include "KVErrorList.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Byte-order and float-format codes of an RVF-1992 file and of this machine.
enum RvfByteOrder { RVF_BIG_ENDIAN = 1, RVF_LITTLE_ENDIAN = 2, RVF_UNKNOWN_ORDER = 3 };
enum RvfFloatFormat { RVF_IEEE = 1, RVF_SUN = 2, RVF_VAX = 3, RVF_UNKNOWN_FORMAT = 4 };

// Converts the four bytes of a real as they lie in memory from one float
// format to another (VAX word order and exponent bias included).
void RvfConvertFloatBytes(uint8_t b[4], int from, int to);
// The float-format code that a format name selects, and the byte order it implies.
int RvfFloatFormatFromName(const std::string& name);
int RvfByteOrderFromFormat(int floatFormat);

// File identification in record 1.
struct RvfFileId {
    std::string Identifier = "RVF-1992";
    int Record1Int = 1;
    std::string DataType = "X-Y";
    std::string FloatFormatName; // the machine's own format name by default
};

struct RvfTest {
    std::string Dimension = "MET";
    std::string Source = "USER DATA";
    int Number = 0;
    std::string NumberText = "0";
    std::string Title = " ";
    std::string Text135 = "OTHER";
    std::string Reference = " ";
    std::string Config = "OTH";
    int ImpactAngle = 0;
    float ClosingSpeed = 0.0f;
};

// The vehicle block; record 2 repeats it for the second vehicle.
struct RvfVehicle {
    int Number = 0;
    std::string Field185 = " ";
    std::string Field187 = " ";
    std::string Make = " ";
    std::string Model = " ";
    int ModelYear = 0;
    std::string Field261 = " ";
    std::string Field286 = " ";
    float Value = 0.0f;
    float Value294 = 0.0f;
};

// The occupant block; record 2 repeats it for the second occupant.
struct RvfOccupant {
    std::string Type = " ";
    int Int304 = 0;
    std::string Sex = " ";
    float Weight = 0.0f;
    std::string Size = " ";
    std::string Restraint1 = " ";
    std::string Restraint2 = " ";
};

struct RvfInjury {
    float Hic = 0.0f;
    float HicT1 = 0.0f;
    float HicT2 = 0.0f;
    float Real367 = 0.0f;
    float Clip3ms = 0.0f;
    float Csi = 0.0f;
    std::string Ais = "0";
};

struct RvfCurve {
    int Int12 = 1;
    std::string DataType = "X-Y";
    int Number = 0;
    std::string NumberText = "0";
    std::string Attachment = " ";
    std::string Location = " ";
    int Int74 = 0;
    int GaugeNumber = 0;
    int BandNumber = 0;
    std::string Axis = " ";
    std::string YType = " ";
    std::string YUnits = " ";
    std::string XType = "TIME";
    std::string XUnits = "SECONDS";
    std::string Status = "COMPUTED";
    std::string Kind = "TIME SERIES";
    std::string Description = "COMPUTED / SIMULATED DATA";
    int Nfp = 0;
    int Nlp = 0;
    float Del = 0.0f;
    float InitialVelocity = 0.0f;
    float PreFilterFrequency = 1650.0f;
    float CutOffFrequency = 0.0f;
    float Real302 = 0.0f;
    float StoppingFrequency = 0.0f;
    float Real310 = 1.0f;
    int Ints314[5] = {0, 0, 0, 0, 0};
    float Reals334[5] = {0, 0, 0, 0, 0};
    std::string Text354 = " ";
    std::string Text374 = " ";
};

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

    // Reads and parses the whole file; false after recording the failure.
    bool RVF_Read(const std::string& fileName);
    // Assembles every record and replaces fileName only when all succeeded.
    bool RVF_Write(const std::string& fileName);

    // Parsing steps of RVF_Read over a buffer that holds a whole file.
    bool ReadFirstRecord(std::span<const uint8_t> buf);
    bool ReadSecondRecord(std::span<const uint8_t> buf);
    bool ReadThirdRecord(std::span<const uint8_t> buf);
    bool ReadSignalArrays(std::span<const uint8_t> buf);

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
    bool AssembleBuffer(std::vector<uint8_t>& buf);
    void SettleFileConventions();

    bool m_secondRecord = false;
    int m_fileOrder = RVF_UNKNOWN_ORDER;
    int m_fileFormat = RVF_UNKNOWN_FORMAT;
};

// White space and upper case of the file's texts: plain ASCII whatever the
// process locale, so that a file reads and writes the same everywhere.
inline bool RvfIsSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
inline char RvfUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// A text field as the reader takes it: up to width or the first NUL, trailing
// white space removed, upper-cased.
std::string RvfReadText(const uint8_t* p, size_t width);
// Whether an RVF-1992 text is blank (empty or only white space).
bool RvfIsBlank(const std::string& s);
// The model-year fix-up: 1..49 -> 20xx, 50..99 -> 19xx, others unchanged.
int RvfFixModelYear(int year);
