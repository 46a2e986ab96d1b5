// The Logo page of the notebook options.
#pragma once

#define IDD_FILEOPTIONS_LOGO        178
#define IDC_LOGO_CUSTOM             1024
#define IDC_LOGO_CHANGE             1025
