#pragma once

// Every header field of a signal, in the order of the header tables:
// test and vehicle, occupant and injury, curve and sensor.
// TEXT(name, default), REAL(name, default), INT(name, default).
// ModelYear's default is the current calendar year (KVCurrentYear()).
#define KV_SIGNAL_FIELDS(TEXT, REAL, INT)          \
    TEXT(Dimension, "MET")                         \
    TEXT(TestNumber, "0")                          \
    TEXT(TestSource, " ")                          \
    TEXT(TestConfig, " ")                          \
    TEXT(TestReference, " ")                       \
    TEXT(TestTitle, " ")                           \
    REAL(ImpactAngle, 0.0f)                        \
    REAL(ClosingSpeed, 0.0f)                       \
    INT(VehicleNumber, 0)                          \
    TEXT(VehicleMake, " ")                         \
    TEXT(VehicleModel, " ")                        \
    INT(ModelYear, KVCurrentYear())                \
    INT(VehicleValue, 0)                           \
    TEXT(OccupantType, " ")                        \
    TEXT(OccupantSex, " ")                         \
    REAL(OccupantWeight, 0.0f)                     \
    TEXT(OccupantSize, " ")                        \
    TEXT(Restraint1, " ")                          \
    TEXT(Restraint2, " ")                          \
    INT(HicInterval, 36)                           \
    REAL(Hic, 0.0f)                                \
    REAL(HicT1, 0.0f)                              \
    REAL(HicT2, 0.0f)                              \
    REAL(Clip3ms, 0.0f)                            \
    REAL(Clip3msT1, 0.0f)                          \
    REAL(Clip3msT2, 0.0f)                          \
    REAL(Csi, 0.0f)                                \
    TEXT(Ais, "0")                                 \
    INT(CurveNumber, 0)                            \
    TEXT(Status, " ")                              \
    TEXT(CurveText, " ")                           \
    TEXT(SensorLocation, " ")                      \
    TEXT(SensorAttachment, " ")                    \
    TEXT(SensorType, " ")                          \
    INT(GaugeNumber, 0)                            \
    INT(BandNumber, 0)                             \
    TEXT(Axis, " ")                                \
    INT(Nfp, 0)                                    \
    INT(Nlp, 0)                                    \
    TEXT(XUnits, "MILLISECONDS")                   \
    TEXT(YUnits, " ")                              \
    TEXT(XType, "TIME")                            \
    TEXT(YType, " ")                               \
    REAL(XMax, 99999.0f)                           \
    REAL(XMin, 99999.0f)                           \
    REAL(YMax, 99999.0f)                           \
    REAL(YMin, 99999.0f)                           \
    REAL(T0, 0.0f)                                 \
    REAL(Del, 99999.0f)                            \
    REAL(PreFilterFrequency, 0.0f)                 \
    REAL(StoppingFrequency, 0.0f)                  \
    REAL(CutOffFrequency, 0.0f)                    \
    REAL(InitialVelocity, 0.0f)                    \
    INT(FilterClass, 1000)
