#pragma once
// Edit > Options, and View > Rvf Header, which edits the loaded signal's header.
class COndrelDoc;

namespace EditCommands {

// Edits and stores the document settings; text files are read again when
// their time unit changed.
void Options(COndrelDoc& doc);
// Edits the one loaded signal's header; OK replaces it.
void RvfInformation(COndrelDoc& doc);

} // namespace EditCommands
