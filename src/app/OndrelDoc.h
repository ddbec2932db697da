#pragma once
#include "DocUi.h"
#include "FileList.h"
#include "LoadedSignals.h"
#include "MessageList.h"
#include "PlotTexts.h"
#include "SignalCheckCache.h"
#include "SignalEntry.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

// Update hints of the views: the only values the document sends.
enum EViewHint : int {
    HINT_INITIAL = 0, // a view's first update, made by the view itself: it shows the document as it stands
    HINT_LIST_CHANGED = 1, // the file list or the mode changed: the list view re-lists
    HINT_PLOT_CHANGED = 2, // signals, labels or settings changed: the plot view redraws
    HINT_BATCH_PLOT = 3,   // a batch run loaded the next file of the list alone: the plot view redraws
    HINT_CHECKS_CHANGED = 4, // files were checked: the list view marks them anew, nothing is re-listed
};

struct KVTextOptions;

// The one document of Ondrel. It owns the state objects: the browsed file
// list, the loaded signals, the plot texts, the messages, the Options values
// and the results of Check Signals, and wires them together: loading, what
// follows a change of the loaded signals, and the update hints the views
// follow through ViewsUpdated(hint). The menu commands are free functions per
// menu (FileCommands, ListCommands, OperateCommands, ...) acting on the
// document; everything asked of the user goes through CDocUi.
class COndrelDoc : public QObject {
    Q_OBJECT
public:
    // Reads the settings; ui may be null (no person to ask: dialogs cancel).
    explicit COndrelDoc(CDocUi* ui = nullptr, QObject* parent = nullptr);
    void SetUi(CDocUi* ui) { m_ui = ui; }
    CDocUi* Ui() const { return m_ui; }

    // ---- the state objects ----
    const CFileList& List() const { return m_list; }
    CFileList& List() { return m_list; }
    const CLoadedSignals& Loaded() const { return m_loaded; }
    CLoadedSignals& Loaded() { return m_loaded; }
    const CPlotTexts& Texts() const { return m_texts; }
    CPlotTexts& Texts() { return m_texts; }
    const CMessageList& Messages() const { return m_messages; }
    CMessageList& Messages() { return m_messages; }
    // The loaded signals in load order, and the listed names.
    const std::vector<CSignalEntry>& Signals() const { return m_loaded.Entries(); }
    const QStringList& FileList() const { return m_list.Names(); }
    // The settings the Options dialog edits. SetOptions takes them for this
    // document; the stored settings and the views are left alone.
    const COptionsValues& Options() const { return m_options; }
    void SetOptions(const COptionsValues& values) { m_options = values; }
    // How text files are read: the time unit chosen in Options.
    KVTextOptions TextOptions() const;
    // The results of Check Signals by path.
    CSignalCheckCache& Checks() { return m_checks; }
    // The last check of a list name while its file is unchanged since, else
    // null. Looks at the file's time and size; never reads or checks it.
    const CCheckedFile* CheckOf(const QString& name) const;

    // Empties the document (also run once at start-up).
    bool OnNewDocument();
    // Tells every view of a change.
    void UpdateAllViews(EViewHint hint);

    // ---- loading ----
    // Loads the list name `name` (any signal file) into Loaded().LastLoaded()
    // and makes it the current file. A failure is shown in a message box, or
    // handed back in failure when that is given (a batch that must not stop
    // for it); the warnings of a file that loaded wait for ShowLoadWarnings.
    // The point count reads 0 until the loaded signals are counted again.
    bool LoadFile(const QString& name, QString* failure = nullptr);
    // For a batch run: loads the list name `name` as the only loaded signal
    // and sets the point count; labels and views are left to the caller.
    // False, nothing changed but the current file, when it does not load; the
    // reason goes to failure when given (a batch collects them), else to a message box.
    bool LoadAlone(const QString& name, QString* failure = nullptr);
    // What a batch run puts aside while it loads the files of the list one by
    // one, and gives back unchanged at its end: the loaded signals with their
    // modified flags, the plot texts and the name loaded last.
    struct CLoadedState {
        std::vector<CSignalEntry> entries;
        CPlotTexts texts;
        QString file, ratingBandOf;
    };
    // Moves the loaded state out, leaving no signal loaded.
    CLoadedState PutLoadedAside();
    // Puts state back as the loaded state (what the batch loaded is dropped);
    // the views are told.
    void RestoreLoaded(CLoadedState&& state);
    // Reads the loaded signals again from their files (Reload; after the text
    // files' time unit changed, only those no operation changed).
    void ReadSignalsAgain(bool keepModified);
    // Shows the warnings of the files loaded since the last call, if any.
    void ShowLoadWarnings();
    // Says that `what` (a command, the files being loaded) ran out of memory;
    // the program goes on.
    void ReportNotEnoughMemory(const QString& what);

    // ---- what the commands share ----
    // Browses dir (ending in "/") in directory mode with no signal loaded;
    // the views are told and the caption names dir.
    void BrowseDirectory(const QString& dir);
    // Prefixes the list and the loaded names with the directory; hitlist mode.
    void SwitchToHitMode();
    // Asks before loaded signals that are modified (computed ones included)
    // are dropped: true when none is, or they were saved or may be discarded;
    // false when the person cancelled or a save did not happen.
    bool MayDrop(const std::vector<const CSignalEntry*>& dropped);
    // MayDrop for every loaded signal (Exit, Open Directory, Open Hitlist, Clear).
    bool MayDropLoaded();
    // Axis labels, title, subtitle and legend labels from the loaded signals.
    void UpdateLabels();
    // "HitList" or "Directory", with " - Modified" when a loaded signal changed.
    void UpdateTitle();
    // After loading or reloading: point count, labels, title and a redraw
    // (nothing is redrawn when no signal is left).
    void LoadedSignalsChanged();
    // After an operation: point count, labels, title, redraw, then the errors.
    void SignalsOperatedOn();
    // Shows the message lines in "Errors and Warnings" unless empty; keeps them.
    void ShowMessages();

Q_SIGNALS:
    void ViewsUpdated(int hint);

private:
    // Loads the current file into the scratch record (see LoadFile).
    bool LoadCurrentFile(QString* failure = nullptr);

    CDocUi* m_ui = nullptr;
    CFileList m_list;
    CLoadedSignals m_loaded;
    CPlotTexts m_texts;
    CMessageList m_messages;
    COptionsValues m_options;   // Edit > Options, kept in the settings
    CSignalCheckCache m_checks; // results of Check Signals by path
};
