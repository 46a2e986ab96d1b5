#pragma once

#include <string>

#include "imaging/PLDataSink.h"

// A sink that owns its buffer and writes it to a file when closed. The file
// is not touched before then: an encoder that fails leaves any existing file
// as it was, and a destroyed, unclosed sink writes nothing.
class PLFileSink : public PLDataSink
{
public:
    PLFileSink();
    ~PLFileSink() override;

    // 0, or -1 when the buffer cannot be allocated.
    int Open(const char* path, int capacity);

    // Writes the encoded bytes to the file and releases the buffer. Raises
    // -1 "Opening %s failed" when the file cannot be created and code 11 when
    // it cannot be written completely (no partial file is left behind).
    void Close() override;

private:
    void Release();

    std::string m_Path;
    uint8_t* m_pOwnBuffer;
};
