#include "imaging/PLMemSource.h"

#include "imaging/PLTextException.h"

PLMemSource::PLMemSource() = default;

PLMemSource::~PLMemSource()
{
    Close();
}

int PLMemSource::Open(const void* data, int size)
{
    if (size < 0 || (!data && size > 0))
        return PL_ERR_OPEN;
    PLDataSource::Open("Mem", static_cast<const uint8_t*>(data), size);
    return 0;
}

void PLMemSource::Close()
{
    PLDataSource::Close();
}
