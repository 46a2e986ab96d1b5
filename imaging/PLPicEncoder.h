#pragma once

#include <cstdint>
#include <string>

#include "imaging/PLObject.h"

class PLBmp;
class PLDataSink;

// Base of the encoders: turns a bitmap into the bytes of an image file.
// The whole file is built in memory first; a file is written only when
// encoding succeeded. Failures are PLTextExceptions (memory: code 10).
class PLPicEncoder : public PLObject
{
public:
    PLPicEncoder();
    ~PLPicEncoder() override;

    PLPicEncoder(const PLPicEncoder&) = delete;
    PLPicEncoder& operator=(const PLPicEncoder&) = delete;

    virtual void EncodeToFile(const char* path, PLBmp* bmp);
    // Encodes into an open sink; its capacity must suffice (GetOutputCapacity
    // is what EncodeToFile uses), else code 11.
    virtual void EncodeToSink(PLBmp* bmp, PLDataSink* sink);

    // The buffer size the file path uses for this bitmap.
    int64_t GetOutputCapacity(const PLBmp& bmp) const;
    // Memory use m of a bitmap gives m x 1.2 from 20000 bytes on, else m + 4096.
    static int64_t CapacityForStorage(int64_t storageBytes);

    [[noreturn]] static void ThrowError(int code, const std::string& message);

protected:
    virtual void EncodeBody(PLBmp* bmp, PLDataSink* sink) = 0;
    // Depths the format hook handles as they are; others are converted to
    // 32 bpp before encoding.
    virtual bool CanEncodeDepth(int bpp) const;

private:
    PLBmp* Prepare(PLBmp* bmp, class PLAnyBmp& converted) const;
};
