// What the font list knows of one face: the kind it was found as.
#pragma once

class CFontObj
{
public:
    enum
    {
        kScreenOther = 0,    // a screen font that is not TrueType
        kScreenTrueType = 1,
        kPrinter = 2,        // found only on the printer
    };
    explicit CFontObj(int nKind) : m_nKind(nKind) {}
    int m_nKind;
};
