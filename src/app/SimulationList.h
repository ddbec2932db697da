#pragma once
// A simulation (a binout run or one of the solver's ASCII files) in the file
// list: opened once, its channels listed as PATH:FILE/ID/VARIABLE, and the
// model's units chosen once per file when its first channel is loaded.
#include "SimUnits.h"

#include <QString>
#include <QStringList>

#include <memory>

class CDocUi;
class CFileList;
class KVErrorList;
class KVSignal;
class Simulation;
struct CChannelListing;

// The model's units of one simulation file, as the person chose them.
struct CModelUnits {
    bool modelUnits = false; // the model's numbers, no conversion
    SimUnits units;
};

// The common consistent sets offered, as --units spells them.
const QStringList& CommonModelUnits();

// Whether path names a simulation (a binout by its header, an ASCII file by its banner).
bool IsSimulationFile(const QString& path);

// Loads the simulation channel that listing names into signal, in the units
// chosen for its file; asks ui for them the first time (Cancel loads
// nothing). False with the reason in errors.
bool LoadSimulationChannel(CFileList& list, CDocUi* ui, const CChannelListing& listing, KVSignal& signal,
                           KVErrorList& errors);
