// The Spelling dialog (the word, its replacement, suggestions and answers).
#pragma once

#define IDD_SPELLCHECK              213
#define IDC_SPELL_WORD              1002
#define IDC_SPELL_IGNORE            1003
#define IDC_SPELL_REPLACEMENT       1004
#define IDC_SPELL_SUGGESTIONS       1005
#define IDC_SPELL_IGNOREALL         1006
#define IDC_SPELL_ADD               1007
#define IDC_SPELL_CHANGE            1008
#define IDC_SPELL_CANCEL            1012
