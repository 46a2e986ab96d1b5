// Array of untyped pointers (not owned).
#pragma once

#include "framework/CArray.h"

class CPtrArray : public CArray<void*, void*>
{
};
