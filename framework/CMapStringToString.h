// Map from strings to strings.
#pragma once

#include "framework/CMap.h"

class CMapStringToString : public CMap<CString, LPCSTR, CString, LPCSTR>
{
};
