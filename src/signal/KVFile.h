#pragma once
#include "KVErrorList.h"

#include <cstddef>
#include <string>

class KVSignal;

// Root of the signal-file classes: every file kind names itself.
class KVFileRoot : public KVErrorList {
public:
    ~KVFileRoot() override = default;
    virtual const char* TypeName() const = 0;
};

// A signal file of some kind, built for one load or store.
class KVFile : public KVFileRoot {
public:
    virtual std::string FileName() const = 0;
    // Number of points the file holds (for text files: its number of lines).
    virtual size_t PointCount() = 0;
    virtual bool Load(KVSignal& signal) = 0;

    bool IsOpen() const { return m_isOpen; }

protected:
    bool m_isOpen = false;
};
