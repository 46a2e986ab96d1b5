// An embedded OLE object of a container document: the object, its storage
// (kept in memory) and the aspect it is drawn in. The item holds one
// reference on each; Release gives them back. Objects are opened in their
// server's own window (the containers here offer no in-place activation).
#pragma once

#include "framework/ole/CDocItem.h"

#include <ole2.h>

class CView;
class COleDocument;

class COleClientItem : public CDocItem
{
    DECLARE_DYNAMIC(COleClientItem)
public:
    explicit COleClientItem(COleDocument* pContainerDoc = nullptr);
    ~COleClientItem() override;

    enum ItemState { emptyState, loadedState, openState };
    // empty: no object; open: its server runs it; loaded otherwise.
    UINT GetItemState() const;

    // A new storage in memory for an object (FALSE when none can be made).
    static BOOL CreateMemoryStorage(IStorage** ppStorage);
    // Takes an object and its storage (each AddRef'd here).
    void Attach(IOleObject* pObject, IStorage* pStorage);
    // A new object of the class, in a new storage of this item, reporting to
    // the client site. FALSE (and no object) when the class cannot be made.
    BOOL CreateNewItem(REFCLSID clsid, IOleClientSite* pClientSite, DWORD dwDrawAspect = DVASPECT_CONTENT);
    // A new object from a file (its class decides the server).
    BOOL CreateFromFile(LPCSTR lpszFileName, IOleClientSite* pClientSite, DWORD dwDrawAspect = DVASPECT_CONTENT);

    // Runs a verb (OLEIVERB_PRIMARY, OLEIVERB_OPEN, ...) on the object.
    BOOL DoVerb(LONG nVerb, CView* pView, LPMSG lpMsg = nullptr);
    // Closes a running object (saving it into its storage as asked).
    void Close(DWORD dwCloseOption = OLECLOSE_SAVEIFDIRTY);
    // Closes the object without saving and gives back object and storage.
    void Release(DWORD dwCloseOption = OLECLOSE_NOSAVE);
    // Releases the object and deletes the item.
    virtual void Delete(BOOL bAutoDelete = TRUE);

    CLSID GetClassID() const;
    IOleObject* GetObject() const { return m_lpObject; }
    IStorage* GetStorage() const { return m_lpStorage; }
    DWORD GetDrawAspect() const { return m_nDrawAspect; }

    IOleObject* m_lpObject;
    IStorage* m_lpStorage;
    DWORD m_nDrawAspect;
};
