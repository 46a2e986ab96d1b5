// A string array that sorts itself in byte order of the multibyte strings
// (case matters), as the font list shows its faces.
#pragma once

#include "framework/base/CStringArray.h"

class CSortableStringArray : public CStringArray
{
public:
    void Sort();
};
