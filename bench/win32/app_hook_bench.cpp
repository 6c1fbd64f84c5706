// Benchmark of what msghook.dll costs other applications and how fast a menu reaches vantor.exe's pane, run
// by hand under the Wine harness:
//   tests/wine/harness.sh run BUILD build/bin/bench_app_hook_bench.exe [--sends N] [--posts N] [--rounds R]
//       [--target EXE] [--menus N]
// --target names the program measured in step 1 (run with --measure): by default this one; the 32-bit
// build of this benchmark (build/win/i686/bin/bench_app_hook_bench.exe) measures a 32-bit program, whose
// hooks come from the 32-bit host beside vantor.exe. --menus 0 leaves out step 2.
// 1. Cost: a separate GUI process (this program with --measure) sends N messages to its own window and posts
//    and retrieves N messages, with no hook set and with vantor.exe running (its hooks set), the two in
//    turn for R rounds (best round of each), and once with a global pass-on WH_CALLWNDPROC hook
//    (bench-passon-hook.dll) for contrast; it prints microseconds per message. The pass-on hook is measured
//    with a tenth of the messages (each costs about 100 us under Wine).
// 2. Latency: with CaptureContextMenu=1, this process opens context menus on two of its windows in turn and
//    measures from WM_INITMENUPOPUP to the added-menu section appearing in vantor.exe's pane.
// Threads: the main thread; a second one polls vantor.exe's pane during the latency runs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/wine_driver/app_driver.h"

using vantor::apptest::binDirectory;
using vantor::apptest::makeVantorDirectory;
using vantor::apptest::Vantor;
using vantor::apptest::waitUntil;

namespace {

std::string targetExe; // the program measured; empty: this one

double seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(f.QuadPart);
}

LRESULT CALLBACK quietProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_USER + 1) return 1;
    return DefWindowProcA(w, msg, wParam, lParam);
}

// --measure SENDS POSTS FILE: the target's side; writes "send-us post-us" per message into FILE.
int measure(int sends, int posts, const char* file) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = quietProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VantorHookBenchTarget";
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(0, wc.lpszClassName, "hook bench target", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                             nullptr, wc.hInstance, nullptr);
    if (w == nullptr) return 3;
    LARGE_INTEGER t0, t1, t2;
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < sends; ++i)
        SendMessageA(w, WM_USER + 1, i, 0);
    QueryPerformanceCounter(&t1);
    MSG msg;
    for (int i = 0; i < posts; ++i) {
        PostMessageA(w, WM_USER + 1, i, 0);
        GetMessageA(&msg, nullptr, 0, 0);
        DispatchMessageA(&msg);
    }
    QueryPerformanceCounter(&t2);
    DestroyWindow(w);
    FILE* f = std::fopen(file, "w");
    if (f == nullptr) return 3;
    std::fprintf(f, "%.4f %.4f\n", seconds(t0, t1) * 1e6 / sends, seconds(t1, t2) * 1e6 / posts);
    std::fclose(f);
    return 0;
}

struct Cost {
    double sendUs = -1, postUs = -1;
};

// Runs the target process once; its figures.
Cost runTarget(int sends, int posts) {
    const std::string out = binDirectory() + "\\hook-bench-target.txt";
    DeleteFileA(out.c_str());
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string line = "\"" + (targetExe.empty() ? std::string(self) : targetExe) + "\" --measure " +
                       std::to_string(sends) + " " + std::to_string(posts) + " \"" + out + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    Cost c;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return c;
    WaitForSingleObject(pi.hProcess, 600000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    FILE* f = std::fopen(out.c_str(), "r");
    if (f != nullptr) {
        if (std::fscanf(f, "%lf %lf", &c.sendUs, &c.postUs) != 2) c = Cost{};
        std::fclose(f);
    }
    return c;
}

void keepBest(Cost* best, const Cost& c) {
    if (c.sendUs < 0) return;
    if (best->sendUs < 0 || c.sendUs < best->sendUs) best->sendUs = c.sendUs;
    if (best->postUs < 0 || c.postUs < best->postUs) best->postUs = c.postUs;
}

void printCost(const char* what, const Cost& c, int sends, int posts, const Cost& base) {
    std::printf("%-34s send %8.3f us (%d)  post+get %8.2f us (%d)", what, c.sendUs, sends, c.postUs, posts);
    if (base.sendUs > 0 && base.postUs > 0)
        std::printf("  x%.3f / x%.3f", c.sendUs / base.sendUs, c.postUs / base.postUs);
    std::printf("\n");
}

// ---- Latency ---------------------------------------------------------------------------------------------

constexpr UINT_PTR kCloseTimer = 7;
LARGE_INTEGER shownAt;
HMENU openMenu = nullptr;

LRESULT CALLBACK ownerProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITMENUPOPUP:
        if (reinterpret_cast<HMENU>(wParam) == openMenu) QueryPerformanceCounter(&shownAt);
        return 0;
    case WM_TIMER:
        KillTimer(w, kCloseTimer);
        EndMenu();
        return 0;
    default: return DefWindowProcA(w, msg, wParam, lParam);
    }
}

int sectionCount(const std::string& text) {
    static const std::string header = "■ 追加メニュー";
    int n = 0;
    for (std::size_t at = text.find(header); at != std::string::npos; at = text.find(header, at + 1))
        ++n;
    return n;
}

struct Poll {
    const Vantor* vantor;
    volatile LONG wanted;
    LARGE_INTEGER seenAt;
    volatile LONG seen;
    volatile LONG stop;
};

DWORD WINAPI pollPane(void* param) {
    Poll* p = static_cast<Poll*>(param);
    while (p->stop == 0) {
        const LONG wanted = p->wanted;
        if (wanted > 0 && p->seen < wanted && sectionCount(p->vantor->paneText()) >= wanted) {
            QueryPerformanceCounter(&p->seenAt);
            InterlockedExchange(&p->seen, wanted);
        }
        Sleep(0);
    }
    return 0;
}

void measureLatency(int menus) {
    Vantor vantor;
    if (!vantor.start(makeVantorDirectory("hook-bench"), "CaptureContextMenu=1\r\n")) {
        std::printf("latency: vantor.exe did not start\n");
        return;
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = ownerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VantorHookBenchOwner";
    RegisterClassA(&wc);
    HWND owners[2];
    for (HWND& o : owners) {
        o = CreateWindowExA(0, wc.lpszClassName, "hook bench owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                            100, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    }
    Poll poll{&vantor, 0, {}, 0, 0};
    HANDLE poller = CreateThread(nullptr, 0, pollPane, &poll, 0, nullptr);
    std::vector<double> ms;
    for (int i = 0; i < menus; ++i) {
        HWND owner = owners[i % 2];
        openMenu = CreatePopupMenu();
        AppendMenuA(openMenu, MF_STRING, 100 + i, "ベンチ項目(&B)");
        AppendMenuA(openMenu, MF_STRING, 200 + i, "Second item");
        shownAt.QuadPart = 0;
        InterlockedExchange(&poll.wanted, i + 1);
        SetForegroundWindow(owner);
        SetTimer(owner, kCloseTimer, 400, nullptr);
        TrackPopupMenu(openMenu, TPM_RETURNCMD, 150, 150, 0, owner, nullptr);
        waitUntil([&] { return poll.seen >= i + 1; }, 5000);
        if (poll.seen >= i + 1 && shownAt.QuadPart != 0) ms.push_back(seconds(shownAt, poll.seenAt) * 1000);
        DestroyMenu(openMenu);
        openMenu = nullptr;
    }
    InterlockedExchange(&poll.stop, 1);
    WaitForSingleObject(poller, 5000);
    CloseHandle(poller);
    for (HWND o : owners)
        DestroyWindow(o);
    vantor.exitByMenu();
    if (ms.empty()) {
        std::printf("latency: no section arrived\n");
        return;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("WM_INITMENUPOPUP to pane: %zu of %d menus, min %.1f ms, median %.1f ms, max %.1f ms\n",
                ms.size(), menus, ms.front(), ms[ms.size() / 2], ms.back());
}

double loadAverage() {
    // Wine maps the Linux root: /proc/loadavg is Z:\proc\loadavg.
    double load = -1;
    FILE* f = std::fopen("Z:\\proc\\loadavg", "r");
    if (f != nullptr) {
        if (std::fscanf(f, "%lf", &load) != 1) load = -1;
        std::fclose(f);
    }
    return load;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--measure") == 0)
        return measure(std::atoi(argv[2]), std::atoi(argv[3]), argv[4]);
    int sends = 1000000, posts = 100000, rounds = 3, menus = 20;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--sends") == 0) sends = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--posts") == 0) posts = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--menus") == 0) menus = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--target") == 0) targetExe = argv[i + 1];
    }
    std::printf("load average at start: %.2f\n", loadAverage());
    // The two conditions alternate round by round, so that a change in the machine's load between them
    // falls on both; each keeps its best round.
    Cost none, withVantor;
    for (int r = 0; r < rounds; ++r) {
        keepBest(&none, runTarget(sends, posts));
        Vantor vantor;
        if (!vantor.start(makeVantorDirectory("hook-bench-cost"), "CaptureContextMenu=1\r\n")) {
            std::printf("vantor.exe did not start\n");
            continue;
        }
        keepBest(&withVantor, runTarget(sends, posts));
        vantor.exitByMenu();
    }
    printCost("no hook", none, sends, posts, Cost{});
    printCost("vantor.exe running (its hooks set)", withVantor, sends, posts, none);
    HMODULE passOn = LoadLibraryA((binDirectory() + "\\bench-passon-hook.dll").c_str());
    auto set = reinterpret_cast<BOOL(WINAPI*)()>(
        reinterpret_cast<void*>(passOn != nullptr ? GetProcAddress(passOn, "SetPassOnHook") : nullptr));
    auto free = reinterpret_cast<void(WINAPI*)()>(
        reinterpret_cast<void*>(passOn != nullptr ? GetProcAddress(passOn, "FreePassOnHook") : nullptr));
    if (set != nullptr && free != nullptr && set()) {
        printCost("pass-on WH_CALLWNDPROC (contrast)", runTarget(sends / 10, posts / 10), sends / 10,
                  posts / 10, none);
        free();
    } else {
        std::printf("the pass-on hook could not be set\n");
    }
    if (menus > 0) measureLatency(menus);
    std::printf("load average at end: %.2f\n", loadAverage());
    return 0;
}
