// Reads a notebook with the program's own core and says whether the named
// note holds a word (and, if asked, in which font size): the end-to-end
// test's look at what the program saved.
//
//   qlcnotecheck <notebook> <note name> <word> [size in half points]
//
// Exit status 0 when it does, 1 when it does not, 2 when the notebook or the
// note cannot be read.
#include "core/CQlcNode.h"
#include "core/CQlcNodeData.h"
#include "core/CQuillcrestDoc.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4 && argc != 5)
    {
        fprintf(stderr, "usage: qlcnotecheck <notebook> <note name> <word> [size in half points]\n");
        return 2;
    }
    try
    {
        CQuillcrestDoc doc;
        if (!doc.Data_OpenNotebookFile(argv[1]) || doc.Data_ReadFile() != 1)
        {
            fprintf(stderr, "qlcnotecheck: %s does not read as a notebook\n", argv[1]);
            return 2;
        }
        DWORD dwNodeId = 0;
        const CQlcNodeMap& nodes = doc.GetNodeTable();
        POSITION pos = nodes.GetStartPosition();
        while (pos != nullptr && dwNodeId == 0)
        {
            DWORD dwId = 0;
            QLCNODE node;
            nodes.GetNextAssoc(pos, dwId, node);
            if (node.strName == argv[2])
                dwNodeId = dwId;
        }
        CQlcNode node(&doc, dwNodeId);
        CQlcNodeData* pData = node.IsValid() ? node.GetDataForRead() : nullptr;
        if (pData == nullptr || pData->IsDamaged())
        {
            fprintf(stderr, "qlcnotecheck: no readable note named \"%s\"\n", argv[2]);
            return 2;
        }
        std::string rtf;
        BYTE buf[4096];
        for (UINT n; (n = pData->Get(buf, sizeof(buf))) != 0;)
            rtf.append((const char*)buf, n);
        const size_t nWord = rtf.find(argv[3]);
        if (nWord == std::string::npos)
        {
            fprintf(stderr, "qlcnotecheck: \"%s\" is not in the note; it reads:\n%s\n", argv[3], rtf.c_str());
            return 1;
        }
        if (argc == 5)
        {
            // The size in force at the word: the last \fsN before it.
            const size_t nSize = rtf.rfind("\\fs", nWord);
            const int nHalfPoints = nSize == std::string::npos ? -1 : atoi(rtf.c_str() + nSize + 3);
            if (nHalfPoints != atoi(argv[4]))
            {
                fprintf(stderr, "qlcnotecheck: \"%s\" is in size %d, not %s; the note reads:\n%s\n", argv[3],
                        nHalfPoints, argv[4], rtf.c_str());
                return 1;
            }
        }
        printf("qlcnotecheck: \"%s\" found in \"%s\"\n", argv[3], argv[2]);
        return 0;
    }
    catch (...)
    {
        fprintf(stderr, "qlcnotecheck: reading %s failed\n", argv[1]);
        return 2;
    }
}
