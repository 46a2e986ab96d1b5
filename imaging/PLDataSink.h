#pragma once

#include <cstdint>
#include <string>

#include "imaging/PLObject.h"

// Where encoders write: a fixed-capacity memory buffer (not owned by the
// base). Writing past the capacity raises code 11 and writes nothing.
class PLDataSink : public PLObject
{
public:
    PLDataSink();
    ~PLDataSink() override;

    PLDataSink(const PLDataSink&) = delete;
    PLDataSink& operator=(const PLDataSink&) = delete;

    void Open(const char* name, uint8_t* buffer, int capacity);
    virtual void Close();

    void WriteBytes(int n, const void* data);
    void WriteByte(uint8_t value);
    // Advances the count over n zero bytes (line padding).
    void WriteZeros(int n);

    // For writers that fill the buffer in place (the in-memory TIFF): where
    // the next byte goes, how much room is left, and marking n bytes placed
    // there as written.
    uint8_t* GetWritePointer() const { return m_pBuffer + m_BytesWritten; }
    int GetBytesFree() const { return m_Capacity - m_BytesWritten; }
    void CommitBytes(int n);

    const char* GetName() const { return m_Name.c_str(); }
    uint8_t* GetBufferStart() const { return m_pBuffer; }
    int GetDataSize() const { return m_BytesWritten; }
    int GetCapacity() const { return m_Capacity; }

private:
    void CheckRoom(int n) const;

    uint8_t* m_pBuffer;
    int m_BytesWritten;
    std::string m_Name;
    int m_Capacity;
};
