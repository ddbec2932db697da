#pragma once
// Data exports: the tab-delimited table to the clipboard (Edit > Copy Data)
// or a file, one RVF-1992 file per signal, the ImageExpress table (which may
// resample the signals) and the loaded signals as one ISO-MME test folder.
#include <vector>

class COndrelDoc;
class CSignalEntry;

namespace ExportCommands {

void CopyData(COndrelDoc& doc);
void SaveAscii(COndrelDoc& doc);
// Every loaded signal through SaveRvf.
void SaveRvf(COndrelDoc& doc);
// Saves entries one RVF-1992 file each through the save dialog; true when
// every one was written (a cancelled dialog or a failure is false).
bool SaveRvf(COndrelDoc& doc, const std::vector<const CSignalEntry*>& entries);
void SaveImageExpress(COndrelDoc& doc);
// File > Save > ISO-MME: writes the loaded signals as one test folder.
void SaveIsoMme(COndrelDoc& doc);

} // namespace ExportCommands
