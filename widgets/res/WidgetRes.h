// String ids of the reusable controls (22700-22799, the file dialog 21900-21909). The controls' own texts
// live in the widget library's string table so every program that links the
// controls shows the same words.
#pragma once

// Names of the colour popup's 40 palette cells, in cell order.
#define IDS_COLOUR_NAME_FIRST           22700
#define IDS_COLOUR_NAME_LAST            22739

// The colour popup's tooltip of a custom cell.
#define IDS_COLOUR_TIP_FORMAT           22740

// A hyperlink that could not be opened: the heading and one text per code.
#define IDS_LINK_OPEN_FAILED            22741
#define IDS_LINK_ERR_OUT_OF_RESOURCES   22742
#define IDS_LINK_ERR_FILE_NOT_FOUND     22743
#define IDS_LINK_ERR_PATH_NOT_FOUND     22744
#define IDS_LINK_ERR_ACCESS_DENIED      22745
#define IDS_LINK_ERR_OUT_OF_MEMORY      22746
#define IDS_LINK_ERR_BAD_FORMAT         22747
#define IDS_LINK_ERR_SHARING            22748
#define IDS_LINK_ERR_ASSOC_INCOMPLETE   22749
#define IDS_LINK_ERR_DDE_TIMEOUT        22750
#define IDS_LINK_ERR_DDE_FAIL           22751
#define IDS_LINK_ERR_DDE_BUSY           22752
#define IDS_LINK_ERR_NO_ASSOC           22753
#define IDS_LINK_ERR_DLL_NOT_FOUND      22754
#define IDS_LINK_ERR_UNKNOWN            22755

// The extended file dialog.
#define IDS_FILEDLG_TOO_MANY_FILES      21900
#define IDS_FILEDLG_FAILED              21901
