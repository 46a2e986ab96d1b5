#include "imaging/PLTiffHandle.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <tiffio.h>

#include "imaging/PLBmp.h"
#include "imaging/PLTextException.h"

// The in-memory file behind one TIFF.
struct PLTiffHandle::MemFile
{
    uint8_t* data = nullptr;
    int64_t pos = 0;
    int64_t capacity = 0;  // the data size when reading, the buffer size when writing
    int64_t size = 0;      // bytes in use
    bool write = false;
    bool raiseWhenFull = false;
    std::string lastError;
};

namespace
{
std::atomic<int> g_OpenTiffs(0);

using MemFile = PLTiffHandle::MemFile;

MemFile* FileOf(thandle_t h)
{
    return static_cast<MemFile*>(h);
}

tmsize_t MemTIFFRead(thandle_t h, void* buffer, tmsize_t n)
{
    MemFile* f = FileOf(h);
    if (f->write || n <= 0 || f->pos >= f->size)
        return 0;
    int64_t count = f->size - f->pos;
    if (int64_t(n) < count)
        count = n;
    std::memcpy(buffer, f->data + f->pos, size_t(count));
    f->pos += count;
    return tmsize_t(count);
}

tmsize_t MemTIFFWrite(thandle_t h, void* buffer, tmsize_t n)
{
    MemFile* f = FileOf(h);
    // The data of a TIFF being read belongs to the caller and is not written.
    if (!f->write || n <= 0)
        return 0;
    if (f->raiseWhenFull && int64_t(n) > f->capacity - f->pos)
    {
        f->raiseWhenFull = false;
        throw PLTextException(PL_ERR_END_OF_DATA, "Buffer overflow while encoding.\n");
    }
    if (f->pos >= f->capacity)
        return 0;
    int64_t count = f->capacity - f->pos;
    if (int64_t(n) < count)
        count = n;
    std::memcpy(f->data + f->pos, buffer, size_t(count));
    f->pos += count;
    if (f->pos > f->size)
        f->size = f->pos;
    return tmsize_t(count);
}

toff_t MemTIFFSeek(thandle_t h, toff_t offset, int whence)
{
    MemFile* f = FileOf(h);
    int64_t target;
    const int64_t delta = int64_t(offset);
    switch (whence)
    {
    case SEEK_SET:
        if (offset > uint64_t(INT64_MAX))
            return toff_t(-1);
        target = int64_t(offset);
        break;
    case SEEK_CUR:
        if (__builtin_add_overflow(f->pos, delta, &target))
            return toff_t(-1);
        break;
    case SEEK_END:
        if (__builtin_add_overflow(f->size, delta, &target))
            return toff_t(-1);
        break;
    default:
        return toff_t(-1);
    }
    if (target < 0)
        return toff_t(-1);
    // A position past the end is clipped: reads there return nothing and
    // the library notices that the seek did not land where it asked.
    const int64_t limit = f->write ? f->capacity : f->size;
    if (target > limit)
        target = limit;
    f->pos = target;
    if (f->write && f->pos > f->size)
        f->size = f->pos;
    return toff_t(target);
}

int MemTIFFClose(thandle_t)
{
    return 0;  // the handle owns the memory file
}

toff_t MemTIFFSize(thandle_t h)
{
    return toff_t(FileOf(h)->size);
}

// Data being read is in memory already: hand it to the library as a mapped
// file (it only reads mapped data). libtiff's unmapped path also refuses some
// valid tiled files.
int MemTIFFMap(thandle_t h, void** base, toff_t* size)
{
    MemFile* f = FileOf(h);
    if (f->write)
        return 0;
    *base = f->data;
    *size = toff_t(f->size);
    return 1;
}

void MemTIFFUnmap(thandle_t, void*, toff_t)
{
}

int OnTIFFError(TIFF*, void* user, const char*, const char* format, va_list args)
{
    char text[1024];
    std::vsnprintf(text, sizeof(text), format, args);
    if (user)
        static_cast<MemFile*>(user)->lastError = text;
    return 1;
}

int OnTIFFWarning(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

// Nothing of libtiff may write to the standard error stream: messages that
// bypass the per-handle handlers are dropped.
void SilenceGlobalHandlers()
{
    static const bool done = [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
        return true;
    }();
    (void)done;
}
} // namespace

PLTiffHandle::PLTiffHandle() : m_pFile(new MemFile), m_pTiff(nullptr)
{
}

PLTiffHandle::~PLTiffHandle()
{
    Close();
}

TIFF* PLTiffHandle::OpenTiffInMemory(const uint8_t* data, int64_t size)
{
    Close();
    m_pFile->data = const_cast<uint8_t*>(data);
    m_pFile->capacity = size > 0 ? size : 0;
    m_pFile->size = m_pFile->capacity;
    m_pFile->pos = 0;
    m_pFile->write = false;
    return Open("r");
}

TIFF* PLTiffHandle::OpenTiffInMemory(uint8_t* buffer, int64_t capacity, bool write)
{
    if (!write)
        return OpenTiffInMemory(buffer, capacity);
    Close();
    m_pFile->data = buffer;
    m_pFile->capacity = capacity > 0 ? capacity : 0;
    m_pFile->size = 0;
    m_pFile->pos = 0;
    m_pFile->write = true;
    m_pFile->raiseWhenFull = false;
    return Open("w");
}

TIFF* PLTiffHandle::Open(const char* mode)
{
    SilenceGlobalHandlers();
    m_pFile->lastError.clear();

    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options)
    {
        m_pFile->lastError = "Out of memory opening TIFF.";
        return nullptr;
    }
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(PLBmp::GetMaxBytes()));
    TIFFOpenOptionsSetErrorHandlerExtR(options, OnTIFFError, m_pFile.get());
    TIFFOpenOptionsSetWarningHandlerExtR(options, OnTIFFWarning, m_pFile.get());
    m_pTiff = TIFFClientOpenExt("MemSource", mode, static_cast<thandle_t>(m_pFile.get()), MemTIFFRead,
                                MemTIFFWrite, MemTIFFSeek, MemTIFFClose, MemTIFFSize, MemTIFFMap,
                                MemTIFFUnmap, options);
    TIFFOpenOptionsFree(options);
    if (m_pTiff)
        ++g_OpenTiffs;
    else if (m_pFile->lastError.empty())
        m_pFile->lastError = "Cannot open TIFF data.";
    return m_pTiff;
}

void PLTiffHandle::SetRaiseWhenFull(bool raise)
{
    m_pFile->raiseWhenFull = raise;
}

void PLTiffHandle::Close()
{
    if (!m_pTiff)
        return;
    TIFFClose(m_pTiff);
    m_pTiff = nullptr;
    --g_OpenTiffs;
}

int64_t PLTiffHandle::GetSize() const
{
    return m_pFile->size;
}

const char* PLTiffHandle::GetLastError() const
{
    return m_pFile->lastError.empty() ? "Unknown TIFF error." : m_pFile->lastError.c_str();
}

int PLTiffHandle::GetOpenCount()
{
    return g_OpenTiffs;
}
