#pragma once
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class KVSignal;
struct CCheckedFile;

// What a file dialog is asked to show. Filters are "Name (*.ext)" texts in
// order, the first selected.
struct CFileDialogRequest {
    QString title;
    QStringList filters;
    QString defaultSuffix;  // without the dot; empty for none
    QString directory;      // initial directory
    QString fileName;       // initial file name
    bool confirmOverwrite = true;
    bool appendBox = false; // "Append to end of existing File" below the controls
};

// The values of the Options dialog.
struct COptionsValues {
    bool saveZoom = false;
    bool columnHeaders = false;
    int lineStyle = 0;
    QString quillonDir;
    bool textTimeSeconds = false; // time column of text files in seconds, else milliseconds
    QString protocolDir;          // the user's protocol files, before the shipped ones; empty: $ONDREL_PROTOCOL_DIR
};

// The Options choice of the time unit of text files, as the dialog and the
// load warnings name it.
inline constexpr char kTextTimeUnitTitle[] = "Time Unit of Text Files";
inline const char* TextTimeUnitName(bool seconds)
{
    return seconds ? "Seconds" : "Milliseconds";
}

// The values of the "Select Time Step or Number of Points" dialog.
struct CResampleValues {
    float timeStep = 0.0f;
    int points = 0;
    float span = 0.0f;
    bool byPoints = false; // the number of points was chosen, the step derived from it
};

// One comparison of "Rate Against Reference": its ISO/TS 18571 scores, or why
// it has none.
struct CRatingRow {
    QString name;
    QString failure; // empty when rated
    double rating = 0.0;
    double corridor = 0.0;
    double phase = 0.0;
    double magnitude = 0.0;
    double slope = 0.0;
    double shiftMs = 0.0; // positive: the comparison is late
    bool resampled = false;
};

// The answer to the question before modified or computed signals are dropped.
enum class EDropAnswer { Save, Discard, Cancel };

// The question asked, letter for letter (tests and users' scripted answers
// know this text); the names follow it.
inline constexpr char kDiscardQuestion[] = "Discard the modified signals?";

// Everything the document needs from a person or from the desktop. The window
// implements it with dialogs; the tests implement it with scripted answers.
// Every dialog call returns true on OK and leaves its arguments alone on Cancel.
class CDocUi {
public:
    virtual ~CDocUi() = default;

    // "Select Directory to Browse"; on OK dir is the chosen directory.
    virtual bool ChooseDirectory(QString& dir) = 0;
    // Open-file dialog; on OK path is the chosen file.
    virtual bool OpenFileDialog(const CFileDialogRequest& request, QString& path) = 0;
    // Save-file dialog; append receives the state of the append box.
    virtual bool SaveFileDialog(const CFileDialogRequest& request, QString& path, bool& append) = 0;
    // "Options", filled with the current values.
    virtual bool EditOptions(COptionsValues& values) = 0;
    // One-line text entry with caption, prompt and initial text.
    virtual bool EnterText(const QString& caption, const QString& prompt, QString& text) = 0;
    // "Select Filter Class": index 0..3 for CFC 60/180/600/1000, 4 for frequency.
    virtual bool SelectFilterClass(int& index, float& frequency) = 0;
    // "Select Time Step or Number of Points".
    virtual bool SelectTimeStep(CResampleValues& values) = 0;
    // "Select Signal Interval", start and stop in seconds.
    virtual bool SelectInterval(float& start, float& stop) = 0;
    // "Double Click to Edit Signal Labels": edits labels beside the file names.
    virtual bool EditSignalLabels(const QStringList& names, QStringList& labels) = 0;
    // "Edit the Hitlist File Names": edits names, one per line.
    virtual bool EditHitlist(QStringList& names) = 0;
    // "Rvf Information" sheet on a copy of one signal.
    virtual bool EditHeader(KVSignal& signal) = 0;
    // kDiscardQuestion about the signals called names, with Save, Discard and
    // Cancel. Where nobody can answer nothing is dropped.
    virtual EDropAnswer AskDropModified(const QStringList& names)
    {
        (void)names;
        return EDropAnswer::Cancel;
    }

    // The units of the simulation model in file, asked once per file: on OK
    // units is a consistent set as "mm-ms-kg-kN", or empty for the model's
    // own numbers. Where nobody can answer nothing is chosen.
    virtual bool AskModelUnits(const QString& file, QString& units)
    {
        (void)file, (void)units;
        return false;
    }

    // A modal message box with an OK button.
    virtual void ShowMessageBox(const QString& text) = 0;
    // "Errors and Warnings" listing the messages, one a line.
    virtual void ShowErrorsAndWarnings(const QStringList& messages) = 0;
    // The main window's caption ("Browsing ...") and its title text ("HitList").
    virtual void SetCaption(const QString& text) = 0;
    virtual void SetTitle(const QString& text) = 0;

    virtual void SetClipboardText(const QString& text) = 0;
    virtual QString ClipboardText() = 0;

    // Nested calls are allowed; the cursor returns after the last End.
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;

    // Starts program with one argument per entry and does not wait for it;
    // the files in removeAfter are deleted once the program has ended.
    virtual bool StartProgram(const QString& program, const QStringList& arguments,
                              const QStringList& removeAfter) = 0;

    // A step of a long run: (done, total); false once the person cancelled.
    using Progress = std::function<bool(int, int)>;
    // Runs work behind the progress window titled title. Without a window
    // (batch, console) the work simply runs to its end.
    virtual void RunWithProgress(const QString& title, const std::function<void(const Progress&)>& work)
    {
        (void)title;
        work([](int, int) { return true; });
    }
    // A question answered yes or no; where nobody looks (batch, console) the
    // answer is no.
    virtual bool AskYesNo(const QString& title, const QString& question)
    {
        (void)title, (void)question;
        return false;
    }
    // "Check Signals": the verdict and findings of every checked file. Where
    // nobody looks (batch, console) there is nothing to show.
    virtual void ShowCheckResults(const std::vector<CCheckedFile>& files) { (void)files; }
    // "Rate Against Reference" over the loaded signals' names: reference is
    // the index chosen (in and out), rows(i) rates the others against signal
    // i, showBand (in and out) whether the plot shows that signal's corridors.
    // False on Cancel; where nobody looks nothing is shown.
    virtual bool ShowRatings(const QStringList& names, int& reference,
                             const std::function<std::vector<CRatingRow>(int)>& rows, bool& showBand)
    {
        (void)names, (void)reference, (void)rows, (void)showBand;
        return false;
    }
};

// Shows the wait cursor for the lifetime of the guard.
class CWaitCursor {
public:
    explicit CWaitCursor(CDocUi* ui) : m_ui(ui)
    {
        if (m_ui)
            m_ui->BeginWaitCursor();
    }
    ~CWaitCursor()
    {
        if (m_ui)
            m_ui->EndWaitCursor();
    }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    CDocUi* m_ui;
};
