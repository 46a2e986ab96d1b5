// The application's list of document templates: opens files with the best
// matching template (or activates the document that has them open), asks for
// file names (DoPromptFileName, virtual so a program or a test can answer it),
// registers the document types with the shell and runs DDE commands.
#pragma once

#include "framework/base/CObject.h"
#include "framework/base/CPtrList.h"
#include "framework/base/CString.h"

class CDocTemplate;
class CDocument;

class CDocManager : public CObject
{
    DECLARE_DYNAMIC(CDocManager)
public:
    CDocManager();
    ~CDocManager() override;

    virtual void AddDocTemplate(CDocTemplate* pTemplate);
    POSITION GetFirstDocTemplatePosition() const { return m_templateList.GetHeadPosition(); }
    CDocTemplate* GetNextDocTemplate(POSITION& rPos) const { return (CDocTemplate*)m_templateList.GetNext(rPos); }
    virtual int GetDocumentCount();

    // bCompat also registers the print verbs, the icon and ShellNew.
    virtual void RegisterShellFileTypes(BOOL bCompat);
    virtual CDocument* OpenDocumentFile(LPCSTR lpszFileName);
    virtual BOOL SaveAllModified();
    virtual void CloseAllDocuments(BOOL bEndSession);
    virtual BOOL DoPromptFileName(CString& fileName, UINT nIDSTitle, DWORD lFlags, BOOL bOpenFileDialog,
                                  CDocTemplate* pTemplate);
    virtual BOOL OnDDECommand(LPSTR lpszCommand);
    virtual void OnFileNew();
    virtual void OnFileOpen();

    // The "Files (*.ext)|*.ext|...|All Files (*.*)|*.*" filter of the templates.
    CString BuildFilter(CDocTemplate* pTemplate, CString* pstrDefaultExt) const;

    CPtrList m_templateList;
};
