#include "SimulationList.h"

#include "DocUi.h"
#include "FileList.h"
#include "FileMessages.h"
#include "IsoMmeTest.h"
#include "KVErrorList.h"
#include "MessageList.h"
#include "Simulation.h"

#include <QFile>
#include <QFileInfo>

namespace {

const char* const kScope = "Ondrel::Simulation";

std::string Encoded(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString Utf8(const std::string& text) { return QString::fromUtf8(text.c_str()); }

} // namespace

const QStringList& CommonModelUnits()
{
    static const QStringList sets{QStringLiteral("mm-ms-kg-kN"), QStringLiteral("mm-s-t-N"),
                                  QStringLiteral("m-s-kg-N"),    QStringLiteral("mm-ms-g-N"),
                                  QStringLiteral("in-s-slinch-lbf"), QStringLiteral("ft-s-slug-lbf")};
    return sets;
}

bool IsSimulationFile(const QString& path)
{
    const std::string file = Encoded(path);
    return !IsoMmeIsTestName(file) && SimIsSimulationPath(file);
}

bool CFileList::IsChannelSource(const QString& path)
{
    return IsSimulationFile(path) || IsoMmeIsTestPath(Encoded(path));
}

bool CFileList::AppendSourceChannels(const QString& path, QStringList& names, CMessageList& messages)
{
    return IsSimulationFile(path) ? AppendSimulationChannels(path, names, messages)
                                  : AppendTestChannels(path, names, messages);
}

const CModelUnits* CFileList::ModelUnitsOf(const QString& path) const
{
    const auto found = m_modelUnits.constFind(path);
    return found == m_modelUnits.cend() ? nullptr : &*found;
}

bool CFileList::AppendSimulationChannels(const QString& path, QStringList& names, CMessageList& messages)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const std::string file = Encoded(absolute);
    KVErrorList errors;
    std::shared_ptr<const Simulation> sim = Simulation::Open(file, errors);
    messages.Append(MessagesNamingFile(absolute, file, errors));
    if (!sim)
        return false;
    m_simulations.insert(absolute, sim);
    // Opened again: its units are asked again, so that a wrong choice can be mended.
    m_modelUnits.remove(absolute);
    for (size_t i = 0; i < sim->Channels().size(); ++i)
        names.append(ListSimulationChannel(absolute, *sim, i));
    return true;
}

QString CFileList::ListSimulationChannel(const QString& path, const Simulation& sim, size_t i)
{
    const SimChannelInfo& c = sim.Channels()[i];
    const QString fileName = QFileInfo(path).fileName();
    const QString channel = Utf8(c.name);
    const QString name = path + QLatin1Char(':') + channel;
    CChannelListing listing;
    listing.title = Utf8(c.variable);
    listing.test = fileName;
    listing.legend = channel;
    listing.text = channel + (c.title.empty() ? QString() : QStringLiteral("  ") + Utf8(c.title));
    listing.simPath = path;
    listing.simChannel = static_cast<int>(i);
    listing.groups << fileName << Utf8(c.file);
    if (!c.id.empty())
        listing.groups << Utf8(c.id) + (c.title.empty() ? QString() : QStringLiteral("  ") + Utf8(c.title));
    m_listings.insert(name, listing);
    return name;
}

bool CFileList::AppendSimulationChannel(const QString& entry, QStringList& names, CMessageList& messages)
{
    // The path may hold a colon itself; the channel's name never does.
    for (qsizetype colon = entry.lastIndexOf(QLatin1Char(':')); colon > 0;
         colon = entry.lastIndexOf(QLatin1Char(':'), colon - 1)) {
        const QString path = QFileInfo(entry.left(colon)).absoluteFilePath();
        if (!QFileInfo(path).isFile() || !IsSimulationFile(path))
            continue;
        std::shared_ptr<const Simulation> sim = m_simulations.value(path);
        if (!sim) {
            KVErrorList errors;
            sim = Simulation::Open(Encoded(path), errors);
            messages.Append(MessagesNamingFile(path, Encoded(path), errors));
            if (!sim)
                return false;
            m_simulations.insert(path, sim);
        }
        const size_t i = sim->Find(entry.mid(colon + 1).toStdString());
        if (i >= sim->Channels().size())
            return false;
        names.append(ListSimulationChannel(path, *sim, i));
        return true;
    }
    return false;
}

bool LoadSimulationChannel(CFileList& list, CDocUi* ui, const CChannelListing& listing, KVSignal& signal,
                           KVErrorList& errors)
{
    const std::shared_ptr<const Simulation> sim = list.SimulationOf(listing.simPath);
    if (!sim || listing.simChannel < 0 || size_t(listing.simChannel) >= sim->Channels().size()) {
        errors.AddError("the simulation is no longer listed; open it again", kScope);
        return false;
    }
    if (!list.ModelUnitsOf(listing.simPath)) {
        QString text;
        if (!ui || !ui->AskModelUnits(QFileInfo(listing.simPath).fileName(), text)) {
            errors.AddError("the model's units were not chosen; nothing was loaded", kScope);
            return false;
        }
        CModelUnits chosen;
        chosen.modelUnits = text.trimmed().isEmpty();
        std::string why;
        if (!chosen.modelUnits && !SimParseUnits(text.trimmed().toStdString(), chosen.units, why)) {
            errors.AddError("units " + text.toStdString() + ": " + why, kScope);
            return false;
        }
        list.SetModelUnits(listing.simPath, chosen);
    }
    const CModelUnits* units = list.ModelUnitsOf(listing.simPath);
    return sim->LoadChannel(size_t(listing.simChannel), units->modelUnits ? nullptr : &units->units, signal, errors);
}
