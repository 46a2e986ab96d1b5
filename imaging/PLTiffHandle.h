#pragma once

#include <cstdint>
#include <memory>
#include <string>

typedef struct tiff TIFF;

// libtiff over memory only: the TIFF decoder reads a data source's bytes and
// the TIFF encoder writes into a sink's buffer. The handle owns the TIFF and
// closes it on every path; library messages are kept per handle.
class PLTiffHandle
{
public:
    PLTiffHandle();
    ~PLTiffHandle();

    PLTiffHandle(const PLTiffHandle&) = delete;
    PLTiffHandle& operator=(const PLTiffHandle&) = delete;

    // Opens size bytes for reading; null when the data is not a TIFF (the
    // reason is in GetLastError).
    TIFF* OpenTiffInMemory(const uint8_t* data, int64_t size);
    // Opens a buffer of the given capacity for writing; GetSize tells how
    // many bytes the TIFF takes.
    TIFF* OpenTiffInMemory(uint8_t* buffer, int64_t capacity, bool write);

    TIFF* Get() const { return m_pTiff; }
    int64_t GetSize() const;
    const char* GetLastError() const;

    // While set, a write that does not fit the buffer raises code 11 through
    // libtiff instead of returning a short count. Only for scanline and tile
    // writes, which keep no temporary memory of their own; it disarms itself
    // after raising so that closing the TIFF does not raise again.
    void SetRaiseWhenFull(bool raise);

    // TIFFClose (writes pending data in write mode); safe to call twice.
    void Close();

    // TIFFs opened here and not yet closed, over all handles.
    static int GetOpenCount();

    struct MemFile;

private:
    TIFF* Open(const char* mode);

    std::unique_ptr<MemFile> m_pFile;
    TIFF* m_pTiff;
};
