// List of strings.
#pragma once

#include "framework/base/CList.h"
#include "framework/base/CString.h"

class CStringList : public CList<CString, LPCSTR>
{
};
