#pragma once
// The fields of the RVF-1992 records, with the defaults of a new file.
#include <string>

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
