// What the command line asks for: a file to open, printing, DDE start-up.
// ParseParam is called once per argument (flags without their '/' or '-').
#pragma once

#include "framework/base/CObject.h"
#include "framework/base/CString.h"

class CCommandLineInfo : public CObject
{
public:
    CCommandLineInfo();

    virtual void ParseParam(LPCSTR pszParam, BOOL bFlag, BOOL bLast);

    enum { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppUnregister, FileNothing = -1 } m_nShellCommand;
    BOOL m_bShowSplash;
    BOOL m_bRunEmbedded;
    BOOL m_bRunAutomated;
    CString m_strFileName;
    CString m_strPrinterName;
    CString m_strDriverName;
    CString m_strPortName;

protected:
    void ParseParamFlag(LPCSTR pszParam);
    void ParseParamNotFlag(LPCSTR pszParam);
    void ParseLast(BOOL bLast);
};
