#pragma once

#include "imaging/PLPicDecoder.h"

class PLWinBmp;

// Windows metafiles (WMF, with or without the placeable header) and
// enhanced metafiles (EMF), played through GDI into an off-screen bitmap.
// The kind is told by the data, and the records are checked before GDI
// plays them. Metafiles with a palette give 8 bpp, the others 32 bpp on a
// white background.
class PLWEMFDecoder : public PLPicDecoder
{
public:
    PLWEMFDecoder();
    ~PLWEMFDecoder() override;

    // Largest width or height a metafile is rendered at; larger frames are
    // scaled down to fit.
    static constexpr int kMaxSide = 8192;

protected:
    void DecodeBody(PLDataSource* source, PLBmp* bmp) override;

private:
    static void Render(const uint8_t* data, int size, PLWinBmp* bmp);
};
