// The Sorting page of the notebook options (folder arrangement, order, numbers).
#pragma once

#define IDD_FILEOPTIONS_SORT        166
#define IDC_SORT_FOLDERS_FIRST      1015   // group: folders first, last, mixed (0, 1, 2)
#define IDC_SORT_FOLDERS_LAST       1016
#define IDC_SORT_FOLDERS_NONE       1017
#define IDC_SORT_A_TO_Z             1018   // group: A to Z, Z to A (0, 1)
#define IDC_SORT_Z_TO_A             1019
#define IDC_SORT_NUMERICAL          1020
