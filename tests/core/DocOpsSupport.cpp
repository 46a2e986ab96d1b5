#include "DocOpsSupport.h"

#include "core/CQlcAppServices.h"
#include "core/CQuillcrestDoc.h"
#include "core/CTextConvLib.h"

#include "imaging/PLAnyBmp.h"
#include "imaging/PLBmpEncoder.h"
#include "imaging/PLDataSink.h"
#include "imaging/PLJPEGEncoder.h"
#include "imaging/PLPNGEncoder.h"
#include "imaging/PLTIFFEncoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

void FillTestPicture(PLBmp& bmp, int nWidth, int nHeight, int nSeed)
{
    bmp.Create(nWidth, nHeight, 32, false);
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x)
            bmp.GetLineArray32()[y][x] =
                PLPixel32((uint8_t)(x * 7 + nSeed), (uint8_t)(y * 11 + 3 * nSeed), (uint8_t)((x + y) * 5), 255);
}

Bytes EncodeTestPicture(int nFormatId, int nWidth, int nHeight, int nSeed)
{
    PLAnyBmp bmp;
    FillTestPicture(bmp, nWidth, nHeight, nSeed);
    std::unique_ptr<PLPicEncoder> pEncoder;
    switch (nFormatId)
    {
    case 1: pEncoder.reset(new PLBmpEncoder); break;
    case 3: pEncoder.reset(new PLJPEGEncoder); break;
    case 7: pEncoder.reset(new PLPNGEncoder); break;
    case 9: pEncoder.reset(new PLTIFFEncoder); break;
    default: ADD_FAILURE() << "no encoder for format " << nFormatId; return Bytes();
    }
    Bytes buf((size_t)pEncoder->GetOutputCapacity(bmp));
    PLDataSink sink;
    sink.Open("picture", buf.data(), (int)buf.size());
    pEncoder->EncodeToSink(&bmp, &sink);
    buf.resize((size_t)sink.GetDataSize());
    return buf;
}

int MaxChannelDifference(const PLBmp& a, const PLBmp& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return -1;
    int nMax = 0;
    for (int y = 0; y < a.GetHeight(); ++y)
        for (int x = 0; x < a.GetWidth(); ++x)
        {
            const PLPixel32 pa = a.GetPixelColour(a.GetLineArray()[y], x);
            const PLPixel32 pb = b.GetPixelColour(b.GetLineArray()[y], x);
            nMax = std::max({ nMax, std::abs(pa.r - pb.r), std::abs(pa.g - pb.g), std::abs(pa.b - pb.b) });
        }
    return nMax;
}

double MeanChannelDifference(const PLBmp& a, const PLBmp& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return -1;
    double dSum = 0;
    for (int y = 0; y < a.GetHeight(); ++y)
        for (int x = 0; x < a.GetWidth(); ++x)
        {
            const PLPixel32 pa = a.GetPixelColour(a.GetLineArray()[y], x);
            const PLPixel32 pb = b.GetPixelColour(b.GetLineArray()[y], x);
            dSum += std::abs(pa.r - pb.r) + std::abs(pa.g - pb.g) + std::abs(pa.b - pb.b);
        }
    return dSum / (3.0 * a.GetWidth() * a.GetHeight());
}

CFrameRecorder::CFrameRecorder(CQuillcrestDoc& doc) : m_doc(doc)
{
    doc.SetFrameCallbacks(this);
}

CFrameRecorder::~CFrameRecorder()
{
    m_doc.SetFrameCallbacks(nullptr);
}

CBuiltInConverters::CBuiltInConverters()
    : m_pConverters(new CTextConvLib), m_pPrevious(QlcApp().GetTextConverters())
{
    // Plain text goes through a hidden RichEdit window, as in the program.
    static const HMODULE s_hRichEdit = LoadLibraryA("riched20.dll");
    (void)s_hRichEdit;
    // A key that does not exist: only the converters the program knows itself.
    m_pConverters->LoadConverters(HKEY_CURRENT_USER, "Software\\Quillcrest Tests\\No Converters");
    QlcApp().SetTextConverters(m_pConverters);
}

CBuiltInConverters::~CBuiltInConverters()
{
    QlcApp().SetTextConverters(m_pPrevious);
    delete m_pConverters;
}

DWORD FindNodeByPath(CQuillcrestDoc& doc, LPCSTR lpszPath)
{
    CQlcDocLock::CScoped tableLock106(doc.GetLock());
    for (POSITION pos = doc.GetNodeTable(tableLock106).GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        QLCNODE node;
        CQlcDocLock::CScoped tableLock110(doc.GetLock());
        doc.GetNodeTable(tableLock110).GetNextAssoc(pos, dwId, node);
        if (doc.Data_GetNodePath(dwId) == lpszPath)
            return dwId;
    }
    return 0;
}

std::vector<std::string> ListFiles(LPCSTR lpszDir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((std::string(lpszDir) + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do
    {
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            names.push_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}
