// Map from WORD values to pointers (not owned).
#pragma once

#include "framework/CMap.h"

class CMapWordToPtr : public CMap<WORD, WORD, void*, void*>
{
};
