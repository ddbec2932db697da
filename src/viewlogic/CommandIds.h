#pragma once
// Command numbers of the window. The numbers are kept stable: the filter
// class buttons are told apart by theirs.
#include "Criterion.h"

enum CommandId : int {
    ID_NONE = 0,
    // File
    ID_FILE_OPEN_DIRECTORY = 57601,
    ID_FILE_OPEN_HITLIST = 32812,
    ID_FILE_SAVE_RVF = 32788,
    ID_FILE_SAVE_ASCII = 32789,
    ID_FILE_SAVE_IMAGEEXPRESS = 32848,
    ID_FILE_SAVE_ISOMME = 32870,
    ID_FILE_SAVE_JPEG = 32817,
    ID_FILE_SAVE_SVG = 32818,
    ID_FILE_SAVE_ALL_JPG = 32846,
    ID_FILE_SAVE_ALL_SVG = 32847,
    ID_FILE_EXPORT_REPORT = 32900,
    ID_INJURY_ASSESS_TEST = 32901,
    ID_FILE_PRINT_PLOT = 57607,
    ID_FILE_PRINT_ALL = 32779,
    ID_APP_EXIT = 57665,
    // Edit
    ID_EDIT_COPY_PLOT = 57634,
    ID_EDIT_COPY_DATA = 32781,
    ID_EDIT_OPTIONS = 32815,
    // Labels
    ID_LABELS_MULTI_LINE_TITLE = 32799,
    ID_LABELS_TITLE = 32772,
    ID_LABELS_SUBTITLE = 32773,
    ID_LABELS_SIGNAL_LABELS = 32844,
    ID_LABELS_X_AXIS = 32774,
    ID_LABELS_Y_AXIS = 32775,
    // Operate
    ID_OPERATE_FILTER = 32776,
    ID_OPERATE_INTEGRATE = 32777,
    ID_OPERATE_DERIVATIVE = 32778,
    ID_OPERATE_FIR100 = 32780,
    ID_OPERATE_RESAMPLE = 32783,
    ID_OPERATE_TRUNCATE = 32790,
    ID_OPERATE_BIAS_AUTO_Y = 32791,
    ID_OPERATE_BIAS_CONSTANT_Y = 32792,
    ID_OPERATE_BIAS_CONSTANT_X = 32795,
    ID_OPERATE_SCALE_Y = 32793,
    ID_OPERATE_SCALE_X = 32794,
    ID_OPERATE_RESULTANT = 32835,
    ID_OPERATE_AVERAGE = 32836,
    ID_OPERATE_SUM = 32837,
    ID_OPERATE_RELOAD = 32809,
    ID_OPERATE_CHECK_SIGNALS = 32871,
    ID_OPERATE_RATE_AGAINST_REFERENCE = 32880,
    // Toolbar filter classes, in toolbar order
    ID_FILTER_CFC60 = 32804,
    ID_FILTER_CFC180 = 32805,
    ID_FILTER_CFC600 = 32806,
    ID_FILTER_CFC1000 = 32807,
    // Injury: one command per criterion program, numbered from the first by
    // the criterion's id (CriterionCommandId); the range leaves room for more.
    ID_INJURY_FIRST = 34000,
    ID_INJURY_LAST = 34099,
    ID_INJURY_HIC = ID_INJURY_FIRST + static_cast<int>(Criteria::CriterionId::Hic),
    ID_INJURY_208_NECK = ID_INJURY_FIRST + static_cast<int>(Criteria::CriterionId::Neck208),
    ID_INJURY_NIJ = ID_INJURY_FIRST + static_cast<int>(Criteria::CriterionId::Nij),
    ID_INJURY_3MS_CLIP = ID_INJURY_FIRST + static_cast<int>(Criteria::CriterionId::Clip3ms),
    ID_INJURY_VC = ID_INJURY_FIRST + static_cast<int>(Criteria::CriterionId::Vc),
    ID_INJURY_TIBIA_INDEX = ID_INJURY_FIRST + static_cast<int>(Criteria::CriterionId::Tibia),
    // View
    ID_VIEW_SORT_NAME = 32786,
    ID_VIEW_SORT_EXTENSION = 32787,
    ID_VIEW_RVF_HEADER = 32784,
    ID_VIEW_LIMIT_LINES = 32950,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    // Help
    ID_APP_ABOUT = 57664,
    // File list context menus
    ID_LIST_APPLY_FILTER = 33001,
    ID_LIST_SAVE_HITLIST = 33002,
    ID_LIST_SAVE_SELECTED_HITLIST = 33003,
    ID_LIST_EDIT_HITLIST = 33004,
    ID_LIST_COPY_FILENAMES = 33005,
    ID_LIST_PASTE_FILENAMES = 33006,
    ID_LIST_CLEAR = 33007,
    ID_LIST_REMOVE_SELECTED = 33008,
    ID_LIST_REMOVE_UNSELECTED = 33009,
};

// The command that runs criterion program `id`.
constexpr int CriterionCommandId(Criteria::CriterionId id)
{
    return ID_INJURY_FIRST + static_cast<int>(id);
}
