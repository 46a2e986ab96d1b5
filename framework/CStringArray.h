// Array of strings.
#pragma once

#include "framework/CArray.h"
#include "framework/CString.h"

class CStringArray : public CArray<CString, LPCSTR>
{
};
