// Map from strings to pointers (not owned).
#pragma once

#include "framework/CMap.h"

class CMapStringToPtr : public CMap<CString, LPCSTR, void*, void*>
{
};
