#pragma once
#include "DocUi.h"
#include "KVErrorList.h"
#include "KVSignal.h"
#include "SignalEntry.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// Update hints of the views.
enum : int {
    HINT_LIST_CHANGED = 1, // the file list or the mode changed: the list view re-lists
    HINT_PLOT_CHANGED = 2, // signals, labels or settings changed: the plot view redraws
};

// The injury-criterion programs of the Injury menu.
enum class ECriterion { Hic, Neck208, Nij, Clip3ms, Vc, Tibia };

// The one document of Ondrel: the browsed file list (directory or hitlist
// mode), the loaded signals, the plot texts, the collected messages and the
// document-wide settings. Views read the public members and follow
// ViewsUpdated(hint); everything asked of the user goes through CDocUi.
class COndrelDoc : public QObject {
    Q_OBJECT
public:
    // Reads the settings; ui may be null (no person to ask: dialogs cancel).
    explicit COndrelDoc(CDocUi* ui = nullptr, QObject* parent = nullptr);
    void SetUi(CDocUi* ui) { m_ui = ui; }
    CDocUi* Ui() const { return m_ui; }

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
    QString m_strQuillonDir; // directory of the criterion programs
    bool m_bColumnHeaders = true;
    bool m_bSaveZoom = true;
    bool m_bHitMode = false;
    std::vector<CSignalEntry> m_signals; // loaded signals in load order
    QStringList m_fileList;  // names shown by the file list view
    QStringList m_labels;    // legend labels when more than one signal is loaded
    QStringList m_messages;  // for the Errors and Warnings dialog
    int32_t m_nLineStyle = 0;

    // Empties the document (also run once at start-up).
    bool OnNewDocument();
    // Tells every view of a change (HINT_LIST_CHANGED or HINT_PLOT_CHANGED).
    void UpdateAllViews(int hint);

    // ---- core (OndrelDoc.cpp) ----
    // Loads m_strFile (RVF-1992, else text) into m_signal; a failure is shown.
    bool LoadCurrentFile();
    // The path of a list name: itself in hitlist mode, joined to the directory otherwise.
    QString PathOfName(const QString& name) const;
    // Prefixes the list and the loaded names with the directory; hitlist mode.
    void SwitchToHitMode();
    void UpdateMaxPoints();
    // Axis labels, title, subtitle and legend labels from the loaded signals.
    void UpdateLabels();
    void UpdateSubTitle();
    // "HitList" or "Directory", with " - Modified" when a loaded signal changed.
    void UpdateTitle();
    // m_messages = one "scope - message" line per entry of m_errors.
    void CollectErrors();
    // Shows m_messages in "Errors and Warnings" unless empty; keeps them.
    void ShowMessages();

    // ---- file list (DocList.cpp) ----
    // Keeps the loaded signals in step with the selected labels (list order).
    void SelectionChanged(const QStringList& selected, bool itemSelected);
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
    // Adds names from outside (paste, drop), switching to hitlist mode first.
    void AddNames(const QStringList& names);
    void OnClearList();
    void OnRemoveSelectedItems();
    void OnRemoveUnselectedItems();
    // View > Sort: sorts and stores the order as "Sort".
    void OnSortByName();
    void OnSortByExtension();

    // ---- document commands (DocFileCommands.cpp) ----
    void OnOpenDirectory();
    void OnRvfInformation();
    void OnReload();
    void OnOptions();
    // Browses the files and patterns of the command line in hitlist mode.
    void BrowseCommandLine(const QStringList& files);

    // ---- hitlists (Hitlist.cpp) ----
    // Appends the files named by a hitlist to m_fileList; false when it cannot be read.
    bool ReadHitlist(const QString& path);
    void OnOpenHitlist();
    void OnSaveHitlist();
    void OnSaveSelectedHitlist();
    void OnEditHitlist();

    // ---- external requests (Requests.cpp) ----
    // Carries out a request text; false when it is neither DataFile nor HitList.
    bool HandleRequest(const QString& request);
    void OnOpenDataFile(const QString& name);
    void OnOpenHitlistRequest(const QString& name);

signals:
    void ViewsUpdated(int hint);

private:
    bool ChooseSaveFile(const QString& title, const QStringList& filters, const QString& suffix,
                        QString& path, bool* append, const QString& initialName = QString(),
                        bool confirmOverwrite = true);
    bool WriteHitlistLines(const QStringList& names);
    // After loading or reloading: point count, labels, title and a redraw
    // (nothing is redrawn when no signal is left).
    void LoadedSignalsChanged();

    CDocUi* m_ui = nullptr;
};
