// Find in Nodes: the search worker over a notebook of big notes (content)
// and one of many small nodes (titles), served by this thread as the
// window's interface thread serves it.
#pragma once

#include <string>
#include <vector>

struct BenchFindFigure
{
    std::string strCase;
    double dSeconds = 0;        // start to the done flag (one worker: one core)
    double dLongestUiCall = 0;  // longest stretch the interface thread spent serving the worker
    double dUiTotal = 0;        // all the time it spent serving the worker
    double dLongestLockWait = 0; // longest wait of the window's tick for the lock
    size_t nFound = 0;
    bool bRight = false;        // found exactly the nodes it must
};

struct BenchFindOptions
{
    unsigned nNotes = 10000;  // notes of about 60 KB RTF each
    unsigned nNodes = 100000; // small nodes without text
    bool bRemake = false;
    std::string strDir;       // where the notebooks are made and kept
};

// Makes the two notebooks when missing and runs the searches on them.
// FALSE when a notebook could not be made or read, or a search could not
// start; a search that found the wrong nodes has bRight false.
bool RunFindBench(const BenchFindOptions& options, std::vector<BenchFindFigure>& figures, std::string& strError);
