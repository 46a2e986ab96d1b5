// Array of WORD values.
#pragma once

#include "framework/CArray.h"

class CWordArray : public CArray<WORD, WORD>
{
};
