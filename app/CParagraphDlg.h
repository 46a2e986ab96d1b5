// The paragraph dialog: left and right indents in points (0 to 432, six
// inches) and the alignment. Values the selection does not share (mixed
// paragraphs) start empty and are left alone unless the user sets them.
#pragma once

#include "framework/ui/CDialog.h"

#include <richedit.h>

class CParagraphDlg : public CDialog
{
    DECLARE_DYNAMIC(CParagraphDlg)
public:
    explicit CParagraphDlg(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange* pDX) override;

    // Filled by the caller from the selection; on OK it carries exactly the
    // values the user could see or set, with their mask bits.
    PARAFORMAT2 m_pf;
    int m_nLeft;          // points
    int m_nRight;         // points
    int m_nAlignment;     // 0 left, 1 center, 2 right, 3 justify; -1 none
    RECT m_rcKeepClear;   // screen: the text it formats, which it opens clear of

    // Twips to points and back.
    static int TwipsToPoints(LONG lTwips) { return (int)(lTwips / 20); }
    static LONG PointsToTwips(int nPoints) { return (LONG)nPoints * 20; }
    static int AlignmentToIndex(WORD wAlignment);
    static WORD IndexToAlignment(int nIndex);

protected:
    // Exchanges one indent; an unknown one stays unknown while its box is empty.
    void ExchangeIndent(CDataExchange* pDX, int nIDC, int& nValue, BOOL& bKnown);

    BOOL m_bLeftKnown;
    BOOL m_bRightKnown;
};
