// Everything a notebook holds, taken down so that a notebook can be compared
// with itself after a save, a failed save or a reopening: every table as
// lines, with nodes named by path (the file renumbers node, bookmark and
// task ids), and every payload as stored and as decoded.
#pragma once

#include "TestSupport.h"

#include <map>
#include <string>
#include <vector>

struct CNotebookSnapshot
{
    std::vector<std::string> lines; // sorted
    std::map<std::string, Bytes> stored;
    std::map<std::string, Bytes> plain;
};

// Node paths and the passwords that read their payloads.
typedef std::map<std::string, std::string> CNodePasswords;

// Reads every payload (expecting none damaged); the nodes named in
// passwords are read with theirs.
CNotebookSnapshot TakeNotebookSnapshot(CQuillcrestDoc& doc, const CNodePasswords& passwords);
// The same lines, and the same stored and decoded bytes for every payload.
void ExpectSameNotebook(const CNotebookSnapshot& expected, const CNotebookSnapshot& actual);
