#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "imaging/PLObject.h"

#ifdef _WIN32
#include <windows.h>
#endif

class PLBmp;
class PLDataSource;
class PLProgressListener;

// Base of every decoder: opens the input as a data source, lets the format
// decoder fill a bitmap, adjusts the depth to the request and closes the
// source. Every failure is a PLTextException; running out of memory is
// reported as code 10 like any other image error.
class PLPicDecoder : public PLObject
{
public:
    PLPicDecoder();
    ~PLPicDecoder() override;

    PLPicDecoder(const PLPicDecoder&) = delete;
    PLPicDecoder& operator=(const PLPicDecoder&) = delete;

    // requestedBpp 0 keeps the decoded depth; a higher one converts; a lower
    // one raises code 6.
    virtual void DecodeFile(const char* path, PLBmp* bmp, int requestedBpp = 0,
                            PLProgressListener* listener = nullptr);
    virtual void DecodeMemory(const void* data, int size, PLBmp* bmp, int requestedBpp = 0);
#ifdef _WIN32
    // Decodes a module resource (type RT_RCDATA when none is given).
    void DecodeResource(HINSTANCE module, int resourceId, PLBmp* bmp, int requestedBpp = 0,
                        const char* type = nullptr);
#endif
    virtual void DecodeInto(PLDataSource* source, PLBmp* bmp, int requestedBpp);
    virtual void Close();

    // Raises code with "Decoder error: " + message + line end.
    [[noreturn]] static void ThrowError(int code, const std::string& message);

    // The 32-bit little-endian value of 4 bytes.
    static uint32_t ReadLittleEndianLong(const uint8_t* bytes);

    // PackBits run-length data shared by the PSD and PICT decoders. Lines of
    // fewer than 8 bytes are stored unpacked: lineBytes are consumed and
    // returned in place. Otherwise packedLength bytes are consumed and
    // unpacked into dest (lineBytes long), which is returned.
    static const uint8_t* UnpackPackBits(uint8_t* dest, PLDataSource* source, int lineBytes,
                                         int packedLength);
    // Unpacks packed data into dest; every read stays within the packed
    // bytes and every write within dest. A run that the packed data cannot
    // complete ends the line; bytes not produced are set to 0. Returns the
    // bytes produced.
    static int DecodePackBits(const uint8_t* packed, int packedLength, uint8_t* dest, int destBytes);

    // Field readers over a source; running out of data raises code 11.
    static uint8_t ReadByte(PLDataSource* source);
    static uint16_t ReadLE16(PLDataSource* source);
    static uint32_t ReadLE32(PLDataSource* source);
    static uint16_t ReadBE16(PLDataSource* source);
    static uint32_t ReadBE32(PLDataSource* source);
    // Consumes bytes counted by a file: a negative count raises code 2, one
    // beyond the data code 11.
    static void Skip(PLDataSource* source, int64_t bytes);

    // For layouts whose data size the header fixes: refuses a file whose
    // remaining data is fewer than the least the declared image needs, as a
    // damaged file (code 11). Decoders call it before creating the bitmap,
    // so that a few bytes never cost the memory and time of a large picture.
    static void RequireData(PLDataSource* source, int64_t neededBytes);

protected:
    // The format hook: read from the source's current position, create the
    // bitmap at the decoder's depth and fill its lines.
    virtual void DecodeBody(PLDataSource* source, PLBmp* bmp) = 0;

    // Forgets whatever the previous file left behind; called before every
    // decode, since decoders are reused.
    virtual void ResetState() {}


    void DecodeOpenSource(PLBmp* bmp, int requestedBpp);

    std::unique_ptr<PLDataSource> m_pDataSrc;
};
