#include "COccPage.h"

namespace {
constexpr BoxAccess E = BoxAccess::Editable;
constexpr BoxAccess R = BoxAccess::ReadOnly;

// The injury results come from the criterion programs and are only shown.
// HicInterval (the window, 36 by default) is not shown: the "Hic Interval:"
// box is fed by no field and always shows 0.
std::vector<SheetBox> Boxes()
{
    return {
        TextBox("Type: ", KV_BOX_FIELD(OccupantType), E),
        TextBox("Sex:", KV_BOX_FIELD(OccupantSex), E),
        RealBox("Weight:", KV_BOX_FIELD(OccupantWeight), E),
        TextBox("Size:", KV_BOX_FIELD(OccupantSize), E),
        RealBox("Hic:", KV_BOX_FIELD(Hic), R),
        ZeroBox("Hic Interval:", QStringLiteral("HicIntervalShown")),
        RealBox("Hic T1:", KV_BOX_FIELD(HicT1), R),
        RealBox("Hic T2:", KV_BOX_FIELD(HicT2), R),
        RealBox("CSI:", KV_BOX_FIELD(Csi), R),
        RealBox("Clip3M:", KV_BOX_FIELD(Clip3ms), R),
        RealBox("Clip3M T1:", KV_BOX_FIELD(Clip3msT1), R),
        RealBox("Clip3M T2:", KV_BOX_FIELD(Clip3msT2), R),
        TextBox("AIS:", KV_BOX_FIELD(Ais), E),
        TextBox("Restraint 1", KV_BOX_FIELD(Restraint1), R),
        TextBox("Restraint 2", KV_BOX_FIELD(Restraint2), R),
    };
}
}

COccPage::COccPage(QWidget* parent) : CSheetPage(QStringLiteral("Occupant"), Boxes(), parent) {}
