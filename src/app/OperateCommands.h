#pragma once
// Operate menu and the CFC toolbar buttons: the operations applied to every
// loaded signal. Each flags the signals it changed and shows the collected
// errors; a dialog's Cancel changes nothing. The operations on one signal
// are those of the library's operations table (Kalvio::Operations()).
#include <functional>

class COndrelDoc;
class KVErrorList;
class KVSignal;

namespace OperateCommands {

void Derivative(COndrelDoc& doc);
void Integrate(COndrelDoc& doc);
void Fir100(COndrelDoc& doc);
void Resample(COndrelDoc& doc);
void Truncate(COndrelDoc& doc);
void BiasAutoRemoveY(COndrelDoc& doc);
void AddConstantY(COndrelDoc& doc);
void AddConstantX(COndrelDoc& doc);
void ScaleY(COndrelDoc& doc);
void ScaleX(COndrelDoc& doc);
void Filter(COndrelDoc& doc);
// A toolbar CFC button: cfc is 60, 180, 600 or 1000.
void FilterClass(COndrelDoc& doc, int cfc);
// Replace all loaded signals by one unnamed result; on failure nothing changes.
void Resultant(COndrelDoc& doc);
void Average(COndrelDoc& doc);
void Sum(COndrelDoc& doc);
// Operate > Reload: re-reads every named signal and clears its modified flag,
// after asking over modified signals as every command that drops them does.
void Reload(COndrelDoc& doc);

// Runs op on every loaded signal, flags the changed ones, redraws and shows
// the collected errors. A signal that keeps(signal) says op leaves alone is
// not flagged.
void OnEachSignal(COndrelDoc& doc, const std::function<bool(KVSignal&, KVErrorList*)>& op,
                  const std::function<bool(const KVSignal&)>& keeps = {});

} // namespace OperateCommands
