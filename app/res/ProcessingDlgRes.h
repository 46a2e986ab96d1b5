// The processing dialog shown while an import or export runs.
#pragma once

#define IDD_PROCESSING              162
#define IDC_PROCESSING_PROGRESS     1007
#define IDC_PROCESSING_STATUS       1010
#define IDC_PROCESSING_ITEM         1011
#define IDC_PROCESSING_CANCELLING   1012
