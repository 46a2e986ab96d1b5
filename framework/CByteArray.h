// Array of bytes.
#pragma once

#include "framework/CArray.h"

class CByteArray : public CArray<BYTE, BYTE>
{
};
