// Decoding from module resources: Windows only.
#include "imaging/PLPicDecoder.h"

#include <string>

#include "imaging/PLResourceSource.h"
#include "imaging/PLTextException.h"

void PLPicDecoder::DecodeResource(HINSTANCE module, int resourceId, PLBmp* bmp, int requestedBpp,
                                  const char* type)
{
    std::unique_ptr<PLResourceSource> source(new PLResourceSource);
    int err = source->Open(module, resourceId, type);
    if (err)
        ThrowError(err, "Opening resource " + std::to_string(resourceId) + " failed");
    m_pDataSrc = std::move(source);
    DecodeOpenSource(bmp, requestedBpp);
}
