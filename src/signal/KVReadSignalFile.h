#pragma once
#include "KVFileAscii.h"

#include <string>

class KVErrorList;
class KVSignal;

// Reads fileName as RVF-1992 and, when that fails, as a two-column text file.
// Returns the TypeName of the reader that loaded it, or nullptr; on failure
// errors receives the failures of the kind the file looks like (RVF-1992 when
// it starts with the identifier, text otherwise). On success errors receives
// the warnings of the reader (a text file's implausible time step). Text files
// are read with textOptions (time unit).
const char* KVReadSignalFile(const std::string& fileName, KVSignal& signal, KVErrorList& errors,
                             const KVTextOptions& textOptions = {});
