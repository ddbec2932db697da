#include "CommandRules.h"

#include "CommandIds.h"

bool IsCommandEnabled(int id, std::size_t loaded, bool shortHeader)
{
    switch (id) {
    case ID_VIEW_RVF_HEADER:
    case ID_INJURY_208_NECK:
    case ID_INJURY_VC: return loaded == 1;
    case ID_OPERATE_RESULTANT: return loaded == 2 || loaded == 3;
    case ID_OPERATE_AVERAGE:
    case ID_OPERATE_SUM:
    case ID_LABELS_SIGNAL_LABELS: return loaded >= 1;
    case ID_INJURY_HIC:
    case ID_INJURY_3MS_CLIP: return loaded == 1 || loaded == 3;
    case ID_INJURY_NIJ:
    case ID_INJURY_TIBIA_INDEX: return loaded == 3;
    // The multi-line title replaces title and subtitle.
    case ID_LABELS_TITLE:
    case ID_LABELS_SUBTITLE: return shortHeader;
    default: return true;
    }
}
