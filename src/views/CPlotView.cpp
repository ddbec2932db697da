#include "CPlotView.h"

#include "CGraph.h"
#include "GraphPictures.h"
#include "CImageDirDlg.h"
#include "CImageSizeDlg.h"
#include "CProgressDlg.h"
#include "OndrelDoc.h"
#include "OndrelSettings.h"
#include "RatingCommands.h"
#include "TitleBlock.h"

#include <QApplication>
#include <QMessageBox>
#include <QVBoxLayout>

namespace {

// The size pair of the metafile commands, as 1/100 mm: 100 mm by 50 mm.
constexpr int kSvgWidth = 10000;
constexpr int kSvgHeight = 5000;

QList<CGraphTitleLine> GraphTitleLines(const QStringList& lines)
{
    QList<CGraphTitleLine> result;
    for (const QString& line : lines) {
        const TitleBlockParts parts = SplitTitleLine(line);
        result << CGraphTitleLine{parts.left, parts.centre, parts.right};
    }
    return result;
}

PlotSource SourceOf(const COndrelDoc& doc, bool shortHeader)
{
    PlotSource source;
    for (const CSignalEntry& entry : doc.Signals()) {
        source.loaded.push_back(&entry.signal);
        source.names << entry.DisplayName();
    }
    source.labels = doc.Texts().legend;
    source.title = doc.Texts().title;
    source.subTitle = doc.Texts().subTitle;
    source.xLabel = doc.Texts().xLabel;
    source.yLabel = doc.Texts().yLabel;
    // The title block names the signal it shows. The name loaded last is
    // another file once a multiple selection has shrunk to one.
    source.file = doc.Signals().size() == 1 ? doc.Signals().front().name : doc.Loaded().CurrentFile();
    source.lineStyle = doc.Options().lineStyle;
    source.shortHeader = shortHeader;
    const RatingCommands::CRatingBand band = RatingCommands::RatingBand(doc);
    source.bandReference = band.reference;
    source.bandInner = band.inner;
    source.bandOuter = band.outer;
    return source;
}

void ProcessPendingEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

} // namespace

CPlotView::CPlotView(COndrelDoc* doc, QWidget* parent) : QWidget(parent), m_doc(doc)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_shortHeader = OndrelSettings::ReadInt(OndrelSettings::kShortHeader) != 0;
    CreateGraph();
    if (m_doc)
        connect(m_doc, &COndrelDoc::ViewsUpdated, this, &CPlotView::OnUpdate);
    OnUpdate(HINT_INITIAL);
}

CPlotView::~CPlotView() = default;

CProgressDlg* CPlotView::Progress() const { return m_progress.data(); }

void CPlotView::CreateGraph()
{
    m_graph = new CGraph(this);
    m_graph->SetAbsentValue(kAbsentValue);
    layout()->addWidget(m_graph);
    // Made after the view may already be shown: show it explicitly.
    m_graph->show();
}

void CPlotView::OnUpdate(int hint)
{
    if (hint == HINT_LIST_CHANGED || hint == HINT_CHECKS_CHANGED)
        return;
    m_graph->ReturnCurves(m_content.x, m_content.y); // filled again in place
    m_hasCurves = BuildPlotContent(m_doc ? SourceOf(*m_doc, m_shortHeader) : PlotSource{}, m_content);
    m_graph->SetPanels(m_content.panelOf, m_content.panelLabels);
    // The graph takes the buffers over: a long curve is drawn from them, not copied again.
    m_graph->SetCurves(std::move(m_content.x), std::move(m_content.y), m_content.curveCount, m_content.pointsPerCurve);
    m_graph->SetLineTypes(m_content.lineTypes);
    m_graph->SetColourIndices(m_content.colourOf);
    m_graph->SetAxisLabels(m_content.xLabel, m_content.yLabel);
    m_graph->SetTitle(m_content.title);
    m_graph->SetSubTitle(m_content.subTitle);
    m_graph->SetTitleBlock(GraphTitleLines(m_content.titleBlock));
    m_graph->SetLegend(m_content.legend);
    m_graph->SetNotice(m_content.notice);
    if (!m_marks.isEmpty() && LoadedNames() != m_marksFor)
        m_marks.clear();
    QList<CGraphMark> shown = m_marks;
    if (!m_limitLines)
        shown.removeIf([](const CGraphMark& m) { return m.kind != CGraphMark::XSpan; });
    m_graph->SetMarks(shown);
    // Without "SaveZoom" every change of data shows the whole range again;
    // a zoom into curves that are gone would show nothing.
    if (!m_hasCurves || !m_doc->Options().saveZoom)
        m_graph->ResetZoom();
    m_graph->Replot();
}

QStringList CPlotView::LoadedNames() const
{
    QStringList names;
    if (m_doc)
        for (const CSignalEntry& entry : m_doc->Signals())
            names << entry.name;
    return names;
}

void CPlotView::SetMarks(const QList<CGraphMark>& marks)
{
    m_marks = marks;
    m_marksFor = LoadedNames();
    OnUpdate(HINT_PLOT_CHANGED);
}

void CPlotView::ToggleLimitLines()
{
    m_limitLines = !m_limitLines;
    OnUpdate(HINT_PLOT_CHANGED);
}

void CPlotView::ToggleShortHeader()
{
    m_shortHeader = !m_shortHeader;
    OndrelSettings::WriteInt(OndrelSettings::kShortHeader, m_shortHeader ? 1 : 0);
    if (m_doc)
        m_doc->UpdateAllViews(HINT_PLOT_CHANGED);
}

void CPlotView::ShowMessage(const QString& text) const
{
    if (m_doc && m_doc->Ui())
        m_doc->Ui()->ShowMessageBox(text);
    else
        QMessageBox::warning(const_cast<CPlotView*>(this), QStringLiteral("Ondrel"), text);
}

void CPlotView::ShowFailures(const QStringList& failures) const
{
    if (failures.isEmpty())
        return;
    if (m_doc && m_doc->Ui())
        m_doc->Ui()->ShowErrorsAndWarnings(failures);
    else
        QMessageBox::warning(const_cast<CPlotView*>(this), QStringLiteral("Errors and Warnings"),
                             failures.join(QLatin1Char('\n')));
}

void CPlotView::OnCopyPlot()
{
    if (HasPlot())
        CopyGraphToClipboard(*m_graph, kSvgWidth, kSvgHeight);
}

void CPlotView::OnPrintPlot()
{
    if (!HasPlot())
        return;
    QString error;
    if (!PrintGraphWithDialog(*m_graph, &error))
        ShowMessage(tr("The plot was not printed: %1").arg(error));
}

bool CPlotView::SaveJpeg(const QString& fileName, int width, int height)
{
    QString error;
    return HasPlot() && PictureSaved(SaveGraphJpeg(*m_graph, fileName, width, height, &error), fileName, error);
}

bool CPlotView::SaveSvg(const QString& fileName, int width, int height)
{
    QString error;
    return HasPlot() && PictureSaved(SaveGraphSvg(*m_graph, fileName, width, height, &error), fileName, error);
}

bool CPlotView::PictureSaved(bool saved, const QString& fileName, const QString& error) const
{
    if (!saved)
        ShowMessage(tr("The picture %1 was not saved: %2").arg(fileName, error));
    return saved;
}

void CPlotView::OnSaveJpeg()
{
    if (!HasPlot())
        return;
    CImageSizeDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    SaveJpeg(dialog.FileName(), dialog.PixelWidth(), dialog.PixelHeight());
}

void CPlotView::OnSaveSvg()
{
    if (!HasPlot() || !m_doc || !m_doc->Ui())
        return;
    CFileDialogRequest request;
    request.title = QStringLiteral("Save Metafile as");
    request.filters = QStringList{QStringLiteral("Svg Files(*.svg)"), QStringLiteral("All Files (*.*)")};
    request.directory = OndrelSettings::ReadString(OndrelSettings::kOutputDir);
    request.confirmOverwrite = true;
    QString path;
    bool append = false;
    if (!m_doc->Ui()->SaveFileDialog(request, path, append))
        return;
    SaveSvg(path, kSvgWidth, kSvgHeight);
    OndrelSettings::StoreOutputDir(path);
}

void CPlotView::OnSaveAllPlots(bool svg)
{
    CImageDirDlg dialog(svg, QString(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    SaveAllPlots(dialog.Directory(), dialog.PictureSize(), svg);
}

void CPlotView::OnPrintAllPlots() { PrintAllPlots(); }

CBatchResult CPlotView::SaveAllPlots(const QString& directory, const QSize& size, bool svg)
{
    CBatchJob job;
    job.kind = svg ? CBatchJob::EKind::Svg : CBatchJob::EKind::Jpeg;
    job.directory = directory;
    job.size = size;
    return RunBatch(job);
}

CBatchResult CPlotView::PrintAllPlots()
{
    CBatchJob job;
    job.kind = CBatchJob::EKind::Print;
    return RunBatch(job);
}

CBatchResult CPlotView::RunBatch(const CBatchJob& job)
{
    if (!m_doc || m_doc->FileList().isEmpty() || m_progress)
        return {};
    const bool printing = job.kind == CBatchJob::EKind::Print;
    m_progress = new CProgressDlg(printing ? QStringLiteral("Printing All Rvf Plots")
                                           : QStringLiteral("Saving All Rvf Plots"),
                                  this);
    m_progress->SetRange(static_cast<int>(m_doc->FileList().size()), 0, 1);
    m_progress->SetStatus(printing ? QStringLiteral("Printing...") : QStringLiteral("Saving..."));
    ProcessPendingEvents();

    CBatchHooks hooks;
    hooks.plot = [this] {
        OnUpdate(HINT_BATCH_PLOT);
        return m_hasCurves ? m_graph : nullptr;
    };
    hooks.pump = ProcessPendingEvents;
    hooks.step = [this](int, const QString&) {
        if (!m_progress)
            return false;
        m_progress->StepIt();
        return !m_progress->Cancelled();
    };
    const CBatchResult result = RunPlotBatch(*m_doc, job, hooks);
    delete m_progress;
    if (result.cancelled)
        ShowMessage(QStringLiteral("Printing Cancelled"));
    ShowFailures(result.failures);
    return result;
}
