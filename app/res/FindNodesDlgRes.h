// The Find in Nodes window: controls and texts.
#pragma once

#define IDD_FIND_NODES          201
#define IDC_FIND_NOW            1049
#define IDC_FIND_RESULTS        1050
#define IDC_FIND_STOP           1052
#define IDC_FIND_QUERY          1053
#define IDC_FIND_TITLES         1054
#define IDC_FIND_KEYWORDS       1055
#define IDC_FIND_CONTENT        1056
#define IDC_FIND_SCOPE_GROUP    1058
#define IDC_FIND_MODE           1066
#define IDC_FIND_PREV_RESULT    1079   // "<<": the previous row
#define IDC_FIND_NEXT_RESULT    1080   // ">>": the next row
#define IDC_FIND_PREV_HIT       1081   // "<"
#define IDC_FIND_NEXT_HIT       1082   // ">"
#define IDC_FIND_STATUS         32813  // the window's status bar (the progress bar finds it by this id)

#define IDS_FIND_CAPTION        22100
#define IDS_FIND_NO_DATA        22101
#define IDS_FIND_NO_QUERY       22102
#define IDS_FIND_NODE_GONE      22103
#define IDS_FIND_READY          22104
#define IDS_FIND_CANCELLING     22105
#define IDS_FIND_PERCENT        22106
#define IDS_FIND_MODE_ALL       22107
#define IDS_FIND_MODE_ANY       22108
#define IDS_FIND_MODE_PHRASE    22109
#define IDS_FIND_COLUMN_NODE    22110
