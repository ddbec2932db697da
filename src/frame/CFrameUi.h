#pragma once
// The window's side of the document: every question to the person and every
// desktop service the document asks for, carried out with the frame's dialogs.
#include "DocUi.h"

#include <QPointer>

class CCheckResultsDlg;
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
    EDropAnswer AskDropModified(const QStringList& names) override;
    bool AskYesNo(const QString& title, const QString& question) override;

    bool AskModelUnits(const QString& file, QString& units) override;
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

    // The progress window over the main window; events are handled between steps.
    void RunWithProgress(const QString& title, const std::function<void(const Progress&)>& work) override;
    // Replaces the results window of the previous check, if still open.
    void ShowCheckResults(const std::vector<CCheckedFile>& files) override;
    // What a double click in the results does with a file's list name.
    void SetPickFile(std::function<void(const QString&)> pick) { m_pickFile = std::move(pick); }
    // The results window of the last check while it is open, else null.
    CCheckResultsDlg* CheckResults() const;
    bool ShowRatings(const QStringList& names, int& reference,
                     const std::function<std::vector<CRatingRow>(int)>& rows, bool& showBand) override;

private:
    QWidget* m_window;
    std::function<void(const QString&)> m_pickFile;
    QPointer<CCheckResultsDlg> m_checkResults;
};
