#include "KVReadSignalFile.h"

#include "KVFileAscii.h"
#include "KVFileRvf.h"
#include "KVSignal.h"

#include <cstdio>
#include <cstring>

namespace {

bool StartsWithIdentifier(const std::string& fileName)
{
    std::FILE* fp = std::fopen(fileName.c_str(), "rb");
    if (!fp)
        return false;
    char head[8] = {};
    const size_t got = std::fread(head, 1, sizeof head, fp);
    std::fclose(fp);
    return got == sizeof head && std::memcmp(head, "RVF-1992", 8) == 0;
}

} // namespace

const char* KVReadSignalFile(const std::string& fileName, KVSignal& signal, KVErrorList& errors)
{
    KVFileRvf rvf(fileName);
    if (rvf.Load(signal))
        return rvf.TypeName();
    KVFileAscii ascii(fileName);
    if (ascii.Load(signal))
        return ascii.TypeName();
    errors.AppendErrors(StartsWithIdentifier(fileName) ? static_cast<const KVErrorList&>(rvf) : ascii);
    return nullptr;
}
