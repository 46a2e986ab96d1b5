// Resources of the owner-drawn menu tests.
#pragma once

#define IDR_GM_MENU            21700   // two popup levels, a separator, accelerators
#define IDR_GM_MENUEX          21701   // an extended (version 1) template: refused
#define IDR_GM_TOOLBAR         21702   // 24-bit strip: New, Save, Cut, Copy
#define IDR_GM_TOOLBAR16       21703   // 16-colour strip: Exit, First
#define IDR_GM_BROKEN          21704   // a menu template whose popup never ends
#define IDR_GM_MISSING         21705   // no such toolbar
#define IDR_GM_RECENT          21706   // File menu with the recent-file placeholder

#define ID_GM_NEW              21710
#define ID_GM_SAVE             21711
#define ID_GM_SAVEAS           21712
#define ID_GM_FIRST            21713
#define ID_GM_SECOND           21714
#define ID_GM_EXIT             21715
#define ID_GM_CUT              21716
#define ID_GM_COPY             21717
