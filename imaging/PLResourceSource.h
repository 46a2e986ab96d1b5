#pragma once

#include <windows.h>

#include "imaging/PLDataSource.h"

// A data source over a module resource (Windows only).
class PLResourceSource : public PLDataSource
{
public:
    PLResourceSource();
    ~PLResourceSource() override;

    // 0 on success, 4 when the resource cannot be found, loaded or locked.
    // The type defaults to RT_RCDATA.
    int Open(HINSTANCE module, int resourceId, const char* type = nullptr);
    void Close() override;

private:
    HGLOBAL m_hResource;
};
