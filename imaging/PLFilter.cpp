#include "imaging/PLFilter.h"

#include <new>

#include "imaging/PLAnyBmp.h"
#include "imaging/PLTextException.h"

PLFilter::PLFilter() = default;

PLFilter::~PLFilter() = default;

void PLFilter::FilterInPlace(PLBmp* bmp)
{
    try
    {
        PLAnyBmp result;
        Apply(bmp, &result);
        bmp->CopyAtDepth(result, 0);
    }
    catch (const std::bad_alloc&)
    {
        throw PLTextException(PL_ERR_NO_MEMORY, "Out of memory.");
    }
}
