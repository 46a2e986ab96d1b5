// The Spelling page of the Options sheet.
#pragma once

#define IDD_OPTIONS_SPELLING        216
#define IDC_OPT_LANGUAGE            1066
#define IDC_OPT_DOWNLOAD_LINK       1067
