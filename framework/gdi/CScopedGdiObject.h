// Owns a GDI object (bitmap, brush, pen, font, region) for a scope and
// deletes it when the scope ends. Select it with CScopedSelect declared
// after it, so it is deselected before it is deleted.
#pragma once

#include "framework/base/AfxDefs.h"

template <class T>
class CScopedGdiObject
{
public:
    explicit CScopedGdiObject(T hObject = nullptr) : m_hObject(hObject) {}
    ~CScopedGdiObject() { Reset(); }

    T Get() const { return m_hObject; }
    operator T() const { return m_hObject; }
    // Gives the object up: the caller deletes it.
    T Detach()
    {
        T h = m_hObject;
        m_hObject = nullptr;
        return h;
    }
    void Reset(T hObject = nullptr)
    {
        if (m_hObject != nullptr)
            ::DeleteObject(m_hObject);
        m_hObject = hObject;
    }

private:
    CScopedGdiObject(const CScopedGdiObject&) = delete;
    CScopedGdiObject& operator=(const CScopedGdiObject&) = delete;

    T m_hObject;
};
