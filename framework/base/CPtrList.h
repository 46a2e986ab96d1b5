// List of untyped pointers (not owned).
#pragma once

#include "framework/base/CList.h"

class CPtrList : public CList<void*, void*>
{
};
