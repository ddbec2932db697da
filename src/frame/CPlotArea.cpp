#include "CPlotArea.h"

#include "CPlotView.h"
#include "OndrelDoc.h"

CPlotView* CreatePlotArea(COndrelDoc* doc, QWidget* parent)
{
    auto* view = new CPlotView(doc, parent);
    // The initial update: draws whatever the document already holds.
    view->OnUpdate(HINT_INITIAL);
    return view;
}
