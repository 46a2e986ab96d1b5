#pragma once

#include "imaging/PLBmp.h"

// A bitmap of plain top-down, unpadded lines with a separate palette block;
// the temporary of depth conversions and filters.
class PLAnyBmp : public PLBmp
{
public:
    PLAnyBmp();
    PLAnyBmp(const PLAnyBmp& other);
    PLAnyBmp& operator=(const PLBmp& other);
    PLAnyBmp& operator=(const PLAnyBmp& other);
    ~PLAnyBmp() override;

    int64_t StorageBytes() const override;
    int LineBytes() const override;

    uint8_t* GetPixels() const { return m_pPixels; }

protected:
    void CreateStorage(int width, int height, uint16_t bpp, bool alpha) override;
    void FreeStorage() override;
    void FillLineTable() override;

private:
    uint8_t* m_pPixels;
};
