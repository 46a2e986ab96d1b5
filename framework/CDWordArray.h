// Array of DWORD values.
#pragma once

#include "framework/CArray.h"

class CDWordArray : public CArray<DWORD, DWORD>
{
};
