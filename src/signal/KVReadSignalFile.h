#pragma once
#include <string>

class KVErrorList;
class KVSignal;

// Reads fileName as RVF-1992 and, when that fails, as a two-column text file.
// Returns the TypeName of the reader that loaded it, or nullptr; on failure
// errors receives the failures of the kind the file looks like (RVF-1992 when
// it starts with the identifier, text otherwise).
const char* KVReadSignalFile(const std::string& fileName, KVSignal& signal, KVErrorList& errors);
