// Soak benchmark of vantor.exe's memory, run by hand under the Wine harness:
//   tests/wine/harness.sh run BUILD BUILD/bin/bench_app_soak_bench.exe [PASSES [CAPTURES [ENGINE]]]
// (defaults 10,000, 1,000 and 0; a 0 skips its part). vantor.exe's resident memory is sampled from here
// (GetProcessMemoryInfo's working set, which Wine takes from the process's VmRSS) throughout:
//  1. Monitoring: the specimen's status bar and list view watched at interval 1 (100 ms) for PASSES passes,
//     with the report's size from VANTOR_MONITOR_TIMING (app/monitor_host.cpp). Then monitoring is stopped
//     and the specimen captured once, which clears the report. Goal: growth over the run at most twice the
//     report's growth, and within 5 MB of the start once the capture has replaced the report.
//  2. Captures: the specimen's row of the window list selected CAPTURES times (each selection a new capture
//     that replaces the report; VANTOR_TIMING marks its end). Goal: no growth beyond 5 MB after the first.
//  3. ENGINE captures of the specimen by the engine alone in this process, for comparison with part 2.
// Threads: the benchmark's own thread only.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/wine_driver/app_driver.h"

using vantor::apptest::makeVantorDirectory;
using vantor::apptest::readFile;
using vantor::apptest::Specimen;
using vantor::apptest::Vantor;
using vantor::apptest::waitUntil;

namespace {

const char kStatusRow[] = "  + \"\" [msctls_statusbar32]";
const char kListViewRow[] = "  + \"\" [SysListView32]";
const char kSpecimenRow[] = "Vantor Specimen [VantorSpecimen]";
const char kDoneTail[] = "段4\r\n"; // the last line of a finished specimen report (its accessible section)
constexpr int kStopMonitorCommand = 32792;
constexpr double kMb = 1024.0 * 1024.0;

double residentMb(HANDLE process) {
    PROCESS_MEMORY_COUNTERS c{};
    c.cb = sizeof c;
    if (!GetProcessMemoryInfo(process, &c, sizeof c)) return -1;
    return static_cast<double>(c.WorkingSetSize) / kMb;
}

double loadAverage() {
    std::string text;
    if (!readFile("Z:\\proc\\loadavg", &text)) return -1;
    return std::atof(text.c_str());
}

// Passes written to the timing file and the report's size after the last of them.
struct Progress {
    size_t passes = 0;
    size_t bytes = 0;
};

Progress progressOf(const std::string& file) {
    std::string text;
    readFile(file, &text);
    Progress p;
    size_t last = std::string::npos;
    for (size_t at = text.find("pass "); at != std::string::npos; at = text.find("\npass ", at + 1)) {
        ++p.passes;
        last = at;
    }
    if (last != std::string::npos) {
        const size_t bytes = text.find("bytes ", last);
        if (bytes != std::string::npos) p.bytes = std::strtoull(text.c_str() + bytes + 6, nullptr, 10);
    }
    return p;
}

bool finished(const Vantor& v) {
    const std::string text = v.paneText();
    return text.size() >= sizeof kDoneTail - 1 &&
           text.compare(text.size() - (sizeof kDoneTail - 1), std::string::npos, kDoneTail) == 0;
}

// Selects the specimen's row (after taking the selection from it) and waits for the capture's end.
bool captureSpecimen(Vantor& vantor, const std::string& timingFile) {
    const int row = vantor.rowOf(kSpecimenRow);
    if (row < 0) return false;
    DeleteFileA(timingFile.c_str());
    vantor.unselectRow(row);
    vantor.selectRow(row);
    return waitUntil([&] { return GetFileAttributesA(timingFile.c_str()) != INVALID_FILE_ATTRIBUTES; },
                     60000) &&
           waitUntil([&] { return finished(vantor); }, 10000);
}

bool startVantor(Vantor& vantor, const char* name, std::string* timingFile, std::string* monitorFile) {
    const std::string dir = makeVantorDirectory(name);
    *timingFile = dir + "\\capture-timing.txt";
    *monitorFile = dir + "\\monitor-timing.txt";
    DeleteFileA(timingFile->c_str());
    DeleteFileA(monitorFile->c_str());
    SetEnvironmentVariableA("VANTOR_TIMING", timingFile->c_str());
    SetEnvironmentVariableA("VANTOR_MONITOR_TIMING", monitorFile->c_str());
    const bool started = vantor.start(dir);
    SetEnvironmentVariableA("VANTOR_TIMING", nullptr);
    SetEnvironmentVariableA("VANTOR_MONITOR_TIMING", nullptr);
    return started;
}

int monitoringSoak(const Specimen& specimen, size_t passes) {
    Vantor vantor;
    std::string timingFile, monitorFile;
    if (!startVantor(vantor, "bench-soak-monitor", &timingFile, &monitorFile) ||
        !vantor.startMonitoring(specimen.window, "1") ||
        !vantor.addRowToSelection(vantor.rowOf(kStatusRow)) ||
        !vantor.addRowToSelection(vantor.rowOf(kListViewRow))) {
        std::printf("monitoring did not start\n");
        return 1;
    }
    const HANDLE process = vantor.program.process.get();
    if (!waitUntil([&] { return progressOf(monitorFile).passes >= 2; }, 30000)) return 1;
    const Progress first = progressOf(monitorFile);
    const double startMb = residentMb(process);
    const DWORD begin = GetTickCount();
    std::printf("monitoring, status bar and list view at 100 ms, load %.1f\n", loadAverage());
    std::printf("%8s %10s %12s %12s %14s %8s\n", "passes", "seconds", "report KB", "resident MB", "growth MB",
                "ratio");
    const size_t step = passes >= 20 ? passes / 20 : 1;
    size_t next = first.passes + step;
    Progress now = first;
    while (now.passes < passes) {
        if (!waitUntil([&] { return (now = progressOf(monitorFile)).passes >= next || now.passes >= passes; },
                       static_cast<DWORD>(step) * 1000 + 60000)) {
            std::printf("no pass for a minute after %zu\n", now.passes);
            return 1;
        }
        const double mb = residentMb(process);
        const double text = static_cast<double>(now.bytes - first.bytes) / kMb;
        std::printf("%8zu %10.0f %12.1f %12.1f %14.2f %8.2f\n", now.passes, (GetTickCount() - begin) / 1000.0,
                    now.bytes / 1024.0, mb, mb - startMb, text > 0 ? (mb - startMb) / text : 0.0);
        next += step;
    }
    const double endMb = residentMb(process);
    const double textMb = static_cast<double>(now.bytes - first.bytes) / kMb;
    std::printf(
        "start %.1f MB at pass %zu (report %zu bytes), end %.1f MB at pass %zu (report %zu bytes): growth "
        "%.2f MB for %.2f MB of report, %.2f times (goal at most 2), load %.1f\n",
        startMb, first.passes, first.bytes, endMb, now.passes, now.bytes, endMb - startMb, textMb,
        (endMb - startMb) / textMb, loadAverage());
    vantor.command(kStopMonitorCommand);
    if (!waitUntil([&] { return vantor.rowOf(kSpecimenRow) >= 0; }, 30000) ||
        !captureSpecimen(vantor, timingFile)) {
        std::printf("the capture after monitoring did not finish\n");
        return 1;
    }
    Sleep(2000);
    const double clearedMb = residentMb(process);
    std::printf(
        "after a capture replaced the report (%zu bytes in the pane): %.1f MB, %.2f MB above the start "
        "(goal at most 5)\n",
        vantor.paneText().size(), clearedMb, clearedMb - startMb);
    return 0;
}

int captureSoak(size_t captures) {
    Vantor vantor;
    std::string timingFile, monitorFile;
    if (!startVantor(vantor, "bench-soak-capture", &timingFile, &monitorFile)) return 1;
    const HANDLE process = vantor.program.process.get();
    if (!captureSpecimen(vantor, timingFile)) {
        std::printf("the first capture did not finish\n");
        return 1;
    }
    const double startMb = residentMb(process);
    const size_t reportBytes = vantor.paneText().size();
    const DWORD begin = GetTickCount();
    std::printf("captures of the specimen by row selection (report %zu bytes), load %.1f\n", reportBytes,
                loadAverage());
    std::printf("%8s %10s %12s %12s\n", "captures", "seconds", "resident MB", "growth MB");
    const size_t step = captures >= 10 ? captures / 10 : 1;
    for (size_t i = 2; i <= captures; ++i) {
        if (!captureSpecimen(vantor, timingFile)) {
            std::printf("capture %zu did not finish\n", i);
            return 1;
        }
        if (i % step == 0 || i == captures) {
            const double mb = residentMb(process);
            std::printf("%8zu %10.0f %12.1f %12.2f\n", i, (GetTickCount() - begin) / 1000.0, mb,
                        mb - startMb);
        }
    }
    const double endMb = residentMb(process);
    std::printf(
        "after capture 1 %.1f MB, after capture %zu %.1f MB: growth %.2f MB (goal at most 5), load %.1f\n",
        startMb, captures, endMb, endMb - startMb, loadAverage());
    return 0;
}

// The same captures by the engine alone, in this process (no vantor.exe, no worker thread, no pane): where
// a growth of the captures' part comes from.
int engineSoak(const Specimen& specimen, size_t captures) {
    const size_t reportBytes = vantor::apptest::engineReportOf(specimen.window).size();
    const double startMb = residentMb(GetCurrentProcess());
    for (size_t i = 2; i <= captures; ++i)
        vantor::apptest::engineReportOf(specimen.window);
    const double endMb = residentMb(GetCurrentProcess());
    std::printf(
        "engine alone in the benchmark's process, %zu captures (report %zu bytes): %.1f MB after the first, "
        "%.1f MB after the last, growth %.2f MB\n",
        captures, reportBytes, startMb, endMb, endMb - startMb);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const size_t passes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10000;
    const size_t captures = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1000;
    const size_t engineCaptures = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 0;
    setvbuf(stdout, nullptr, _IONBF, 0);
    Specimen specimen;
    if (!specimen.start("--change-every 700")) {
        std::printf("specimen did not start\n");
        return 1;
    }
    int failed = 0;
    if (passes > 0) failed |= monitoringSoak(specimen, passes);
    if (captures > 0) failed |= captureSoak(captures);
    if (engineCaptures > 0) failed |= engineSoak(specimen, engineCaptures);
    return failed;
}
