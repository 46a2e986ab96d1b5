#include "imaging/PLResourceSource.h"

#include <string>

#include "imaging/PLTextException.h"

PLResourceSource::PLResourceSource() : m_hResource(nullptr)
{
}

PLResourceSource::~PLResourceSource()
{
    Close();
}

int PLResourceSource::Open(HINSTANCE module, int resourceId, const char* type)
{
    Close();
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(resourceId), type ? type : MAKEINTRESOURCEA(10));
    if (!info)
        return PL_ERR_OPEN;
    HGLOBAL res = LoadResource(module, info);
    if (!res)
        return PL_ERR_OPEN;
    const void* data = LockResource(res);
    if (!data)
        return PL_ERR_OPEN;
    m_hResource = res;
    std::string name = "Resource: " + std::to_string(resourceId);
    PLDataSource::Open(name.c_str(), static_cast<const uint8_t*>(data), int(SizeofResource(module, info)));
    return 0;
}

void PLResourceSource::Close()
{
    PLDataSource::Close();
    if (m_hResource)
        FreeResource(m_hResource);
    m_hResource = nullptr;
}
