#pragma once

// Every header field of a signal, in the order of the header tables:
// test and vehicle, occupant and injury, curve and sensor; each with its
// kind, its default and its place in an RVF-1992 file: KV_RVF(record field),
// whose offset RvfRecords.h gives, or KV_NO_RVF for a field the reader
// derives (TestNumber from the test number, SensorType from YType, the
// filter class from the frequencies, the extremes and T0 from the samples)
// and a field no record holds. CALL(KIND, name, default, place), KIND one
// of TEXT, REAL and INT. ModelYear's default is the current calendar year
// (KVCurrentYear()).
#define KV_SIGNAL_FIELD_TABLE(CALL, TEXT, REAL, INT)                          \
    CALL(TEXT, Dimension, "MET", KV_RVF(Test.Dimension))                        \
    CALL(TEXT, TestNumber, "0", KV_NO_RVF)                                      \
    CALL(TEXT, TestSource, " ", KV_RVF(Test.Source))                            \
    CALL(TEXT, TestConfig, " ", KV_RVF(Test.Config))                            \
    CALL(TEXT, TestReference, " ", KV_RVF(Test.Reference))                      \
    CALL(TEXT, TestTitle, " ", KV_RVF(Test.Title))                              \
    CALL(REAL, ImpactAngle, 0.0f, KV_RVF(Test.ImpactAngle))                     \
    CALL(REAL, ClosingSpeed, 0.0f, KV_RVF(Test.ClosingSpeed))                   \
    CALL(INT, VehicleNumber, 0, KV_RVF(Vehicle.Number))                         \
    CALL(TEXT, VehicleMake, " ", KV_RVF(Vehicle.Make))                          \
    CALL(TEXT, VehicleModel, " ", KV_RVF(Vehicle.Model))                        \
    CALL(INT, ModelYear, KVCurrentYear(), KV_RVF(Vehicle.ModelYear))            \
    CALL(INT, VehicleValue, 0, KV_RVF(Vehicle.Value))                           \
    CALL(TEXT, OccupantType, " ", KV_RVF(Occupant.Type))                        \
    CALL(TEXT, OccupantSex, " ", KV_RVF(Occupant.Sex))                          \
    CALL(REAL, OccupantWeight, 0.0f, KV_RVF(Occupant.Weight))                   \
    CALL(TEXT, OccupantSize, " ", KV_RVF(Occupant.Size))                        \
    CALL(TEXT, Restraint1, " ", KV_RVF(Occupant.Restraint1))                    \
    CALL(TEXT, Restraint2, " ", KV_RVF(Occupant.Restraint2))                    \
    CALL(INT, HicInterval, 36, KV_NO_RVF)                                       \
    CALL(REAL, Hic, 0.0f, KV_RVF(Injury.Hic))                                   \
    CALL(REAL, HicT1, 0.0f, KV_RVF(Injury.HicT1))                               \
    CALL(REAL, HicT2, 0.0f, KV_RVF(Injury.HicT2))                               \
    CALL(REAL, Clip3ms, 0.0f, KV_RVF(Injury.Clip3ms))                           \
    CALL(REAL, Clip3msT1, 0.0f, KV_NO_RVF)                                      \
    CALL(REAL, Clip3msT2, 0.0f, KV_NO_RVF)                                      \
    CALL(REAL, Csi, 0.0f, KV_RVF(Injury.Csi))                                   \
    CALL(TEXT, Ais, "0", KV_RVF(Injury.Ais))                                    \
    CALL(INT, CurveNumber, 0, KV_RVF(Curve.Number))                             \
    CALL(TEXT, Status, " ", KV_RVF(Curve.Status))                               \
    CALL(TEXT, CurveText, " ", KV_RVF(Curve.Description))                       \
    CALL(TEXT, SensorLocation, " ", KV_RVF(Curve.Location))                     \
    CALL(TEXT, SensorAttachment, " ", KV_RVF(Curve.Attachment))                 \
    CALL(TEXT, SensorType, " ", KV_NO_RVF)                                      \
    CALL(INT, GaugeNumber, 0, KV_RVF(Curve.GaugeNumber))                        \
    CALL(INT, BandNumber, 0, KV_RVF(Curve.BandNumber))                          \
    CALL(TEXT, Axis, " ", KV_RVF(Curve.Axis))                                   \
    CALL(INT, Nfp, 0, KV_RVF(Curve.Nfp))                                        \
    CALL(INT, Nlp, 0, KV_RVF(Curve.Nlp))                                        \
    CALL(TEXT, XUnits, "MILLISECONDS", KV_RVF(Curve.XUnits))                    \
    CALL(TEXT, YUnits, " ", KV_RVF(Curve.YUnits))                               \
    CALL(TEXT, XType, "TIME", KV_RVF(Curve.XType))                              \
    CALL(TEXT, YType, " ", KV_RVF(Curve.YType))                                 \
    CALL(REAL, XMax, 99999.0f, KV_NO_RVF)                                       \
    CALL(REAL, XMin, 99999.0f, KV_NO_RVF)                                       \
    CALL(REAL, YMax, 99999.0f, KV_NO_RVF)                                       \
    CALL(REAL, YMin, 99999.0f, KV_NO_RVF)                                       \
    CALL(REAL, T0, 0.0f, KV_NO_RVF)                                             \
    CALL(REAL, Del, 99999.0f, KV_NO_RVF)                                        \
    CALL(REAL, PreFilterFrequency, 0.0f, KV_RVF(Curve.PreFilterFrequency))      \
    CALL(REAL, StoppingFrequency, 0.0f, KV_RVF(Curve.StoppingFrequency))        \
    CALL(REAL, CutOffFrequency, 0.0f, KV_RVF(Curve.CutOffFrequency))            \
    CALL(REAL, InitialVelocity, 0.0f, KV_RVF(Curve.InitialVelocity))            \
    CALL(INT, FilterClass, 1000, KV_NO_RVF)

// The table for TEXT(name, default), REAL(name, default), INT(name, default).
#define KV_SIGNAL_FIELD_NAME_DEFAULT(KIND, name, def, place) KIND(name, def)
#define KV_SIGNAL_FIELDS(TEXT, REAL, INT) KV_SIGNAL_FIELD_TABLE(KV_SIGNAL_FIELD_NAME_DEFAULT, TEXT, REAL, INT)
