// List of untyped pointers (not owned).
#pragma once

#include "framework/CList.h"

class CPtrList : public CList<void*, void*>
{
};
