#include "imaging/PLPicEncoder.h"

#include <climits>
#include <new>

#include "imaging/PLAnyBmp.h"
#include "imaging/PLDataSink.h"
#include "imaging/PLFileSink.h"
#include "imaging/PLPicDecoder.h"
#include "imaging/PLTextException.h"

PLPicEncoder::PLPicEncoder() = default;

PLPicEncoder::~PLPicEncoder() = default;

void PLPicEncoder::ThrowError(int code, const std::string& message)
{
    PLPicDecoder::ThrowError(code, message);
}

bool PLPicEncoder::CanEncodeDepth(int bpp) const
{
    return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24 || bpp == 32;
}

int64_t PLPicEncoder::CapacityForStorage(int64_t storageBytes)
{
    if (storageBytes > 19999)
        return int64_t(double(storageBytes) * 1.2);
    return storageBytes + 4096;
}

int64_t PLPicEncoder::GetOutputCapacity(const PLBmp& bmp) const
{
    if (CanEncodeDepth(bmp.GetBitsPerPixel()))
        return CapacityForStorage(bmp.StorageBytes());
    // The 32-bpp copy that will actually be encoded.
    const int64_t pixels = PLBmp::PackedLineBytes(bmp.GetWidth(), 32) * bmp.GetHeight();
    return CapacityForStorage(pixels + int64_t(sizeof(PLAnyBmp)));
}

PLBmp* PLPicEncoder::Prepare(PLBmp* bmp, PLAnyBmp& converted) const
{
    if (CanEncodeDepth(bmp->GetBitsPerPixel()))
        return bmp;
    converted.CopyAtDepth(*bmp, 32);
    return &converted;
}

void PLPicEncoder::EncodeToFile(const char* path, PLBmp* bmp)
{
    try
    {
        PLAnyBmp converted;
        PLBmp* source = Prepare(bmp, converted);
        const int64_t capacity = CapacityForStorage(source->StorageBytes());
        if (capacity > INT_MAX)
            ThrowError(PL_ERR_NO_MEMORY, "Image too large to encode.");
        PLFileSink sink;
        if (sink.Open(path, int(capacity)) != 0)
            ThrowError(-1, std::string("Opening ") + (path ? path : "") + " failed");
        EncodeBody(source, &sink);
        sink.Close();
    }
    catch (const std::bad_alloc&)
    {
        throw PLTextException(PL_ERR_NO_MEMORY, "Out of memory.");
    }
}

void PLPicEncoder::EncodeToSink(PLBmp* bmp, PLDataSink* sink)
{
    try
    {
        PLAnyBmp converted;
        EncodeBody(Prepare(bmp, converted), sink);
    }
    catch (const std::bad_alloc&)
    {
        throw PLTextException(PL_ERR_NO_MEMORY, "Out of memory.");
    }
}
