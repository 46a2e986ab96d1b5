// Writes a notebook for the end-to-end drag in the node tree: a folder and
// two notes at the top level, by the program's own notebook core.
//
//   qlcdragnotebook <notebook path>
//
// Exit status 0 when the notebook was written and reads back.
#include "core/CQlcNode.h"
#include "core/CQlcNodeData.h"
#include "core/CQuillcrestDoc.h"

#include <cstdio>
#include <cstring>

namespace {

const char kLetter[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 A letter to be filed away.\\par}";

BOOL AddNode(CQuillcrestDoc& doc, BYTE nType, LPCSTR lpszName, LPCSTR lpszRtf)
{
    CQlcNode node;
    if (!node.Create(&doc, nType, lpszName, 0))
        return FALSE;
    if (lpszRtf == nullptr)
        return TRUE;
    CQlcNodeData* pData = node.GetDataForWrite(TRUE);
    if (pData == nullptr)
        return FALSE;
    pData->Put((const BYTE*)lpszRtf, (UINT)strlen(lpszRtf));
    return pData->Flush();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: qlcdragnotebook <notebook path>\n");
        return 2;
    }
    try
    {
        {
            // The notebook lets go of its file when it goes.
            CQuillcrestDoc doc;
            if (!doc.OnNewDocument() || !AddNode(doc, QLC_NODE_FOLDER, "Filed", nullptr) ||
                !AddNode(doc, QLC_NODE_NOTE, "Letter", kLetter) || !AddNode(doc, QLC_NODE_NOTE, "Memo", kLetter) ||
                !doc.OnSaveDocument(argv[1]))
            {
                fprintf(stderr, "qlcdragnotebook: %s could not be written\n", argv[1]);
                return 1;
            }
        }
        CQuillcrestDoc check;
        if (!check.Data_OpenNotebookFile(argv[1]) || check.Data_ReadFile() != 1 || check.Data_GetNodeCount() != 3)
        {
            fprintf(stderr, "qlcdragnotebook: %s does not read back\n", argv[1]);
            return 1;
        }
    }
    catch (...)
    {
        fprintf(stderr, "qlcdragnotebook: failed\n");
        return 1;
    }
    return 0;
}
