// Where vantor.exe's memory went while monitoring, shown without vantor.exe, run by hand under the harness:
//   tests/wine/harness.sh run BUILD BUILD/bin/bench_richedit_memory_bench.exe [PASSES]
//  1. A rich edit 1.0 made as the output pane is (class "RichEdit" of
//  RICHED32.DLL, the same styles) takes
//     PASSES texts of one monitoring pass each at its end (EM_EXSETSEL beyond the end, EM_REPLACESEL), as the
//     pane's publication does; then it is emptied (WM_SETTEXT ""). Printed: the process's working set and
//     the bytes of the heaps' busy blocks before, after and once emptied, per byte of text added, and the
//     busy blocks that grew by size.
//  2. PASSES threads started and ended one after another, each sending a message to a window of the main
//     thread (as a pass thread does): the working set before, half-way and after.
// Threads: the main thread, and in part 2 each short-lived thread.
#include <windows.h>
#include <psapi.h>
#include <richedit.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <map>
#include <string>

namespace {

// One pass of a monitoring report of the specimen's status bar (about 100 bytes in 4 lines).
const char kPass[] = "\r\n====== 2026/12/07 12:00:00 ===================\r\n"
                     "■ ステータスバー情報 [msctls_statusbar32]\r\n"
                     "準備完了\t変化 12\r\n";

double workingSetMb() {
    PROCESS_MEMORY_COUNTERS c{};
    c.cb = sizeof c;
    GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
    return static_cast<double>(c.WorkingSetSize) / (1024.0 * 1024.0);
}

// Busy blocks of every heap of the process by size, and their bytes in all.
std::map<size_t, long> busyBlocks(size_t* bytes) {
    std::map<size_t, long> blocks;
    *bytes = 0;
    HANDLE heaps[64];
    const DWORD n = GetProcessHeaps(64, heaps);
    for (DWORD k = 0; k < n && k < 64; ++k) {
        PROCESS_HEAP_ENTRY e{};
        HeapLock(heaps[k]);
        while (HeapWalk(heaps[k], &e))
            if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
                ++blocks[e.cbData];
                *bytes += e.cbData;
            }
        HeapUnlock(heaps[k]);
    }
    return blocks;
}

void pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&m);
}

void richEdit(int passes) {
    LoadLibraryA("RICHED32.DLL");
    HWND top = CreateWindowA("STATIC", "rich edit", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 400, nullptr,
                             nullptr, nullptr, nullptr);
    HWND pane = CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit", "",
                                WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                    ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                                0, 0, 580, 380, top, nullptr, nullptr, nullptr);
    SendMessageA(pane, EM_LIMITTEXT, 0x7FFFFFFE, 0);
    SendMessageA(pane, EM_AUTOURLDETECT, 1, 0);
    pump();
    size_t heapBefore = 0, heapAfter = 0, heapEmptied = 0;
    const std::map<size_t, long> before = busyBlocks(&heapBefore);
    const double mbBefore = workingSetMb();
    for (int i = 0; i < passes; ++i) {
        CHARRANGE end{0x7FFFFFFF, 0x7FFFFFFF};
        SendMessageA(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
        SendMessageA(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(kPass));
        pump();
    }
    const std::map<size_t, long> after = busyBlocks(&heapAfter);
    const double mbAfter = workingSetMb();
    const double text = static_cast<double>(passes) * (sizeof kPass - 1);
    SetWindowTextA(pane, "");
    pump();
    busyBlocks(&heapEmptied);
    const double mbEmptied = workingSetMb();
    std::printf("rich edit, %d passes of %zu bytes (%.0f KB of text):\n", passes, sizeof kPass - 1,
                text / 1024);
    std::printf("  working set %.1f MB -> %.1f MB (%.0f bytes per byte of text), emptied %.1f MB\n", mbBefore,
                mbAfter, (mbAfter - mbBefore) * 1024 * 1024 / text, mbEmptied);
    std::printf(
        "  heap busy %.1f MB -> %.1f MB (%.0f bytes per byte of text, %.0f per pass), emptied %.1f MB\n",
        heapBefore / 1048576.0, heapAfter / 1048576.0, (heapAfter - heapBefore) / text,
        static_cast<double>(heapAfter - heapBefore) / passes, heapEmptied / 1048576.0);
    std::printf("  blocks added per pass, by size:");
    for (const auto& entry : after) {
        const auto old = before.find(entry.first);
        const long added = entry.second - (old == before.end() ? 0 : old->second);
        if (added >= passes) std::printf(" %zu B x %.1f;", entry.first, static_cast<double>(added) / passes);
    }
    std::printf("\n");
    DestroyWindow(top);
}

HWND target = nullptr;

DWORD WINAPI passThread(void*) {
    SendMessageA(target, WM_NULL, 0, 0);
    return 0;
}

void threads(int passes) {
    target = CreateWindowA("STATIC", "threads", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                           nullptr, nullptr);
    const double mbBefore = workingSetMb();
    double mbHalf = 0;
    for (int i = 0; i < passes; ++i) {
        if (i == passes / 2) mbHalf = workingSetMb();
        HANDLE thread = CreateThread(nullptr, 0, passThread, nullptr, 0, nullptr);
        while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
            pump();
        CloseHandle(thread);
    }
    std::printf("%d threads, each sending one message to the main thread: working set %.1f MB, %.1f MB after "
                "half of them, %.1f MB after all\n",
                passes, mbBefore, mbHalf, workingSetMb());
    DestroyWindow(target);
}

// --- Emptying a large rich edit: what takes the time, and what keeps each step short. ---

double nowMs() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

// A report like a list view's capture: rows of 4 cells, about 37 bytes a row.
std::string reportOf(int rows) {
    std::string text = "■ リストビュー情報 [SysListView32]\r\n";
    char row[96];
    for (int i = 0; i < rows; ++i) {
        std::snprintf(row, sizeof row, "Item %d\tSub %d-1\tSub %d-2\tSub %d-3\r\n", i, i, i, i);
        text += row;
    }
    return text;
}

struct Variant {
    const char* name;
    bool undoOff;    // EM_SETUNDOLIMIT 0 before filling
    bool formatEach; // EM_SETCHARFORMAT before every 1 KB piece, as the pane does
    int pieceChars;  // > 0: hidden, redraw off, deleted from the end in pieces of this many characters
    bool fromStart;  // delete from the start instead
    bool urlOff;     // URL detection switched off before the deleting
};

HWND makePane(HWND top) {
    HWND pane = CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit", "",
                                WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                    ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                                0, 0, 580, 380, top, nullptr, nullptr, nullptr);
    SendMessageA(pane, EM_LIMITTEXT, 0x7FFFFFFE, 0);
    SendMessageA(pane, EM_AUTOURLDETECT, 1, 0);
    return pane;
}

void fill(HWND pane, const std::string& text, bool formatEach) {
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_SIZE | CFM_FACE | CFM_CHARSET;
    format.yHeight = 200;
    format.bCharSet = SHIFTJIS_CHARSET;
    lstrcpynA(format.szFaceName, "MS Gothic", LF_FACESIZE);
    std::string piece;
    SendMessageA(pane, WM_SETREDRAW, FALSE, 0);
    for (size_t at = 0; at < text.size();) {
        size_t end = std::min(text.size(), at + 1024);
        while (end < text.size() && text[end - 1] != '\n')
            ++end;
        piece.assign(text, at, end - at);
        CHARRANGE atEnd{0x7FFFFFFF, 0x7FFFFFFF};
        SendMessageA(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&atEnd));
        if (formatEach)
            SendMessageA(pane, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        SendMessageA(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
        at = end;
    }
    SendMessageA(pane, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(pane, nullptr, TRUE);
}

// In characters as the selection counts them (WM_GETTEXTLENGTH counts a line break twice).
LONG charsOf(HWND pane) {
    GETTEXTLENGTHEX request{GTL_DEFAULT, 1200};
    return static_cast<LONG>(SendMessageA(pane, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&request), 0));
}

// A rich edit made by a thread of its own, which serves its messages and destroys it when told.
struct OwnThreadPane {
    HWND parent;
    HANDLE ready;
    HWND pane;
};

const UINT kDestroyYourself = WM_APP + 1;

DWORD WINAPI ownThread(void* p) {
    OwnThreadPane* start = static_cast<OwnThreadPane*>(p);
    HWND pane = makePane(start->parent);
    start->pane = pane;
    SetEvent(start->ready);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        if (m.message == kDestroyYourself) {
            DestroyWindow(pane);
            break;
        }
        DispatchMessageA(&m);
    }
    return 0;
}

HWND paneOnOwnThread(HWND parent, HANDLE* thread) {
    OwnThreadPane start{parent, CreateEventA(nullptr, TRUE, FALSE, nullptr), nullptr};
    *thread = CreateThread(nullptr, 0, ownThread, &start, 0, nullptr);
    while (MsgWaitForMultipleObjects(1, &start.ready, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG m;
        PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(start.ready);
    return start.pane;
}

// The main thread's longest gap between two turns of its loop while another thread destroys its pane, and
// while it fills a second pane of a third thread meanwhile.
void destroyedByOwnThread(HWND top, const std::string& text) {
    HANDLE oldThread = nullptr, newThread = nullptr;
    HWND old = paneOnOwnThread(top, &oldThread);
    double t0 = nowMs();
    fill(old, text, true);
    std::printf("  own thread: filled in %.0f ms\n", nowMs() - t0);
    HWND fresh = paneOnOwnThread(top, &newThread);
    ShowWindow(old, SW_HIDE);
    t0 = nowMs();
    PostMessageA(old, kDestroyYourself, 0, 0);
    double worst = 0, last = nowMs();
    int turns = 0;
    while (WaitForSingleObject(oldThread, 0) == WAIT_TIMEOUT) {
        pump();
        SendMessageA(fresh, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("x\r\n"));
        const double now = nowMs();
        worst = std::max(worst, now - last);
        last = now;
        ++turns;
        Sleep(1);
    }
    std::printf("  own thread: destroyed in %.0f ms; %d turns of this thread meanwhile, longest %.1f ms\n",
                nowMs() - t0, turns, worst);
    CloseHandle(oldThread);
    PostMessageA(fresh, kDestroyYourself, 0, 0);
    WaitForSingleObject(newThread, INFINITE);
    CloseHandle(newThread);
}

void emptying(int rows) {
    LoadLibraryA("RICHED32.DLL");
    HWND top = CreateWindowA("STATIC", "rich edit", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 400, nullptr,
                             nullptr, nullptr, nullptr);
    const std::string text = reportOf(rows);
    const Variant variants[] = {
        {"destroyed at once", false, true, 0, false, false},
        {"undo limit 0, destroyed at once", true, true, 0, false, false},
        {"end, pieces of 16384", false, true, 16384, false, false},
        {"URLs off, end, pieces of 16384", false, true, 16384, false, true},
        {"start, pieces of 16384", false, true, 16384, true, false},
    };
    std::printf("%d rows, %zu bytes\n", rows, text.size());
    destroyedByOwnThread(top, text);
    for (const Variant& v : variants) {
        HWND pane = makePane(top);
        if (v.undoOff) SendMessageA(pane, EM_SETUNDOLIMIT, 0, 0);
        double t0 = nowMs();
        fill(pane, text, v.formatEach);
        const double filled = nowMs() - t0;
        pump();
        double worst = 0, total = 0;
        int steps = 0;
        std::printf("  %s\n", v.name);
        if (v.pieceChars > 0) {
            ShowWindow(pane, SW_HIDE);
            SendMessageA(pane, WM_SETREDRAW, FALSE, 0);
            if (v.urlOff) {
                t0 = nowMs();
                SendMessageA(pane, EM_AUTOURLDETECT, 0, 0);
                std::printf("    URL detection off in %.1f ms\n", nowMs() - t0);
            }
            for (LONG last = LONG_MAX;;) {
                const LONG length = charsOf(pane);
                if (length <= 4096 || length >= last) break;
                last = length;
                const LONG piece = std::min<LONG>(length, v.pieceChars);
                CHARRANGE r = v.fromStart ? CHARRANGE{0, piece} : CHARRANGE{length - piece, 0x7FFFFFFF};
                t0 = nowMs();
                SendMessageA(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
                SendMessageA(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
                const double took = nowMs() - t0;
                if (steps < 5 || steps % 25 == 0)
                    std::printf("    step %d: %ld characters left, %.1f ms\n", steps, length, took);
                worst = std::max(worst, took);
                total += took;
                ++steps;
                pump();
            }
        }
        t0 = nowMs();
        DestroyWindow(pane);
        const double destroyed = nowMs() - t0;
        std::printf("  %-34s filled in %6.0f ms; %3d steps, longest %5.1f ms, %6.0f ms in all; destroyed in "
                    "%5.1f ms\n",
                    v.name, filled, steps, worst, total, destroyed);
        pump();
    }
    DestroyWindow(top);
}

} // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc > 1 && std::strcmp(argv[1], "empty") == 0) {
        emptying(argc > 2 ? std::atoi(argv[2]) : 30000);
        return 0;
    }
    const int passes = argc > 1 ? std::atoi(argv[1]) : 2000;
    richEdit(passes);
    threads(passes);
    return 0;
}
