#pragma once

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
