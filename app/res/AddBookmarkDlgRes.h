// The Add Bookmark dialog (the name of a new bookmark).
#pragma once

#define IDD_ADD_BOOKMARK        184
#define IDC_BOOKMARK_NAME       1028
