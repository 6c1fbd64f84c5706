// Benchmark of replacing a large output pane, run by hand under the Wine harness:
//   tests/wine/harness.sh run BUILD BUILD/bin/bench_app_pane_bench.exe [ROWS [RUNS]]
// vantor.exe captures a specimen of ROWS list-view rows and 4 columns (about 1 MB of report at 30,000 rows);
// then the row of a small second specimen is selected, as a user's click does, and the benchmark measures
// the time until the pane holds the small specimen's whole report and until the replaced control has gone,
// while a second thread sends WM_NULL to the main window every 20 ms and records the longest wait for its
// answer.
// Threads: the benchmark's thread and the WM_NULL thread.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "tools/wine_driver/app_driver.h"

using vantor::apptest::engineReportOf;
using vantor::apptest::makeVantorDirectory;
using vantor::apptest::Specimen;
using vantor::apptest::Vantor;
using vantor::apptest::waitUntil;

namespace {

const char kSmallTitle[] = "Small Specimen";

double nowMs() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

LRESULT paneChars(const Vantor& v) {
    return SendMessageW(v.pane, WM_GETTEXTLENGTH, 0, 0);
}

struct Pinger {
    HWND target = nullptr;
    std::atomic<bool> stop{false};
    std::atomic<long> worstMs{0};
    static DWORD WINAPI run(void* p) {
        Pinger* self = static_cast<Pinger*>(p);
        while (!self->stop.load()) {
            const double t0 = nowMs();
            DWORD_PTR result = 0;
            SendMessageTimeoutA(self->target, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &result);
            const long waited = static_cast<long>(nowMs() - t0);
            if (waited > self->worstMs.load()) self->worstMs.store(waited);
            Sleep(20);
        }
        return 0;
    }
};

bool runOnce(int rows, int run) {
    Specimen big, small;
    if (!big.start("--rows " + std::to_string(rows) + " --columns 4")) return false;
    if (!small.start(std::string("--rows 3 --title \"") + kSmallTitle + "\"")) return false;
    const std::string expected = engineReportOf(small.window);
    Vantor vantor;
    if (!vantor.start(makeVantorDirectory(("pane-bench" + std::to_string(run)).c_str()))) return false;
    const int bigRow = vantor.rowOf("Vantor Specimen [VantorSpecimen]");
    const int smallRow = vantor.rowOf(std::string(kSmallTitle) + " [VantorSpecimen]");
    if (bigRow < 0 || smallRow < 0) return false;
    vantor.selectRow(bigRow);
    // The big report is in once the pane's length has not changed for two seconds.
    LRESULT last = -1;
    double stableSince = nowMs();
    if (!waitUntil(
            [&] {
                const LRESULT n = paneChars(vantor);
                if (n != last) {
                    last = n;
                    stableSince = nowMs();
                }
                return n > 1000 && nowMs() - stableSince > 2000;
            },
            600000))
        return false;
    const size_t oldBytes = vantor.paneText().size();
    HWND oldPane = vantor.currentPane();

    Pinger pinger;
    pinger.target = vantor.main;
    HANDLE thread = CreateThread(nullptr, 0, Pinger::run, &pinger, 0, nullptr);
    const double t0 = nowMs();
    vantor.selectRow(smallRow);
    const bool replaced = waitUntil(
        [&] {
            return paneChars(vantor) <= static_cast<LRESULT>(expected.size()) &&
                   vantor.paneText() == expected;
        },
        600000);
    const double replaceMs = nowMs() - t0;
    // The replaced control goes away in the idle time after: the WM_NULL waits count until it has gone.
    const bool gone = waitUntil([&] { return !IsWindow(oldPane); }, 30000);
    const double goneMs = nowMs() - t0;
    Sleep(200);
    pinger.stop.store(true);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    std::printf(
        "run %d: old pane %zu bytes, new report %zu bytes: replaced in %.0f ms%s; old control gone after "
        "%.0f ms%s; longest WM_NULL wait %ld ms\n",
        run, oldBytes, expected.size(), replaceMs, replaced ? "" : " (NOT replaced)", goneMs,
        gone ? "" : " (NOT gone)", pinger.worstMs.load());
    std::fflush(stdout);
    vantor.exitByMenu();
    return replaced;
}

} // namespace

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 30000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 2;
    for (int run = 1; run <= runs; ++run)
        if (!runOnce(rows, run)) std::printf("run %d failed\n", run);
    return 0;
}
