#include "TitleBlock.h"

#include "KVSignal.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace {

// Header texts are bytes; formatting them with printf keeps the cuts of
// "%.15s" and friends exact in characters.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0u, '\0');
    if (length > 0)
        std::vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    return text;
}

std::string TrimRight(std::string text)
{
    const size_t end = text.find_last_not_of(' ');
    text.erase(end == std::string::npos ? 0 : end + 1);
    return text;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// A line may hold 99 characters with its tab: a longer one keeps its first 97
// and closes with "|" and the tab.
QString CloseLine(std::string line)
{
    if (line.size() > 99)
        line = line.substr(0, 97) + "|\t";
    return QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
}

const char* kBlankLine = "| |\t";

std::string VehicleOrOccupantLine(const KVHeader& h)
{
    if (StartsWith(h.TestSource, "VEHICLE DB"))
        return Format("%4.4d %.20s %.20s||\t", h.ModelYear, h.VehicleMake.c_str(), h.VehicleModel.c_str());
    if (StartsWith(h.TestSource, "BIOMECHANICS DB") && StartsWith(h.OccupantType, "CD"))
        return Format("Type %.6s, Sex %.1s,  Wt %5.1f kg, AIS: %s||\t", h.OccupantType.c_str(),
                      h.OccupantSex.c_str(), static_cast<double>(h.OccupantWeight), h.Ais.c_str());
    if (StartsWith(h.TestSource, "BIOMECHANICS DB"))
        return Format("Type %s, Size %s, Sex %s||\t", h.OccupantType.c_str(), h.OccupantSize.c_str(),
                      h.OccupantSex.c_str());
    return kBlankLine;
}

std::string VehicleNumberOrRestraintLine(const KVHeader& h)
{
    if (StartsWith(h.TestSource, "VEHICLE DB"))
        return Format("Vehicle Number: %d||\t", h.VehicleNumber);
    if (StartsWith(h.TestSource, "BIOMECHANICS DB"))
        return Format("Restraints: %.15s, %.15s||\t", h.Restraint1.c_str(), h.Restraint2.c_str());
    return kBlankLine;
}

} // namespace

TitleBlockExtremes FindTitleBlockExtremes(const KVSignal& signal)
{
    TitleBlockExtremes e;
    const size_t n = signal.PointCount();
    if (n == 0 || !signal.X() || !signal.Y())
        return e;
    const float* x = signal.X();
    const float* y = signal.Y();
    size_t iMin = 0;
    size_t iMax = 0;
    // Strict tests: among equal extremes the earliest point wins.
    for (size_t i = 1; i < n; ++i) {
        if (y[i] > y[iMax])
            iMax = i;
        if (y[i] < y[iMin])
            iMin = i;
    }
    const float scale = StartsWith(signal.XUnits(), "SECONDS") ? 1000.0f : 1.0f;
    e.yMin = y[iMin];
    e.xAtMin = x[iMin] * scale;
    e.yMax = y[iMax];
    e.xAtMax = x[iMax] * scale;
    return e;
}

QStringList TitleBlockLines(const KVSignal& signal, const QString& fileName)
{
    const KVHeader& h = signal.Header();
    const TitleBlockExtremes e = FindTitleBlockExtremes(signal);
    QStringList lines;
    lines << QStringLiteral("|") + fileName.left(99) + QStringLiteral("|\t");
    lines << CloseLine(Format("%.15s %.10s, %5.1f kph, %.3s||\t", TrimRight(h.TestSource).c_str(),
                              h.TestReference.c_str(), static_cast<double>(h.ClosingSpeed),
                              h.TestConfig.c_str()));
    lines << CloseLine(Format("%s||\t", h.CurveText.c_str()));
    lines << CloseLine(VehicleOrOccupantLine(h));
    lines << CloseLine(VehicleNumberOrRestraintLine(h));
    lines << CloseLine(Format("Location: %.2s, Type %.6s, Size %s|HIC %5.1f, Clip %5.1f|\t",
                              h.SensorLocation.c_str(), h.OccupantType.c_str(), h.OccupantSize.c_str(),
                              static_cast<double>(h.Hic), static_cast<double>(h.Clip3ms)));
    lines << CloseLine(Format("SenAtt %.25s, Axis %.2s||\t", TrimRight(h.SensorAttachment).c_str(),
                              h.Axis.c_str()));
    lines << CloseLine(Format("Status: %.15s||Min %10.2f at %5.1f ms\t", TrimRight(h.Status).c_str(),
                              static_cast<double>(e.yMin), static_cast<double>(e.xAtMin)));
    lines << CloseLine(Format("Cutoff %6.0f hz||Max %10.2f at %5.1f ms\t",
                              static_cast<double>(h.CutOffFrequency), static_cast<double>(e.yMax),
                              static_cast<double>(e.xAtMax)));
    return lines;
}

QString TitleBlockText(const QStringList& lines) { return lines.join(QString()); }

TitleBlockParts SplitTitleLine(QString line)
{
    if (line.endsWith(QLatin1Char('\t')))
        line.chop(1);
    TitleBlockParts parts;
    const qsizetype first = line.indexOf(QLatin1Char('|'));
    if (first < 0) {
        parts.left = line;
        return parts;
    }
    parts.left = line.left(first);
    const qsizetype second = line.indexOf(QLatin1Char('|'), first + 1);
    if (second < 0) {
        parts.centre = line.mid(first + 1);
        return parts;
    }
    parts.centre = line.mid(first + 1, second - first - 1);
    parts.right = line.mid(second + 1);
    return parts;
}
