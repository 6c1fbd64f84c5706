// Benchmark of periodic monitoring in vantor.exe, run by hand under the Wine harness:
//   tests/wine/harness.sh run BUILD BUILD/bin/bench_app_monitor_bench.exe [passes] [--session-only]
// vantor.exe watches controls of the specimen (another process) and writes per-pass figures to the file
// named by VANTOR_MONITOR_TIMING (app/monitor_host.cpp): the whole pass, the wait for the pane to show what
// the pass added, the report's size, and each dropped tick.
//  1. Four watched controls (status bar, tab control, list box, a 1,000-row list view) at a long interval:
//     seconds per pass (median).
//  2. The same four at intervals from the pass time upwards: the shortest interval at which no tick is
//     dropped over 15 ticks.
//  3. The status bar alone at the shortest interval (100 ms, checked for dropped ticks too) for `passes`
//     passes (default 1,000): publication time around pass 10 against around the last pass, each the median
//     of 10 passes, and the same for the whole pass. Goal: the late publication within 1.5 times the early
//     one. --session-only runs this part alone.
// Threads: the benchmark's own thread only.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tools/wine_driver/app_driver.h"

using vantor::apptest::makeVantorDirectory;
using vantor::apptest::readFile;
using vantor::apptest::Specimen;
using vantor::apptest::Vantor;
using vantor::apptest::waitUntil;

namespace {

const char kStatusRow[] = "  + \"\" [msctls_statusbar32]";
const char kTabRow[] = "  + \"\" [SysTabControl32]";
const char kListBoxRow[] = "  + \"\" [ListBox]";
const char kListViewRow[] = "  + \"\" [SysListView32]";

struct Pass {
    double seconds;
    double publish;
    size_t bytes;
};

struct Figures {
    std::vector<Pass> passes;
    int dropped = 0;
};

Figures parse(const std::string& text) {
    Figures f;
    std::istringstream in(text);
    std::string word;
    while (in >> word) {
        if (word == "dropped") {
            ++f.dropped;
        } else if (word == "pass") {
            Pass p{};
            std::string publish, bytes;
            in >> p.seconds >> publish >> p.publish >> bytes >> p.bytes;
            f.passes.push_back(p);
        }
    }
    return f;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A monitoring session of vantor.exe over the specimen.
class Session {
  public:
    bool start(const Specimen& specimen, const char* name, int interval,
               const std::vector<const char*>& rows) {
        const std::string dir = makeVantorDirectory(name);
        file = dir + "\\monitor-timing.txt";
        DeleteFileA(file.c_str());
        SetEnvironmentVariableA("VANTOR_MONITOR_TIMING", file.c_str());
        const bool started = vantor.start(dir);
        SetEnvironmentVariableA("VANTOR_MONITOR_TIMING", nullptr);
        if (!started || !vantor.startMonitoring(specimen.window, std::to_string(interval).c_str()))
            return false;
        for (const char* row : rows)
            if (!vantor.addRowToSelection(vantor.rowOf(row))) return false;
        return true;
    }
    // Waits until n passes have been written (the first, before the selection, writes nothing).
    bool waitPasses(size_t n, DWORD ms) {
        return waitUntil([&] { return figures().passes.size() >= n; }, ms);
    }
    Figures figures() const {
        std::string text;
        readFile(file, &text);
        return parse(text);
    }
    ~Session() {
        if (vantor.main != nullptr) vantor.exitByMenu();
    }

    Vantor vantor;
    std::string file;
};

std::vector<const char*> fourControls() {
    return {kStatusRow, kTabRow, kListBoxRow, kListViewRow};
}

} // namespace

int main(int argc, char** argv) {
    const size_t passes = argc > 1 ? static_cast<size_t>(std::atoi(argv[1])) : 1000;
    const bool sessionOnly = argc > 2 && std::string(argv[2]) == "--session-only";
    Specimen specimen;
    if (!specimen.start("--rows 1000")) {
        std::printf("specimen did not start\n");
        return 1;
    }

    // 1. Seconds per pass over the four controls.
    double perPass = 0;
    if (!sessionOnly) {
        Session s;
        if (!s.start(specimen, "bench-monitor-1", 20, fourControls()) || !s.waitPasses(6, 60000)) {
            std::printf("phase 1 failed\n");
            return 1;
        }
        const Figures f = s.figures();
        std::vector<double> seconds;
        for (const Pass& p : f.passes)
            if (p.bytes > 0) seconds.push_back(p.seconds);
        perPass = median(seconds);
        std::printf("four controls (1,000-row list view): %.3f s per pass (median of %zu), report %zu bytes "
                    "per pass\n",
                    perPass, seconds.size(), f.passes.back().bytes / seconds.size());
    }

    // 2. The shortest interval without a dropped tick.
    int shortest = 0;
    for (int interval = std::max(1, static_cast<int>(perPass * 10));
         !sessionOnly && interval <= 100 && shortest == 0; ++interval) {
        Session s;
        if (!s.start(specimen, "bench-monitor-2", interval, fourControls())) return 1;
        const Figures before = s.figures();
        Sleep(static_cast<DWORD>(interval) * 100 * 15);
        const Figures after = s.figures();
        const int dropped = after.dropped - before.dropped;
        std::printf("interval %d (%d ms): %zu passes, %d dropped ticks in 15 periods\n", interval,
                    interval * 100, after.passes.size() - before.passes.size(), dropped);
        if (dropped == 0) shortest = interval;
    }
    if (!sessionOnly)
        std::printf("shortest interval without a dropped tick: %d (%d ms)\n", shortest, shortest * 100);

    // 3. The status bar alone at 100 ms for many passes.
    {
        Session s;
        if (!s.start(specimen, "bench-monitor-3", 1, {kStatusRow}) ||
            !s.waitPasses(passes + 2, static_cast<DWORD>(passes) * 400 + 30000)) {
            std::printf("phase 3 failed\n");
            return 1;
        }
        const Figures f = s.figures();
        std::vector<Pass> written;
        for (const Pass& p : f.passes)
            if (p.bytes > 0) written.push_back(p);
        if (written.size() < passes) return 1;
        std::vector<double> early, late, earlyPass, latePass, seconds;
        for (size_t i = 5; i < 15; ++i) {
            early.push_back(written[i].publish);
            earlyPass.push_back(written[i].seconds);
        }
        for (size_t i = passes - 10; i < passes; ++i) {
            late.push_back(written[i].publish);
            latePass.push_back(written[i].seconds);
        }
        for (const Pass& p : written)
            seconds.push_back(p.seconds);
        const double e = median(early), l = median(late);
        std::printf("status bar alone at 100 ms: %zu passes, %d dropped ticks, %.4f s per pass (median)\n",
                    written.size(), f.dropped, median(seconds));
        std::printf("publication: pass 10 %.6f s (report %zu bytes), pass %zu %.6f s (report %zu bytes), "
                    "ratio %.2f\n",
                    e, written[9].bytes, passes, l, written[passes - 1].bytes, l / e);
        std::printf("whole pass: pass 10 %.6f s, pass %zu %.6f s, ratio %.2f\n", median(earlyPass), passes,
                    median(latePass), median(latePass) / median(earlyPass));
    }
    return 0;
}
