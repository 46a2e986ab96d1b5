// Strings of the widget kit.
#pragma once

#define IDS_FILEDLG_TOO_MANY_FILES      21900
#define IDS_FILEDLG_FAILED              21901
