#pragma once
#include <QString>
#include <QStringList>
#include <QVariant>

// The per-user settings of Ondrel: store "Zelnor"/"Ondrel", group "Settings".
// Every key is named here and takes its default from DefaultValue().
namespace OndrelSettings {

inline constexpr char kOrganization[] = "Zelnor";
inline constexpr char kApplication[] = "Ondrel";
inline constexpr char kSection[] = "Settings";

inline constexpr char kColumnHeaders[] = "ColumnHeaders"; // int 0/1
inline constexpr char kSaveZoom[] = "SaveZoom";           // int 0/1
inline constexpr char kLineStyle[] = "LineStyle";         // int 0..3
inline constexpr char kQuillon[] = "Quillon";             // string, no final "/"
inline constexpr char kOutputDir[] = "OutputDir";         // string, final "/"
inline constexpr char kSort[] = "Sort";                   // int 0 name, 1 extension
inline constexpr char kShortHeader[] = "ShortHeader";     // int 0/1
inline constexpr char kTextTimeUnit[] = "TextTimeUnit";   // int 0 milliseconds, 1 seconds (text files' time column)
inline constexpr char kProtocolDir[] = "ProtocolDir";     // string, no final "/"
inline constexpr char kAssessProtocol[] = "AssessProtocol"; // string: the protocol last chosen to assess or report
inline constexpr char kAssessPositions[] = "AssessPositions"; // string: the positions last given ("" every one)
// "Directory0" .. "Directory9": recent directories, most recent first.
inline constexpr int kRecentDirectoryCount = 10;
QString DirectoryKey(int position);

// The default of key (an invalid QVariant for an unknown key).
QVariant DefaultValue(const QString& key);

int ReadInt(const QString& key);
QString ReadString(const QString& key);
void WriteInt(const QString& key, int value);
void WriteString(const QString& key, const QString& value);

// The recent directories stored under Directory0..9, non-empty ones in order.
QStringList RecentDirectories();
// Text trimmed of blanks at both ends and given a final "/"; empty stays empty.
QString NormaliseDirectory(const QString& text);
// The list with dir on top and any entry equal to it (case ignored) removed.
QStringList PushRecentDirectory(QStringList list, const QString& dir);
// Writes the first ten non-empty entries to Directory0..9.
void StoreRecentDirectories(const QStringList& list);
// The OK step of the directory chooser: normalises text, puts it on top of the
// stored list and returns it; empty (nothing stored) when text is blank.
QString RememberDirectory(const QString& text);

// The directory part of a file path, ending in "/".
QString DirectoryOfPath(const QString& path);
// Stores the directory of a chosen file as "OutputDir".
void StoreOutputDir(const QString& chosenPath);

} // namespace OndrelSettings
