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

#include <cstdio>
#include <cstdlib>
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

} // namespace

int main(int argc, char** argv) {
    const int passes = argc > 1 ? std::atoi(argv[1]) : 2000;
    setvbuf(stdout, nullptr, _IONBF, 0);
    richEdit(passes);
    threads(passes);
    return 0;
}
