#pragma once
#include "KVFileAscii.h"

#include <string>

class KVErrorList;
class KVSignal;
struct KVHeader;

// Reads any signal file: an ISO-MME channel (recognised by its header lines,
// also inside a .zip as ARCHIVE.zip/ENTRY), RVF-1992, or else a two-column
// text file. Returns the TypeName of the reader that loaded it, or nullptr.
// On failure errors receives the failures of the kind the file looks like
// (RVF-1992 when it starts with the identifier, ISO-MME when its header says
// so, text otherwise); on success the loading reader's warnings (a text
// file's implausible time step). Text files are read with textOptions.
const char* KVReadSignalFile(const std::string& fileName, KVSignal& signal, KVErrorList& errors,
                             const KVTextOptions& textOptions = {});

// The header and the number of points KVReadSignalFile would give, with the
// same messages; an RVF-1992 "Y" file is scanned without keeping its arrays.
const char* KVReadSignalHeader(const std::string& fileName, KVHeader& header, size_t& points, KVErrorList& errors,
                               const KVTextOptions& textOptions = {});
