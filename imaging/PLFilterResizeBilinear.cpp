#include "imaging/PLFilterResizeBilinear.h"

#include <new>

#include "imaging/C2PassScale.h"
#include "imaging/CDataRGBA_UBYTE.h"
#include "imaging/PLAnyBmp.h"
#include "imaging/PLBilinearContribDef.h"
#include "imaging/PLTextException.h"

PLFilterResizeBilinear::PLFilterResizeBilinear(int newWidth, int newHeight)
    : PLFilterResize(newWidth, newHeight)
{
}

PLFilterResizeBilinear::~PLFilterResizeBilinear() = default;

void PLFilterResizeBilinear::Apply(PLBmp* source, PLBmp* dest)
{
    if (source == dest)
    {
        FilterInPlace(dest);
        return;
    }
    if (source->GetBitsPerPixel() != 32)
        throw PLTextException(PL_ERR_UNSUPPORTED, "Resizing needs a 32 bpp bitmap.");
    if (source->GetWidth() < 1 || source->GetHeight() < 1)
        throw PLTextException(PL_ERR_FORMAT, "Cannot resize an empty bitmap.");

    const int newWidth = m_NewWidth > 0 ? m_NewWidth : 1;
    const int newHeight = m_NewHeight > 0 ? m_NewHeight : 1;
    try
    {
        dest->Create(newWidth, newHeight, 32, source->HasAlpha(), source->GetResolution());

        PLBilinearContribDef contrib(0.64);
        C2PassScale<CDataRGBA_UBYTE> scaler(contrib);
        typedef CDataRGBA_UBYTE::Pixel Pixel;

        PLAnyBmp between;
        between.Create(newWidth, source->GetHeight(), 32, false);
        source->Lock(true, false);
        dest->Lock(false, true);
        scaler.ScaleHorizontal(reinterpret_cast<Pixel**>(source->GetLineArray()), source->GetWidth(),
                               source->GetHeight(), reinterpret_cast<Pixel**>(between.GetLineArray()),
                               newWidth);
        if (!scaler.IsCanceled())
            scaler.ScaleVertical(reinterpret_cast<Pixel**>(between.GetLineArray()), newWidth,
                                 source->GetHeight(), reinterpret_cast<Pixel**>(dest->GetLineArray()),
                                 newHeight);
        dest->Unlock();
        source->Unlock();
    }
    catch (const std::bad_alloc&)
    {
        throw PLTextException(PL_ERR_NO_MEMORY, "Out of memory.");
    }
}
