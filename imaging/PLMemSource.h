#pragma once

#include "imaging/PLDataSource.h"

// A data source over a caller's memory block (the block stays the caller's).
class PLMemSource : public PLDataSource
{
public:
    PLMemSource();
    ~PLMemSource() override;

    // 0 on success; 4 for a negative size or missing data.
    int Open(const void* data, int size);
    void Close() override;
};
