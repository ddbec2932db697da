#include "CDataPage.h"

namespace {
constexpr BoxAccess E = BoxAccess::Editable;
constexpr BoxAccess R = BoxAccess::ReadOnly;

// T0 and Del are stored as typed: the samples are not moved to match them.
std::vector<SheetBox> Boxes()
{
    return {
        IntBox("First Point Index:", KV_BOX_FIELD(Nfp), R),
        IntBox("Last Point Index:", KV_BOX_FIELD(Nlp), R),
        RealBox("T0:", KV_BOX_FIELD(T0), E),
        RealBox("Del:", KV_BOX_FIELD(Del), E),
        TextBox("X Type:", KV_BOX_FIELD(XType), E),
        TextBox("X  Units:", KV_BOX_FIELD(XUnits), E),
        RealBox("X Min:", KV_BOX_FIELD(XMin), R),
        TextBox("Y Type:", KV_BOX_FIELD(YType), E),
        TextBox("Y Units:", KV_BOX_FIELD(YUnits), E),
        RealBox("Y Min:", KV_BOX_FIELD(YMin), R),
        RealBox("Y Max :", KV_BOX_FIELD(YMax), R),
        IntBox("Band Number:", KV_BOX_FIELD(BandNumber), R),
        IntBox("Gauge Number:", KV_BOX_FIELD(GaugeNumber), R),
        RealBox("X Max:", KV_BOX_FIELD(XMax), R),
    };
}
}

CDataPage::CDataPage(QWidget* parent) : CSheetPage(QStringLiteral("Data"), Boxes(), parent) {}
