// The General page of the Options sheet.
#pragma once

#define IDD_OPTIONS_GENERAL         150
#define IDC_OPT_PROMPT_MOVE         1006
#define IDC_OPT_PROMPT_DELETE       1007
#define IDC_OPT_RESIZE_BILINEAR     1008
#define IDC_OPT_SINGLE_CLICK        1009
