#pragma once
// The plot view: the document's loaded signals as one x-y graph, rebuilt on
// every document change; the commands that copy, print and save the plot,
// singly and for every file of the list.
#include "CGraph.h"
#include "PlotBatch.h"
#include "PlotContent.h"

#include <QPointer>
#include <QWidget>

class COndrelDoc;
class CProgressDlg;

class CPlotView : public QWidget {
    Q_OBJECT
public:
    // Follows doc's updates; reads "ShortHeader" from the settings.
    explicit CPlotView(COndrelDoc* doc, QWidget* parent = nullptr);
    ~CPlotView() override;

    // The document's update: every hint but HINT_LIST_CHANGED rebuilds the
    // plot (HINT_INITIAL, HINT_PLOT_CHANGED, HINT_BATCH_PLOT). The plot shows
    // exactly the loaded signals; without one it says so.
    void OnUpdate(int hint);

    // true: title and subtitle; false: one signal gets the nine-line block.
    bool ShortHeader() const { return m_shortHeader; }
    void SetShortHeader(bool shortHeader) { m_shortHeader = shortHeader; }
    // Multi Line Title: inverts the flag, stores it as "ShortHeader" and
    // tells the views.
    void ToggleShortHeader();
    // View > Limit Lines: whether the limit lines and bands of the marks are
    // drawn (stretches such as a criterion's window always are).
    bool LimitLinesShown() const { return m_limitLines; }
    void ToggleLimitLines();
    // Marks on the plot (a criterion's limits and window) for the signals
    // loaded now; they go when other signals are loaded.
    void SetMarks(const QList<CGraphMark>& marks);

    // The graph; made with the view, empty until signals are loaded.
    CGraph* Graph() const { return m_graph; }
    // Whether curves are drawn: the picture commands need them.
    bool HasPlot() const { return m_hasCurves; }
    // The progress window of a running batch, else null.
    CProgressDlg* Progress() const;

    // ---- commands (each does nothing while no curve is drawn) ----
    // Copy Plot: an image and a 10000 x 5000 SVG on the clipboard.
    void OnCopyPlot();
    // Print Plot: through the print dialog; a failure is shown.
    void OnPrintPlot();
    // Save Jpeg: "Select Image Name and Size", then the picture.
    void OnSaveJpeg();
    // Save Svg: the save dialog, then a 10000 x 5000 picture.
    void OnSaveSvg();
    // Save All Plots: "Select the Directory to save image files", then the batch.
    void OnSaveAllPlots(bool svg);
    // Print All Plots: the batch on the default printer.
    void OnPrintAllPlots();

    // The picture as shown; a failure is shown in a message. False on failure.
    bool SaveJpeg(const QString& fileName, int width, int height);
    bool SaveSvg(const QString& fileName, int width, int height);

    // The batch run with the progress window; failures are listed in
    // "Errors and Warnings" at the end. Does nothing for an empty list.
    CBatchResult SaveAllPlots(const QString& directory, const QSize& size, bool svg);
    CBatchResult PrintAllPlots();

private:
    void CreateGraph();
    QStringList LoadedNames() const;
    CBatchResult RunBatch(const CBatchJob& job);
    void ShowMessage(const QString& text) const;
    // Shows why a picture was not saved; returns saved.
    bool PictureSaved(bool saved, const QString& fileName, const QString& error) const;
    void ShowFailures(const QStringList& failures) const;

    COndrelDoc* m_doc;
    bool m_shortHeader = true;
    bool m_limitLines = true;
    QPointer<CProgressDlg> m_progress;
    PlotContent m_content; // drawing buffers, kept between rebuilds
    CGraph* m_graph = nullptr;
    bool m_hasCurves = false;
    QList<CGraphMark> m_marks;
    QStringList m_marksFor; // the loaded signals the marks belong to
};
