#include "imaging/PLDataSink.h"

#include <cstring>

#include "imaging/PLTextException.h"

PLDataSink::PLDataSink() : m_pBuffer(nullptr), m_BytesWritten(0), m_Capacity(0)
{
}

PLDataSink::~PLDataSink() = default;

void PLDataSink::Open(const char* name, uint8_t* buffer, int capacity)
{
    m_Name = name ? name : "";
    m_pBuffer = buffer;
    m_Capacity = buffer && capacity > 0 ? capacity : 0;
    m_BytesWritten = 0;
}

void PLDataSink::Close()
{
    m_Name.clear();
    m_pBuffer = nullptr;
    m_BytesWritten = 0;
    m_Capacity = 0;
}

void PLDataSink::CheckRoom(int n) const
{
    if (n < 0 || n > m_Capacity - m_BytesWritten)
        throw PLTextException(PL_ERR_END_OF_DATA, "Buffer overflow while encoding.\n");
}

void PLDataSink::WriteBytes(int n, const void* data)
{
    CheckRoom(n);
    if (n)
        std::memcpy(m_pBuffer + m_BytesWritten, data, size_t(n));
    m_BytesWritten += n;
}

void PLDataSink::WriteByte(uint8_t value)
{
    WriteBytes(1, &value);
}

void PLDataSink::WriteZeros(int n)
{
    CheckRoom(n);
    if (n)
        std::memset(m_pBuffer + m_BytesWritten, 0, size_t(n));
    m_BytesWritten += n;
}

void PLDataSink::CommitBytes(int n)
{
    CheckRoom(n);
    m_BytesWritten += n;
}
