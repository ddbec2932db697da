#pragma once
// Labels menu: each edits one plot text (titles are cut to 46 characters),
// then the plot redraws.
class COndrelDoc;

namespace LabelCommands {

void Title(COndrelDoc& doc);
void SubTitle(COndrelDoc& doc);
void XAxis(COndrelDoc& doc);
void YAxis(COndrelDoc& doc);
// The legend labels beside the loaded signals' names.
void SignalLabels(COndrelDoc& doc);

} // namespace LabelCommands
