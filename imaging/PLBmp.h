#pragma once

#include <cstdint>

#include "imaging/PLObject.h"
#include "imaging/PLPixel32.h"
#include "imaging/PLPoint.h"

// The image layer's in-memory picture: size, depth, resolution, palette,
// alpha flag and a line array through which all pixel access goes (line 0
// is the top line). Concrete kinds decide how the lines are stored.
//
// Depths: 1 and 4 (palette index, most significant bits first), 8 (palette
// index), 16 (5-5-5, only from packed DIBs), 24 (blue, green, red) and 32
// (blue, green, red, alpha). Palettes exist at 8 bpp and below.
class PLBmp : public PLObject
{
public:
    PLBmp();
    ~PLBmp() override;

    PLBmp(const PLBmp&) = delete;

    // Replaces the storage. Sizes come from untrusted headers: width or height
    // 0 raises code 2, negative sizes and storage above the limit raise code 10.
    // New storage is zero-filled; palettes start as a grey ramp.
    virtual void Create(int width, int height, uint16_t bpp, bool alpha,
                        const PLPoint& resolution = PLPoint());

    // Pixel storage, palette, header and the object itself.
    virtual int64_t StorageBytes() const = 0;
    virtual int LineBytes() const = 0;

    virtual void Lock(bool readable, bool writable);
    virtual void Unlock();

    // Makes this bitmap a copy of the source at the requested depth
    // (0: the source's depth). Copying a bitmap onto itself is allowed.
    // True colour reduced to 8 bpp goes through the quantiser with this
    // bitmap's palette and dither modes (SetReductionMode).
    void CopyAtDepth(const PLBmp& source, uint16_t bpp);

    int GetWidth() const { return m_Width; }
    int GetHeight() const { return m_Height; }
    PLPoint GetSize() const { return PLPoint(m_Width, m_Height); }
    uint16_t GetBitsPerPixel() const { return m_bpp; }
    PLPoint GetResolution() const { return m_Resolution; }
    void SetResolution(const PLPoint& res) { m_Resolution = res; }
    bool HasAlpha() const { return m_bAlphaChannel; }
    void SetHasAlpha(bool alpha) { m_bAlphaChannel = alpha; }
    int GetLockCount() const { return m_LockCount; }

    uint8_t** GetLineArray() const { return m_pLineArray; }
    PLPixel32** GetLineArray32() const { return reinterpret_cast<PLPixel32**>(m_pLineArray); }

    // Palette: 2^bpp entries at 8 bpp and below, else null.
    PLPixel32* GetPalette() const { return m_pPalette; }
    int GetNumColors() const;
    void SetPalette(const PLPixel32* entries);
    void SetPaletteEntry(int index, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255);
    void CopyPaletteFrom(const PLBmp& other);
    void SetGreyRamp();

    // Writes the bytes of an 8-bpp bitmap of the same size into the alpha
    // bytes of this 32-bpp bitmap and sets the alpha flag.
    void PutAlphaChannel(const PLBmp& alphaBmp);

    // Clears the alpha flag of a 32-bpp bitmap whose alpha bytes are all 0:
    // such alpha carries no meaning (it would make the picture invisible).
    void DropEmptyAlpha();

    int FindNearestColour(const PLPixel32& colour) const;

    bool NearlyEqual(const PLBmp& other, int tolerance) const;
    bool operator==(const PLBmp& other) const { return NearlyEqual(other, 0); }

    void SetReductionMode(int ditherType, int paletteMode);
    int GetDitherType() const { return m_DitherType; }
    int GetPaletteMode() const { return m_DitherPaletteType; }

    // The colour of pixel x of one of this bitmap's lines, at any depth.
    PLPixel32 GetPixelColour(const uint8_t* line, int x) const;

    // Largest storage one bitmap may take (bytes). Settable so that tests and
    // callers can keep hostile headers from taking all memory.
    static void SetMaxBytes(int64_t maxBytes);
    static int64_t GetMaxBytes();

    // Raises the errors that creating a bitmap of this size would raise,
    // without allocating anything (decoders check before libraries allocate).
    static void CheckDimensions(int64_t width, int64_t height, int bpp);

    // Bytes of one unpadded line: width x bpp / 8 rounded up.
    static int64_t PackedLineBytes(int64_t width, int bpp);
    static int PaletteEntries(int bpp);

protected:
    // Allocates zeroed storage for the depth, frees the old storage and calls
    // InitMembers. On failure the old storage is kept.
    virtual void CreateStorage(int width, int height, uint16_t bpp, bool alpha) = 0;
    virtual void FreeStorage() = 0;
    virtual void FillLineTable() = 0;

    void InitMembers(int width, int height, uint16_t bpp, bool alpha);

    // Validates a request; returns the bytes that the pixel storage plus the
    // line array take, given the line length the concrete kind uses.
    static int64_t CheckedStorageBytes(int64_t width, int64_t height, int bpp,
                                       int64_t lineBytes, int64_t extraBytes);

    // Allocation helpers that raise code 10 instead of returning null.
    static uint8_t* AllocZeroed(int64_t bytes);
    static uint8_t** AllocLineArray(int height);

    int m_Width;
    int m_Height;
    uint16_t m_bpp;
    PLPoint m_Resolution;
    PLPixel32* m_pPalette;
    bool m_bAlphaChannel;
    uint8_t** m_pLineArray;
    int m_LockCount;
    int m_DitherType;
    int m_DitherPaletteType;

private:
    void CopyPixels(const PLBmp& source);
    void CopyTo1Bit(const PLBmp& source);
    void CopyTo8Bit(const PLBmp& source);
    void CopyToTrueColour(const PLBmp& source);
};
