// Array of strings.
#pragma once

#include "framework/base/CArray.h"
#include "framework/base/CString.h"

class CStringArray : public CArray<CString, LPCSTR>
{
};
