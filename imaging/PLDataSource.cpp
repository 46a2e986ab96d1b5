#include "imaging/PLDataSource.h"

#include "imaging/PLProgressListener.h"
#include "imaging/PLTextException.h"

PLDataSource::PLDataSource(PLProgressListener* listener)
    : m_Size(0), m_BytesRead(0), m_pListener(listener), m_pData(nullptr), m_bOpen(false)
{
}

PLDataSource::~PLDataSource() = default;

void PLDataSource::Open(const char* name, const uint8_t* data, int size)
{
    m_Name = name ? name : "";
    m_pData = data;
    m_Size = size > 0 ? size : 0;
    m_BytesRead = 0;
    m_bOpen = true;
}

void PLDataSource::Close()
{
    if (!m_bOpen)
        return;
    NotifyProgress(1.0);
    m_Name.clear();
    m_pData = nullptr;
    m_Size = 0;
    m_BytesRead = 0;
    m_bOpen = false;
}

const uint8_t* PLDataSource::ReadBytes(int n)
{
    if (n < 0 || n > m_Size - m_BytesRead)
        throw PLTextException(PL_ERR_END_OF_DATA, "End of file reached while decoding.\n");
    const uint8_t* p = m_pData + m_BytesRead;
    const int old = m_BytesRead;
    m_BytesRead += n;
    if (m_pListener && old / 1024 < m_BytesRead / 1024)
        m_pListener->OnProgress(double(m_BytesRead) / m_Size);
    return p;
}

const uint8_t* PLDataSource::PeekBuffer(int wanted, int* available) const
{
    int left = m_Size - m_BytesRead;
    if (available)
        *available = wanted < 0 ? 0 : (wanted < left ? wanted : left);
    return m_pData + m_BytesRead;
}

const uint8_t* PLDataSource::GetRemainingData() const
{
    return m_pData + m_BytesRead;
}

void PLDataSource::NotifyProgress(double part)
{
    if (m_pListener)
        m_pListener->OnProgress(part);
}
