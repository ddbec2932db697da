#pragma once
// The document's user interface when no person is there: every dialog
// answers Cancel and every message goes to standard error.
#include "DocUi.h"

#include <QTextStream>

class CConsoleDocUi : public CDocUi {
public:
    CConsoleDocUi();

    bool ChooseDirectory(QString&) override { return false; }
    bool OpenFileDialog(const CFileDialogRequest&, QString&) override { return false; }
    bool SaveFileDialog(const CFileDialogRequest&, QString&, bool&) override { return false; }
    bool EditOptions(COptionsValues&) override { return false; }
    bool EnterText(const QString&, const QString&, QString&) override { return false; }
    bool SelectFilterClass(int&, float&) override { return false; }
    bool SelectTimeStep(CResampleValues&) override { return false; }
    bool SelectInterval(float&, float&) override { return false; }
    bool EditSignalLabels(const QStringList&, QStringList&) override { return false; }
    bool EditHitlist(QStringList&) override { return false; }
    bool EditHeader(KVSignal&) override { return false; }

    void ShowMessageBox(const QString& text) override;
    void ShowErrorsAndWarnings(const QStringList& messages) override;
    void SetCaption(const QString&) override {}
    void SetTitle(const QString&) override {}
    void SetClipboardText(const QString&) override {}
    QString ClipboardText() override { return {}; }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    bool StartProgram(const QString&, const QStringList&, const QStringList&) override { return false; }

    // Writes one line to standard error.
    void Line(const QString& text);

private:
    QTextStream m_err;
};
