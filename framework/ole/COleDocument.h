// A document that holds embedded objects (COleClientItem) in its item list.
// Deleting the contents or the document deletes the items. The verbs of the
// selected object (ID_OLE_VERB_FIRST...) are its commands.
#pragma once

#include "framework/docview/CDocument.h"
#include "framework/base/CPtrList.h"

class CDocItem;
class COleClientItem;
class CView;

class COleDocument : public CDocument
{
    DECLARE_DYNAMIC(COleDocument)
public:
    COleDocument();
    ~COleDocument() override;

    // The item joins (or leaves) this document's list.
    virtual void AddItem(CDocItem* pItem);
    virtual void RemoveItem(CDocItem* pItem);
    POSITION GetStartPosition() const { return m_docItemList.GetHeadPosition(); }
    CDocItem* GetNextItem(POSITION& pos) const { return (CDocItem*)m_docItemList.GetNext(pos); }
    // The next item that is an embedded object (others skipped), or null.
    COleClientItem* GetNextClientItem(POSITION& pos) const;
    int GetItemCount() const { return (int)m_docItemList.GetCount(); }

    // The object selected in the view, or null (a plain OLE document keeps
    // no selection).
    virtual COleClientItem* GetPrimarySelectedItem(CView* pView);

    void DeleteContents() override;
    // Deletes every item (each leaves the list as it goes).
    void DeleteItems();

    // Verb commands on the selected object of the active view.
    BOOL OnObjectVerb(UINT nID);
    void OnUpdateObjectVerb(CCmdUI* pCmdUI);

protected:
    // The view commands are meant for: the active view of the active frame.
    CView* GetRoutingView() const;

    CPtrList m_docItemList;

    DECLARE_MESSAGE_MAP()
};
