// Map from pointers to pointers (neither owned).
#pragma once

#include "framework/CMap.h"

class CMapPtrToPtr : public CMap<void*, void*, void*, void*>
{
};
