// Before any Qt header: its "signals" keyword would clash with a parameter name.
#include "IsoMmeWriter.h"

#include "ExportCommands.h"

#include "ExportTables.h"
#include "FileMessages.h"
#include "FileWrite.h"
#include "KVFileRvf.h"
#include "Kalvio.h"
#include "OndrelDoc.h"
#include "OndrelSettings.h"
#include "OperateCommands.h"
#include "SaveDialog.h"
#include "TimeAxis.h"

#include <QFile>

namespace ExportCommands {
namespace {

std::string Encoded(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString ErrorLines(const KVErrorList& errors)
{
    QStringList lines;
    for (const KVException& e : errors.Errors())
        lines.append(MessageText(e.Message()));
    return lines.join(QStringLiteral("; "));
}

// The table gives each signal its own X column and no header names units:
// when the signals' X units differ, the reader has to be told.
void WarnOfMixedXUnits(CDocUi& ui, const std::vector<CSignalEntry>& entries)
{
    QStringList units;
    for (const CSignalEntry& entry : entries) {
        const QString unit = QString::fromLatin1(entry.signal.XUnits().c_str()).trimmed();
        if (!units.contains(unit, Qt::CaseInsensitive))
            units << unit;
    }
    if (units.size() > 1)
        ui.ShowMessageBox(QStringLiteral("The signals' X values are in different units (%1): each X column "
                                         "keeps the unit of its signal.")
                              .arg(units.join(QStringLiteral(", "))));
}

// Brings X values in other time units to seconds (flagged, and listed in
// Errors and Warnings); false, with a message, when the signals' X units
// differ and are not all times.
bool BringXToOneUnit(COndrelDoc& doc)
{
    const CSharedXAxis axis = SharedXAxis(doc.Loaded().Signals());
    if (axis.kind == CSharedXAxis::EKind::Same)
        return true;
    if (axis.kind == CSharedXAxis::EKind::Mixed) {
        QStringList units;
        for (const CSignalEntry& entry : doc.Signals())
            if (!units.contains(QString::fromLatin1(entry.signal.XUnits().c_str())))
                units << QString::fromLatin1(entry.signal.XUnits().c_str());
        doc.Ui()->ShowMessageBox(QStringLiteral("The signals' X values are in different units (%1) that are not all "
                                                "times: they cannot share one X column. Nothing was saved.")
                                     .arg(units.join(QStringLiteral(", "))));
        return false;
    }
    // Times in other units are brought to seconds and flagged as changed.
    doc.Messages().ClearErrors();
    std::vector<CSignalEntry>& entries = doc.Loaded().Entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        CSignalEntry& entry = entries[i];
        if (axis.scale[i] == 1.0)
            continue;
        KVErrorList errors;
        const std::string from = entry.signal.XUnits();
        if (Kalvio::ScaleX(entry.signal, static_cast<float>(axis.scale[i]), &errors)) {
            entry.signal.SetXUnits("SECONDS");
            entry.modified = true;
            errors.AddError("X values converted from " + from + " to SECONDS", "Ondrel");
        }
        doc.Messages().AddErrorsAbout(entry.DisplayName(), errors);
    }
    doc.SignalsOperatedOn();
    return true;
}

} // namespace

void CopyData(COndrelDoc& doc)
{
    // With nothing loaded the clipboard is left alone.
    if (doc.Signals().empty() || !doc.Ui())
        return;
    const std::string table = XYTable(doc.Signals(), doc.Options().columnHeaders, ETableStyle::CopyData);
    doc.Ui()->SetClipboardText(QString::fromUtf8(table.data(), static_cast<qsizetype>(table.size())));
    WarnOfMixedXUnits(*doc.Ui(), doc.Signals());
}

void SaveAscii(COndrelDoc& doc)
{
    QString path;
    if (!ChooseSaveFile(doc.Ui(), QStringLiteral("Select File Name for ASCII data"),
                        QStringList{QStringLiteral("Tab Delimited File (*.txt)")}, QStringLiteral("txt"), path,
                        nullptr))
        return;
    CWaitCursor wait(doc.Ui());
    QString reason;
    if (!WriteWholeFile(path, XYTable(doc.Signals(), doc.Options().columnHeaders, ETableStyle::SaveAscii), reason))
        doc.Ui()->ShowMessageBox(QStringLiteral("%1 was not saved: %2").arg(path, reason));
    else
        WarnOfMixedXUnits(*doc.Ui(), doc.Signals());
    OndrelSettings::StoreOutputDir(path);
}

void SaveRvf(COndrelDoc& doc)
{
    SaveRvf(doc, doc.Loaded().All());
}

bool SaveRvf(COndrelDoc& doc, const std::vector<const CSignalEntry*>& entries)
{
    if (!doc.Ui())
        return false;
    QStringList failures;
    size_t written = 0;
    int k = -1;
    for (const CSignalEntry* each : entries) {
        const CSignalEntry& entry = *each;
        ++k;
        // Regression: a one-point signal was asked a name for and then
        // refused with the file layer's "Equal array indices, NFP = NLP".
        if (entry.signal.PointCount() < 2) {
            failures.append(QStringLiteral("%1 was not saved: a signal of fewer than two points cannot be stored")
                                .arg(entry.DisplayName()));
            continue;
        }
        std::string defaultName;
        if (!Kalvio::FileNameCode(entry.signal, &defaultName))
            continue;
        QString path;
        if (!ChooseSaveFile(doc.Ui(), QStringLiteral("RVF File #%1, Save As").arg(k),
                            QStringList{QStringLiteral("Rvf Data Files (*.*)")}, QStringLiteral("rvf"), path, nullptr,
                            QString::fromLatin1(defaultName.substr(0, 256).c_str())))
            continue;
        KVFileRvf file(QFile::encodeName(path).toStdString());
        CWaitCursor wait(doc.Ui());
        if (!file.Store(entry.signal)) {
            failures.append(QStringLiteral("%1 was not saved: %2").arg(path, ErrorLines(file)));
            continue;
        }
        OndrelSettings::StoreOutputDir(path);
        ++written;
    }
    // A signal that was not written must not look saved.
    if (!failures.isEmpty())
        doc.Ui()->ShowErrorsAndWarnings(failures);
    return written == entries.size();
}

void SaveImageExpress(COndrelDoc& doc)
{
    QString path;
    if (!ChooseSaveFile(doc.Ui(), QStringLiteral("Select File Name for ImageExpress data"),
                        QStringList{QStringLiteral("ImageExpress Data (*.txt)")}, QStringLiteral("txt"), path, nullptr))
        return;

    // One X column serves all signals: their X values must be in one unit.
    if (!BringXToOneUnit(doc))
        return;

    // The time base is settled before the file is touched, so that a Cancel
    // leaves no half-written file behind.
    CTimeBase base = CommonTimeBase(doc.Signals());
    // 99999 marks "no constant step": resampling to it would leave one point.
    const bool noStep = base.step <= 0.0f || (base.count != 1 && base.step >= KV_NO_VALUE);
    if (noStep && !doc.Signals().empty()) {
        const KVSignal& first = doc.Signals().front().signal;
        CResampleValues values;
        values.timeStep = first.Del();
        values.points = static_cast<int>(first.PointCount());
        values.span = XSpan(first);
        if (!doc.Ui()->SelectTimeStep(values) || values.timeStep <= 0.0f)
            return;
        base.step = values.timeStep;
    }

    CWaitCursor wait(doc.Ui());
    if (base.count != 1 && !doc.Signals().empty()) {
        OperateCommands::OnEachSignal(
            doc, [step = base.step](KVSignal& s, KVErrorList* e) { return Kalvio::Resample(s, step, e); });
    }
    QString reason;
    if (!WriteWholeFile(path, ImageExpressText(doc.Signals(), base.step), reason))
        doc.Ui()->ShowMessageBox(QStringLiteral("%1 was not saved: %2").arg(path, reason));
    OndrelSettings::StoreOutputDir(path);
}

void SaveIsoMme(COndrelDoc& doc)
{
    if (doc.Signals().empty() || !doc.Ui())
        return;
    // The folder's name is the test number; a test number of the first signal is offered.
    QString offered = QString::fromLatin1(doc.Signals().front().signal.TestNumber().c_str()).trimmed();
    if (offered == QStringLiteral("0"))
        offered.clear();
    QString path;
    // No question about replacing: an existing folder is never replaced.
    if (!ChooseSaveFile(doc.Ui(), QStringLiteral("ISO-MME Test Folder, Save As"),
                        QStringList{QStringLiteral("ISO-MME Test Folder (*)")}, QString(), path, nullptr, offered,
                        false))
        return;
    KVErrorList errors;
    bool written = false;
    {
        CWaitCursor wait(doc.Ui());
        written = IsoMmeWriteTest(doc.Loaded().Signals(), Encoded(path), errors);
    }
    if (!written) {
        // The writer leaves nothing behind; the test must not look saved.
        QStringList lines{QStringLiteral("%1 was not saved:").arg(path)};
        lines.append(FileMessageLines(Encoded(path), errors));
        doc.Ui()->ShowErrorsAndWarnings(lines);
        return;
    }
    OndrelSettings::StoreOutputDir(path);
}

} // namespace ExportCommands
