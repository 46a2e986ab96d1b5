// Object that receives commands through its message map. Windows, documents,
// templates and the application derive from it; OnCmdMsg is the routing hook
// they override to pass commands on.
#pragma once

#include "framework/base/AfxMsgMap.h"
#include "framework/base/CObject.h"

class CCmdTarget : public CObject
{
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget() {}

    // Searches this object's map chain for a command, update or notification
    // handler and calls it. nCode is CN_COMMAND, CN_UPDATE_COMMAND_UI, or
    // MAKELONG(notification code, WM_COMMAND / WM_NOTIFY) for control
    // notifications. With pHandlerInfo only reports whether a handler exists.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

    // The entry for a window message in this object's map chain, or null.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, UINT nCode, UINT nID) const;

    void BeginWaitCursor();
    void EndWaitCursor();
    void RestoreWaitCursor();

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};
