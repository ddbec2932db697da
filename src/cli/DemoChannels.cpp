#include "DemoChannels.h"

#include "KVSignal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

using Q = DemoQuantity;
constexpr DemoTerm::Kind H = DemoTerm::HalfSine;
constexpr DemoTerm::Kind R = DemoTerm::Ring;
constexpr DemoTerm::Kind P = DemoTerm::Ramp;

struct QuantityNames {
    const char* units;
    const char* type;
};

QuantityNames NamesOf(DemoQuantity q)
{
    switch (q) {
    case Q::Acceleration:
        return {"G'S", "ACCELERATION"};
    case Q::AngularVelocity:
        return {"DEGREES/SEC", "ANGULAR VELOCITY"};
    case Q::Force:
        return {"NEWTONS", "FORCE"};
    case Q::Moment:
        return {"NEWTON-METERS", "MOMENT"};
    case Q::Deflection:
        return {"MILLIMETERS", "DISPLACEMENT"};
    }
    return {"UNKNOWN", "UNKNOWN"};
}

// Stop-band frequency that goes with each channel-class corner.
float StopFrequencyOf(float cutOff)
{
    if (cutOff >= 1600)
        return 5000;
    if (cutOff >= 1000)
        return 3000;
    if (cutOff >= 300)
        return 1000;
    if (cutOff >= 100)
        return 300;
    return 0;
}

constexpr float kCfc1000 = 1650;
constexpr float kCfc600 = 1000;
constexpr float kCfc180 = 300;
constexpr float kCfc60 = 100;
constexpr float kRaw = 0;

} // namespace

const std::vector<DemoTest>& DemoTests()
{
    static const std::vector<DemoTest> tests = {
        {"veh4127", "VEHICLE DB", "4127", "ZL-4127", "VTB",
         "56 KM/H FULL WIDTH FRONTAL RIGID BARRIER, DRIVER H3 50M", 56.3f, 56.3f},
        {"occ2231", "BIOMECHANICS DB", "2231", "SB-2231", "SLD",
         "SLED 47 KM/H, DRIVER H3 50M, 3-POINT BELT AND AIRBAG", 47.0f, 47.0f},
    };
    return tests;
}

const std::vector<DemoChannel>& DemoChannels()
{
    // Sign conventions of the dummy and vehicle coordinate systems: X forward,
    // Y right, Z down; neck tension and chest compression as the load cells report them.
    static const std::vector<DemoChannel> channels = {
        // Vehicle test: structure accelerations, mostly unfiltered.
        {0, "lsill_x", "LS", "LEFT REAR SILL, B-PILLAR BASE", "X", Q::Acceleration,
         "LEFT REAR SILL ACCELERATION X", kRaw, 0.31f, 0.45f,
         {{{H, -27.5f, 0.002f, 0.098f, 0}, {R, -6.0f, 0.004f, 118, 0.020f}, {H, -1.8f, 0.100f, 0.040f, 0}}}},
        {0, "lsill_y", "LS", "LEFT REAR SILL, B-PILLAR BASE", "Y", Q::Acceleration,
         "LEFT REAR SILL ACCELERATION Y", kRaw, -0.12f, 0.40f,
         {{{R, 3.2f, 0.008f, 71, 0.040f}, {H, -1.5f, 0.030f, 0.060f, 0}, {}}}},
        {0, "lsill_z", "LS", "LEFT REAR SILL, B-PILLAR BASE", "Z", Q::Acceleration,
         "LEFT REAR SILL ACCELERATION Z", kRaw, 0.45f, 0.40f,
         {{{H, -6.0f, 0.018f, 0.042f, 0}, {R, 4.1f, 0.010f, 95, 0.030f}, {}}}},
        {0, "rsill_x", "RS", "RIGHT REAR SILL, B-PILLAR BASE", "X", Q::Acceleration,
         "RIGHT REAR SILL ACCELERATION X", kRaw, -0.22f, 0.45f,
         {{{H, -26.6f, 0.002f, 0.101f, 0}, {R, -5.2f, 0.005f, 124, 0.018f}, {H, -1.6f, 0.103f, 0.040f, 0}}}},
        {0, "rsill_y", "RS", "RIGHT REAR SILL, B-PILLAR BASE", "Y", Q::Acceleration,
         "RIGHT REAR SILL ACCELERATION Y", kRaw, 0.08f, 0.40f,
         {{{R, -2.9f, 0.009f, 68, 0.040f}, {H, 1.4f, 0.032f, 0.058f, 0}, {}}}},
        {0, "rsill_z", "RS", "RIGHT REAR SILL, B-PILLAR BASE", "Z", Q::Acceleration,
         "RIGHT REAR SILL ACCELERATION Z", kRaw, 0.27f, 0.40f,
         {{{H, -5.4f, 0.020f, 0.040f, 0}, {R, 3.8f, 0.011f, 92, 0.030f}, {}}}},
        {0, "engine_x", "EN", "ENGINE TOP, CYLINDER HEAD", "X", Q::Acceleration,
         "ENGINE TOP ACCELERATION X", kRaw, 0.55f, 0.90f,
         {{{H, -48.0f, 0.005f, 0.045f, 0}, {H, -21.0f, 0.050f, 0.040f, 0}, {R, 10.0f, 0.010f, 205, 0.010f}}}},
        {0, "engine_z", "EN", "ENGINE TOP, CYLINDER HEAD", "Z", Q::Acceleration,
         "ENGINE TOP ACCELERATION Z", kRaw, -0.40f, 0.90f,
         {{{H, 17.0f, 0.012f, 0.035f, 0}, {R, -9.0f, 0.015f, 160, 0.012f}, {}}}},
        {0, "tunnel_x", "TU", "TUNNEL, REAR OF FRONT SEATS", "X", Q::Acceleration,
         "TUNNEL ACCELERATION X", kCfc60, 0.18f, 0.30f,
         {{{H, -27.0f, 0.003f, 0.099f, 0}, {R, -3.5f, 0.005f, 40, 0.030f}, {H, -1.5f, 0.101f, 0.040f, 0}}}},
        {0, "tunnel_y", "TU", "TUNNEL, REAR OF FRONT SEATS", "Y", Q::Acceleration,
         "TUNNEL ACCELERATION Y", kCfc60, -0.05f, 0.25f,
         {{{R, 2.2f, 0.010f, 35, 0.050f}, {}, {}}}},
        {0, "tunnel_z", "TU", "TUNNEL, REAR OF FRONT SEATS", "Z", Q::Acceleration,
         "TUNNEL ACCELERATION Z", kCfc60, 0.21f, 0.25f,
         {{{H, -4.8f, 0.020f, 0.045f, 0}, {R, 2.5f, 0.012f, 45, 0.040f}, {}}}},
        {0, "dash_x", "IP", "INSTRUMENT PANEL, CENTRE", "X", Q::Acceleration,
         "INSTRUMENT PANEL ACCELERATION X", kRaw, 0.15f, 0.60f,
         {{{H, -31.0f, 0.004f, 0.085f, 0}, {R, -7.5f, 0.006f, 150, 0.015f}, {}}}},
        {0, "door_y", "DR", "LEFT FRONT DOOR, INNER PANEL", "Y", Q::Acceleration,
         "LEFT FRONT DOOR ACCELERATION Y", kRaw, 0.10f, 0.60f,
         {{{R, 9.0f, 0.012f, 85, 0.025f}, {H, -4.0f, 0.040f, 0.030f, 0}, {}}}},
        {0, "seatxm_x", "SX", "RIGHT FRONT SEAT CROSSMEMBER", "X", Q::Acceleration,
         "SEAT CROSSMEMBER ACCELERATION X", kRaw, -0.30f, 0.50f,
         {{{H, -26.0f, 0.003f, 0.095f, 0}, {R, -4.0f, 0.006f, 110, 0.020f}, {}}}},
        {0, "steer_x", "SC", "STEERING COLUMN, UPPER END", "X", Q::Deflection,
         "STEERING COLUMN DISPLACEMENT X", kRaw, 0.8f, 0.15f,
         {{{P, -86.0f, 0.010f, 0.060f, 0}, {H, -9.0f, 0.050f, 0.040f, 0}, {}}}},
        {0, "barrier_fx", "BR", "BARRIER LOAD CELL WALL, TOTAL", "X", Q::Force,
         "BARRIER FORCE X", kCfc60, 210.0f, 900.0f,
         {{{H, 455000.0f, 0.001f, 0.092f, 0}, {R, 60000.0f, 0.004f, 45, 0.025f}, {}}}},
        {0, "steer_fz", "SC", "STEERING COLUMN LOAD CELL", "Z", Q::Force,
         "STEERING COLUMN FORCE Z", kCfc600, -14.0f, 25.0f,
         {{{H, 2900.0f, 0.055f, 0.050f, 0}, {}, {}}}},

        // Sled test: dummy channels filtered to their channel classes.
        {1, "head_x", "HD", "HEAD CG, TRIAXIAL BLOCK", "X", Q::Acceleration,
         "HEAD CG ACCELERATION X", kCfc1000, 0.35f, 0.25f,
         {{{H, -42.0f, 0.060f, 0.065f, 0}, {H, -22.0f, 0.090f, 0.022f, 0}, {R, 2.5f, 0.060f, 180, 0.020f}}}},
        {1, "head_y", "HD", "HEAD CG, TRIAXIAL BLOCK", "Y", Q::Acceleration,
         "HEAD CG ACCELERATION Y", kCfc1000, -0.20f, 0.25f,
         {{{H, 4.0f, 0.065f, 0.050f, 0}, {R, -3.0f, 0.070f, 90, 0.030f}, {}}}},
        {1, "head_z", "HD", "HEAD CG, TRIAXIAL BLOCK", "Z", Q::Acceleration,
         "HEAD CG ACCELERATION Z", kCfc1000, 0.50f, 0.25f,
         {{{H, 14.0f, 0.065f, 0.060f, 0}, {H, -9.0f, 0.125f, 0.030f, 0}, {R, 2.0f, 0.070f, 140, 0.020f}}}},
        {1, "head_avy", "HD", "HEAD CG, ANGULAR RATE SENSOR", "Y", Q::AngularVelocity,
         "HEAD ANGULAR VELOCITY Y", kCfc180, 1.5f, 3.0f,
         {{{H, 1400.0f, 0.050f, 0.080f, 0}, {H, -600.0f, 0.130f, 0.060f, 0}, {}}}},
        {1, "chest_x", "CH", "UPPER SPINE, CHEST CAVITY", "X", Q::Acceleration,
         "CHEST ACCELERATION X", kCfc180, 0.20f, 0.30f,
         {{{H, -36.0f, 0.045f, 0.075f, 0}, {R, 3.0f, 0.050f, 60, 0.040f}, {}}}},
        {1, "chest_y", "CH", "UPPER SPINE, CHEST CAVITY", "Y", Q::Acceleration,
         "CHEST ACCELERATION Y", kCfc180, -0.10f, 0.30f,
         {{{R, 2.0f, 0.050f, 45, 0.040f}, {}, {}}}},
        {1, "chest_z", "CH", "UPPER SPINE, CHEST CAVITY", "Z", Q::Acceleration,
         "CHEST ACCELERATION Z", kCfc180, 0.40f, 0.30f,
         {{{H, 9.0f, 0.050f, 0.070f, 0}, {R, -2.0f, 0.060f, 55, 0.030f}, {}}}},
        {1, "chest_dx", "CH", "STERNUM, CHEST DEFLECTION POT", "X", Q::Deflection,
         "CHEST DEFLECTION", kCfc180, 0.60f, 0.05f,
         {{{H, -41.0f, 0.050f, 0.090f, 0}, {P, -2.5f, 0.060f, 0.080f, 0}, {}}}},
        {1, "pelvis_x", "PV", "PELVIS, TRIAXIAL BLOCK", "X", Q::Acceleration,
         "PELVIS ACCELERATION X", kCfc1000, 0.25f, 0.35f,
         {{{H, -45.0f, 0.035f, 0.070f, 0}, {R, 4.0f, 0.040f, 110, 0.020f}, {}}}},
        {1, "pelvis_y", "PV", "PELVIS, TRIAXIAL BLOCK", "Y", Q::Acceleration,
         "PELVIS ACCELERATION Y", kCfc1000, 0.05f, 0.35f,
         {{{R, -3.0f, 0.040f, 75, 0.030f}, {}, {}}}},
        {1, "pelvis_z", "PV", "PELVIS, TRIAXIAL BLOCK", "Z", Q::Acceleration,
         "PELVIS ACCELERATION Z", kCfc1000, -0.30f, 0.35f,
         {{{H, 10.0f, 0.040f, 0.060f, 0}, {R, 2.5f, 0.045f, 120, 0.020f}, {}}}},
        {1, "neck_fx", "NK", "UPPER NECK LOAD CELL", "X", Q::Force,
         "UPPER NECK SHEAR FORCE X", kCfc600, 6.0f, 6.0f,
         {{{H, -520.0f, 0.060f, 0.060f, 0}, {H, 250.0f, 0.120f, 0.040f, 0}, {}}}},
        {1, "neck_fy", "NK", "UPPER NECK LOAD CELL", "Y", Q::Force,
         "UPPER NECK SHEAR FORCE Y", kCfc600, -4.0f, 6.0f,
         {{{R, 60.0f, 0.065f, 40, 0.040f}, {}, {}}}},
        {1, "neck_fz", "NK", "UPPER NECK LOAD CELL", "Z", Q::Force,
         "UPPER NECK AXIAL FORCE Z", kCfc600, 9.0f, 8.0f,
         {{{H, 1850.0f, 0.058f, 0.070f, 0}, {H, -450.0f, 0.130f, 0.030f, 0}, {}}}},
        {1, "neck_mx", "NK", "UPPER NECK LOAD CELL", "X", Q::Moment,
         "UPPER NECK MOMENT X", kCfc600, 0.3f, 0.2f,
         {{{R, 4.0f, 0.065f, 30, 0.040f}, {}, {}}}},
        {1, "neck_my", "NK", "UPPER NECK LOAD CELL", "Y", Q::Moment,
         "UPPER NECK MOMENT Y", kCfc600, -0.4f, 0.2f,
         {{{H, 38.0f, 0.065f, 0.060f, 0}, {H, -19.0f, 0.125f, 0.040f, 0}, {}}}},
        {1, "neck_mz", "NK", "UPPER NECK LOAD CELL", "Z", Q::Moment,
         "UPPER NECK MOMENT Z", kCfc600, 0.2f, 0.2f,
         {{{R, -3.0f, 0.070f, 25, 0.040f}, {}, {}}}},
        {1, "lfemur_fz", "FL", "LEFT FEMUR LOAD CELL", "Z", Q::Force,
         "LEFT FEMUR FORCE Z", kCfc600, 12.0f, 10.0f,
         {{{H, -3400.0f, 0.035f, 0.055f, 0}, {R, 250.0f, 0.040f, 80, 0.020f}, {}}}},
        {1, "rfemur_fz", "FR", "RIGHT FEMUR LOAD CELL", "Z", Q::Force,
         "RIGHT FEMUR FORCE Z", kCfc600, -8.0f, 10.0f,
         {{{H, -3100.0f, 0.037f, 0.052f, 0}, {R, 220.0f, 0.042f, 85, 0.020f}, {}}}},
        {1, "ltibia_mx", "TL", "LEFT UPPER TIBIA LOAD CELL", "X", Q::Moment,
         "LEFT UPPER TIBIA MOMENT X", kCfc600, 0.5f, 0.3f,
         {{{H, 28.0f, 0.030f, 0.060f, 0}, {R, 8.0f, 0.035f, 70, 0.020f}, {}}}},
        {1, "ltibia_my", "TL", "LEFT UPPER TIBIA LOAD CELL", "Y", Q::Moment,
         "LEFT UPPER TIBIA MOMENT Y", kCfc600, -0.6f, 0.3f,
         {{{H, -62.0f, 0.032f, 0.050f, 0}, {R, -6.0f, 0.036f, 90, 0.020f}, {}}}},
        {1, "ltibia_fz", "TL", "LEFT UPPER TIBIA LOAD CELL", "Z", Q::Force,
         "LEFT UPPER TIBIA FORCE Z", kCfc600, 15.0f, 10.0f,
         {{{H, -2600.0f, 0.030f, 0.055f, 0}, {R, 200.0f, 0.034f, 75, 0.020f}, {}}}},
        {1, "sbelt_f", "SB", "SHOULDER BELT, UPPER SECTION", " ", Q::Force,
         "SHOULDER BELT FORCE", kCfc60, 15.0f, 8.0f,
         {{{H, 6200.0f, 0.025f, 0.095f, 0}, {}, {}}}},
        {1, "lbelt_f", "LB", "LAP BELT, OUTBOARD SECTION", " ", Q::Force,
         "LAP BELT FORCE", kCfc60, -11.0f, 8.0f,
         {{{H, 5100.0f, 0.022f, 0.090f, 0}, {}, {}}}},
        {1, "sled_x", "SL", "SLED CARRIAGE", "X", Q::Acceleration,
         "SLED ACCELERATION X", kCfc60, 0.10f, 0.20f,
         {{{H, -22.0f, 0.000f, 0.095f, 0}, {R, -1.5f, 0.002f, 30, 0.030f}, {}}}},

        // Two faulty channels, last so that the others keep their seeds and
        // curve numbers: a B-pillar amplifier set to +-25 g, and a spine
        // channel whose recorder dropped two samples.
        {0, "bpillar_x", "BP", "LEFT B-PILLAR, SEAT BELT ANCHOR", "X", Q::Acceleration,
         "LEFT B-PILLAR ACCELERATION X (RANGE 25 G)", kRaw, 0.12f, 0.45f,
         {{{H, -33.0f, 0.003f, 0.090f, 0}, {R, -5.0f, 0.005f, 115, 0.020f}, {}}},
         {DemoFault::Clip, 25.0f, {}}},
        {1, "spine_x", "T1", "LOWER SPINE T12, TRIAXIAL BLOCK", "X", Q::Acceleration,
         "LOWER SPINE ACCELERATION X", kCfc180, 0.15f, 0.30f,
         {{{H, -33.0f, 0.042f, 0.078f, 0}, {R, 2.5f, 0.048f, 60, 0.040f}, {}}},
         {DemoFault::Dropout, 0.0f, {0.0716f, 0.0893f}}},
    };
    return channels;
}

void BuildDemoSignal(std::size_t i, KVSignal& signal)
{
    const DemoChannel& c = DemoChannels()[i];
    const DemoTest& t = DemoTests()[static_cast<std::size_t>(c.test)];
    signal.Reset();
    signal.SetTestSource(t.source);
    signal.SetTestNumber(t.number);
    signal.SetTestReference(t.reference);
    signal.SetTestConfig(t.config);
    signal.SetTestTitle(t.title);
    signal.SetImpactAngle(0.0f);
    signal.SetClosingSpeed(t.closingSpeed);
    signal.SetVehicleNumber(1);
    signal.SetVehicleMake("ARVENTA");
    signal.SetVehicleModel("CORVALE 1.6 SEDAN");
    signal.SetModelYear(2025);
    signal.SetOccupantType("H3 50M");
    signal.SetOccupantSex("M");
    signal.SetOccupantWeight(78.2f);
    signal.SetOccupantSize("50");
    signal.SetRestraint1("3-POINT BELT");
    signal.SetRestraint2(c.test == 0 ? "DRIVER AIRBAG" : "DRIVER AIRBAG, SLED");

    const QuantityNames names = NamesOf(c.quantity);
    // Curves are numbered within their test, as the lab's channel list does.
    int curve = 0;
    for (std::size_t k = 0; k <= i; ++k)
        curve += DemoChannels()[k].test == c.test ? 1 : 0;
    signal.SetCurveNumber(curve);
    signal.SetCurveText(c.text);
    signal.SetSensorLocation(c.location);
    signal.SetSensorAttachment(c.attachment);
    signal.SetSensorType(names.type);
    signal.SetGaugeNumber(7100 + static_cast<int>(i) * 3);
    signal.SetBandNumber(curve);
    signal.SetAxis(c.axis);
    signal.SetYUnits(names.units);
    signal.SetYType(names.type);
    signal.SetXUnits("SECONDS");
    signal.SetXType("TIME");
    signal.SetStatus(c.cutOff > 0 ? "FILTERED" : "AS MEASURED");
    signal.SetPreFilterFrequency(kCfc1000);
    signal.SetCutOffFrequency(c.cutOff);
    signal.SetStoppingFrequency(StopFrequencyOf(c.cutOff));
    signal.SetInitialVelocity(c.quantity == Q::Acceleration ? t.initialVelocity : 0.0f);

    const std::size_t n = static_cast<std::size_t>(kDemoNlp - kDemoNfp + 1);
    signal.Allocate(n);
    // Each channel has its own seed, so adding a channel leaves the others alone.
    const std::vector<double> noise =
        DemoBandNoise(0x0DE70000ull + i, n, c.noise, kDemoDel, c.cutOff > 0 ? c.cutOff : kCfc1000);
    for (std::size_t k = 0; k < n; ++k) {
        const float x = static_cast<float>(kDemoNfp + static_cast<int>(k)) * kDemoDel;
        double y = c.bias + noise[k];
        for (const DemoTerm& term : c.terms)
            y += DemoTermValue(term, x);
        if (c.fault.kind == DemoFault::Clip)
            y = std::clamp(y, double(-c.fault.level), double(c.fault.level));
        if (c.fault.kind == DemoFault::Dropout)
            for (float at : c.fault.at)
                if (kDemoNfp + static_cast<int>(k) == static_cast<int>(std::lround(at / kDemoDel)))
                    y = 0;
        signal.SetPoint(x, static_cast<float>(y), k);
    }
    signal.SetNfp(kDemoNfp);
    signal.SetNlp(kDemoNlp);
    signal.SetDel(kDemoDel);
    signal.SetT0(static_cast<float>(kDemoNfp) * kDemoDel);
    signal.UpdateExtremes();
    signal.SetHasData(true);
}
