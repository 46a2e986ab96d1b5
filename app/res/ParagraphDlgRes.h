// The paragraph dialog (alignment and indents of the selected paragraphs).
#pragma once

#define IDD_PARAGRAPH           164
#define IDC_PARA_ALIGNMENT      1011
#define IDC_PARA_LEFT           1014
#define IDC_PARA_RIGHT          1015
