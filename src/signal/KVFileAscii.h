#pragma once
#include "KVFile.h"

#include <functional>
#include <string>

// The unit of the time column of a text file.
enum class KVTimeUnit { Milliseconds, Seconds };

// How a program reads text files: the time unit it assumes, and how it names
// its way of choosing the other unit (for the implausible-step warning).
struct KVTextOptions {
    KVTimeUnit timeUnit = KVTimeUnit::Milliseconds;
    // The switch that selects a unit, e.g. "--time-unit s"; a generic phrase
    // when not set.
    std::function<std::string(KVTimeUnit)> unitSwitch;
};

// The unit as a switch value reads it ("s", "seconds", "ms", "milliseconds");
// false for anything else.
bool KVParseTimeUnit(const std::string& text, KVTimeUnit& unit);

// A two-column text file: one X and one Y value per line after optional
// header lines.
class KVFileAscii : public KVFile {
public:
    explicit KVFileAscii(std::string fileName);

    const char* TypeName() const override { return "ASCII File"; }
    std::string FileName() const override { return m_fileName; }
    // Lines of the file (a line longer than 1022 characters counts per piece);
    // 0 when the file cannot be opened.
    size_t PointCount() override;
    // Loads the points; the time column is taken in the unit a header line
    // states for it ("Time (ms)", "Time [s]", "t/s", "time in ms"), else in the
    // options' unit (X units MILLISECONDS or SECONDS). A step implausible for
    // measured data in the options' unit (below 1 us or above 10 ms) adds a
    // warning and still loads.
    bool Load(KVSignal& signal) override;
    void SetOptions(KVTextOptions options) { m_options = std::move(options); }

private:
    std::string NoDataMessage() const;
    void WarnOfImplausibleStep(const KVSignal& signal);

    std::string m_fileName;
    KVTextOptions m_options;
};
