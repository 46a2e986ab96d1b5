// Helpers of the document-operation tests: test pictures made by the image
// layer's encoders, a frame that records what the document asks of it, and
// node lookup by path.
#pragma once

#include "core/IQlcFrameCallbacks.h"

#include "TestSupport.h"

#include <string>
#include <vector>

class PLBmp;
class CTextConvLib;

// A 32-bpp picture with colours that differ per pixel and per seed.
void FillTestPicture(PLBmp& bmp, int nWidth, int nHeight, int nSeed);
// That picture as the bytes of an image file: format id 1 BMP, 3 JPEG,
// 7 PNG or 9 TIFF.
Bytes EncodeTestPicture(int nFormatId, int nWidth, int nHeight, int nSeed);
// Largest difference of one colour channel between two pictures of one size
// (-1 when their sizes differ).
int MaxChannelDifference(const PLBmp& a, const PLBmp& b);
// Mean difference of the colour channels (-1 when the sizes differ).
double MeanChannelDifference(const PLBmp& a, const PLBmp& b);

// Records the frame callbacks while it is the document's frame.
class CFrameRecorder : public IQlcFrameCallbacks
{
public:
    explicit CFrameRecorder(CQuillcrestDoc& doc);
    ~CFrameRecorder() override;

    void OnDocumentLoaded() override {}
    BOOL SaveCurrentNote() override { return TRUE; }
    BOOL IsTasksBarVisible() override { return FALSE; }
    void SetRichEditHostNames(LPCSTR) override {}
    BOOL IsEditorModified() override { return FALSE; }
    void UpdateTaskItem(DWORD dwTaskId) override { updatedTasks.push_back(dwTaskId); }
    void RefreshTreeNodeItem(DWORD dwNodeId) override { refreshedNodes.push_back(dwNodeId); }
    void RedrawBlankArea() override { ++nRedraws; }

    std::vector<DWORD> updatedTasks;
    std::vector<DWORD> refreshedNodes;
    int nRedraws = 0;

private:
    CQuillcrestDoc& m_doc;
};

// The text converters installed as the application's for the object's
// lifetime: the built-in RTF and plain-text converters only.
class CBuiltInConverters
{
public:
    CBuiltInConverters();
    ~CBuiltInConverters();
    CTextConvLib* Get() const { return m_pConverters; }

private:
    CTextConvLib* m_pConverters;
    CTextConvLib* m_pPrevious;
};

// The node whose path (Data_GetNodePath) is the one given; 0 when none.
DWORD FindNodeByPath(CQuillcrestDoc& doc, LPCSTR lpszPath);
// Names of the files in a folder.
std::vector<std::string> ListFiles(LPCSTR lpszDir);
