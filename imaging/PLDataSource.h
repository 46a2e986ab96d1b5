#pragma once

#include <cstdint>
#include <string>

#include "imaging/PLObject.h"

class PLProgressListener;

// The whole input of a decoder as one contiguous block in memory, with a
// read position, a size limit and progress reporting. Reads either lie
// within the data or raise code 11; nothing is copied.
class PLDataSource : public PLObject
{
public:
    explicit PLDataSource(PLProgressListener* listener = nullptr);
    ~PLDataSource() override;

    PLDataSource(const PLDataSource&) = delete;
    PLDataSource& operator=(const PLDataSource&) = delete;

    virtual void Close();

    // Consumes n bytes and returns a pointer to the first. n < 0 or more
    // than the bytes left raises code 11 and leaves the position unchanged.
    virtual const uint8_t* ReadBytes(int n);

    // Pointer to the current position without consuming; *available gets how
    // many of the wanted bytes exist (fewer near the end).
    const uint8_t* PeekBuffer(int wanted, int* available) const;

    // Pointer to the current position, for libraries that take the rest of
    // the input in one piece; GetBytesLeft says how much that is.
    const uint8_t* GetRemainingData() const;
    int GetBytesLeft() const { return m_Size - m_BytesRead; }

    const char* GetName() const { return m_Name.c_str(); }
    int GetFileSize() const { return m_Size; }
    int GetBytesRead() const { return m_BytesRead; }
    bool IsOpen() const { return m_bOpen; }

    void NotifyProgress(double part);

protected:
    void Open(const char* name, const uint8_t* data, int size);

private:
    std::string m_Name;
    int m_Size;
    int m_BytesRead;
    PLProgressListener* m_pListener;
    const uint8_t* m_pData;
    bool m_bOpen;
};
