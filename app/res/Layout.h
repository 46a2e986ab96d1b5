// Layout shared by the program's dialogs (dialog units).
#pragma once

#define QLC_DLG_FONT_SIZE       8
#define QLC_DLG_FONT_FACE       "MS Shell Dlg"
#define QLC_DLG_STYLE           DS_SETFONT | DS_MODALFRAME | DS_3DLOOK | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU
#define QLC_PAGE_STYLE          DS_SETFONT | DS_3DLOOK | WS_CHILD | WS_CAPTION | WS_DISABLED
#define QLC_MARGIN              7
#define QLC_BUTTON_WIDTH        50
#define QLC_BUTTON_HEIGHT       14
#define QLC_EDIT_HEIGHT         14
#define QLC_LABEL_HEIGHT        8
#define QLC_ROW                 18   // distance between rows of label and edit

#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif
