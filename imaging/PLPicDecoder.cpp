#include "imaging/PLPicDecoder.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "imaging/PLAnyBmp.h"
#include "imaging/PLDataSource.h"
#include "imaging/PLFileSource.h"
#include "imaging/PLMemSource.h"
#include "imaging/PLTextException.h"

PLPicDecoder::PLPicDecoder() = default;

PLPicDecoder::~PLPicDecoder() = default;

void PLPicDecoder::ThrowError(int code, const std::string& message)
{
    throw PLTextException(code, "Decoder error: " + message + "\n");
}

void PLPicDecoder::DecodeFile(const char* path, PLBmp* bmp, int requestedBpp,
                              PLProgressListener* listener)
{
    std::unique_ptr<PLFileSource> source(new PLFileSource(listener));
    int err = source->Open(path ? path : "");
    if (err)
        ThrowError(err, std::string("Opening ") + (path ? path : "") + " failed");
    m_pDataSrc = std::move(source);
    DecodeOpenSource(bmp, requestedBpp);
}

void PLPicDecoder::DecodeMemory(const void* data, int size, PLBmp* bmp, int requestedBpp)
{
    std::unique_ptr<PLMemSource> source(new PLMemSource);
    if (source->Open(data, size))
    {
        char text[64];
        std::snprintf(text, sizeof(text), "Reading from memory at %p failed", data);
        ThrowError(PL_ERR_OPEN, text);
    }
    m_pDataSrc = std::move(source);
    DecodeOpenSource(bmp, requestedBpp);
}

void PLPicDecoder::DecodeOpenSource(PLBmp* bmp, int requestedBpp)
{
    try
    {
        DecodeInto(m_pDataSrc.get(), bmp, requestedBpp);
    }
    catch (...)
    {
        m_pDataSrc.reset();
        throw;
    }
    Close();
}

void PLPicDecoder::DecodeInto(PLDataSource* source, PLBmp* bmp, int requestedBpp)
{
    try
    {
        ResetState();
        DecodeBody(source, bmp);

        const int decoded = bmp->GetBitsPerPixel();
        if (requestedBpp == 0 || requestedBpp == decoded)
            return;
        if (requestedBpp < decoded)
            throw PLTextException(PL_ERR_UNSUPPORTED, "Image bit depth doesn't match request.");
        PLAnyBmp converted;
        converted.CopyAtDepth(*bmp, uint16_t(requestedBpp));
        bmp->CopyAtDepth(converted, 0);
    }
    catch (const std::bad_alloc&)
    {
        throw PLTextException(PL_ERR_NO_MEMORY, "Out of memory.");
    }
}

void PLPicDecoder::Close()
{
    if (m_pDataSrc)
        m_pDataSrc->Close();
    m_pDataSrc.reset();
}

uint32_t PLPicDecoder::ReadLittleEndianLong(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | (uint32_t(bytes[1]) << 8) | (uint32_t(bytes[2]) << 16) |
           (uint32_t(bytes[3]) << 24);
}

uint8_t PLPicDecoder::ReadByte(PLDataSource* source)
{
    return *source->ReadBytes(1);
}

uint16_t PLPicDecoder::ReadLE16(PLDataSource* source)
{
    const uint8_t* p = source->ReadBytes(2);
    return uint16_t(p[0] | (p[1] << 8));
}

uint32_t PLPicDecoder::ReadLE32(PLDataSource* source)
{
    return ReadLittleEndianLong(source->ReadBytes(4));
}

uint16_t PLPicDecoder::ReadBE16(PLDataSource* source)
{
    const uint8_t* p = source->ReadBytes(2);
    return uint16_t((p[0] << 8) | p[1]);
}

uint32_t PLPicDecoder::ReadBE32(PLDataSource* source)
{
    const uint8_t* p = source->ReadBytes(4);
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

void PLPicDecoder::Skip(PLDataSource* source, int64_t bytes)
{
    if (bytes < 0)
        ThrowError(PL_ERR_FORMAT, "Negative length in image data.");
    if (bytes > source->GetBytesLeft())
        throw PLTextException(PL_ERR_END_OF_DATA, "End of file reached while decoding.\n");
    source->ReadBytes(int(bytes));
}

void PLPicDecoder::RequireData(PLDataSource* source, int64_t neededBytes)
{
    if (neededBytes > source->GetBytesLeft())
        ThrowError(PL_ERR_END_OF_DATA, "The file is damaged or truncated: its data cannot fill the image.");
}

const uint8_t* PLPicDecoder::UnpackPackBits(uint8_t* dest, PLDataSource* source, int lineBytes,
                                            int packedLength)
{
    if (lineBytes < 8)
        return source->ReadBytes(lineBytes);
    const uint8_t* packed = source->ReadBytes(packedLength);
    DecodePackBits(packed, packedLength, dest, lineBytes);
    return dest;
}

int PLPicDecoder::DecodePackBits(const uint8_t* packed, int packedLength, uint8_t* dest, int destBytes)
{
    int in = 0;
    int out = 0;
    while (in < packedLength && out < destBytes)
    {
        const int control = packed[in++];
        if (control < 128)
        {
            int count = control + 1;
            if (count > packedLength - in)
                count = packedLength - in;
            if (count > destBytes - out)
                count = destBytes - out;
            std::memcpy(dest + out, packed + in, size_t(count));
            in += control + 1;
            out += count;
        }
        else if (control > 128)
        {
            if (in >= packedLength)
                break;
            int count = 257 - control;
            if (count > destBytes - out)
                count = destBytes - out;
            std::memset(dest + out, packed[in++], size_t(count));
            out += count;
        }
    }
    if (out < destBytes)
        std::memset(dest + out, 0, size_t(destBytes - out));
    return out;
}
