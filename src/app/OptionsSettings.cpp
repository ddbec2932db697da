#include "OptionsSettings.h"

#include "OndrelSettings.h"

namespace {

// Each option with its settings key; a yes/no is stored as 0 or 1.
template <class Values, class Visit>
void VisitOptions(Values& v, Visit&& visit)
{
    using namespace OndrelSettings;
    visit(kSaveZoom, v.saveZoom);
    visit(kColumnHeaders, v.columnHeaders);
    visit(kLineStyle, v.lineStyle);
    visit(kQuillon, v.quillonDir);
    visit(kTextTimeUnit, v.textTimeSeconds); // 0 milliseconds, 1 seconds
    visit(kProtocolDir, v.protocolDir);
}

void Read(const char* key, bool& v) { v = OndrelSettings::ReadInt(QString::fromLatin1(key)) != 0; }
void Read(const char* key, int& v) { v = OndrelSettings::ReadInt(QString::fromLatin1(key)); }
void Read(const char* key, QString& v) { v = OndrelSettings::ReadString(QString::fromLatin1(key)); }

void Write(const char* key, bool v) { OndrelSettings::WriteInt(QString::fromLatin1(key), v ? 1 : 0); }
void Write(const char* key, int v) { OndrelSettings::WriteInt(QString::fromLatin1(key), v); }
void Write(const char* key, const QString& v) { OndrelSettings::WriteString(QString::fromLatin1(key), v); }

} // namespace

COptionsValues ReadOptions()
{
    COptionsValues values;
    VisitOptions(values, [](const char* key, auto& v) { Read(key, v); });
    return values;
}

void WriteOptions(const COptionsValues& values)
{
    VisitOptions(values, [](const char* key, const auto& v) { Write(key, v); });
}
