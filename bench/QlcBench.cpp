// The benchmark of big notebooks: per notebook size it prints the time to
// copy the file (with a flush to disk), read it with the core, save it after
// one edit, open it to a filled tree in the program's window, fill the tree
// again, refresh it with folders open, open every folder and close it, the
// peak memory, and each figure's ratio to the size before. Then TIFF decoding
// against libtiff, key derivation, and Find in Nodes searches (content over
// big notes, titles over many nodes) with how long the interface thread was
// kept from its own work.
//
//   qlcbench.exe [--smoke] [--notes N,N,...] [--nodes N,N,...] [--no-tiff]
//                [--no-find] [--find-notes N] [--find-nodes N]
//                [--reps N] [--cap SECONDS] [--dir FOLDER] [--remake]
//
// Notebooks are made once per size in FOLDER (default: bench-data beside the
// program) and kept. Each size is measured in a process of its own. Times
// are medians; a step that runs past the cap is stopped and shown as "more
// than". The exit status is non-zero only when a step failed to do its work,
// never because of a time.
#include "BenchCrypt.h"
#include "BenchFind.h"
#include "BenchSteps.h"
#include "BenchTiff.h"

#include "framework/base/AfxPath.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Column
{
    const char* pszKey;
    const char* pszTitle;
    bool bTime;
};

const Column kColumns[] = {
    { "file_mb", "file MB", false }, { "read", "read", true },    { "save", "save", true },
    { "copy", "copy+sync", true },   { "open", "open", true },    { "fill", "fill", true },
    { "refresh", "refresh", true },  { "expand", "expand all", true }, { "close", "close", true },
    { "export", "export", true },    { "export_cpu", "export CPU", true }, { "floor", "floor", true },
    { "asked", "asked", false },
    { "load", "load", false },
    { "core_mb", "core MB", false },
    { "peak_mb", "peak MB", false },
};

// One figure: its value, or capped ("more than"), or missing.
struct Figure
{
    double dValue = 0;
    bool bKnown = false;
    bool bCapped = false;
};

struct Results
{
    std::map<std::string, std::vector<double>> values;
    std::map<std::string, double> capped;
    std::vector<std::string> errors;

    Figure Get(const std::string& strKey) const
    {
        Figure f;
        auto it = values.find(strKey);
        if (it != values.end() && !it->second.empty())
        {
            std::vector<double> v = it->second;
            std::sort(v.begin(), v.end());
            f.dValue = v[v.size() / 2];
            f.bKnown = true;
        }
        auto cap = capped.find(strKey);
        if (cap != capped.end() && !f.bKnown)
        {
            f.dValue = cap->second;
            f.bCapped = true;
        }
        return f;
    }
};

Results ReadResults(const std::string& strPath)
{
    Results results;
    std::ifstream in(strPath);
    std::string strLine;
    while (std::getline(in, strLine))
    {
        std::istringstream line(strLine);
        std::string strKey;
        line >> strKey;
        if (strKey == "error")
        {
            results.errors.push_back(strLine.substr(6));
            continue;
        }
        double dValue = 0;
        line >> dValue;
        const size_t iCap = strKey.rfind("_cap");
        const size_t iRep = strKey.find('#');
        if (iCap != std::string::npos && iCap + 4 == strKey.size())
            results.capped[strKey.substr(0, iCap)] = dValue;
        else
            results.values[strKey.substr(0, iRep)].push_back(dValue);
    }
    return results;
}

std::string FormatFigure(const Figure& f, bool bTime)
{
    char sz[32];
    if (!f.bKnown && !f.bCapped)
        return "-";
    if (f.bCapped)
        snprintf(sz, sizeof(sz), ">%.0f s", f.dValue);
    else if (!bTime)
        snprintf(sz, sizeof(sz), "%.1f", f.dValue);
    else if (f.dValue >= 10)
        snprintf(sz, sizeof(sz), "%.1f s", f.dValue);
    else if (f.dValue >= 0.1)
        snprintf(sz, sizeof(sz), "%.0f ms", f.dValue * 1000);
    else
        snprintf(sz, sizeof(sz), "%.1f ms", f.dValue * 1000);
    return sz;
}

std::string FormatRatio(const Figure& now, const Figure& before)
{
    char sz[32];
    if (!now.bKnown || !before.bKnown || before.dValue <= 0)
    {
        if (now.bCapped && before.bKnown && before.dValue > 0)
        {
            snprintf(sz, sizeof(sz), ">x%.1f", now.dValue / before.dValue);
            return sz;
        }
        return "-";
    }
    snprintf(sz, sizeof(sz), "x%.2f", now.dValue / before.dValue);
    return sz;
}

void PrintRow(const std::string& strFirst, const std::vector<std::string>& cells)
{
    printf("%-12s", strFirst.c_str());
    for (const std::string& s : cells)
        printf(" %10s", s.c_str());
    printf("\n");
    fflush(stdout);
}

std::vector<unsigned> ParseSizes(const char* psz)
{
    std::vector<unsigned> sizes;
    std::istringstream in(psz);
    std::string strItem;
    while (std::getline(in, strItem, ','))
    {
        const unsigned long n = strtoul(strItem.c_str(), nullptr, 10);
        if (n > 0)
            sizes.push_back((unsigned)n);
    }
    return sizes;
}

std::string ProgramPath()
{
    char sz[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, sz, MAX_PATH);
    return sz;
}

// Runs this program with the arguments and waits; its exit code.
DWORD RunChild(const std::string& strArgs)
{
    std::string strCommand = "\"" + ProgramPath() + "\" " + strArgs;
    std::vector<char> command(strCommand.begin(), strCommand.end());
    command.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        return 255;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD dwCode = 255;
    GetExitCodeProcess(pi.hProcess, &dwCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return dwCode;
}

double Now()
{
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)f.QuadPart;
}

std::string Quoted(const std::string& s)
{
    return "\"" + s + "\"";
}

struct Plan
{
    std::vector<unsigned> notes = { 2500, 5000, 10000 };
    std::vector<unsigned> nodes = { 25000, 50000, 100000 };
    bool bTiff = true;
    bool bFind = true;
    BenchFindOptions find;
    int nTiffWidth = 4000, nTiffHeight = 3000;
    bool bRemake = false;
    std::string strDir;
    BenchOptions options;
};

const char* SetTitle(const std::string& strSet)
{
    return strSet == "notes" ? "notes: n notes of about 60 KB RTF in n/20 folders nested up to depth 6"
                             : "nodes: n small nodes, one folder of n/5 children, numbers sorted by value";
}

bool RunSet(const Plan& plan, const std::string& strSet, const std::vector<unsigned>& sizes)
{
    if (sizes.empty())
        return true;
    bool bOk = true;
    printf("\n%s\n", SetTitle(strSet));
    std::vector<std::string> titles;
    for (const Column& c : kColumns)
        titles.push_back(c.pszTitle);
    PrintRow("size", titles);

    Results previous;
    bool bHavePrevious = false;
    for (unsigned nSize : sizes)
    {
        const std::string strNotebook = plan.strDir + "\\" + strSet + "-" + std::to_string(nSize) + ".qlc";
        if (plan.bRemake || GetFileAttributesA(strNotebook.c_str()) == INVALID_FILE_ATTRIBUTES)
        {
            const double t = Now();
            // Made under a temporary name: a stopped run leaves no half notebook.
            const std::string strPartial = strNotebook + ".part";
            DeleteFileA(strPartial.c_str());
            const DWORD dwCode = RunChild("--make " + strSet + " " + std::to_string(nSize) + " " + Quoted(strPartial));
            if (dwCode != 0 || !MoveFileExA(strPartial.c_str(), strNotebook.c_str(), MOVEFILE_REPLACE_EXISTING))
            {
                fprintf(stderr, "qlcbench: the %s notebook of %u could not be made\n", strSet.c_str(), nSize);
                DeleteFileA(strPartial.c_str());
                return false;
            }
            fprintf(stderr, "(made %s-%u.qlc in %.1f s)\n", strSet.c_str(), nSize, Now() - t);
        }

        const std::string strResults = plan.strDir + "\\results-" + strSet + "-" + std::to_string(nSize) + ".txt";
        DeleteFileA(strResults.c_str());
        char szArgs[64];
        snprintf(szArgs, sizeof(szArgs), "--reps %d --cap %.0f ", plan.options.nReps, plan.options.dCapSeconds);
        const DWORD dwCode = RunChild(std::string(szArgs) + "--measure " + strSet + " " + std::to_string(nSize) + " " +
                                      Quoted(strNotebook) + " " + Quoted(plan.strDir) + " " + Quoted(strResults));
        const Results results = ReadResults(strResults);
        if (dwCode != 0)
        {
            bOk = false;
            fprintf(stderr, "qlcbench: measuring %s %u failed (exit code %lu)\n", strSet.c_str(), nSize,
                    (unsigned long)dwCode);
        }
        for (const std::string& strError : results.errors)
            fprintf(stderr, "qlcbench: %s %u: %s\n", strSet.c_str(), nSize, strError.c_str());

        std::vector<std::string> cells, ratios;
        for (const Column& c : kColumns)
        {
            cells.push_back(FormatFigure(results.Get(c.pszKey), c.bTime));
            if (bHavePrevious)
                ratios.push_back(FormatRatio(results.Get(c.pszKey), previous.Get(c.pszKey)));
        }
        const Figure nodes = results.Get("nodes");
        PrintRow(std::to_string(nSize) + (nodes.bKnown ? "" : "?"), cells);
        if (bHavePrevious)
            PrintRow("  ratio", ratios);
        previous = results;
        bHavePrevious = true;
    }
    return bOk;
}

bool RunTiff(const Plan& plan)
{
    if (!plan.bTiff)
        return true;
    printf("\ntiff: decoding an uncompressed TIFF in memory (median of %d)\n", std::max(plan.options.nReps, 5));
    PrintRow("picture", { "into DIB", "into plain", "libtiff", "DIB/lib" });
    bool bOk = true;
    for (bool bAlpha : { false, true })
    {
        BenchTiffFigures f;
        if (!RunTiffBench(plan.nTiffWidth, plan.nTiffHeight, bAlpha, std::max(plan.options.nReps, 5), f))
        {
            fprintf(stderr, "qlcbench: the TIFF picture could not be made or decoded\n");
            bOk = false;
            continue;
        }
        char szRatio[32];
        snprintf(szRatio, sizeof(szRatio), "x%.2f", f.dLibtiff > 0 ? f.dDecoderWinBmp / f.dLibtiff : 0);
        Figure a, b, c;
        a.bKnown = b.bKnown = c.bKnown = true;
        a.dValue = f.dDecoderWinBmp;
        b.dValue = f.dDecoderAnyBmp;
        c.dValue = f.dLibtiff;
        PrintRow(f.strCase, { FormatFigure(a, true), FormatFigure(b, true), FormatFigure(c, true), szRatio });
    }
    return bOk;
}

bool RunCrypt(const Plan& plan)
{
    const int nReps = std::max(plan.options.nReps, 7);
    printf("\nkey derivation: the longest key of any cipher (median of %d); opening an encrypted node derives "
           "twice\n", nReps);
    std::vector<BenchCryptFigure> figures;
    const bool bOk = RunCryptBench(nReps, figures);
    if (!bOk)
        fprintf(stderr, "qlcbench: the encryption library could not be loaded or a key not derived\n");
    PrintRow("hash", { "key bytes", "derive" });
    for (const BenchCryptFigure& f : figures)
    {
        Figure time;
        time.bKnown = true;
        time.dValue = f.dSeconds;
        PrintRow(f.strHash, { std::to_string(f.nKeyBytes), FormatFigure(time, true) });
    }
    return bOk;
}

bool RunFind(const Plan& plan)
{
    if (!plan.bFind)
        return true;
    printf("\nfind in nodes: one worker served as the window serves it; content over %u notes of about 60 KB RTF "
           "(%u MB),\ntitles over %u nodes; UI call: longest stretch the interface thread served the worker (UI total: "
           "all of them);\nlock wait: longest wait of the window's tick\n",
           plan.find.nNotes, (unsigned)((unsigned long long)plan.find.nNotes * 60 / 1024), plan.find.nNodes);
    BenchFindOptions options = plan.find;
    options.strDir = plan.strDir;
    options.bRemake = plan.bRemake;
    std::vector<BenchFindFigure> figures;
    std::string strError;
    bool bOk = RunFindBench(options, figures, strError);
    if (!bOk)
        fprintf(stderr, "qlcbench: find in nodes: %s\n", strError.c_str());
    const auto printRow = [](const std::string& strFirst, const std::vector<std::string>& cells) {
        printf("%-32s", strFirst.c_str());
        for (const std::string& c : cells)
            printf(" %10s", c.c_str());
        printf("\n");
        fflush(stdout);
    };
    printRow("search", { "time", "found", "UI call", "UI total", "lock wait" });
    for (const BenchFindFigure& f : figures)
    {
        Figure time, call, total, wait;
        time.bKnown = call.bKnown = total.bKnown = wait.bKnown = true;
        time.dValue = f.dSeconds;
        call.dValue = f.dLongestUiCall;
        total.dValue = f.dUiTotal;
        wait.dValue = f.dLongestLockWait;
        printRow(f.strCase, { FormatFigure(time, true), std::to_string(f.nFound) + (f.bRight ? "" : " WRONG"),
                              FormatFigure(call, true), FormatFigure(total, true), FormatFigure(wait, true) });
        if (!f.bRight)
        {
            fprintf(stderr, "qlcbench: find in nodes: '%s' found the wrong nodes\n", f.strCase.c_str());
            bOk = false;
        }
    }
    return bOk;
}

} // namespace

int main(int argc, char** argv)
{
    Plan plan;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        const bool bHasValue = i + 1 < argc;
        if (arg == "--smoke")
        {
            plan.notes = { 100 };
            plan.nodes = { 1000 };
            plan.nTiffWidth = 400;
            plan.nTiffHeight = 300;
            plan.options.nReps = 1;
            plan.find.nNotes = 300;
            plan.find.nNodes = 3000;
        }
        else if (arg == "--notes" && bHasValue)
            plan.notes = ParseSizes(argv[++i]);
        else if (arg == "--nodes" && bHasValue)
            plan.nodes = ParseSizes(argv[++i]);
        else if (arg == "--no-tiff")
            plan.bTiff = false;
        else if (arg == "--no-find")
            plan.bFind = false;
        else if (arg == "--find-notes" && bHasValue)
            plan.find.nNotes = std::max(1u, (unsigned)strtoul(argv[++i], nullptr, 10));
        else if (arg == "--find-nodes" && bHasValue)
            plan.find.nNodes = std::max(1u, (unsigned)strtoul(argv[++i], nullptr, 10));
        else if (arg == "--reps" && bHasValue)
            plan.options.nReps = std::max(1, atoi(argv[++i]));
        else if (arg == "--cap" && bHasValue)
            plan.options.dCapSeconds = std::max(1.0, atof(argv[++i]));
        else if (arg == "--dir" && bHasValue)
            plan.strDir = argv[++i];
        else if (arg == "--remake")
            plan.bRemake = true;
        else if (arg == "--make" && i + 3 < argc)
        {
            BenchCase benchCase{ argv[i + 1], (unsigned)strtoul(argv[i + 2], nullptr, 10) };
            return RunMakeStep(benchCase, argv[i + 3]);
        }
        else if (arg == "--measure" && i + 5 < argc)
        {
            BenchCase benchCase{ argv[i + 1], (unsigned)strtoul(argv[i + 2], nullptr, 10) };
            return RunMeasureSteps(benchCase, argv[i + 3], argv[i + 4], argv[i + 5], plan.options);
        }
        else
        {
            fprintf(stderr, "qlcbench: unknown argument '%s'\n", arg.c_str());
            return 2;
        }
    }

    if (plan.strDir.empty())
    {
        plan.strDir = std::string((LPCSTR)AfxPathGetFolderWithSeparator(ProgramPath().c_str())) + "bench-data";
    }
    CreateDirectoryA(plan.strDir.c_str(), nullptr);
    printf("Quillcrest benchmark: %d run(s) per step, median; steps stopped after %.0f s\n", plan.options.nReps,
           plan.options.dCapSeconds);
    printf("copy+sync: the notebook file copied and flushed; read: the core reads it; save: the core saves it "
           "after one edit;\nopen: the program opens it to a filled tree; fill: the tree filled again; refresh: "
           "rebuilt keeping its top folders open;\nexpand all: every folder opened; close: the notebook window "
           "closed; export: the whole tree batch exported to an empty folder\nunder the processing dialog; export CPU: the "
           "processor time the program spent on it; floor: the same folders and files (names, sizes) made again\nby a "
           "bare loop of CreateFile, WriteFile and CloseHandle, what the system alone costs; asked: names that\nclashed "
           "and were asked about; load: the "
           "machine's one-minute load after the export;\ncore MB: peak working set after the core steps; peak MB: at "
           "the end\n");
    fflush(stdout);

    bool bOk = RunSet(plan, "notes", plan.notes);
    bOk = RunSet(plan, "nodes", plan.nodes) && bOk;
    bOk = RunTiff(plan) && bOk;
    bOk = RunCrypt(plan) && bOk;
    bOk = RunFind(plan) && bOk;
    return bOk ? 0 : 1;
}
