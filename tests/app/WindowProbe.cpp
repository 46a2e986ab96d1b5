// Tells the end-to-end scripts where the real program's windows are and what
// they show. Run with wine in the program's prefix, it looks into the wine
// desktop the program runs in (windows of other desktops are not seen), finds
// a window by title, class and control id, and prints its place on the screen
// (the desktop's own coordinates, which xdotool's --window takes), its text,
// its state, the keyboard focus of its thread or the rows of a tree or list.
//
//   qlcwinprobe <desktop> <command> [--wait SECONDS] [--is PATTERN] [--hidden] SPEC...
//
// Commands:
//   find      one line: class, id, "text", x y width height, visible/hidden
//   rect      x y width height of the window
//   client    x y width height of its client area
//   caption   x y of a point on its title bar, clear of the buttons
//   text      its text
//   state     words: visible|hidden enabled|disabled, then those that hold:
//             foreground, focus, capture (it has the mouse, as in a drag),
//             minimized, maximized, checked|unchecked|mixed (check boxes and
//             radio buttons)
//   focus     the window holding the keyboard focus in the window's thread,
//             as class id "text"
//   items     the rows of a tree (shown rows, two spaces per level) or list box
//   item TEXT x y width height of the first row whose text matches TEXT
//   dump      the windows below it, indented; every top-level window when no
//             SPEC is given
//   gone      succeeds when no window matches
//
// SPEC: one argument per level, the first a top-level window, each next one a
// window anywhere below the previous one; terms joined by commas:
// title=PATTERN, class=PATTERN, id=NUMBER. Patterns take * and ?. Only
// visible windows match unless --hidden is given.
//
// --wait: look again every 50 ms until the command succeeds (and its output
// matches --is) or the seconds are over. --is: the output (lines joined by
// newlines) must match PATTERN. Exit status 0 on success; 1 when the window
// is not there or the output does not match, with a message naming what was
// looked for; 2 on bad arguments.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <string>
#include <vector>

namespace
{

struct Spec
{
    std::string strText;  // as given, for messages
    std::string strTitle;
    std::string strClass;
    bool bHasTitle = false;
    bool bHasClass = false;
    bool bHasId = false;
    long nId = 0;
};

struct Options
{
    std::string strCommand;
    std::string strArg;  // the row of "item"
    std::vector<Spec> specs;
    double dWait = 0;
    bool bHasIs = false;
    std::string strIs;
    bool bHidden = false;
};

bool Match(const char* pattern, const char* text)
{
    // Iterative glob with one back-track point for the last '*'.
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*text != '\0')
    {
        if (*pattern == '*')
        {
            star = pattern++;
            resume = text;
        }
        else if (*pattern == '?' || *pattern == *text)
        {
            ++pattern;
            ++text;
        }
        else if (star != nullptr)
        {
            pattern = star + 1;
            text = ++resume;
        }
        else
            return false;
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

bool ParseSpec(const std::string& text, Spec& spec)
{
    spec.strText = text;
    size_t start = 0;
    while (start <= text.size())
    {
        size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string term = text.substr(start, end - start);
        const size_t eq = term.find('=');
        if (eq == std::string::npos)
            return false;
        const std::string key = term.substr(0, eq), value = term.substr(eq + 1);
        if (key == "title")
            spec.strTitle = value, spec.bHasTitle = true;
        else if (key == "class")
            spec.strClass = value, spec.bHasClass = true;
        else if (key == "id")
        {
            char* stop = nullptr;
            spec.nId = strtol(value.c_str(), &stop, 0);
            if (value.empty() || *stop != '\0')
                return false;
            spec.bHasId = true;
        }
        else
            return false;
        start = end + 1;
    }
    return true;
}

std::string WindowText(HWND hwnd)
{
    // WM_GETTEXT rather than GetWindowText: in another process's controls
    // it gets what they show, not the title they were made with.
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &len))
        return std::string();
    std::vector<char> buf(len + 2);
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, buf.size(), (LPARAM)buf.data(), SMTO_ABORTIFHUNG, 5000, &got))
        return std::string();
    return std::string(buf.data(), strnlen(buf.data(), buf.size()));
}

// The title wine keeps for the window: never waits for a busy program.
std::string Title(HWND hwnd)
{
    char sz[512] = "";
    GetWindowTextA(hwnd, sz, sizeof(sz));
    return sz;
}

std::string ClassOf(HWND hwnd)
{
    char sz[256] = "";
    GetClassNameA(hwnd, sz, sizeof(sz));
    return sz;
}

bool Matches(HWND hwnd, const Spec& spec, bool bHidden)
{
    if (!bHidden && !IsWindowVisible(hwnd))
        return false;
    if (spec.bHasId && GetDlgCtrlID(hwnd) != spec.nId)
        return false;
    if (spec.bHasClass && !Match(spec.strClass.c_str(), ClassOf(hwnd).c_str()))
        return false;
    if (spec.bHasTitle && !Match(spec.strTitle.c_str(), Title(hwnd).c_str()))
        return false;
    return true;
}

std::vector<HWND> Children(HWND hwndParent)
{
    std::vector<HWND> result;
    for (HWND hwnd = GetWindow(hwndParent, GW_CHILD); hwnd != nullptr; hwnd = GetWindow(hwnd, GW_HWNDNEXT))
        result.push_back(hwnd);
    return result;
}

// The windows of specs[level] among the children of hwndParent (and, when
// bDeep, their descendants), depth first in z-order, below which the next
// levels are found; the last level's windows are added to found.
void FindAll(HWND hwndParent, const std::vector<Spec>& specs, size_t level, bool bHidden, bool bDeep,
             std::vector<HWND>& found)
{
    for (HWND hwnd : Children(hwndParent))
    {
        if (Matches(hwnd, specs[level], bHidden))
        {
            if (level + 1 < specs.size())
                FindAll(hwnd, specs, level + 1, bHidden, true, found);
            else if (std::find(found.begin(), found.end(), hwnd) == found.end())
                found.push_back(hwnd);
        }
        if (bDeep)
            FindAll(hwnd, specs, level, bHidden, true, found);
    }
}

std::string Rect(const RECT& rc)
{
    char sz[96];
    snprintf(sz, sizeof(sz), "%ld %ld %ld %ld", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    return sz;
}

std::string Describe(HWND hwnd)
{
    RECT rc = {};
    GetWindowRect(hwnd, &rc);
    char sz[64];
    snprintf(sz, sizeof(sz), " %d", GetDlgCtrlID(hwnd));
    return ClassOf(hwnd) + sz + " \"" + Title(hwnd) + "\" " + Rect(rc) +
        (IsWindowVisible(hwnd) ? " visible" : " hidden");
}

void Dump(HWND hwndParent, int depth, std::string& out)
{
    for (HWND hwnd : Children(hwndParent))
    {
        out += std::string(depth * 2, ' ') + Describe(hwnd) + "\n";
        Dump(hwnd, depth + 1, out);
    }
}

// The input state of the window's thread (zeros when it cannot be read).
GUITHREADINFO InputOf(HWND hwnd)
{
    GUITHREADINFO gti = {};
    gti.cbSize = sizeof(gti);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &gti))
    {
        gti = {};
        gti.cbSize = sizeof(gti);
    }
    return gti;
}

std::string State(HWND hwnd)
{
    std::string s = IsWindowVisible(hwnd) ? "visible" : "hidden";
    s += IsWindowEnabled(hwnd) ? " enabled" : " disabled";
    if (GetForegroundWindow() == hwnd)
        s += " foreground";
    const GUITHREADINFO input = InputOf(hwnd);
    if (input.hwndFocus == hwnd)
        s += " focus";
    if (input.hwndCapture == hwnd)
        s += " capture";
    if (IsIconic(hwnd))
        s += " minimized";
    if (IsZoomed(hwnd))
        s += " maximized";
    if (ClassOf(hwnd) == "Button")
    {
        switch (GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK)
        {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
        {
            const LRESULT check = SendMessageA(hwnd, BM_GETCHECK, 0, 0);
            s += check == BST_CHECKED ? " checked" : check == BST_INDETERMINATE ? " mixed" : " unchecked";
            break;
        }
        default:
            break;
        }
    }
    return s;
}

// Memory inside the window's process, for the common controls' messages,
// whose pointers wine (like Windows) passes to another process unchanged.
class RemoteBlock
{
public:
    RemoteBlock(HWND hwnd, SIZE_T size)
        : m_size(size)
    {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        m_hProcess = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (m_hProcess != nullptr)
            m_p = (BYTE*)VirtualAllocEx(m_hProcess, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBlock()
    {
        if (m_p != nullptr)
            VirtualFreeEx(m_hProcess, m_p, 0, MEM_RELEASE);
        if (m_hProcess != nullptr)
            CloseHandle(m_hProcess);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    bool IsValid() const { return m_p != nullptr; }
    BYTE* At(SIZE_T offset) const { return m_p + offset; }
    bool Write(SIZE_T offset, const void* data, SIZE_T size) const
    {
        SIZE_T done = 0;
        return offset + size <= m_size && WriteProcessMemory(m_hProcess, m_p + offset, data, size, &done) &&
            done == size;
    }
    bool Read(SIZE_T offset, void* data, SIZE_T size) const
    {
        SIZE_T done = 0;
        return offset + size <= m_size && ReadProcessMemory(m_hProcess, m_p + offset, data, size, &done) &&
            done == size;
    }

private:
    HANDLE m_hProcess = nullptr;
    BYTE* m_p = nullptr;
    SIZE_T m_size;
};

struct Row
{
    std::string strText;
    int depth;
    RECT rc;  // screen; empty when the row is out of sight
    std::string strState;  // toolbar buttons: checked, pressed, mixed, disabled
};

bool TreeRows(HWND hwnd, std::vector<Row>& rows)
{
    const SIZE_T kText = 1024;
    RemoteBlock block(hwnd, sizeof(TVITEMA) + kText);
    if (!block.IsValid())
        return false;
    // The shown rows: the open branches from the first root on.
    HTREEITEM hItem = (HTREEITEM)SendMessageA(hwnd, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    while (hItem != nullptr)
    {
        TVITEMA item = {};
        item.mask = TVIF_TEXT;
        item.hItem = hItem;
        item.pszText = (LPSTR)block.At(sizeof(TVITEMA));
        item.cchTextMax = kText;
        char text[kText] = "";
        if (!block.Write(0, &item, sizeof(item)) || !SendMessageA(hwnd, TVM_GETITEMA, 0, (LPARAM)block.At(0)) ||
            !block.Read(sizeof(TVITEMA), text, kText))
            return false;
        text[kText - 1] = '\0';
        Row row = { text, 0, {}, "" };
        for (HTREEITEM h = hItem; (h = (HTREEITEM)SendMessageA(hwnd, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)h));)
            ++row.depth;
        RECT rc = {};
        *(HTREEITEM*)&rc = hItem;
        if (block.Write(0, &rc, sizeof(rc)) && SendMessageA(hwnd, TVM_GETITEMRECT, TRUE, (LPARAM)block.At(0)) &&
            block.Read(0, &rc, sizeof(rc)))
        {
            MapWindowPoints(hwnd, HWND_DESKTOP, (POINT*)&rc, 2);
            row.rc = rc;
        }
        rows.push_back(row);
        // The next shown row: the first child of an open branch, else the
        // next sibling of the row or of its nearest parent that has one.
        HTREEITEM hNext = nullptr;
        if (SendMessageA(hwnd, TVM_GETITEMSTATE, (WPARAM)hItem, TVIS_EXPANDED) & TVIS_EXPANDED)
            hNext = (HTREEITEM)SendMessageA(hwnd, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)hItem);
        for (HTREEITEM h = hItem; hNext == nullptr && h != nullptr;
             h = (HTREEITEM)SendMessageA(hwnd, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)h))
            hNext = (HTREEITEM)SendMessageA(hwnd, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)h);
        hItem = hNext;
    }
    return true;
}

bool ListRows(HWND hwnd, std::vector<Row>& rows)
{
    // Wine carries the list box messages to another process itself, in
    // their wide form (the 8-bit one comes back unconverted).
    const LRESULT count = SendMessageW(hwnd, LB_GETCOUNT, 0, 0);
    if (count == LB_ERR)
        return false;
    RECT rcClient = {};
    GetClientRect(hwnd, &rcClient);
    for (LRESULT i = 0; i < count; ++i)
    {
        const LRESULT len = SendMessageW(hwnd, LB_GETTEXTLEN, i, 0);
        std::vector<WCHAR> wide(len == LB_ERR ? 1 : len + 1);
        if (len == LB_ERR || SendMessageW(hwnd, LB_GETTEXT, i, (LPARAM)wide.data()) == LB_ERR)
            wide[0] = 0;
        wide.back() = 0;
        char text[1024] = "";
        WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, text, sizeof(text), nullptr, nullptr);
        text[sizeof(text) - 1] = '\0';
        Row row = { text, 0, {}, "" };
        RECT rc = {};
        RECT rcShown = {};
        if (SendMessageW(hwnd, LB_GETITEMRECT, i, (LPARAM)&rc) != LB_ERR && IntersectRect(&rcShown, &rc, &rcClient))
        {
            MapWindowPoints(hwnd, HWND_DESKTOP, (POINT*)&rcShown, 2);
            row.rc = rcShown;
        }
        rows.push_back(row);
    }
    return true;
}

// A toolbar's buttons: their command ids, places and states.
bool ToolbarRows(HWND hwnd, std::vector<Row>& rows)
{
    RemoteBlock block(hwnd, sizeof(TBBUTTON) + sizeof(RECT));
    if (!block.IsValid())
        return false;
    const LRESULT count = SendMessageA(hwnd, TB_BUTTONCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
    {
        TBBUTTON button = {};
        if (!SendMessageA(hwnd, TB_GETBUTTON, i, (LPARAM)block.At(0)) || !block.Read(0, &button, sizeof(button)))
            return false;
        if ((button.fsStyle & BTNS_SEP) || (button.fsState & TBSTATE_HIDDEN))
            continue;
        Row row = { std::to_string(button.idCommand), 0, {}, "" };
        if (button.fsState & TBSTATE_CHECKED)
            row.strState += " checked";
        if (button.fsState & TBSTATE_PRESSED)
            row.strState += " pressed";
        if (button.fsState & TBSTATE_INDETERMINATE)
            row.strState += " mixed";
        if (!(button.fsState & TBSTATE_ENABLED))
            row.strState += " disabled";
        RECT rc = {};
        if (SendMessageA(hwnd, TB_GETITEMRECT, i, (LPARAM)block.At(sizeof(TBBUTTON))) &&
            block.Read(sizeof(TBBUTTON), &rc, sizeof(rc)))
        {
            MapWindowPoints(hwnd, HWND_DESKTOP, (POINT*)&rc, 2);
            row.rc = rc;
        }
        rows.push_back(row);
    }
    return true;
}

// A tooltip window's tools: their texts and places (the tray's icons are
// found so, by their tips).
bool TipRows(HWND hwnd, std::vector<Row>& rows)
{
    const SIZE_T kText = 1024;
    RemoteBlock block(hwnd, sizeof(TTTOOLINFOA) + kText);
    if (!block.IsValid())
        return false;
    const LRESULT count = SendMessageA(hwnd, TTM_GETTOOLCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
    {
        TTTOOLINFOA ti = {};
        ti.cbSize = sizeof(ti);
        ti.lpszText = (LPSTR)block.At(sizeof(ti));
        char text[kText] = "";
        if (!block.Write(0, &ti, sizeof(ti)) || !block.Write(sizeof(ti), text, 1) ||
            !SendMessageA(hwnd, TTM_ENUMTOOLSA, i, (LPARAM)block.At(0)) || !block.Read(0, &ti, sizeof(ti)))
            return false;
        // A tip given by callback or resource has no text here.
        if (ti.lpszText == (LPSTR)block.At(sizeof(ti)) && block.Read(sizeof(ti), text, kText))
            text[kText - 1] = '\0';
        else
            text[0] = '\0';
        RECT rc = ti.rect;
        if (ti.uFlags & TTF_IDISHWND)
            GetWindowRect((HWND)ti.uId, &rc);
        else
            MapWindowPoints(ti.hwnd, HWND_DESKTOP, (POINT*)&rc, 2);
        rows.push_back({ text, 0, rc, "" });
    }
    return true;
}

// The rows of a tree, list box, toolbar or tooltip; false (with a reason)
// for other windows.
bool Rows(HWND hwnd, std::vector<Row>& rows, std::string& error)
{
    const std::string cls = ClassOf(hwnd);
    if (cls == WC_TREEVIEWA)
    {
        if (TreeRows(hwnd, rows))
            return true;
        error = "the rows of the tree could not be read";
        return false;
    }
    if (cls == "ListBox" || cls == "ComboLBox")
    {
        if (ListRows(hwnd, rows))
            return true;
        error = "the rows of the list could not be read";
        return false;
    }
    if (cls == TOOLBARCLASSNAMEA || cls == TOOLTIPS_CLASSA)
    {
        if (cls == TOOLBARCLASSNAMEA ? ToolbarRows(hwnd, rows) : TipRows(hwnd, rows))
            return true;
        error = "the " + std::string(cls == TOOLBARCLASSNAMEA ? "buttons" : "tools") + " could not be read";
        return false;
    }
    error = "a " + cls + " has no rows (a tree, list box, toolbar or tooltip has)";
    return false;
}

// The command on one window: true with its output, false with what is
// missing.
bool RunOn(HWND hwnd, const Options& opt, std::string& out, std::string& error)
{
    out.clear();
    RECT rc = {};
    if (opt.strCommand == "find")
        out = Describe(hwnd);
    else if (opt.strCommand == "rect")
    {
        GetWindowRect(hwnd, &rc);
        out = Rect(rc);
    }
    else if (opt.strCommand == "client")
    {
        GetClientRect(hwnd, &rc);
        MapWindowPoints(hwnd, HWND_DESKTOP, (POINT*)&rc, 2);
        out = Rect(rc);
    }
    else if (opt.strCommand == "caption")
    {
        TITLEBARINFO tbi = {};
        tbi.cbSize = sizeof(tbi);
        if (!GetTitleBarInfo(hwnd, &tbi) || (tbi.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN)) ||
            IsRectEmpty(&tbi.rcTitleBar))
        {
            error = "it has no title bar";
            return false;
        }
        // Left of the middle: the buttons sit at the right end.
        char sz[64];
        snprintf(sz, sizeof(sz), "%ld %ld", tbi.rcTitleBar.left + (tbi.rcTitleBar.right - tbi.rcTitleBar.left) / 3,
                 (tbi.rcTitleBar.top + tbi.rcTitleBar.bottom) / 2);
        out = sz;
    }
    else if (opt.strCommand == "text")
        out = WindowText(hwnd);
    else if (opt.strCommand == "state")
        out = State(hwnd);
    else if (opt.strCommand == "focus")
    {
        const HWND hwndFocus = InputOf(hwnd).hwndFocus;
        if (hwndFocus == nullptr)
            out = "none";
        else
        {
            char sz[32];
            snprintf(sz, sizeof(sz), " %d \"", GetDlgCtrlID(hwndFocus));
            out = ClassOf(hwndFocus) + sz + Title(hwndFocus) + "\"";
        }
    }
    else if (opt.strCommand == "items" || opt.strCommand == "item")
    {
        std::vector<Row> rows;
        if (!Rows(hwnd, rows, error))
            return false;
        for (const Row& row : rows)
        {
            if (opt.strCommand == "items")
                out += std::string(row.depth * 2, ' ') + row.strText + "\n";
            else if (Match(opt.strArg.c_str(), row.strText.c_str()))
            {
                if (IsRectEmpty(&row.rc))
                {
                    error = "the row \"" + row.strText + "\" is out of sight";
                    return false;
                }
                out = Rect(row.rc);
                return true;
            }
        }
        if (opt.strCommand == "item")
        {
            error = "no row \"" + opt.strArg + "\"";
            return false;
        }
    }
    else if (opt.strCommand == "dump")
    {
        out = Describe(hwnd) + "\n";
        Dump(hwnd, 1, out);
    }
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    if (opt.bHasIs && !Match(opt.strIs.c_str(), out.c_str()))
    {
        error = "it shows \"" + out + "\", not \"" + opt.strIs + "\"";
        return false;
    }
    return true;
}

// Runs the command once on the first window named that answers it (for
// "gone": when none is named).
bool RunOnce(const Options& opt, std::string& out, std::string& error)
{
    out.clear();
    if (opt.specs.empty())
    {
        if (opt.strCommand != "dump")
        {
            error = "no window named";
            return false;
        }
        Dump(GetDesktopWindow(), 0, out);
        if (!out.empty())
            out.pop_back();
        return true;
    }
    std::vector<HWND> windows;
    FindAll(GetDesktopWindow(), opt.specs, 0, opt.bHidden, false, windows);
    if (opt.strCommand == "gone")
    {
        if (windows.empty())
            return true;
        error = "still there: " + Describe(windows.front());
        return false;
    }
    if (windows.empty())
    {
        error = "no such window";
        return false;
    }
    std::string firstError;
    for (HWND hwnd : windows)
    {
        if (RunOn(hwnd, opt, out, error))
            return true;
        if (firstError.empty())
            firstError = error;
    }
    error = firstError;
    return false;
}

std::string Named(const Options& opt)
{
    std::string s;
    for (const Spec& spec : opt.specs)
        s += (s.empty() ? "" : " / ") + spec.strText;
    return s;
}

int Usage()
{
    fprintf(stderr, "usage: qlcwinprobe <desktop> find|rect|client|caption|text|state|focus|items|item TEXT|dump|gone "
                    "[--wait SECONDS] [--is PATTERN] [--hidden] SPEC...\n"
                    "  SPEC: title=PATTERN,class=PATTERN,id=NUMBER (one argument per level)\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    Options opt;
    opt.strCommand = argv[2];
    static const char* const kCommands[] = { "find", "rect",  "client", "caption", "text", "state",
                                             "focus", "items", "item",   "dump",    "gone" };
    bool bKnown = false;
    for (const char* command : kCommands)
        bKnown = bKnown || opt.strCommand == command;
    if (!bKnown)
        return Usage();
    int i = 3;
    if (opt.strCommand == "item")
    {
        if (argc < 4)
            return Usage();
        opt.strArg = argv[i++];
    }
    for (; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg == "--wait" && i + 1 < argc)
        {
            char* stop = nullptr;
            opt.dWait = strtod(argv[++i], &stop);
            if (*stop != '\0' || opt.dWait < 0)
                return Usage();
        }
        else if (arg == "--is" && i + 1 < argc)
        {
            opt.bHasIs = true;
            opt.strIs = argv[++i];
        }
        else if (arg == "--hidden")
            opt.bHidden = true;
        else
        {
            Spec spec;
            if (arg.compare(0, 2, "--") == 0 || !ParseSpec(arg, spec))
            {
                fprintf(stderr, "qlcwinprobe: \"%s\" is not a window (title=, class=, id=, joined by commas)\n",
                        argv[i]);
                return 2;
            }
            opt.specs.push_back(spec);
        }
    }

    // The desktop may not be there yet while the program starts: that is
    // a window not found yet (and, for "gone", every window gone).
    const ULONGLONG deadline = GetTickCount64() + (ULONGLONG)(opt.dWait * 1000);
    bool bDesktop = false;
    std::string out, error;
    for (;;)
    {
        if (!bDesktop)
        {
            HDESK hDesk = OpenDesktopA(argv[1], 0, FALSE, GENERIC_ALL);
            bDesktop = hDesk != nullptr && SetThreadDesktop(hDesk);
        }
        bool bDone = false;
        if (bDesktop)
            bDone = RunOnce(opt, out, error);
        else if (opt.strCommand == "gone")
            bDone = true;
        else
            error = "no desktop \"" + std::string(argv[1]) + "\"";
        if (bDone)
        {
            if (!out.empty())
                printf("%s\n", out.c_str());
            return 0;
        }
        if (GetTickCount64() >= deadline)
            break;
        Sleep(50);
    }
    char szWait[64] = "";
    if (opt.dWait > 0)
        snprintf(szWait, sizeof(szWait), " (waited %g s)", opt.dWait);
    fprintf(stderr, "qlcwinprobe: %s %s: %s%s\n", opt.strCommand.c_str(), Named(opt).c_str(), error.c_str(), szWait);
    return 1;
}
