#pragma once
// Every header field of a signal, in the order of the header tables:
// test and vehicle, occupant and injury, curve and sensor. One row a field:
// CALL(KIND, name, default, rvf, iso), KIND one of TEXT, REAL and INT.
// - default: a new record's value; ModelYear's is the current calendar year
//   (KVCurrentYear()).
// - rvf: the field's place in an RVF-1992 file, KV_RVF(record field), whose
//   offset RvfRecords.h gives, or KV_NO_RVF for a field the reader derives
//   (TestNumber from the test number, SensorType from YType, the filter class
//   from the frequencies, the extremes and T0 from the samples) and a field
//   no record holds.
// - iso: the ISO-MME line the field is read from and written to:
//   KV_ISO_CHANNEL(line) in the channel file, KV_ISO_TEST(line) in the test
//   file, KV_ISO_OBJECT(line) in the test file once per test object, the
//   object's number after the name ("Name of test object 1"); KV_NO_ISO for
//   a field that has no line (a part of the channel code, say).
// The RVF reader and writer, the ISO-MME reader and writer, the printed
// header of kalvio info and the header record itself are all made from it.
#include <cstddef>
#include <string_view>

#define KV_SIGNAL_FIELD_TABLE(CALL, TEXT, REAL, INT)                          \
    CALL(TEXT, Dimension, "MET", KV_RVF(Test.Dimension), KV_NO_ISO)                                  \
    CALL(TEXT, TestNumber, "0", KV_NO_RVF, KV_NO_ISO)                                                \
    CALL(TEXT, TestSource, " ", KV_RVF(Test.Source), KV_ISO_TEST("Laboratory name"))                 \
    CALL(TEXT, TestConfig, " ", KV_RVF(Test.Config), KV_NO_ISO)                                      \
    CALL(TEXT, TestReference, " ", KV_RVF(Test.Reference), KV_ISO_TEST("Laboratory test ref. number")) \
    CALL(TEXT, TestTitle, " ", KV_RVF(Test.Title), KV_ISO_TEST("Title"))                             \
    CALL(REAL, ImpactAngle, 0.0f, KV_RVF(Test.ImpactAngle), KV_NO_ISO)                               \
    CALL(REAL, ClosingSpeed, 0.0f, KV_RVF(Test.ClosingSpeed), KV_ISO_OBJECT("Velocity test object")) \
    CALL(INT, VehicleNumber, 0, KV_RVF(Vehicle.Number), KV_ISO_CHANNEL("Test object number"))        \
    CALL(TEXT, VehicleMake, " ", KV_RVF(Vehicle.Make), KV_NO_ISO)                                    \
    CALL(TEXT, VehicleModel, " ", KV_RVF(Vehicle.Model), KV_ISO_OBJECT("Name of test object"))       \
    CALL(INT, ModelYear, KVCurrentYear(), KV_RVF(Vehicle.ModelYear), KV_NO_ISO)                      \
    CALL(INT, VehicleValue, 0, KV_RVF(Vehicle.Value), KV_NO_ISO)                                     \
    CALL(TEXT, OccupantType, " ", KV_RVF(Occupant.Type), KV_NO_ISO)                                  \
    CALL(TEXT, OccupantSex, " ", KV_RVF(Occupant.Sex), KV_NO_ISO)                                    \
    CALL(REAL, OccupantWeight, 0.0f, KV_RVF(Occupant.Weight), KV_NO_ISO)                             \
    CALL(TEXT, OccupantSize, " ", KV_RVF(Occupant.Size), KV_NO_ISO)                                  \
    CALL(TEXT, Restraint1, " ", KV_RVF(Occupant.Restraint1), KV_NO_ISO)                              \
    CALL(TEXT, Restraint2, " ", KV_RVF(Occupant.Restraint2), KV_NO_ISO)                              \
    CALL(INT, HicInterval, 36, KV_NO_RVF, KV_NO_ISO)                                                 \
    CALL(REAL, Hic, 0.0f, KV_RVF(Injury.Hic), KV_NO_ISO)                                             \
    CALL(REAL, HicT1, 0.0f, KV_RVF(Injury.HicT1), KV_NO_ISO)                                         \
    CALL(REAL, HicT2, 0.0f, KV_RVF(Injury.HicT2), KV_NO_ISO)                                         \
    CALL(REAL, Clip3ms, 0.0f, KV_RVF(Injury.Clip3ms), KV_NO_ISO)                                     \
    CALL(REAL, Clip3msT1, 0.0f, KV_NO_RVF, KV_NO_ISO)                                                \
    CALL(REAL, Clip3msT2, 0.0f, KV_NO_RVF, KV_NO_ISO)                                                \
    CALL(REAL, Csi, 0.0f, KV_RVF(Injury.Csi), KV_NO_ISO)                                             \
    CALL(TEXT, Ais, "0", KV_RVF(Injury.Ais), KV_NO_ISO)                                              \
    CALL(INT, CurveNumber, 0, KV_RVF(Curve.Number), KV_NO_ISO)                                       \
    CALL(TEXT, Status, " ", KV_RVF(Curve.Status), KV_ISO_CHANNEL("Data status"))                     \
    CALL(TEXT, CurveText, " ", KV_RVF(Curve.Description), KV_ISO_CHANNEL("Name of the channel"))     \
    CALL(TEXT, SensorLocation, " ", KV_RVF(Curve.Location), KV_NO_ISO)                               \
    CALL(TEXT, SensorAttachment, " ", KV_RVF(Curve.Attachment), KV_ISO_CHANNEL("Channel code"))      \
    CALL(TEXT, SensorType, " ", KV_NO_RVF, KV_NO_ISO)                                                \
    CALL(INT, GaugeNumber, 0, KV_RVF(Curve.GaugeNumber), KV_ISO_CHANNEL("Transducer id"))            \
    CALL(INT, BandNumber, 0, KV_RVF(Curve.BandNumber), KV_NO_ISO)                                    \
    CALL(TEXT, Axis, " ", KV_RVF(Curve.Axis), KV_ISO_CHANNEL("Direction"))                           \
    CALL(INT, Nfp, 0, KV_RVF(Curve.Nfp), KV_NO_ISO)                                                  \
    CALL(INT, Nlp, 0, KV_RVF(Curve.Nlp), KV_NO_ISO)                                                  \
    CALL(TEXT, XUnits, "MILLISECONDS", KV_RVF(Curve.XUnits), KV_NO_ISO)                              \
    CALL(TEXT, YUnits, " ", KV_RVF(Curve.YUnits), KV_ISO_CHANNEL("Unit"))                            \
    CALL(TEXT, XType, "TIME", KV_RVF(Curve.XType), KV_NO_ISO)                                        \
    CALL(TEXT, YType, " ", KV_RVF(Curve.YType), KV_ISO_CHANNEL("Dimension"))                         \
    CALL(REAL, XMax, 99999.0f, KV_NO_RVF, KV_NO_ISO)                                                 \
    CALL(REAL, XMin, 99999.0f, KV_NO_RVF, KV_NO_ISO)                                                 \
    CALL(REAL, YMax, 99999.0f, KV_NO_RVF, KV_ISO_CHANNEL("First global maximum value"))              \
    CALL(REAL, YMin, 99999.0f, KV_NO_RVF, KV_ISO_CHANNEL("First global minimum value"))              \
    CALL(REAL, T0, 0.0f, KV_NO_RVF, KV_ISO_CHANNEL("Time of first sample"))                          \
    CALL(REAL, Del, 99999.0f, KV_NO_RVF, KV_ISO_CHANNEL("Sampling interval"))                        \
    CALL(REAL, PreFilterFrequency, 0.0f, KV_RVF(Curve.PreFilterFrequency), KV_ISO_CHANNEL("Pre-filter type")) \
    CALL(REAL, StoppingFrequency, 0.0f, KV_RVF(Curve.StoppingFrequency), KV_NO_ISO)                  \
    CALL(REAL, CutOffFrequency, 0.0f, KV_RVF(Curve.CutOffFrequency), KV_ISO_CHANNEL("Cut off frequency")) \
    CALL(REAL, InitialVelocity, 0.0f, KV_RVF(Curve.InitialVelocity), KV_NO_ISO)                      \
    CALL(INT, FilterClass, 1000, KV_NO_RVF, KV_ISO_CHANNEL("Channel frequency class"))

// The table for TEXT(name, default), REAL(name, default), INT(name, default).
#define KV_SIGNAL_FIELD_NAME_DEFAULT(KIND, name, def, rvf, iso) KIND(name, def)
#define KV_SIGNAL_FIELDS(TEXT, REAL, INT) KV_SIGNAL_FIELD_TABLE(KV_SIGNAL_FIELD_NAME_DEFAULT, TEXT, REAL, INT)

// The field table as data: each field's name, kind and ISO-MME line, looked
// up from the field (KVIsoLineOf) or from the line (KVFieldOfIsoLine).
enum class KVFieldKind { Text, Real, Int };
enum class KVIsoPlace { None, Channel, Test, Object };

#define KV_FIELD_ID(KIND, name, def, rvf, iso) name,
enum class KVFieldId { KV_SIGNAL_FIELD_TABLE(KV_FIELD_ID, , , ) Count };
#undef KV_FIELD_ID

struct KVFieldRow {
    KVFieldId id;
    std::string_view name;
    KVFieldKind kind;
    KVIsoPlace isoPlace;
    std::string_view isoLine; // empty for KVIsoPlace::None
};

#define KV_ISO_CHANNEL(line) KVIsoPlace::Channel, line
#define KV_ISO_TEST(line) KVIsoPlace::Test, line
#define KV_ISO_OBJECT(line) KVIsoPlace::Object, line
#define KV_NO_ISO KVIsoPlace::None, ""
#define KV_FIELD_ROW(KIND, name, def, rvf, iso) KVFieldRow{KVFieldId::name, #name, KVFieldKind::KIND, iso},
inline constexpr KVFieldRow kKVFieldRows[] = {KV_SIGNAL_FIELD_TABLE(KV_FIELD_ROW, Text, Real, Int)};
#undef KV_FIELD_ROW
#undef KV_ISO_CHANNEL
#undef KV_ISO_TEST
#undef KV_ISO_OBJECT
#undef KV_NO_ISO
static_assert(sizeof kKVFieldRows / sizeof kKVFieldRows[0] == static_cast<size_t>(KVFieldId::Count));

// The ISO-MME line of a field ("Name of the channel" for CurveText); empty
// when it has none.
constexpr std::string_view KVIsoLineOf(KVFieldId field)
{
    return kKVFieldRows[static_cast<size_t>(field)].isoLine;
}

// The field that the ISO-MME line at place maps to, or nullptr.
constexpr const KVFieldRow* KVFieldOfIsoLine(KVIsoPlace place, std::string_view line)
{
    for (const KVFieldRow& row : kKVFieldRows)
        if (row.isoPlace == place && row.isoLine == line && place != KVIsoPlace::None)
            return &row;
    return nullptr;
}

// Each ISO-MME line belongs to one field at most, so that a line finds its
// field again and the writer writes every field.
constexpr bool KVIsoLinesAreDistinct()
{
    for (const KVFieldRow& row : kKVFieldRows)
        if (row.isoPlace != KVIsoPlace::None && KVFieldOfIsoLine(row.isoPlace, row.isoLine) != &row)
            return false;
    return true;
}
static_assert(KVIsoLinesAreDistinct());
