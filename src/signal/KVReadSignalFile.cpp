#include "KVReadSignalFile.h"

#include "KVFileAscii.h"
#include "KVFileBytes.h"
#include "KVFileRvf.h"
#include "KVSignal.h"

const char* KVReadSignalFile(const std::string& fileName, KVSignal& signal, KVErrorList& errors,
                             const KVTextOptions& textOptions)
{
    KVFileRvf rvf(fileName);
    if (rvf.Load(signal))
        return rvf.TypeName();
    KVFileAscii ascii(fileName);
    ascii.SetOptions(textOptions);
    if (ascii.Load(signal)) {
        errors.AppendErrors(ascii);
        return ascii.TypeName();
    }
    errors.AppendErrors(KVFileStartsWith(fileName, "RVF-1992") ? static_cast<const KVErrorList&>(rvf) : ascii);
    return nullptr;
}
