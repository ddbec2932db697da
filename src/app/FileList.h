#pragma once
// The browsed file list: the listed names (bare names of the browsed
// directory in directory mode, paths in hitlist mode), the mode, the name of
// the hitlist opened last and what a test lists each of its channels by.
#include "ChannelListing.h"
#include "SimulationList.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class CMessageList;
class CSignalEntry;
class Simulation;

class CFileList {
public:
    const QStringList& Names() const { return m_names; }
    // Replaces the names as they are; mode and listings stay.
    void SetNames(QStringList names) { m_names = std::move(names); }
    void Append(const QStringList& names) { m_names.append(names); }
    // Appends the names not listed yet.
    void AppendNew(const QStringList& names);
    void RemoveIf(const std::function<bool(const QString&)>& drop) { m_names.removeIf(drop); }
    // Empties the names; in directory mode the directory goes too (Clear List).
    void Clear();
    // Empties names, directory and listings; the mode stays (a new document).
    void Reset();

    bool HitMode() const { return m_hitMode; }
    // The browsed directory, ending in "/" (directory mode only).
    const QString& Directory() const { return m_directory; }
    // Name and extension of the hitlist opened last.
    const QString& HitlistName() const { return m_hitlistName; }
    void SetHitlistName(const QString& name) { m_hitlistName = name; }
    // Directory mode on dir; the names stay until Relist.
    void Browse(const QString& dir);
    // Hitlist mode with no names and no listings, as a hitlist is read into.
    void StartHitlist();
    // Prefixes the names with the directory and goes to hitlist mode; hands
    // back the directory so the caller can prefix what else holds bare names.
    QString SwitchToHitMode();
    // The path of a list name: itself in hitlist mode, joined to the directory otherwise.
    QString PathOf(const QString& name) const { return m_hitMode ? name : m_directory + name; }

    // Lists the directory with a wildcard pattern; false, list unchanged, when nothing matched.
    bool ListDirectory(const QString& pattern);
    // 0 by name, 1 by extension (stable), other values leave the order.
    void Sort(int order);
    // Directory mode: lists the whole directory again (an empty or missing
    // one lists as empty); then sorts by order.
    void Relist(int order);

    // "CODE  name" for a channel of a test, else the name itself.
    QString ListText(const QString& name) const;
    // The channel code (its file name where the test repeats the code), else the entry's name.
    QString LegendName(const CSignalEntry& entry) const;
    // What a test lists for a list name, or null for a plain file.
    const CChannelListing* ListingOf(const QString& name) const;
    // The tests (their paths) of the listed channels, in list order, once each.
    QStringList ListedTests() const;
    // Appends to names the channels of the test at path and keeps their
    // listings; its failure or warnings go to messages.
    bool AppendTestChannels(const QString& path, QStringList& names, CMessageList& messages);
    // Appends to names the channels of the simulation at path, listed as
    // PATH:CHANNEL; the reason it cannot be read goes to messages.
    bool AppendSimulationChannels(const QString& path, QStringList& names, CMessageList& messages);
    // Appends the one channel that entry names as a saved list holds it,
    // PATH:FILE/ID/VARIABLE; false when entry names none.
    bool AppendSimulationChannel(const QString& entry, QStringList& names, CMessageList& messages);
    // Whether path lists channels: an ISO-MME test or a simulation.
    static bool IsChannelSource(const QString& path);
    // The channels of the test or simulation at path (see the two above).
    bool AppendSourceChannels(const QString& path, QStringList& names, CMessageList& messages);
    // The simulation opened from path, or null.
    std::shared_ptr<const Simulation> SimulationOf(const QString& path) const { return m_simulations.value(path); }
    // The units chosen for the simulation file at path, or null before the choice.
    const CModelUnits* ModelUnitsOf(const QString& path) const;
    void SetModelUnits(const QString& path, const CModelUnits& units) { m_modelUnits.insert(path, units); }
    // Appends to names what a command-line entry or hitlist line stands for:
    // the channels of a test (its .mme, folder or .zip), else the matching
    // files. False when nothing matched.
    bool AppendListed(const QString& entry, QStringList& names, CMessageList& messages);

private:
    // Lists channel i of the simulation sim opened from path; returns its list name.
    QString ListSimulationChannel(const QString& path, const Simulation& sim, size_t i);

    QStringList m_names;
    QString m_directory;
    QString m_hitlistName;
    bool m_hitMode = false;
    QHash<QString, CChannelListing> m_listings; // by the channel's list name (its path)
    QHash<QString, std::shared_ptr<const Simulation>> m_simulations; // by the simulation's path
    // By the simulation's path; forgotten when the file is opened again.
    QHash<QString, CModelUnits> m_modelUnits;
};
