// Resource ids of the framework: its standard commands, its windows, its
// strings and its prompts. Program ids stay below 0xE000.
#pragma once

#define ID_SEPARATOR                    0

// Strings
#define AFX_IDS_APP_TITLE               0xE000  // the program defines this one
#define AFX_IDS_IDLEMESSAGE             0xE001
#define AFX_IDS_HELPMODEMESSAGE         0xE002

// File commands
#define ID_FILE_NEW                     0xE100
#define ID_FILE_OPEN                    0xE101
#define ID_FILE_CLOSE                   0xE102
#define ID_FILE_SAVE                    0xE103
#define ID_FILE_SAVE_AS                 0xE104
#define ID_FILE_PAGE_SETUP              0xE105
#define ID_FILE_PRINT_SETUP             0xE106
#define ID_FILE_PRINT                   0xE107
#define ID_FILE_PRINT_DIRECT            0xE108
#define ID_FILE_PRINT_PREVIEW           0xE109
#define ID_FILE_MRU_FIRST               0xE110
#define ID_FILE_MRU_FILE1               0xE110
#define ID_FILE_MRU_FILE2               0xE111
#define ID_FILE_MRU_FILE3               0xE112
#define ID_FILE_MRU_FILE4               0xE113
#define ID_FILE_MRU_LAST                0xE11F

// Edit commands
#define ID_EDIT_CLEAR                   0xE120
#define ID_EDIT_CLEAR_ALL               0xE121
#define ID_EDIT_COPY                    0xE122
#define ID_EDIT_CUT                     0xE123
#define ID_EDIT_FIND                    0xE124
#define ID_EDIT_PASTE                   0xE125
#define ID_EDIT_PASTE_SPECIAL           0xE127
#define ID_EDIT_REPEAT                  0xE128
#define ID_EDIT_REPLACE                 0xE129
#define ID_EDIT_SELECT_ALL              0xE12A
#define ID_EDIT_UNDO                    0xE12B
#define ID_EDIT_REDO                    0xE12C

// Window commands
#define ID_WINDOW_NEW                   0xE130
#define ID_WINDOW_ARRANGE               0xE131
#define ID_WINDOW_CASCADE               0xE132
#define ID_WINDOW_TILE_HORZ             0xE133
#define ID_WINDOW_TILE_VERT             0xE134
#define ID_WINDOW_SPLIT                 0xE135
#define AFX_IDM_FIRST_MDICHILD          0xFF00  // ids the MDI client gives its window-menu entries

// Application and help commands
#define ID_APP_ABOUT                    0xE140
#define ID_APP_EXIT                     0xE141
#define ID_HELP_INDEX                   0xE142
#define ID_HELP_FINDER                  0xE143
#define ID_HELP_USING                   0xE144
#define ID_CONTEXT_HELP                 0xE145
#define ID_HELP                         0xE146
#define ID_DEFAULT_HELP                 0xE147

#define ID_NEXT_PANE                    0xE150
#define ID_PREV_PANE                    0xE151
#define ID_FORMAT_FONT                  0xE160
#define ID_OLE_INSERT_NEW               0xE200
#define ID_OLE_VERB_FIRST               0xE210  // verbs of the selected embedded object
#define ID_OLE_VERB_LAST                0xE21F

// Status-bar indicators
#define ID_INDICATOR_EXT                0xE700
#define ID_INDICATOR_CAPS               0xE701
#define ID_INDICATOR_NUM                0xE702
#define ID_INDICATOR_SCRL               0xE703
#define ID_INDICATOR_OVR                0xE704

// Bars
#define ID_VIEW_TOOLBAR                 0xE800
#define ID_VIEW_STATUS_BAR              0xE801

// Window ids of frames, bars and panes
#define AFX_IDW_CONTROLBAR_FIRST        0xE800
#define AFX_IDW_CONTROLBAR_LAST         0xE8FF
#define AFX_IDW_TOOLBAR                 0xE800
#define AFX_IDW_STATUS_BAR              0xE801
#define AFX_IDW_DOCKBAR_TOP             0xE81B
#define AFX_IDW_DOCKBAR_LEFT            0xE81C
#define AFX_IDW_DOCKBAR_RIGHT           0xE81D
#define AFX_IDW_DOCKBAR_BOTTOM          0xE81E
#define AFX_IDW_DOCKBAR_FLOAT           0xE81F
#define AFX_IDW_PANE_FIRST              0xE900
#define AFX_IDW_PANE_LAST               0xE9FF
#define AFX_IDW_HSCROLL_FIRST           0xEA00
#define AFX_IDW_VSCROLL_FIRST           0xEA10
#define AFX_IDW_SIZE_BOX                0xEA20
#define AFX_IDW_PANE_SAVE               0xEA21

// System-command prompts (fly-by texts of the system menu)
#define AFX_IDS_SCSIZE                  0xEF00
#define AFX_IDS_SCMOVE                  0xEF01
#define AFX_IDS_SCMINIMIZE              0xEF02
#define AFX_IDS_SCMAXIMIZE              0xEF03
#define AFX_IDS_SCNEXTWINDOW            0xEF04
#define AFX_IDS_SCPREVWINDOW            0xEF05
#define AFX_IDS_SCCLOSE                 0xEF06
#define AFX_IDS_SCRESTORE               0xEF12
#define AFX_IDS_SCTASKLIST              0xEF13
#define AFX_IDS_MDICHILD                0xEF1F

// Document strings
#define AFX_IDS_OPENFILE                0xF000
#define AFX_IDS_SAVEFILE                0xF001
#define AFX_IDS_ALLFILTER               0xF002
#define AFX_IDS_UNTITLED                0xF003
#define AFX_IDS_HIDE                    0xF011

// Prompts
#define AFX_IDP_INVALID_FILENAME        0xF100
#define AFX_IDP_FAILED_TO_OPEN_DOC      0xF101
#define AFX_IDP_FAILED_TO_SAVE_DOC      0xF102
#define AFX_IDP_ASK_TO_SAVE             0xF103
#define AFX_IDP_FAILED_TO_CREATE_DOC    0xF104
#define AFX_IDP_INTERNAL_FAILURE        0xF108
#define AFX_IDP_COMMAND_FAILURE         0xF109
#define AFX_IDP_FAILED_TO_CREATE        0xF182
#define AFX_IDP_FAILED_MEMORY_ALLOC     0xF10A
#define AFX_IDP_PARSE_INT               0xF110
#define AFX_IDP_PARSE_REAL              0xF111
#define AFX_IDP_PARSE_INT_RANGE         0xF112
#define AFX_IDP_PARSE_REAL_RANGE        0xF113
#define AFX_IDP_PARSE_STRING_SIZE       0xF114
#define AFX_IDP_PARSE_UINT              0xF117

// Save and load failures by cause (%1 is the file's path)
#define AFX_IDP_FAILED_INVALID_FORMAT   0xF120
#define AFX_IDP_FAILED_INVALID_PATH     0xF121
#define AFX_IDP_FAILED_DISK_FULL        0xF122
#define AFX_IDP_FAILED_ACCESS_READ      0xF123
#define AFX_IDP_FAILED_ACCESS_WRITE     0xF124
#define AFX_IDP_FAILED_IO_ERROR_READ    0xF125
#define AFX_IDP_FAILED_IO_ERROR_WRITE   0xF126
#define AFX_IDP_NO_ERROR_AVAILABLE      0xF020

// File-error texts (%1 is the file name)
#define AFX_IDP_FILE_NONE               0xF130
#define AFX_IDP_FILE_GENERIC            0xF131
#define AFX_IDP_FILE_NOT_FOUND          0xF132
#define AFX_IDP_FILE_BAD_PATH           0xF133
#define AFX_IDP_FILE_TOO_MANY_OPEN      0xF134
#define AFX_IDP_FILE_ACCESS_DENIED      0xF135
#define AFX_IDP_FILE_INVALID_FILE       0xF136
#define AFX_IDP_FILE_REMOVE_CURRENT     0xF137
#define AFX_IDP_FILE_DIR_FULL           0xF138
#define AFX_IDP_FILE_BAD_SEEK           0xF139
#define AFX_IDP_FILE_HARD_IO            0xF13A
#define AFX_IDP_FILE_SHARING            0xF13B
#define AFX_IDP_FILE_LOCKING            0xF13C
#define AFX_IDP_FILE_DISKFULL           0xF13D
#define AFX_IDP_FILE_EOF                0xF13E

// Character and paragraph commands of the rich-text view (the program's
// menus and bars use these ids).
#define ID_CHAR_BOLD                    32782
#define ID_CHAR_ITALIC                  32783
#define ID_CHAR_UNDERLINE               32784
#define ID_PARA_LEFT                    32785
#define ID_PARA_CENTER                  32786
#define ID_PARA_RIGHT                   32787

// Printing and the print preview window
#define AFX_IDD_PREVIEW_TOOLBAR         30723
#define AFX_IDS_PRINT_FAILED            22050
#define AFX_IDS_NO_PRINTER              22051
#define AFX_IDS_PREVIEW_PAGE            22052
#define AFX_IDS_PREVIEW_TITLE           22053
#define AFX_ID_PREVIEW_PRINT            22060
#define AFX_ID_PREVIEW_NEXT             22061
#define AFX_ID_PREVIEW_PREV             22062
#define AFX_ID_PREVIEW_CLOSE            22063
#define AFX_IDC_PREVIEW_PAGE            22064
#define AFX_ID_PREVIEW_NUMPAGE          22065
#define AFX_IDS_PREVIEW_ONEPAGE         22054
#define AFX_IDS_PREVIEW_TWOPAGE         22055
#define AFX_IDS_PREVIEW_PAGES           22056
