#pragma once

#include <cstddef>

#include "imaging/PLBmp.h"
#include "imaging/PLDibTypes.h"

#ifdef _WIN32
#include <windows.h>
#endif

// A bitmap kept as one packed device-independent bitmap: a 40-byte header,
// the colour table (at 8 bpp and below) and bottom-up lines padded to 4
// bytes, in one block that GDI and the clipboard take as it is. This is the
// bitmap the rest of the program holds.
class PLWinBmp : public PLBmp
{
public:
    PLWinBmp();
    PLWinBmp(const PLWinBmp& other);
    PLWinBmp& operator=(const PLBmp& other);
    PLWinBmp& operator=(const PLWinBmp& other);
    ~PLWinBmp() override;

    int64_t StorageBytes() const override;
    int LineBytes() const override;

    // The DIB block (header first) and the pixel bits inside it.
    PLBitmapInfo* GetBitmapInfo() const { return reinterpret_cast<PLBitmapInfo*>(m_pDib); }
    uint8_t* GetBits() const { return m_pBits; }
    int64_t GetDibBlockBytes() const { return m_DibBytes; }

    // Sizes for a given width, height and depth.
    static int64_t GetLineBytes(int64_t width, int bpp);
    static int64_t GetBitsBytes(int64_t width, int64_t height, int bpp);
    static int64_t GetDibBlockBytes(int64_t width, int64_t height, int bpp);

    // Builds the bitmap from a packed DIB of the given length (a resource, the
    // clipboard). The header size, the colour count and bit-field masks are
    // honoured, and nothing past the block is read: lines the block does not
    // hold stay zero.
    void CreateFromPackedDib(const void* dib, size_t bytes);

    // Draws a 8- or 32-bpp source onto this 32-bpp bitmap at (x, y), counted
    // in memory line order from the first stored line; blends by the source's
    // alpha when it has an alpha flag.
    void DrawBlended(const PLWinBmp& source, int x, int y);

#ifdef _WIN32
    // Windows-bound operations (drawing, resources, the clipboard).
    void LoadFromResource(HINSTANCE module, int resourceId);
    void CreateFromBitmapHandle(HBITMAP bitmap);
    void CreateFromDibWithPalette(const void* dib, size_t bytes, HPALETTE palette);
    void Draw(HDC dc, int x, int y, DWORD rop = SRCCOPY) const;
    void DrawStretched(HDC dc, int x, int y, int width, int height, DWORD rop = SRCCOPY) const;
    void DrawAtScale(HDC dc, int x, int y, double factor, DWORD rop = SRCCOPY) const;
    void DrawRegion(HDC dc, int x, int y, int left, int top, int right, int bottom) const;
    HGLOBAL DuplicateDibBlock() const;
    bool PutOnClipboard() const;
    bool TakeFromClipboard(UINT format);
#endif

protected:
    void CreateStorage(int width, int height, uint16_t bpp, bool alpha) override;
    void FreeStorage() override;
    void FillLineTable() override;
    void LocateDibParts();

private:
    uint8_t* m_pDib;
    uint8_t* m_pBits;
    int64_t m_DibBytes;
};
