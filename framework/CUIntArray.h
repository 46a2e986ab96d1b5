// Array of UINT values.
#pragma once

#include "framework/CArray.h"

class CUIntArray : public CArray<UINT, UINT>
{
};
