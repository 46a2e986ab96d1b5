// The benchmark's notebooks, made by the notebook core from a fixed seed, so
// the same size always gives the same file.
//
// "notes": n rich-text notes of about 60 KB RTF in n/20 folders nested up to
//          depth 6, with bookmarks, tasks and keywords.
// "nodes": n small nodes, one folder of n/5 children, the rest in folders
//          nested up to depth 6; numbers in names sort by value.
#pragma once

#include "framework/base/CString.h"

#include <string>

struct BenchCase
{
    std::string strSet; // "notes" or "nodes"
    unsigned nSize = 0; // notes, or nodes in all
};

// Writes the notebook of a case to the path. FALSE with a reason on failure.
bool MakeBenchNotebook(const BenchCase& benchCase, LPCSTR lpszPath, std::string& strError);

// The id of a note that the save step edits (the first note in table order).
DWORD FirstNoteId(const class CQuillcrestDoc& doc);

// RTF of about nBytes bytes of text, from a seed.
std::string MakeRtf(unsigned long long& seed, size_t nBytes);
