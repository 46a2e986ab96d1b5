// The saved arrangement of a frame's control bars: per bar its edge, row,
// place, visibility, orientation and floating position. Stored in the
// profile under "<name>-Bar<n>" sections and "<name>-Summary".
#pragma once

#include "framework/base/CObject.h"
#include "framework/base/CPtrArray.h"
#include "framework/gdi/CRect.h"

class CDockState;

class CControlBarInfo
{
public:
    CControlBarInfo();

    BOOL SaveState(LPCSTR lpszProfileName, int nIndex);
    BOOL LoadState(LPCSTR lpszProfileName, int nIndex);

    UINT m_nBarID;
    BOOL m_bVisible;
    BOOL m_bFloating;
    BOOL m_bHorz;
    BOOL m_bDockBar;       // the entry is a dock holder (lists bars)
    CPoint m_pointPos;     // floating: screen position of its frame
    UINT m_uDockBarID;     // edge holder id when docked
    int m_nRow;
    int m_nIndex;          // place in the row
    CPtrArray m_arrBarID;  // bars of a floating holder, as ids
};

class CDockState : public CObject
{
public:
    ~CDockState() override { Clear(); }

    void LoadState(LPCSTR lpszProfileName);
    void SaveState(LPCSTR lpszProfileName);
    void Clear();

    CPtrArray m_arrBarInfo;   // CControlBarInfo*
    CSize m_sizeScreen;       // screen size when saved
};
