// Reads a notebook with the program's own core and says whether a note holds
// what the end-to-end test typed and formatted: the test's look at what the
// program saved. The note's RTF is shown in a rich-edit control, so text and
// formats are checked as the note view shows them.
//
//   qlcnotecheck <notebook> <note name> [--text TEXT]... [--bold WORD]... [--size WORD=HALFPOINTS]...
//                [--face WORD=FACE]... [--in FOLDER]
//
// --text: the note's text holds TEXT; --bold: WORD is in the note and bold
// throughout; --size: WORD is in the note in that size throughout (half
// points, as RTF gives sizes); --face: WORD is in the note in that font face
// throughout; --in: the note lies in a folder of that name. Exit status 0 when everything holds, 1 when something does
// not, 2 when the notebook or the note cannot be read.
#include "core/CQlcNode.h"
#include "core/CQlcNodeData.h"
#include "core/CQuillcrestDoc.h"

#include "CShownNote.h"

#include <cstdio>
#include <cstdlib>
#include <string>


int main(int argc, char** argv)
{
    if (argc < 3 || (argc - 3) % 2 != 0)
    {
        fprintf(stderr, "usage: qlcnotecheck <notebook> <note name> [--text TEXT]... [--bold WORD]... "
                        "[--size WORD=HALFPOINTS]... [--face WORD=FACE]... [--in FOLDER]\n");
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
        CQlcDocLock::CScoped tableLock41(doc.GetLock());
        const CQlcNodeMap& nodes = doc.GetNodeTable(tableLock41);
        POSITION pos = nodes.GetStartPosition();
        while (pos != nullptr && dwNodeId == 0)
        {
            DWORD dwId = 0;
            QLCNODE node;
            nodes.GetNextAssoc(pos, dwId, node);
            if (node.strName == argv[2])
                dwNodeId = dwId;
        }
        CQlcNode found(&doc, dwNodeId);
        CQlcNodeData* pData = found.IsValid() ? found.GetDataForRead() : nullptr;
        if (pData == nullptr || pData->IsDamaged())
        {
            fprintf(stderr, "qlcnotecheck: no readable note named \"%s\"\n", argv[2]);
            return 2;
        }
        std::string rtf;
        BYTE buf[4096];
        for (UINT n; (n = pData->Get(buf, sizeof(buf))) != 0;)
            rtf.append((const char*)buf, n);
        const CShownNote note(rtf);
        if (!note.IsShown())
        {
            fprintf(stderr, "qlcnotecheck: no rich-edit control to show the note in\n");
            return 2;
        }

        int nFailed = 0;
        for (int i = 3; i + 1 < argc; i += 2)
        {
            const std::string option = argv[i];
            std::string what = argv[i + 1];
            int nHalfPoints = 0;
            std::string face;
            if (option == "--face")
            {
                const size_t nEq = what.find('=');
                if (nEq == std::string::npos || nEq + 1 == what.size())
                {
                    fprintf(stderr, "qlcnotecheck: --face wants WORD=FACE, not %s\n", what.c_str());
                    return 2;
                }
                face = what.substr(nEq + 1);
                what.resize(nEq);
            }
            else if (option == "--size")
            {
                const size_t nEq = what.rfind('=');
                nHalfPoints = nEq == std::string::npos ? 0 : atoi(what.c_str() + nEq + 1);
                if (nHalfPoints <= 0)
                {
                    fprintf(stderr, "qlcnotecheck: --size wants WORD=HALFPOINTS, not %s\n", what.c_str());
                    return 2;
                }
                what.resize(nEq);
            }
            const char* lpszWhat = what.c_str();
            if (option == "--in")
            {
                QLCNODE parent;
                if (!doc.Data_GetNode(found.GetParentId(), parent) || parent.strName != lpszWhat)
                {
                    fprintf(stderr, "qlcnotecheck: \"%s\" is not in a folder \"%s\"\n", argv[2], lpszWhat);
                    nFailed++;
                    continue;
                }
                printf("qlcnotecheck: \"%s\" lies in \"%s\"\n", argv[2], lpszWhat);
                continue;
            }
            const CHARRANGE range = note.Find(lpszWhat);
            if (range.cpMin < 0)
            {
                fprintf(stderr, "qlcnotecheck: \"%s\" is not in \"%s\"\n", lpszWhat, argv[2]);
                nFailed++;
                continue;
            }
            if (option == "--bold")
            {
                const CHARFORMAT2A cf = note.FormatOf(range);
                if (!(cf.dwMask & CFM_BOLD) || !(cf.dwEffects & CFE_BOLD))
                {
                    fprintf(stderr, "qlcnotecheck: \"%s\" is not bold throughout\n", lpszWhat);
                    nFailed++;
                    continue;
                }
            }
            else if (option == "--size")
            {
                // Twips in the control: ten to the half point.
                const CHARFORMAT2A cf = note.FormatOf(range);
                if (!(cf.dwMask & CFM_SIZE) || cf.yHeight != nHalfPoints * 10)
                {
                    fprintf(stderr, "qlcnotecheck: \"%s\" is not in size %d throughout (%ld twips)\n", lpszWhat,
                            nHalfPoints, (long)cf.yHeight);
                    nFailed++;
                    continue;
                }
            }
            else if (option == "--face")
            {
                const CHARFORMAT2A cf = note.FormatOf(range);
                if (!(cf.dwMask & CFM_FACE) || face != cf.szFaceName)
                {
                    fprintf(stderr, "qlcnotecheck: \"%s\" is not in the face %s throughout (%s)\n", lpszWhat,
                            face.c_str(), (cf.dwMask & CFM_FACE) ? cf.szFaceName : "mixed faces");
                    nFailed++;
                    continue;
                }
            }
            else if (option != "--text")
            {
                fprintf(stderr, "qlcnotecheck: unknown check %s\n", option.c_str());
                return 2;
            }
            printf("qlcnotecheck: %s \"%s\" holds in \"%s\"\n", option.c_str() + 2, lpszWhat, argv[2]);
        }
        if (nFailed != 0)
            fprintf(stderr, "qlcnotecheck: the note reads:\n%s\nIts RTF:\n%s\n", note.Text().c_str(), rtf.c_str());
        return nFailed == 0 ? 0 : 1;
    }
    catch (...)
    {
        fprintf(stderr, "qlcnotecheck: reading %s failed\n", argv[1]);
        return 2;
    }
}
