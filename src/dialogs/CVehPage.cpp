#include "CVehPage.h"

namespace {
constexpr BoxAccess E = BoxAccess::Editable;
constexpr BoxAccess R = BoxAccess::ReadOnly;

std::vector<SheetBox> Boxes()
{
    // The vehicle number is shown centred and cannot be edited, so it keeps its value.
    SheetBox vehicleNumber = IntBox("Vehicle Number ", KV_BOX_FIELD(VehicleNumber), R);
    vehicleNumber.centred = true;
    return {
        TextBox("Make:", KV_BOX_FIELD(VehicleMake), E),
        TextBox("Model:", KV_BOX_FIELD(VehicleModel), E),
        IntBox("Year:", KV_BOX_FIELD(ModelYear), E),
        RealBox("Impact Angle:", KV_BOX_FIELD(ImpactAngle), E),
        RealBox("Closing Speed:", KV_BOX_FIELD(ClosingSpeed), E),
        RealBox("Initial Velocity:", KV_BOX_FIELD(InitialVelocity), E),
        vehicleNumber,
    };
}
}

CVehPage::CVehPage(QWidget* parent) : CSheetPage(QStringLiteral("Vehicle"), Boxes(), parent) {}
