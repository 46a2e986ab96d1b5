// Resource ids of the framework: its standard commands, its strings and its
// prompts. Program ids stay below 0xE000.
#pragma once

// Strings
#define AFX_IDS_APP_TITLE               0xE000
#define AFX_IDS_IDLEMESSAGE             0xE001

// File commands
#define ID_FILE_NEW                     0xE100
#define ID_FILE_OPEN                    0xE101
#define ID_FILE_CLOSE                   0xE102
#define ID_FILE_SAVE                    0xE103
#define ID_FILE_SAVE_AS                 0xE104

// Prompts and file-error texts (%1 is the file name)
#define AFX_IDP_NO_ERROR_AVAILABLE      0xF020
#define AFX_IDP_FILE_NONE               0xF100
#define AFX_IDP_FILE_GENERIC            0xF101
#define AFX_IDP_FILE_NOT_FOUND          0xF102
#define AFX_IDP_FILE_BAD_PATH           0xF103
#define AFX_IDP_FILE_TOO_MANY_OPEN      0xF104
#define AFX_IDP_FILE_ACCESS_DENIED      0xF105
#define AFX_IDP_FILE_INVALID_FILE       0xF106
#define AFX_IDP_FILE_REMOVE_CURRENT     0xF107
#define AFX_IDP_FILE_DIR_FULL           0xF108
#define AFX_IDP_FILE_BAD_SEEK           0xF109
#define AFX_IDP_FILE_HARD_IO            0xF10A
#define AFX_IDP_FILE_SHARING            0xF10B
#define AFX_IDP_FILE_LOCKING            0xF10C
#define AFX_IDP_FILE_DISKFULL           0xF10D
#define AFX_IDP_FILE_EOF                0xF10E
