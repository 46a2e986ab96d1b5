#include "imaging/PLFileSink.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "imaging/PLTextException.h"

PLFileSink::PLFileSink() : m_pOwnBuffer(nullptr)
{
}

PLFileSink::~PLFileSink()
{
    Release();
}

int PLFileSink::Open(const char* path, int capacity)
{
    Release();
    if (!path || capacity <= 0)
        return -1;
    m_pOwnBuffer = static_cast<uint8_t*>(std::calloc(1, size_t(capacity)));
    if (!m_pOwnBuffer)
        return -1;
    m_Path = path;
    PLDataSink::Open(path, m_pOwnBuffer, capacity);
    return 0;
}

void PLFileSink::Close()
{
    if (!m_pOwnBuffer)
        return;
    const std::string path = m_Path;
    const int size = GetDataSize();

    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
    {
        Release();
        throw PLTextException(-1, "Decoder error: Opening " + path + " failed\n");
    }
    bool ok = size == 0 || std::fwrite(m_pOwnBuffer, 1, size_t(size), f) == size_t(size);
    ok = std::fclose(f) == 0 && ok;
    Release();
    if (!ok)
    {
        // No short file is left behind (only ever a plain file: never a device).
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec))
            std::remove(path.c_str());
        throw PLTextException(PL_ERR_END_OF_DATA, "Decoder error: Writing " + path + " failed\n");
    }
}

void PLFileSink::Release()
{
    PLDataSink::Close();
    std::free(m_pOwnBuffer);
    m_pOwnBuffer = nullptr;
    m_Path.clear();
}
