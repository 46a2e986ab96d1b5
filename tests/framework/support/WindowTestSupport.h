// Helpers of the window tests: a message-box hook that records and answers,
// a dialog hook that runs a script, and message pumping.
#pragma once

#include "framework/ui/AfxHooks.h"
#include "framework/base/AfxPrompt.h"
#include "framework/base/CString.h"

#include <objidl.h>

#include <functional>
#include <string>
#include <vector>

class CWnd;

struct RecordedBox
{
    std::string text;
    std::string caption;
    UINT type;
};

// Installs itself for its lifetime; answers every box with m_nAnswer.
class CRecordingPrompts : public IAfxPromptHook
{
public:
    explicit CRecordingPrompts(int nAnswer = IDOK);
    ~CRecordingPrompts() override;
    int OnMessageBox(HWND hOwner, LPCSTR lpszText, LPCSTR lpszCaption, UINT nType) override;

    std::vector<RecordedBox> boxes;
    int m_nAnswer;

private:
    IAfxPromptHook* m_pOld;
};

// Installs itself for its lifetime; calls the script with each dialog.
class CScriptedDialogs : public IAfxDialogHook
{
public:
    explicit CScriptedDialogs(std::function<void(CWnd*)> script);
    ~CScriptedDialogs() override;
    void OnInitDialog(CWnd* pDialog) override;

    int nDialogs = 0;

private:
    std::function<void(CWnd*)> m_script;
    IAfxDialogHook* m_pOld;
};

// A clock that does not wait: it records the sleeps asked for.
class CFakeClock : public IAfxClock
{
public:
    CFakeClock();
    ~CFakeClock() override;
    DWORD GetTickCount() override { return m_dwNow; }
    void Sleep(DWORD dwMilliseconds) override
    {
        sleeps.push_back(dwMilliseconds);
        m_dwNow += dwMilliseconds;
    }

    DWORD m_dwNow = 100000;
    std::vector<DWORD> sleeps;

private:
    IAfxClock* m_pOld;
};

// Dispatches what is queued (no waiting) and drops a posted WM_QUIT, which a
// destroyed main window leaves for the next modal loop otherwise.
void PumpMessages();
// Presses a dialog's button as a click would.
void ClickButton(CWnd* pDialog, int nID);

// A data object of a test: counts its references (never deleting itself)
// and offers what GetData and QueryGetData of the derived class say.
class CTestDataObject : public IDataObject
{
public:
    virtual ~CTestDataObject() {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject))
        {
            *ppv = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return (ULONG)++nRefs; }
    STDMETHODIMP_(ULONG) Release() override { return (ULONG)--nRefs; }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

    LONG nRefs = 1;
};

// A data object offering one enhanced metafile: a filled box of the given size.
class CMetafileData : public CTestDataObject
{
public:
    CMetafileData(int nWidth, int nHeight)
    {
        HDC hdc = ::CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
        ::Rectangle(hdc, 0, 0, nWidth, nHeight);
        m_hEmf = ::CloseEnhMetaFile(hdc);
    }
    ~CMetafileData() override { ::DeleteEnhMetaFile(m_hEmf); }
    STDMETHODIMP GetData(FORMATETC* pFormat, STGMEDIUM* pMedium) override
    {
        if (pFormat->cfFormat != CF_ENHMETAFILE || !(pFormat->tymed & TYMED_ENHMF))
            return DV_E_FORMATETC;
        pMedium->tymed = TYMED_ENHMF;
        pMedium->hEnhMetaFile = ::CopyEnhMetaFileA(m_hEmf, nullptr);
        pMedium->pUnkForRelease = nullptr;
        return S_OK;
    }
    STDMETHODIMP QueryGetData(FORMATETC* pFormat) override
    {
        return pFormat->cfFormat == CF_ENHMETAFILE ? S_OK : DV_E_FORMATETC;
    }

private:
    HENHMETAFILE m_hEmf;
};
