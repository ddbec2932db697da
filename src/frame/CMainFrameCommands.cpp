// Which object carries out each command of the window: the document, the
// file list view, the plot view or the frame itself.
#include "CAboutDlg.h"
#include "CMainFrame.h"
#include "COndrelView.h"
#include "CPlotView.h"
#include "OndrelDoc.h"

#include <QStatusBar>
#include <QToolBar>

void CMainFrame::ConnectCommands()
{
    COndrelDoc* doc = m_doc;
    COndrelView* list = m_listView;
    CPlotView* plot = m_plotView;

    // File
    On(ID_FILE_OPEN_DIRECTORY, [doc] { doc->OnOpenDirectory(); });
    On(ID_FILE_OPEN_HITLIST, [doc] { doc->OnOpenHitlist(); });
    On(ID_FILE_SAVE_JPEG, [plot] { plot->OnSaveJpeg(); });
    On(ID_FILE_SAVE_SVG, [plot] { plot->OnSaveSvg(); });
    On(ID_FILE_SAVE_ALL_JPG, [plot] { plot->OnSaveAllPlots(false); });
    On(ID_FILE_SAVE_ALL_SVG, [plot] { plot->OnSaveAllPlots(true); });
    On(ID_FILE_PRINT_PLOT, [plot] { plot->OnPrintPlot(); });
    On(ID_FILE_PRINT_ALL, [plot] { plot->OnPrintAllPlots(); });
    On(ID_APP_EXIT, [this] { close(); });

    // Edit
    On(ID_EDIT_COPY_PLOT, [plot] { plot->OnCopyPlot(); });
    On(ID_EDIT_OPTIONS, [doc] { doc->OnOptions(); });

    // Labels
    On(ID_LABELS_MULTI_LINE_TITLE, [plot] { plot->ToggleShortHeader(); });

    // Operate
    On(ID_OPERATE_RELOAD, [doc] { doc->OnReload(); });

    // View
    On(ID_VIEW_SORT_NAME, [list] { list->OnSortByName(); });
    On(ID_VIEW_SORT_EXTENSION, [list] { list->OnSortByExtension(); });
    On(ID_VIEW_RVF_HEADER, [doc] { doc->OnRvfInformation(); });
    On(ID_VIEW_TOOLBAR, [this] { m_toolBar->setVisible(!m_toolBar->isVisible()); });
    On(ID_VIEW_STATUS_BAR, [this] { statusBar()->setVisible(!statusBar()->isVisible()); });

    // Help
    On(ID_APP_ABOUT, [this] { OnAbout(); });

    // File list (Ctrl+V)
    On(ID_LIST_PASTE_FILENAMES, [list] { list->OnCommand(ID_LIST_PASTE_FILENAMES); });

    // File > Save, Edit > Copy Data: the exports of the document
    On(ID_FILE_SAVE_RVF, [doc] { doc->OnSaveRvf(); });
    On(ID_FILE_SAVE_ASCII, [doc] { doc->OnSaveAscii(); });
    On(ID_FILE_SAVE_IMAGEEXPRESS, [doc] { doc->OnSaveImageExpress(); });
    On(ID_EDIT_COPY_DATA, [doc] { doc->OnCopyData(); });

    // Labels
    On(ID_LABELS_TITLE, [doc] { doc->OnLabelTitle(); });
    On(ID_LABELS_SUBTITLE, [doc] { doc->OnLabelSubTitle(); });
    On(ID_LABELS_SIGNAL_LABELS, [doc] { doc->OnSignalLabels(); });
    On(ID_LABELS_X_AXIS, [doc] { doc->OnLabelXAxis(); });
    On(ID_LABELS_Y_AXIS, [doc] { doc->OnLabelYAxis(); });

    // Operate and the filter class buttons
    On(ID_OPERATE_FILTER, [doc] { doc->OnFilter(); });
    On(ID_OPERATE_INTEGRATE, [doc] { doc->OnIntegrate(); });
    On(ID_OPERATE_DERIVATIVE, [doc] { doc->OnDerivative(); });
    On(ID_OPERATE_FIR100, [doc] { doc->OnFir100(); });
    On(ID_OPERATE_RESAMPLE, [doc] { doc->OnResample(); });
    On(ID_OPERATE_TRUNCATE, [doc] { doc->OnTruncate(); });
    On(ID_OPERATE_BIAS_AUTO_Y, [doc] { doc->OnBiasAutoRemoveY(); });
    On(ID_OPERATE_BIAS_CONSTANT_Y, [doc] { doc->OnAddConstantY(); });
    On(ID_OPERATE_BIAS_CONSTANT_X, [doc] { doc->OnAddConstantX(); });
    On(ID_OPERATE_SCALE_Y, [doc] { doc->OnScaleY(); });
    On(ID_OPERATE_SCALE_X, [doc] { doc->OnScaleX(); });
    On(ID_OPERATE_RESULTANT, [doc] { doc->OnResultant(); });
    On(ID_OPERATE_AVERAGE, [doc] { doc->OnAverage(); });
    On(ID_OPERATE_SUM, [doc] { doc->OnSum(); });
    On(ID_FILTER_CFC60, [doc] { doc->OnFilterClass(60); });
    On(ID_FILTER_CFC180, [doc] { doc->OnFilterClass(180); });
    On(ID_FILTER_CFC600, [doc] { doc->OnFilterClass(600); });
    On(ID_FILTER_CFC1000, [doc] { doc->OnFilterClass(1000); });

    // Injury: the criterion programs
    On(ID_INJURY_HIC, [doc] { doc->OnHic(); });
    On(ID_INJURY_208_NECK, [doc] { doc->OnNeck208(); });
    On(ID_INJURY_NIJ, [doc] { doc->OnNij(); });
    On(ID_INJURY_3MS_CLIP, [doc] { doc->OnClip3ms(); });
    On(ID_INJURY_VC, [doc] { doc->OnVc(); });
    On(ID_INJURY_TIBIA_INDEX, [doc] { doc->OnTibia(); });
}

void CMainFrame::OnAbout()
{
    CAboutDlg about(this);
    about.exec();
}
