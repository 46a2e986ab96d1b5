// The Editor page of the Options sheet.
#pragma once

#define IDD_OPTIONS_EDITOR          215
#define IDC_OPT_WORD_WRAP           1020
#define IDC_OPT_AUTO_WORD_SELECT    1021
#define IDC_OPT_CHANGE_EDITOR_FONT  1062
#define IDC_OPT_CHANGE_IMPORT_FONT  1063
#define IDC_OPT_IMPORT_FONT         1064
#define IDC_OPT_EDITOR_FONT         1065
