#include "imaging/PLFilterResize.h"

PLFilterResize::PLFilterResize(int newWidth, int newHeight) : m_NewWidth(newWidth), m_NewHeight(newHeight)
{
}

PLFilterResize::~PLFilterResize() = default;

void PLFilterResize::SetNewSize(int newWidth, int newHeight)
{
    m_NewWidth = newWidth;
    m_NewHeight = newHeight;
}
