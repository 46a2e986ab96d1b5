// What the notebook document asks of the window that shows it (the child
// frame of its first view). A document without a view has none, and then
// these calls are simply not made.
#pragma once

#include "framework/base/AfxDefs.h"

class IQlcFrameCallbacks
{
public:
    virtual ~IQlcFrameCallbacks() {}

    // The notebook has been read: fill the tree, bookmarks and tasks.
    virtual void OnDocumentLoaded() = 0;
    // Stores the note on screen into its payload; FALSE when that failed.
    virtual BOOL SaveCurrentNote() = 0;
    // Whether the Tasks bar is shown (stored in the file flags on save).
    virtual BOOL IsTasksBarVisible() = 0;
    // The document's title changed.
    virtual void SetRichEditHostNames(LPCSTR lpszTitle) = 0;
    // Whether the note editor holds unsaved changes.
    virtual BOOL IsEditorModified() = 0;
    virtual void UpdateTaskItem(DWORD dwTaskId) = 0;
    virtual void RefreshTreeNodeItem(DWORD dwNodeId) = 0;
    virtual void RedrawBlankArea() = 0;
};
