// The About box.
#pragma once

#define IDD_ABOUTBOX            100
#define IDC_ABOUT_LINK          1002
#define IDC_ABOUT_LICENSE       1003
#define IDC_ABOUT_PICTURE       1075
#define IDC_ABOUT_VERSION       1076
