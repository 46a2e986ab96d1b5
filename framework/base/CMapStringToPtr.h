// Map from strings to pointers (not owned).
#pragma once

#include "framework/base/CMap.h"

class CMapStringToPtr : public CMap<CString, LPCSTR, void*, void*>
{
};
