#include "KVReadSignalFile.h"

#include "IsoMmeSource.h"
#include "KVFileAscii.h"
#include "KVFileBytes.h"
#include "KVFileIsoMme.h"
#include "KVFileRvf.h"
#include "KVSignal.h"

namespace {

// What the start of a file looks like; a file that cannot be read is taken
// for text, whose reader says so, except an archive entry that cannot be
// unpacked: the archive's reason is the one to give (why).
enum class Looks { Rvf, IsoMme, Text, Unpackable };

Looks LooksLike(const std::string& fileName, std::string& why)
{
    if (KVFileStartsWith(fileName, "RVF-1992"))
        return Looks::Rvf;
    std::string bytes;
    const IsoReadStatus read = IsoReadBytes(fileName, bytes, why, 8192);
    if (read == IsoReadStatus::Ok && KVLooksLikeIsoMmeChannel(bytes))
        return Looks::IsoMme;
    if (read != IsoReadStatus::Ok && !IsoArchiveOf(fileName).empty())
        return Looks::Unpackable;
    return Looks::Text;
}

} // namespace

const char* KVReadSignalFile(const std::string& fileName, KVSignal& signal, KVErrorList& errors,
                             const KVTextOptions& textOptions)
{
    std::string why;
    const Looks looks = LooksLike(fileName, why);
    if (looks == Looks::Unpackable) {
        errors.AddError(fileName + ": " + why, "KVReadSignalFile");
        return nullptr;
    }
    if (looks == Looks::IsoMme) {
        KVFileIsoMme iso(fileName);
        const bool ok = iso.Load(signal);
        errors.AppendErrors(iso);
        return ok ? iso.TypeName() : nullptr;
    }
    KVFileRvf rvf(fileName);
    if (rvf.Load(signal))
        return rvf.TypeName();
    KVFileAscii ascii(fileName);
    ascii.SetOptions(textOptions);
    if (ascii.Load(signal)) {
        errors.AppendErrors(ascii);
        return ascii.TypeName();
    }
    errors.AppendErrors(looks == Looks::Rvf ? static_cast<const KVErrorList&>(rvf) : ascii);
    return nullptr;
}

const char* KVReadSignalHeader(const std::string& fileName, KVHeader& header, size_t& points, KVErrorList& errors,
                               const KVTextOptions& textOptions)
{
    // Only a file that starts as an RVF-1992 file passes its header checks,
    // and such a file is read as one: no look at its start first. A failure
    // is read again the whole way, which tells why as a load does.
    KVFileRvf rvf(fileName);
    if (rvf.LoadHeader(header, points))
        return rvf.TypeName();
    KVSignal signal;
    const char* kind = KVReadSignalFile(fileName, signal, errors, textOptions);
    if (kind) {
        header = signal.Header();
        points = signal.PointCount();
    }
    return kind;
}
