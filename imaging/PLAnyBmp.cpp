#include "imaging/PLAnyBmp.h"

#include <cstdlib>
#include <memory>

namespace
{
struct FreeDeleter
{
    void operator()(void* p) const { std::free(p); }
};
} // namespace

PLAnyBmp::PLAnyBmp() : m_pPixels(nullptr)
{
    CreateStorage(16, 16, 8, false);
}

PLAnyBmp::PLAnyBmp(const PLAnyBmp& other) : PLBmp(), m_pPixels(nullptr)
{
    CopyAtDepth(other, 0);
}

PLAnyBmp& PLAnyBmp::operator=(const PLBmp& other)
{
    CopyAtDepth(other, 0);
    return *this;
}

PLAnyBmp& PLAnyBmp::operator=(const PLAnyBmp& other)
{
    CopyAtDepth(other, 0);
    return *this;
}

PLAnyBmp::~PLAnyBmp()
{
    FreeStorage();
}

int PLAnyBmp::LineBytes() const
{
    return int(PackedLineBytes(m_Width, m_bpp));
}

int64_t PLAnyBmp::StorageBytes() const
{
    return int64_t(LineBytes()) * m_Height + 4 * int64_t(GetNumColors()) + int64_t(sizeof(*this));
}

void PLAnyBmp::CreateStorage(int width, int height, uint16_t bpp, bool alpha)
{
    const int64_t lineBytes = PackedLineBytes(width > 0 ? width : 0, bpp);
    const int64_t paletteBytes = 4 * int64_t(PaletteEntries(bpp));
    CheckedStorageBytes(width, height, bpp, lineBytes, paletteBytes);

    std::unique_ptr<uint8_t, FreeDeleter> pixels(AllocZeroed(lineBytes * height));
    std::unique_ptr<uint8_t, FreeDeleter> palette(paletteBytes ? AllocZeroed(paletteBytes) : nullptr);
    std::unique_ptr<uint8_t*, FreeDeleter> lines(AllocLineArray(height));

    FreeStorage();
    m_pPixels = pixels.release();
    m_pPalette = reinterpret_cast<PLPixel32*>(palette.release());
    m_pLineArray = lines.release();
    InitMembers(width, height, bpp, alpha);
}

void PLAnyBmp::FreeStorage()
{
    std::free(m_pPixels);
    std::free(m_pPalette);
    std::free(m_pLineArray);
    m_pPixels = nullptr;
    m_pPalette = nullptr;
    m_pLineArray = nullptr;
}

void PLAnyBmp::FillLineTable()
{
    const int64_t pitch = LineBytes();
    for (int y = 0; y < m_Height; ++y)
        m_pLineArray[y] = m_pPixels + pitch * y;
}
