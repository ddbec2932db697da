#pragma once
#include "ChannelListing.h"
#include "DocUi.h"
#include "KVErrorList.h"
#include "KVSignal.h"
#include "SignalCheckCache.h"
#include "SignalEntry.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

// Update hints of the views: the only values the document sends.
enum EViewHint : int {
    HINT_INITIAL = 0, // a view's first update, made by the view itself: it shows the document as it stands
    HINT_LIST_CHANGED = 1, // the file list or the mode changed: the list view re-lists
    HINT_PLOT_CHANGED = 2, // signals, labels or settings changed: the plot view redraws
    HINT_BATCH_PLOT = 3,   // a batch run loaded the next file of the list alone: the plot view redraws
    HINT_CHECKS_CHANGED = 4, // files were checked: the list view marks them anew, nothing is re-listed
};

// The texts around the plot: what UpdateLabels makes and the Labels menu edits.
struct CPlotTexts {
    QString title;
    QString subTitle;
    QString xLabel;
    QString yLabel;
    QStringList legend; // one label per loaded signal when more than one is loaded
};

namespace Criteria {
struct CriterionDef;
}
struct KVTextOptions;

// The one document of Ondrel: the browsed file list (directory or hitlist
// mode), the loaded signals, the plot texts, the collected messages and the
// document-wide settings. Views read them through the const accessors and
// follow ViewsUpdated(hint); only the document's operations change them.
// Everything asked of the user goes through CDocUi.
class COndrelDoc : public QObject {
    Q_OBJECT
public:
    // Reads the settings; ui may be null (no person to ask: dialogs cancel).
    explicit COndrelDoc(CDocUi* ui = nullptr, QObject* parent = nullptr);
    void SetUi(CDocUi* ui) { m_ui = ui; }
    CDocUi* Ui() const { return m_ui; }

    // ---- read access ----
    const std::vector<CSignalEntry>& Signals() const { return m_signals; } // loaded, in load order
    const QStringList& FileList() const { return m_fileList; }
    const QStringList& Labels() const { return m_labels; }
    const QStringList& Messages() const { return m_messages; }
    // The record the last file was loaded into, and that file's list name.
    // A loaded signal moves from it into Signals() (a long record is held
    // once), leaving it empty.
    const KVSignal& LastLoaded() const { return m_signal; }
    const QString& CurrentFile() const { return m_strFile; }
    int32_t MaxPoints() const { return m_nMaxPoints; }
    const QString& Directory() const { return m_strDirectory; }
    const QString& HitlistName() const { return m_strHitlistName; }
    bool HitMode() const { return m_bHitMode; }
    const QString& Title() const { return m_strTitle; }
    const QString& SubTitle() const { return m_strSubTitle; }
    const QString& XLabel() const { return m_strXLabel; }
    const QString& YLabel() const { return m_strYLabel; }
    const QString& QuillonDir() const { return m_options.quillonDir; }
    bool ColumnHeaders() const { return m_options.columnHeaders; }
    bool SaveZoom() const { return m_options.saveZoom; }
    bool TextSeconds() const { return m_options.textTimeSeconds; }
    int32_t LineStyle() const { return m_options.lineStyle; }
    // The settings the Options dialog edits.
    COptionsValues Options() const;

    // Empties the document (also run once at start-up).
    bool OnNewDocument();
    // Tells every view of a change.
    void UpdateAllViews(EViewHint hint);

    // ---- state changes that ask nobody ----
    // Takes the Options values for this document; the stored settings and
    // the views are left alone (OnOptions stores them and redraws).
    void SetOptions(const COptionsValues& values);
    // Browses dir (ending in "/") in directory mode with no signal loaded;
    // the views are told and the caption names dir.
    void BrowseDirectory(const QString& dir);
    // Replaces the listed names as they are (bare names in directory mode,
    // paths in hitlist mode); the loaded signals stay, the views are not told.
    void SetFileList(const QStringList& names);
    // Adds a signal held in memory after the loaded ones; the point count
    // follows, labels and views are left to the caller.
    void AddSignal(CSignalEntry entry);
    // Replaces the plot texts as given; the views are left to the caller.
    void SetPlotTexts(const CPlotTexts& texts);

    // ---- core (OndrelDoc.cpp) ----
    // Loads the list name `name` (any signal file) into LastLoaded() and
    // makes it CurrentFile(). A failure is shown in a message box, or handed
    // back in failure when that is given (a batch that must not stop for
    // it); the warnings of a file that loaded wait for ShowLoadWarnings.
    // The point count reads 0 until the loaded signals are counted again.
    bool LoadFile(const QString& name, QString* failure = nullptr);
    // How text files are read: the time unit chosen in Options.
    KVTextOptions TextOptions() const;
    // Whether any loaded signal was changed since it was loaded.
    bool HasModifiedSignals() const;
    // Says that `what` (a command, the files being loaded) ran out of memory;
    // the program goes on.
    void ReportNotEnoughMemory(const QString& what);
    // The loaded signals in load order.
    std::vector<const KVSignal*> LoadedSignals() const;
    // For a batch run: loads the list name `name` as the only loaded signal
    // and sets the point count; labels and views are left to the caller.
    // False, nothing changed but CurrentFile(), when it does not load; the reason
    // goes to failure when given (a batch collects them), else to a message box.
    bool LoadAlone(const QString& name, QString* failure = nullptr);
    // What a batch run puts aside while it loads the files of the list one by
    // one, and gives back unchanged at its end: the loaded signals with their
    // modified flags, the plot texts and the name loaded last.
    struct CLoadedState {
        std::vector<CSignalEntry> entries;
        QStringList labels;
        QString title, subTitle, xLabel, yLabel, file, ratingBandOf;
    };
    // Moves the loaded state out, leaving no signal loaded.
    CLoadedState PutLoadedAside();
    // Puts state back as the loaded state (what the batch loaded is dropped);
    // the views are told.
    void RestoreLoaded(CLoadedState&& state);
    // The path of a list name: itself in hitlist mode, joined to the directory otherwise.
    QString PathOfName(const QString& name) const;
    // Prefixes the list and the loaded names with the directory; hitlist mode.
    void SwitchToHitMode();
    // Axis labels, title, subtitle and legend labels from the loaded signals.
    void UpdateLabels();
    void UpdateSubTitle();
    // "HitList" or "Directory", with " - Modified" when a loaded signal changed.
    void UpdateTitle();
    // m_messages = one "scope - message" line per entry of m_errors, led by
    // "name: " when the error is about one loaded signal.
    void CollectErrors();
    // Shows m_messages in "Errors and Warnings" unless empty; keeps them.
    void ShowMessages();

    // Asks before loaded signals that are modified (computed ones included)
    // are dropped: true when none is, or they were saved or may be discarded;
    // false when the person cancelled or a save did not happen.
    bool MayDrop(const std::vector<const CSignalEntry*>& dropped);
    // MayDrop for every loaded signal (Exit, Open Directory, Open Hitlist, Clear).
    bool MayDropLoaded();

    // ---- file list (DocList.cpp) ----
    // Keeps the loaded signals in step with the selected labels (list order).
    // False, nothing changed, when a modified signal would be dropped and the
    // person kept it: the list view then selects the loaded names again.
    bool SelectionChanged(const QStringList& selected, bool itemSelected);
    // Lists the directory with a wildcard pattern; false, list unchanged, when nothing matched.
    bool ListDirectory(const QString& pattern);
    // Sorts m_fileList: 0 by name, 1 by extension, other values leave the order.
    void SortFileList(int order);
    // What the list view does on HINT_LIST_CHANGED: re-list the directory, then sort by "Sort".
    void Relist();
    void OnApplyFilter();
    void OnCopyFilenames();
    // Adds the clipboard's lines as names (hitlist mode).
    void OnPasteFilenames();
    // Adds names from outside (paste, drop, a batch's files), switching to
    // hitlist mode first; an ISO-MME test adds its channels.
    void AddNames(const QStringList& names);
    void OnClearList();
    void OnRemoveSelectedItems();
    void OnRemoveUnselectedItems();
    // View > Sort: sorts and stores the order as "Sort".
    void OnSortByName();
    void OnSortByExtension();

    // ---- document commands (DocFileCommands.cpp) ----
    // File > Open Directory: asks for a directory and browses it (directory mode).
    void OnOpenDirectory();
    // View > Rvf Header: edits the one loaded signal's header; OK replaces it.
    void OnRvfInformation();
    // Operate > Reload: re-reads every named signal and clears its modified flag.
    void OnReload();
    // Edit > Options: edits and stores the document settings.
    void OnOptions();
    // Browses the files and patterns of the command line in hitlist mode; a
    // command line of one folder that holds no test browses that directory.
    void BrowseCommandLine(const QStringList& files);

    // ---- hitlists (Hitlist.cpp) ----
    // Appends the files named by a hitlist, or the channels of an ISO-MME
    // test, to m_fileList; false when it cannot be read.
    bool ReadHitlist(const QString& path);
    // File > Open Hitlist: replaces the list by the files a hitlist names.
    void OnOpenHitlist();
    // List menus: write the whole list, or the loaded names, as full paths.
    void OnSaveHitlist();
    void OnSaveSelectedHitlist();
    // Hitlist mode only: edits the list as text; the loaded signals stay.
    void OnEditHitlist();

    // ---- external requests (Requests.cpp) ----
    // Carries out a request text; false when it is neither DataFile nor HitList.
    bool HandleRequest(const QString& request);
    // [DataFile(name)]: adds name to the list once (hitlist mode).
    void OnOpenDataFile(const QString& name);
    // [HitList(name)]: appends the names of a hitlist (hitlist mode).
    void OnOpenHitlistRequest(const QString& name);

    // ---- operation commands (DocOperateCommands.cpp) ----
    // Each runs its operation on every loaded signal, flags the changed ones
    // and shows the collected errors; a dialog's Cancel changes nothing.
    void OnDerivative();
    void OnIntegrate();
    void OnFir100();
    void OnResample();
    void OnTruncate();
    void OnBiasAutoRemoveY();
    void OnAddConstantY();
    void OnAddConstantX();
    void OnScaleY();
    void OnScaleX();
    void OnFilter();
    // A toolbar CFC button: cfc is 60, 180, 600 or 1000.
    void OnFilterClass(int cfc);
    // Replace all loaded signals by one unnamed result; on failure nothing changes.
    void OnResultant();
    void OnAverage();
    void OnSum();

    // ---- exports (DocExport.cpp) ----
    // Tab-delimited table to the clipboard or a file, one RVF-1992 file per
    // signal, or the ImageExpress table (which may resample the signals).
    void OnCopyData();
    void OnSaveAscii();
    void OnSaveRvf();
    void OnSaveImageExpress();
    // Saves entries one RVF-1992 file each through the save dialog; true when
    // every one was written (a cancelled dialog or a failure is false).
    bool SaveRvf(const std::vector<const CSignalEntry*>& entries);

    // ---- label commands (DocLabels.cpp) ----
    // Edit one plot text; titles are cut to 46 characters. Then redraw.
    void OnLabelTitle();
    void OnLabelSubTitle();
    void OnLabelXAxis();
    void OnLabelYAxis();
    void OnSignalLabels();

    // ---- ISO-MME tests (DocIsoMme.cpp) ----
    // The text the file list shows for a list name: "CODE  name" for a
    // channel of an ISO-MME test, else the name itself.
    QString ListText(const QString& name) const;
    // The legend name of a loaded signal: its channel code (its file name
    // where the test repeats the code), else its name.
    QString LegendName(const CSignalEntry& entry) const;
    // What a test lists for a list name (code, name, test), or null for a plain file.
    const CChannelListing* ChannelListingOf(const QString& name) const;
    // File > Save > ISO-MME: writes the loaded signals as one test folder.
    void OnSaveIsoMme();

    // ---- criterion programs (DocInjury.cpp) ----
    // Starts the criterion program with the loaded signals' files; false when
    // the loaded signals do not fit its argument form.
    // A criterion taking one and three inputs tries the three-axis form first.
    bool RunCriterion(const Criteria::CriterionDef& criterion);
    // The listed channels criterion takes for the dummy at position (code
    // character 2), chosen by code as the criterion programs choose them, from
    // the first listed test that has them all; empty, with the reason in why,
    // when none has.
    QStringList CriterionChannels(const Criteria::CriterionDef& criterion, char position, QString& why) const;

    // ---- signal check (DocCheck.cpp) ----
    // Operate > Check Signals: checks the selected names, or every listed
    // name when none is selected, behind the progress window; then shows the
    // results and has the list view mark the files. Files unchanged since
    // their last check are not read again.
    void OnCheckSignals(const QStringList& selected);
    // The last check of a list name while its file is unchanged since, else
    // null. Looks at the file's time and size; never reads or checks it.
    const CCheckedFile* CheckOf(const QString& name) const;

    // Operate > "Rate Against Reference...": with two or more signals loaded,
    // rates the others against the first loaded (or the one chosen in the
    // window) and lets the plot show the reference's corridors.
    void OnRateAgainstReference();
    // Every other loaded signal rated against loaded signal reference.
    std::vector<CRatingRow> RatingsAgainst(int reference) const;
    // The corridors the plot shows: the loaded reference's index (-1 for none)
    // and their half-widths, from the reference as it is now.
    struct CRatingBand {
        int reference = -1;
        double inner = 0.0;
        double outer = 0.0;
    };
    CRatingBand RatingBand() const;

Q_SIGNALS:
    void ViewsUpdated(int hint);

private:
    // The tests' way to arrange stored errors and messages, which only the
    // document's own operations make.
    friend class CDocTestAccess;

    // Legend labels keep at most this many characters.
    static constexpr qsizetype kLegendLabelLength = 20;

    // Empties m_errors and the names of the signals its errors are about.
    void ClearErrors();
    // Appends errors to m_errors as being about the signal called subject.
    void AddErrorsAbout(const QString& subject, const KVErrorList& errors);
    // m_nMaxPoints from the loaded signals.
    void UpdateMaxPoints();
    // Loads m_strFile into m_signal (see LoadFile).
    bool LoadCurrentFile(QString* failure = nullptr);
    bool ChooseSaveFile(const QString& title, const QStringList& filters, const QString& suffix,
                        QString& path, bool* append, const QString& initialName = QString(),
                        bool confirmOverwrite = true);
    bool WriteHitlistLines(const QStringList& names);
    // Runs op on every loaded signal, flags the changed ones, redraws and
    // shows the collected errors. A signal that keeps(signal) says op leaves
    // alone is not flagged.
    void OperateOnEachSignal(const std::function<bool(KVSignal&, KVErrorList*)>& op,
                             const std::function<bool(const KVSignal&)>& keeps = {});
    // After an operation: point count, labels, title, redraw, then the errors.
    void SignalsOperatedOn();
    // Brings X values in other time units to seconds (flagged, and listed in
    // Errors and Warnings); false, with a message, when the signals' X units
    // differ and are not all times.
    bool BringXToOneUnit();
    // Asks for one number, then runs op with it on every loaded signal.
    void OperateWithConstant(const QString& caption, const QString& field, const QString& initial,
                             bool (*op)(KVSignal&, float, KVErrorList*));
    // Asks for one number with the text-entry dialog; false on Cancel.
    bool EnterConstant(const QString& caption, const QString& field, const QString& initial, float& value);
    // Replaces all loaded signals by one computed result called
    // computedName (or shows why not).
    void FinishCombining(bool ok, const KVSignal& result, const QString& computedName, const KVErrorList& errors);
    // Sum or Average of all loaded signals in load order.
    void CombineAll(bool (*op)(const std::vector<KVSignal*>&, KVErrorList*), const QString& computedName);
    bool EnterLabel(const QString& prompt, QString& label, qsizetype limit);
    // The file argument of one loaded signal for a criterion program: a
    // temporary RVF-1992 file when modified, else its path. False when the
    // temporary file could not be written.
    // Each adds the temporary copies it made of modified signals to temporaries.
    bool CriterionFileArgument(const CSignalEntry& entry, QString& path, QStringList& temporaries);
    bool SingleFormArguments(QStringList& arguments, QStringList& temporaries);
    bool ThreeAxisArguments(QStringList& arguments, QStringList& temporaries);
    // Reads the loaded signals again from their files (Reload; after the text
    // files' time unit changed, only those no operation changed).
    void ReadSignalsAgain(bool keepModified);
    // After loading or reloading: point count, labels, title and a redraw
    // (nothing is redrawn when no signal is left).
    void LoadedSignalsChanged();
    // Shows the warnings of the files loaded since the last call, if any.
    void ShowLoadWarnings();
    // Appends to names what a command-line entry or hitlist line stands for:
    // the channels of a test (its .mme, folder or .zip), else the matching
    // files. False when nothing matched.
    bool AppendListed(const QString& entry, QStringList& names);
    // Appends the channels of the test at path; its failure or warnings go to m_messages.
    bool AppendTestChannels(const QString& path, QStringList& names);

    CDocUi* m_ui = nullptr;
    KVSignal m_signal;       // scratch record a file is loaded into
    KVErrorList m_errors;    // operations report here
    int32_t m_nMaxPoints = 0; // largest PointCount of the loaded signals
    QString m_strFile;       // name being loaded
    QString m_strDirectory;  // browsed directory, ends in "/" (directory mode only)
    QString m_strHitlistName; // name and extension of the hitlist opened last
    QString m_strXLabel;
    QString m_strYLabel;
    QString m_strTitle;
    QString m_strSubTitle;
    COptionsValues m_options; // Edit > Options, kept in the settings
    bool m_bHitMode = false;
    std::vector<CSignalEntry> m_signals; // loaded signals in load order
    QStringList m_fileList;  // names shown by the file list view
    QStringList m_labels;    // legend labels when more than one signal is loaded
    QStringList m_messages;  // for the Errors and Warnings dialog
    CSignalCheckCache m_checks; // results of Check Signals by path
    QString m_ratingBandOf;     // display name of the signal whose corridors are shown; empty for none
    std::vector<QString> m_errorSubjects; // per entry of m_errors: the signal it is about, or empty
    QStringList m_loadWarnings;           // of the files loaded since ShowLoadWarnings
    QHash<QString, CChannelListing> m_channelListings; // by the channel's list name (its path)
};
