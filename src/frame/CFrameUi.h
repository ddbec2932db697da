#pragma once
// The window's side of the document: every question to the person and every
// desktop service the document asks for, carried out with the frame's dialogs.
#include "DocUi.h"

class QWidget;

class CFrameUi : public CDocUi {
public:
    // Dialogs are owned by `window` while they are shown.
    explicit CFrameUi(QWidget* window);

    bool ChooseDirectory(QString& dir) override;
    bool OpenFileDialog(const CFileDialogRequest& request, QString& path) override;
    bool SaveFileDialog(const CFileDialogRequest& request, QString& path, bool& append) override;
    bool EditOptions(COptionsValues& values) override;
    bool EnterText(const QString& caption, const QString& prompt, QString& text) override;
    bool SelectFilterClass(int& index, float& frequency) override;
    bool SelectTimeStep(CResampleValues& values) override;
    bool SelectInterval(float& start, float& stop) override;
    bool EditSignalLabels(const QStringList& names, QStringList& labels) override;
    bool EditHitlist(QStringList& names) override;
    bool EditHeader(KVSignal& signal) override;

    void ShowMessageBox(const QString& text) override;
    void ShowErrorsAndWarnings(const QStringList& messages) override;
    void SetCaption(const QString& text) override;
    void SetTitle(const QString& text) override;

    void SetClipboardText(const QString& text) override;
    // Plain text, or the paths of a copied file list one a line.
    QString ClipboardText() override;

    void BeginWaitCursor() override;
    void EndWaitCursor() override;

    bool StartProgram(const QString& program, const QStringList& arguments,
                      const QStringList& removeAfter) override;

private:
    QWidget* m_window;
};
