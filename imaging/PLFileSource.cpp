#include "imaging/PLFileSource.h"

#include <climits>
#include <cstdint>
#include <string>

#include "imaging/PLTextException.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

PLFileSource::PLFileSource(PLProgressListener* listener)
    : PLDataSource(listener), m_hFile(nullptr), m_hMapping(nullptr), m_pView(nullptr), m_ViewBytes(0)
{
}

PLFileSource::~PLFileSource()
{
    Close();
}

void PLFileSource::Close()
{
    PLDataSource::Close();
    Release();
}

#ifdef _WIN32

int PLFileSource::Open(const char* path)
{
    Close();
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
    {
        switch (GetLastError())
        {
        case ERROR_PATH_NOT_FOUND:
            return PL_ERR_PATH_NOT_FOUND;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return PL_ERR_ACCESS;
        default:
            return PL_ERR_OPEN;
        }
    }
    m_hFile = file;

    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart > INT_MAX)
    {
        Release();
        return PL_ERR_ACCESS;
    }
    // An empty file cannot be mapped: it ends here with 5.
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping)
    {
        Release();
        return PL_ERR_ACCESS;
    }
    m_hMapping = mapping;
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    if (!view)
    {
        Release();
        return PL_ERR_ACCESS;
    }
    m_pView = view;
    m_ViewBytes = size_t(size.QuadPart);
    PLDataSource::Open(path, static_cast<const uint8_t*>(view), int(size.QuadPart));
    return 0;
}

void PLFileSource::Release()
{
    if (m_pView)
        UnmapViewOfFile(m_pView);
    if (m_hMapping)
        CloseHandle(m_hMapping);
    if (m_hFile)
        CloseHandle(m_hFile);
    m_pView = nullptr;
    m_hMapping = nullptr;
    m_hFile = nullptr;
    m_ViewBytes = 0;
}

#else

namespace
{
bool FolderExists(const char* path)
{
    std::string dir(path);
    size_t slash = dir.find_last_of('/');
    if (slash == std::string::npos)
        return true;
    dir.resize(slash == 0 ? 1 : slash);
    struct stat st;
    return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
} // namespace

int PLFileSource::Open(const char* path)
{
    Close();
    int fd = ::open(path, O_RDONLY);
    if (fd < 0)
    {
        switch (errno)
        {
        case ENOENT:
            return FolderExists(path) ? PL_ERR_OPEN : PL_ERR_PATH_NOT_FOUND;
        case ENOTDIR:
            return PL_ERR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
            return PL_ERR_ACCESS;
        default:
            return PL_ERR_OPEN;
        }
    }
    m_hFile = reinterpret_cast<void*>(intptr_t(fd) + 1);

    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0 || st.st_size > INT_MAX)
    {
        Release();
        return PL_ERR_ACCESS;
    }
    void* view = mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (view == MAP_FAILED)
    {
        Release();
        return PL_ERR_ACCESS;
    }
    m_pView = view;
    m_ViewBytes = size_t(st.st_size);
    PLDataSource::Open(path, static_cast<const uint8_t*>(view), int(st.st_size));
    return 0;
}

void PLFileSource::Release()
{
    if (m_pView)
        munmap(const_cast<void*>(m_pView), m_ViewBytes);
    if (m_hFile)
        ::close(int(reinterpret_cast<intptr_t>(m_hFile) - 1));
    m_pView = nullptr;
    m_hFile = nullptr;
    m_ViewBytes = 0;
}

#endif
