#include "imaging/PLTextException.h"

#ifdef _WIN32
#include <windows.h>
#endif

PLTextException::PLTextException(int code, const char* text)
    : m_Code(code), m_Text(text ? text : "")
{
    ResetErrorMode();
}

PLTextException::PLTextException(int code, const std::string& text)
    : m_Code(code), m_Text(text)
{
    ResetErrorMode();
}

PLTextException::PLTextException(const PLTextException& other) = default;
PLTextException& PLTextException::operator=(const PLTextException& other) = default;
PLTextException::~PLTextException() = default;

int PLTextException::GetCode() const
{
    return m_Code;
}

const char* PLTextException::GetText() const
{
    return m_Text.c_str();
}

void PLTextException::ResetErrorMode()
{
#ifdef _WIN32
    // The process error mode goes back to the system default whenever an
    // image error is raised.
    SetErrorMode(0);
#endif
}
