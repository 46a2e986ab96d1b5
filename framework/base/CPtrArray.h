// Array of untyped pointers (not owned).
#pragma once

#include "framework/base/CArray.h"

class CPtrArray : public CArray<void*, void*>
{
};
