// Message maps: each class that handles commands or messages lists them
// between BEGIN_MESSAGE_MAP and END_MESSAGE_MAP. Every entry carries a small
// captureless lambda that casts the target to the class and calls the
// handler with the cracked arguments, so a handler with the wrong signature
// fails to compile instead of misbehaving at run time.
#pragma once

#include "framework/base/CCmdUI.h"

class CCmdTarget;

// Command codes routed through OnCmdMsg.
#define CN_COMMAND 0
#define CN_UPDATE_COMMAND_UI ((UINT)(-1))

// Notifications sent back to the control that raised them.
#define WM_REFLECT_BASE 0xBC00

// Everything an entry may need of the message it handles.
struct AFX_MSGARGS
{
    UINT message;      // WM_xxx (WM_COMMAND for commands)
    WPARAM wParam;
    LPARAM lParam;
    LRESULT lResult;   // result for window messages
    UINT nID;          // command or control id
    int nCode;         // CN_COMMAND, CN_UPDATE_COMMAND_UI or a notification code
    void* pExtra;      // CCmdUI* for updates, AFX_NOTIFY* for notifications
};

// Extra data of notifications routed through OnCmdMsg.
struct AFX_NOTIFY
{
    LRESULT* pResult;
    NMHDR* pNMHDR;
};

// Returns FALSE when the handler declined (ON_COMMAND_EX, ON_NOTIFY_EX), so
// routing goes on.
typedef BOOL (*AFX_PMSG)(CCmdTarget* pTarget, AFX_MSGARGS& args);

struct AFX_MSGMAP_ENTRY
{
    UINT nMessage;          // WM_xxx; 0 ends the map
    UINT nCode;             // command or notification code
    UINT nID;               // first id
    UINT nLastID;           // last id (same as nID for a single id)
    const UINT* pnRegMsg;   // registered message id, read when the map is searched
    AFX_PMSG pfn;
};

struct AFX_MSGMAP
{
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// Found handler, for "is there a handler?" queries of OnCmdMsg.
struct AFX_CMDHANDLERINFO
{
    CCmdTarget* pTarget;
    const AFX_MSGMAP_ENTRY* pEntry;
};

#define DECLARE_MESSAGE_MAP() \
protected: \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override; \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass) \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() \
    { \
        typedef theClass ThisClass; \
        typedef baseClass TheBaseClass; \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP() \
            { 0, 0, 0, 0, nullptr, nullptr } \
        }; \
        static const AFX_MSGMAP messageMap = { &TheBaseClass::GetThisMessageMap, &_messageEntries[0] }; \
        return &messageMap; \
    }

// The target as the class whose map holds the entry.
#define AFX_THIS(p) (static_cast<ThisClass*>(p))

// Commands: void fn()
#define ON_COMMAND(id, memberFxn) \
    { WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(id), nullptr, \
      [](CCmdTarget* p, AFX_MSGARGS&) -> BOOL { AFX_THIS(p)->memberFxn(); return TRUE; } },

// BOOL fn(UINT nID): FALSE lets routing go on to the next target.
#define ON_COMMAND_EX(id, memberFxn) \
    { WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(id), nullptr, \
      [](CCmdTarget* p, AFX_MSGARGS& a) -> BOOL { return AFX_THIS(p)->memberFxn(a.nID); } },

// void fn(UINT nID)
#define ON_COMMAND_RANGE(id, idLast, memberFxn) \
    { WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(idLast), nullptr, \
      [](CCmdTarget* p, AFX_MSGARGS& a) -> BOOL { AFX_THIS(p)->memberFxn(a.nID); return TRUE; } },

// void fn(CCmdUI* pCmdUI); the handler may call ContinueRouting to pass it on.
#define ON_UPDATE_COMMAND_UI(id, memberFxn) ON_UPDATE_COMMAND_UI_RANGE(id, id, memberFxn)
#define ON_UPDATE_COMMAND_UI_RANGE(id, idLast, memberFxn) \
    { WM_COMMAND, CN_UPDATE_COMMAND_UI, (UINT)(id), (UINT)(idLast), nullptr, \
      [](CCmdTarget* p, AFX_MSGARGS& a) -> BOOL { \
          CCmdUI* pCmdUI = (CCmdUI*)a.pExtra; pCmdUI->m_bContinueRouting = FALSE; \
          AFX_THIS(p)->memberFxn(pCmdUI); return !pCmdUI->m_bContinueRouting; } },

// Notifications from child controls (WM_NOTIFY): void fn(NMHDR*, LRESULT*)
#define ON_NOTIFY(wNotifyCode, id, memberFxn) \
    { WM_NOTIFY, (UINT)(wNotifyCode), (UINT)(id), (UINT)(id), nullptr, \
      [](CCmdTarget* p, AFX_MSGARGS& a) -> BOOL { \
          AFX_NOTIFY* n = (AFX_NOTIFY*)a.pExtra; AFX_THIS(p)->memberFxn(n->pNMHDR, n->pResult); return TRUE; } },

#define ON_NOTIFY_RANGE(wNotifyCode, id, idLast, memberFxn) \
    { WM_NOTIFY, (UINT)(wNotifyCode), (UINT)(id), (UINT)(idLast), nullptr, \
      [](CCmdTarget* p, AFX_MSGARGS& a) -> BOOL { \
          AFX_NOTIFY* n = (AFX_NOTIFY*)a.pExtra; AFX_THIS(p)->memberFxn(a.nID, n->pNMHDR, n->pResult); return TRUE; } },

// BOOL fn(UINT nID, NMHDR*, LRESULT*): FALSE lets routing go on.
#define ON_NOTIFY_EX(wNotifyCode, id, memberFxn) \
    { WM_NOTIFY, (UINT)(wNotifyCode), (UINT)(id), (UINT)(id), nullptr, \
      [](CCmdTarget* p, AFX_MSGARGS& a) -> BOOL { \
          AFX_NOTIFY* n = (AFX_NOTIFY*)a.pExtra; return AFX_THIS(p)->memberFxn(a.nID, n->pNMHDR, n->pResult); } },

#define ON_NOTIFY_EX_RANGE(wNotifyCode, id, idLast, memberFxn) \
    { WM_NOTIFY, (UINT)(wNotifyCode), (UINT)(id), (UINT)(idLast), nullptr, \
      [](CCmdTarget* p, AFX_MSGARGS& a) -> BOOL { \
          AFX_NOTIFY* n = (AFX_NOTIFY*)a.pExtra; return AFX_THIS(p)->memberFxn(a.nID, n->pNMHDR, n->pResult); } },

// A control's own notification, reflected back to it: void fn(NMHDR*, LRESULT*)
#define ON_NOTIFY_REFLECT(wNotifyCode, memberFxn) \
    { WM_REFLECT_BASE + WM_NOTIFY, (UINT)(wNotifyCode), 0, 0, nullptr, \
      [](CCmdTarget* p, AFX_MSGARGS& a) -> BOOL { \
          AFX_NOTIFY* n = (AFX_NOTIFY*)a.pExtra; AFX_THIS(p)->memberFxn(n->pNMHDR, n->pResult); return TRUE; } },

// BOOL fn(NMHDR*, LRESULT*): FALSE lets the parent see it too.
#define ON_NOTIFY_REFLECT_EX(wNotifyCode, memberFxn) \
    { WM_REFLECT_BASE + WM_NOTIFY, (UINT)(wNotifyCode), 0, 0, nullptr, \
      [](CCmdTarget* p, AFX_MSGARGS& a) -> BOOL { \
          AFX_NOTIFY* n = (AFX_NOTIFY*)a.pExtra; return AFX_THIS(p)->memberFxn(n->pNMHDR, n->pResult); } },

// Control notifications by WM_COMMAND (BN_CLICKED, EN_CHANGE ...): void fn()
#define ON_CONTROL(wNotifyCode, id, memberFxn) \
    { WM_COMMAND, (UINT)(wNotifyCode), (UINT)(id), (UINT)(id), nullptr, \
      [](CCmdTarget* p, AFX_MSGARGS&) -> BOOL { AFX_THIS(p)->memberFxn(); return TRUE; } },
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)

// Any window message: LRESULT fn(WPARAM, LPARAM)
#define ON_MESSAGE(message, memberFxn) \
    { (UINT)(message), 0, 0, 0, nullptr, \
      [](CCmdTarget* p, AFX_MSGARGS& a) -> BOOL { a.lResult = AFX_THIS(p)->memberFxn(a.wParam, a.lParam); return TRUE; } },

// A message registered at run time; nMessageVariable is a UINT variable.
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn) \
    { 0xC000, 0, 0, 0, &(nMessageVariable), \
      [](CCmdTarget* p, AFX_MSGARGS& a) -> BOOL { a.lResult = AFX_THIS(p)->memberFxn(a.wParam, a.lParam); return TRUE; } },
