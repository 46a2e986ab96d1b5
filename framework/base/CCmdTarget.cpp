#include "framework/base/CCmdTarget.h"

#include "framework/ui/CWaitCursor.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY _messageEntries[] = { { 0, 0, 0, 0, nullptr, nullptr } };
    static const AFX_MSGMAP messageMap = { nullptr, &_messageEntries[0] };
    return &messageMap;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

namespace {

bool EntryMatches(const AFX_MSGMAP_ENTRY* p, UINT message, UINT nCode, UINT nID)
{
    const UINT nMessage = p->pnRegMsg ? *p->pnRegMsg : p->nMessage;
    return nMessage == message && p->nCode == nCode && nID >= p->nID && nID <= p->nLastID;
}

} // namespace

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT message, UINT nCode, UINT nID) const
{
    for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap != nullptr;
         pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr)
    {
        for (const AFX_MSGMAP_ENTRY* p = pMap->lpEntries; p->pfn != nullptr; ++p)
        {
            if (EntryMatches(p, message, nCode, nID))
                return p;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    // Control notifications come as MAKELONG(code, WM_COMMAND or WM_NOTIFY).
    UINT nMsg = WM_COMMAND;
    UINT nEntryCode = (UINT)nCode;
    if (nCode != (int)CN_COMMAND && nCode != (int)CN_UPDATE_COMMAND_UI)
    {
        nMsg = HIWORD((UINT)nCode);
        nEntryCode = LOWORD((UINT)nCode);
        if (nMsg == 0)
            nMsg = WM_COMMAND;
        if (nMsg == WM_NOTIFY)
            nEntryCode = (UINT)(int)(short)LOWORD((UINT)nCode); // negative NM_ codes
    }

    for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap != nullptr;
         pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr)
    {
        for (const AFX_MSGMAP_ENTRY* p = pMap->lpEntries; p->pfn != nullptr; ++p)
        {
            if (!EntryMatches(p, nMsg, nEntryCode, nID))
                continue;
            if (pHandlerInfo != nullptr)
            {
                pHandlerInfo->pTarget = this;
                pHandlerInfo->pEntry = p;
                return TRUE;
            }
            AFX_MSGARGS args = { nMsg, 0, 0, 0, nID, nCode, pExtra };
            if (p->pfn(this, args))
                return TRUE;
            // An _EX handler declined: keep looking in the base maps.
        }
    }
    return FALSE;
}

void CCmdTarget::BeginWaitCursor()
{
    CWaitCursor::Begin();
}

void CCmdTarget::EndWaitCursor()
{
    CWaitCursor::End();
}

void CCmdTarget::RestoreWaitCursor()
{
    CWaitCursor::Restore();
}
