// The Start Up page of the Options sheet.
#pragma once

#define IDD_OPTIONS_STARTUP         214
#define IDC_OPT_RELOAD_LAST         1061
#define IDC_OPT_START_IN_TRAY       1062
#define IDC_OPT_SHOW_SPLASH         1063
