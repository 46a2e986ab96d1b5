// Resource ids of the program (menus, toolbars, icons, bitmaps, strings,
// commands). Dialog ids are in the header of each dialog. The core's string
// ids (core/res/CoreRes.h) and the framework's (>= 0xE000) are not used here.
#pragma once

// Frames, menus, toolbars
#define IDR_MAINFRAME                   128   // main frame: menu, accelerators, icon, toolbar "Standard"
#define IDR_QLCTYPE                     129   // notebook document: template string, menu, accelerators, icon
#define IDR_FORMATBAR                   145   // toolbar "Formatting" and its pictures
#define IDR_CNTR_INPLACE                157   // menu while an embedded object is active in place
#define IDR_UNDERLINE_POPUP             160   // "POPUP_UNDERLINE": underline types
#define IDR_BOOKMARK_POPUP              186   // context menu of the bookmark list
#define IDR_TRAY_MENU                   205
#define IDR_RICHEDIT_POPUP              227   // context menu of a note
#define IDR_TOOLBAR_IMAGE               231
#define IDR_QLCTREE_POPUP               132   // "QLCTREE_POPUP": context menu of the node tree
#define IDR_QLCTREE_DRAGPOPUP           147   // "QLCTREE_DRAGPOPUP": the menu of a right drag in the node tree
#define IDR_TREE_POPUP_TOOLBAR          210   // pictures of the node tree's context menu
#define IDR_MENU_PICTURES               206   // pictures of the notebook window's menu only
#define IDR_POPUP_TASKS                 217   // "IDR_POPUP_TASKS": context menu of the task list

// Docking panes (control bar ids)
#define IDW_TASKS_BAR                   126   // the notebook window's Tasks bar
#define IDW_HELP_BAR                    127   // the main frame's Help Bar
#define IDC_TASK_LIST                   21890 // the task list inside the Tasks bar

// Bitmaps
#define IDB_SPLASH                      102   // splash screen and About box picture
#define IDB_DEFAULT_LOGO                131   // notebook logo when a notebook has none
#define IDB_FONTCOLOUR_BASE             155   // the Font Colour button's picture above its colour bar
#define IDB_HIGHLIGHT_BASE              156   // the Font Highlight button's picture above its colour bar

// Font list images
#define IDI_FONT_PRINTER                151
#define IDI_FONT_TRUETYPE               152

// Tree and task images
#define IDI_TREE_SHOWN_MARK             162
#define IDI_TREE_PATH_MARK              143
#define IDI_TREE_NOTE                   133
#define IDI_TREE_FOLDER                 171
#define IDI_TREE_FOLDER_OPEN            172
#define IDI_TREE_EMPTY                  136
#define IDI_TREE_IMAGE                  137
#define IDI_TREE_HTML                   189
#define IDI_TREE_FOREIGN                225
#define IDI_TREE_NOTE_CUT               177
#define IDI_TREE_FOLDER_CUT             173
#define IDI_TREE_FOLDER_OPEN_CUT        174
#define IDI_TREE_EMPTY_CUT              176
#define IDI_TREE_IMAGE_CUT              175
#define IDI_TREE_HTML_CUT               190
#define IDI_TREE_FOREIGN_CUT            226
#define IDI_TREE_BOOKMARK               203
#define IDI_TREE_KEYWORD                202
#define IDI_TREE_OVERLAY_3              185
#define IDI_TREE_OVERLAY_LOCK           198
#define IDI_TREE_OVERLAY_TASK           223
#define IDI_TASK_OPEN                   221
#define IDI_TASK_DONE                   219
#define IDI_TASK_LATE                   220
#define IDI_TASK_OVERLAY_LINK           224

// Commands
#define ID_VIEW_TOOLBAR_STANDARD        32798
#define ID_VIEW_TOOLBAR_FORMATTING      32799
#define ID_VIEW_TOOLBAR_IMAGE           32867
#define ID_HELP_HELPBAR                 32797
#define ID_TOOLS_OPTIONS                32800
#define ID_FORMAT_FONTNAME              32780   // the Formatting bar's font list
#define ID_FORMAT_FONTSIZE              32781   // the Formatting bar's size list
#define ID_FORMAT_FONTCOLOUR            32788
#define ID_FORMAT_HIGHLIGHT             32803
#define ID_HELP_WEB_HOME                32810
#define ID_HELP_WEB_UPGRADE             32811
#define ID_HELP_WEB_BUGREPORT           32812
#define ID_FORMAT_PARAGRAPH             32820
#define ID_FILE_PROPERTIES              32827
#define ID_TREE_REFRESH                 32830
#define ID_TREE_BATCHEXPORT             32831
#define ID_TREE_COLLAPSEALL             32793
#define ID_TREE_EXPANDALL               32794
#define ID_EDIT_FINDINNODES             32844
#define ID_FILE_SENDTOTRAY              32845
#define ID_TRAY_RESTORE                 32846
#define ID_TRAY_EXIT                    32847
#define ID_TOOLS_CHECKSPELLING          32861
#define ID_VIEW_TASKBAR                 32862
#define ID_IMAGE_ROTATECW               32877
#define ID_IMAGE_ROTATEACW              32878
#define ID_IMAGE_ZOOM                   32881
#define ID_IMAGE_SCALETOFIT             32882
#define ID_VIEW_ALWAYSONTOP             32885
#define ID_TOOLS_DIVIDEBYZERO           32886
#define ID_VIEW_MAINTREE                32887
#define ID_VIEW_BOOKMARKS               32888

// Node tree commands
#define ID_QLCPOPUP_NEWNOTE             32772
#define ID_QLCPOPUP_NEWFOLDER           32773
#define ID_QLCPOPUP_DELETE              32774
#define ID_QLCPOPUP_RENAME              32775
#define ID_QLCPOPUP_CUT                 32776
#define ID_QLCPOPUP_COPY                32777
#define ID_QLCPOPUP_PASTE               32778
#define ID_QLCPOPUP_IMPORTIMAGES        32817
#define ID_QLCPOPUP_EXPORT              32822
#define ID_QLCPOPUP_IMPORTNOTES         32825
#define ID_QLCPOPUP_ADDTOBOOKMARKS      32833
#define ID_QLCPOPUP_PROPERTIES          32837
#define ID_QLCPOPUP_IMPORTHTML          32838
// (the Image toolbar's toggle has 32867: the tree's command keeps its own id)
#define ID_QLCPOPUP_ADDTOEXISTINGTASK   22400
#define ID_QLCPOPUP_ADDTONEWTASK        32868
#define ID_QLCPOPUP_REMOVETASKLINK      32872
#define ID_QLCPOPUP_IMPORTFOREIGNDATA   32873

// Node tree drag menu commands
#define ID_QLCDRAG_MOVEHERE             32790
#define ID_QLCDRAG_COPYHERE             32791
#define ID_QLCDRAG_CANCEL               32792

// Task list commands
#define ID_TASK_NEW                     32864
#define ID_TASK_EDIT                    32865
#define ID_TASK_DELETE                  32866
#define ID_TASK_OPENNODE                32869

// Bookmark list commands
#define ID_BOOKMARK_DELETE              32834
#define ID_BOOKMARK_RENAME              32836

// Note formatting commands (Bold, Italic, Underline and the Left, Center and
// Right alignments are the framework's ID_CHAR_* and ID_PARA_*)
#define ID_PARA_JUSTIFY                 32801
#define ID_CHAR_STRIKEOUT               32802
#define ID_PARA_BULLETS                 32804
#define ID_PARA_INDENTLESS              32805
#define ID_PARA_INDENTMORE              32806
#define ID_CHAR_UNDERLINE_SINGLE        32814
#define ID_CHAR_UNDERLINE_DOUBLE        32815
#define ID_CHAR_UNDERLINE_DOTTED        32816

// Strings with fixed ids
#define IDS_OLE_INIT_FAILED             100
#define IDS_SOCKETS_INIT_FAILED         104
#define IDS_ABOUT_MAILTO                1001
#define IDS_REGISTRY_KEY                1006
#define IDS_SETTINGS_SECTION            1008
#define IDS_LIBRARY_MISSING             1009
#define IDS_RICHED_MISSING              1010
#define IDS_ENCRYPTION_UNAVAILABLE      1013
#define IDS_NODE_ENCRYPTION_UNAVAILABLE 1014
#define IDS_ACCESS_DENIED               1016

// The program's own strings (1100-1999; never the core's 7000-7999)
#define IDS_TOOLBAR_STANDARD            1100
#define IDS_TOOLBAR_IMAGE               1101
#define IDS_SPLASH_FAILED               1102
#define IDS_ABOUT_CAPTION_PREFIX        1103
#define IDS_LICENSE_MISSING             1104
#define IDS_WEB_HOME                    1105
#define IDS_WEB_UPGRADE                 1106
#define IDS_WEB_BUGREPORT               1107
#define IDS_PASSWORD_CAPTION            1110
#define IDS_PASSWORD_RETYPE_MISMATCH    1111
#define IDS_PASSWORD_INCORRECT          1112
#define IDS_PASSWORD_NEW_EMPTY          1113
#define IDS_PASSWORD_TITLE_NEW          1114
#define IDS_PASSWORD_TITLE_CONFIRM      1115
#define IDS_PASSWORD_TITLE_ENTER        1116
#define IDS_PASSWORD_LABEL_OLD          1117
#define IDS_PASSWORD_LABEL_CONFIRM      1118
#define IDS_PASSWORD_LABEL_ENTER        1119
#define IDS_OPTIONS_CHANGED_MESSAGE     1120
#define IDS_TASKBAR_CREATED_MESSAGE     1121
#define IDS_NODE_LOAD_FAILED            1130
#define IDS_FOREIGN_DATA                1131
#define IDS_FOREIGN_DATA_CAPTION        1132
#define IDS_UNKNOWN_NODE_TYPE           1133
#define IDS_UNKNOWN_NODE_TYPE_CAPTION   1134
#define IDS_BOOKMARK_NAME_EMPTY         1135
#define IDS_NODE_DELETE_CONFIRM         1136
#define IDS_NODE_DELETE_CAPTION         1137
#define IDS_NODE_NAME_EMPTY             1138
#define IDS_STATUS_DECOMPRESSING        1139
#define IDS_STATUS_SAVING_NOTE          1140
// Spell checking and the Options sheet
#define IDS_SPELL_CAPTION               22200
#define IDS_SPELL_CHOOSE_LANGUAGE       22201
#define IDS_SPELL_NO_DICTIONARY         22202
#define IDS_SPELL_COMPLETE              22203
#define IDS_SPELL_CANCELLED             22204
#define IDS_SPELL_NO_SUGGESTIONS        22205
#define IDS_OPTIONS_CAPTION             22206
#define IDS_OPTIONS_FONT_LABEL          22207
// Image view
#define IDC_ZOOM_CURSOR                 104   // cursor over an image in zoom mode
#define IDS_STATUS_LOADING_IMAGE        22000
#define IDS_STATUS_RESIZING_IMAGE       22001
// Notebook options, encryption settings and node properties
#define IDS_FILE_PROPERTIES_CAPTION     22300
#define IDS_NEW_PASSWORD_CAPTION        22301
#define IDS_CRYPT_UNKNOWN_CIPHER        22302
#define IDS_CRYPT_UNKNOWN_HASH          22303
#define IDS_CRYPT_STRENGTH              22304
#define IDS_CRYPT_SETTINGS_CAPTION      22305
#define IDS_CRYPT_CHOOSE_CIPHER         22306
#define IDS_CRYPT_CHOOSE_HASH           22307
#define IDS_CHANGE_LOGO_TITLE           22308
#define IDS_CHANGE_LOGO_FILTER          22309
#define IDS_LOGO_UNREADABLE             22310
#define IDS_KEYWORD_EMPTY               22311
#define IDS_KEYWORD_EXISTS              22312
#define IDS_KEYWORD_CAPTION             22313
#define IDS_CHANGE_PASSWORD_NOTE        22314
#define IDS_CHANGE_PASSWORD_CAPTION     22315
#define IDS_NODE_PROPERTIES_CAPTION     22316
#define IDS_NODE_CRYPT_FAILED           22317
#define IDS_TASK_COLUMN_TASK            21800
#define IDS_TASK_COLUMN_PRIORITY        21801
#define IDS_TASK_COLUMN_DUE             21802
#define IDS_TASK_COLUMN_NOTES           21803
#define IDS_PRIORITY_IDLE               21804
#define IDS_PRIORITY_LOW                21805
#define IDS_PRIORITY_NORMAL             21806
#define IDS_PRIORITY_HIGH               21807
#define IDS_PRIORITY_URGENT             21808
#define IDS_TASK_UNKNOWN                21809
#define IDS_TASK_ADD_CAPTION            21810
#define IDS_TASKS_BAR_TITLE             21811
#define IDS_HELP_BAR_TITLE              21812
#define IDS_TASK_DATE_RANGE             21813
#define IDS_TAB_MAIN                    21250
#define IDS_TAB_BOOKMARKS               21251
#define IDS_TREE_EMPTY                  21252
#define IDS_ALIGN_LEFT                  21253
#define IDS_ALIGN_CENTER                21254
#define IDS_ALIGN_RIGHT                 21255
#define IDS_ALIGN_JUSTIFY               21256

// Moving and copying in the node tree (22450-22499)
#define IDS_NODE_MOVE_CONFIRM           22450
#define IDS_NODE_MOVE_CAPTION           22451
#define IDS_NODE_MOVE_FAILED            22452
#define IDS_NODE_COPY_FAILED            22453

// The Formatting bar and the colour popup (22760-22799)
#define IDS_TOOLBAR_FORMATTING          22760
#define IDS_COLOUR_AUTOMATIC            22761
#define IDS_COLOUR_MORE                 22762
// Imports, exports and the processing dialog (21910-21949)
#define IDS_PROCESSING_CANCELLING       21910
#define IDS_PROCESSING_COUNTDOWN        21911
#define IDS_PROCESSING_NOT_RESPONDING   21912
#define IDS_PROCESSING_IMPORT_CAPTION   21913
#define IDS_PROCESSING_TERMINATED       21914
#define IDS_IMPORT_DATA_FAILED          21915
#define IDS_IMPORT_DATA_FAILED_CAPTION  21916
#define IDS_IMPORT_NOTES_TITLE          21917
#define IDS_IMPORT_IMAGES_TITLE         21918
#define IDS_IMPORT_IMAGES_FILTER        21919
#define IDS_IMPORT_FOREIGN_TITLE        21920
#define IDS_IMPORT_FOREIGN_FILTER       21921
#define IDS_IMPORT_HTML_TITLE           21922
#define IDS_IMPORT_HTML_FILTER          21923
#define IDS_EXPORT_DESTINATION_TITLE    21924
#define IDS_EXPORT_DESTINATION_INVALID  21925
// Crash handling (22500-22599)
#define IDS_CRASH_FATAL                 22500
#define IDS_CRASH_SEND_FILES            22501
#define IDS_CRASH_SAVE_OFFER            22502
#define IDS_CRASH_RECOVERED_NAME        22503
#define IDS_CRASH_REPLACE_FILE          22504
// The node tree's clipboard and commands (22400-22449)
#define IDS_TASK_ALREADY_LINKED         22401
#define IDS_PASTE_INTO_OWN_BRANCH       22402
#define IDS_PASTE_SOURCE_GONE           22403
#define IDS_PASTE_INCOMPLETE            22404
#define IDS_PASTE_INCOMPLETE_CUT        22405
// Files and folders: the folder browser, the command line, damaged notes (23200-23299)
#define IDS_FOLDER_NOT_FOUND            23200
#define IDS_FOLDER_NOT_FULL_PATH        23201
