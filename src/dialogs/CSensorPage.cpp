#include "CSensorPage.h"

namespace {
constexpr BoxAccess E = BoxAccess::Editable;
constexpr BoxAccess R = BoxAccess::ReadOnly;

std::vector<SheetBox> Boxes()
{
    return {
        ChannelCodeBox("Channel Code:", QStringLiteral("ChannelCode")),
        TextBox("Channel Name:", KV_BOX_FIELD(CurveText), E),
        TextBox("Location:", KV_BOX_FIELD(SensorLocation), E),
        TextBox("Attachment:", KV_BOX_FIELD(SensorAttachment), E),
        TextBox("Status:", KV_BOX_FIELD(Status), E),
        TextBox("Axis:", KV_BOX_FIELD(Axis), E),
        TextBox("Sensor Type:", KV_BOX_FIELD(SensorType), E),
        IntBox("Curve Number:", KV_BOX_FIELD(CurveNumber), R),
        FilterClassBox("Filter Class:", KV_BOX_FIELD(FilterClass)),
        RealBox("Pre Filter Frequency:", KV_BOX_FIELD(PreFilterFrequency), E),
        RealBox("Cut Off Frequency:", KV_BOX_FIELD(CutOffFrequency), E),
        RealBox("Stopping Frequency:", KV_BOX_FIELD(StoppingFrequency), E),
    };
}
}

CSensorPage::CSensorPage(QWidget* parent) : CSheetPage(QStringLiteral("Sensor"), Boxes(), parent) {}
