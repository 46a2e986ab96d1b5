#pragma once

#include "imaging/PLDataSource.h"

// A data source over a file mapped read-only into memory.
class PLFileSource : public PLDataSource
{
public:
    explicit PLFileSource(PLProgressListener* listener = nullptr);
    ~PLFileSource() override;

    // 0 on success; 3 when the folder does not exist, 5 when access is
    // denied, the file is shared exclusively, empty or cannot be mapped,
    // 4 for anything else (a missing file in an existing folder included).
    int Open(const char* path);
    void Close() override;

private:
    void Release();

    void* m_hFile;     // file handle (Windows) or descriptor + 1 (elsewhere)
    void* m_hMapping;  // Windows only
    const void* m_pView;
    size_t m_ViewBytes;
};
