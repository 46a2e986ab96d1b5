// A 16-colour bitmap resource loaded with the standard button colours of its
// colour table (black, dark grey, light grey, white) replaced by the
// system's button text, shadow, face and highlight colours.
#pragma once

#include "framework/base/AfxDefs.h"

HBITMAP AFXAPI AfxLoadSysColorBitmap(HINSTANCE hInst, HRSRC hRsrc, BOOL bMono = FALSE);
