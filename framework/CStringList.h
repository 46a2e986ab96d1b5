// List of strings.
#pragma once

#include "framework/CList.h"
#include "framework/CString.h"

class CStringList : public CList<CString, LPCSTR>
{
};
