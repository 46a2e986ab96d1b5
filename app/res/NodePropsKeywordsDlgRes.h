// The Keywords page of the node properties.
#pragma once

#define IDD_NODEPROPS_KEYWORDS      204
#define IDC_KEYWORD_LIST            1050
#define IDC_KEYWORD_EDIT            1059
#define IDC_KEYWORD_ADD             1060
#define IDC_KEYWORD_REMOVE          1061
