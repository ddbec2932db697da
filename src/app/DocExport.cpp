// Data export: Copy Data, Save ASCII, Save Rvf and Save ImageExpress.
#include "ExportTables.h"
#include "FileMessages.h"
#include "FileWrite.h"
#include "KVFileRvf.h"
#include "Kalvio.h"
#include "OndrelDoc.h"
#include "OndrelSettings.h"
#include "TimeAxis.h"

#include <QFile>

namespace {

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

} // namespace

void COndrelDoc::OnCopyData()
{
    // With nothing loaded the clipboard is left alone.
    if (m_signals.empty() || !m_ui)
        return;
    const std::string table = XYTable(m_signals, m_options.columnHeaders, ETableStyle::CopyData);
    m_ui->SetClipboardText(QString::fromUtf8(table.data(), static_cast<qsizetype>(table.size())));
    WarnOfMixedXUnits(*m_ui, m_signals);
}

void COndrelDoc::OnSaveAscii()
{
    QString path;
    if (!ChooseSaveFile(QStringLiteral("Select File Name for ASCII data"),
                        QStringList{QStringLiteral("Tab Delimited File (*.txt)")}, QStringLiteral("txt"), path,
                        nullptr))
        return;
    CWaitCursor wait(m_ui);
    QString reason;
    if (!WriteWholeFile(path, XYTable(m_signals, m_options.columnHeaders, ETableStyle::SaveAscii), reason))
        m_ui->ShowMessageBox(QStringLiteral("%1 was not saved: %2").arg(path, reason));
    else
        WarnOfMixedXUnits(*m_ui, m_signals);
    OndrelSettings::StoreOutputDir(path);
}

void COndrelDoc::OnSaveRvf()
{
    std::vector<const CSignalEntry*> entries;
    for (const CSignalEntry& entry : m_signals)
        entries.push_back(&entry);
    SaveRvf(entries);
}

bool COndrelDoc::SaveRvf(const std::vector<const CSignalEntry*>& entries)
{
    if (!m_ui)
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
        if (!ChooseSaveFile(QStringLiteral("RVF File #%1, Save As").arg(k),
                            QStringList{QStringLiteral("Rvf Data Files (*.*)")}, QStringLiteral("rvf"), path, nullptr,
                            QString::fromLatin1(defaultName.substr(0, 256).c_str())))
            continue;
        KVFileRvf file(QFile::encodeName(path).toStdString());
        CWaitCursor wait(m_ui);
        if (!file.Store(entry.signal)) {
            failures.append(QStringLiteral("%1 was not saved: %2").arg(path, ErrorLines(file)));
            continue;
        }
        OndrelSettings::StoreOutputDir(path);
        ++written;
    }
    // A signal that was not written must not look saved.
    if (!failures.isEmpty())
        m_ui->ShowErrorsAndWarnings(failures);
    return written == entries.size();
}

void COndrelDoc::OnSaveImageExpress()
{
    QString path;
    if (!ChooseSaveFile(QStringLiteral("Select File Name for ImageExpress data"),
                        QStringList{QStringLiteral("ImageExpress Data (*.txt)")}, QStringLiteral("txt"), path,
                        nullptr))
        return;

    // One X column serves all signals: their X values must be in one unit.
    if (!BringXToOneUnit())
        return;

    // The time base is settled before the file is touched, so that a Cancel
    // leaves no half-written file behind.
    CTimeBase base = CommonTimeBase(m_signals);
    // 99999 marks "no constant step": resampling to it would leave one point.
    const bool noStep = base.step <= 0.0f || (base.count != 1 && base.step >= KV_NO_VALUE);
    if (noStep && !m_signals.empty()) {
        const KVSignal& first = m_signals.front().signal;
        CResampleValues values;
        values.timeStep = first.Del();
        values.points = static_cast<int>(first.PointCount());
        values.span = XSpan(first);
        if (!m_ui->SelectTimeStep(values) || values.timeStep <= 0.0f)
            return;
        base.step = values.timeStep;
    }

    CWaitCursor wait(m_ui);
    if (base.count != 1 && !m_signals.empty()) {
        OperateOnEachSignal([step = base.step](KVSignal& s, KVErrorList* e) { return Kalvio::Resample(s, step, e); });
    }
    QString reason;
    if (!WriteWholeFile(path, ImageExpressText(m_signals, base.step), reason))
        m_ui->ShowMessageBox(QStringLiteral("%1 was not saved: %2").arg(path, reason));
    OndrelSettings::StoreOutputDir(path);
}

bool COndrelDoc::BringXToOneUnit()
{
    const CSharedXAxis axis = SharedXAxis(LoadedSignals());
    if (axis.kind == CSharedXAxis::EKind::Same)
        return true;
    if (axis.kind == CSharedXAxis::EKind::Mixed) {
        QStringList units;
        for (const CSignalEntry& entry : m_signals)
            if (!units.contains(QString::fromLatin1(entry.signal.XUnits().c_str())))
                units << QString::fromLatin1(entry.signal.XUnits().c_str());
        m_ui->ShowMessageBox(QStringLiteral("The signals' X values are in different units (%1) that are not all "
                                            "times: they cannot share one X column. Nothing was saved.")
                                 .arg(units.join(QStringLiteral(", "))));
        return false;
    }
    // Times in other units are brought to seconds and flagged as changed.
    ClearErrors();
    for (size_t i = 0; i < m_signals.size(); ++i) {
        CSignalEntry& entry = m_signals[i];
        if (axis.scale[i] == 1.0)
            continue;
        KVErrorList errors;
        const std::string from = entry.signal.XUnits();
        if (Kalvio::ScaleX(entry.signal, static_cast<float>(axis.scale[i]), &errors)) {
            entry.signal.SetXUnits("SECONDS");
            entry.modified = true;
            errors.AddError("X values converted from " + from + " to SECONDS", "Ondrel");
        }
        AddErrorsAbout(entry.DisplayName(), errors);
    }
    SignalsOperatedOn();
    return true;
}
