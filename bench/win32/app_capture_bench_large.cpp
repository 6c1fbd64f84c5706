// Benchmark of a large window capture through vantor.exe, run by hand under the Wine harness:
//   tests/wine/harness.sh run BUILD BUILD/bin/bench_app_capture_bench_large.exe [RUNS [ROWS [COLUMNS]]]
// The specimen's list view holds ROWS rows of COLUMNS columns (default 20,000 x 4). For each run it measures
// the time from selecting the specimen's row in vantor.exe to the finished report in the output pane, and
// reads back from vantor.exe's own timing (VANTOR_TIMING, app/capture_timing.h) how much of the
// capture went into the pane refreshes during the capture and into the final publication. Next to it:
// vantor-cli's time for the same window (process start to exit, report written to a file).
// Threads: the benchmark's own thread only.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/wine_driver/app_driver.h"

using vantor::apptest::binDirectory;
using vantor::apptest::makeVantorDirectory;
using vantor::apptest::Program;
using vantor::apptest::readFile;
using vantor::apptest::Specimen;
using vantor::apptest::startProgram;
using vantor::apptest::Vantor;
using vantor::apptest::waitUntil;

namespace {

const char kDoneTail[] = "段4\r\n"; // the last line of a finished specimen report (its accessible section)
constexpr size_t kSpecimenButtons = 11;
constexpr DWORD kCaptureLimitMs = 900000;
constexpr DWORD kPollMs = 200;

bool finished(const Vantor& v) {
    if (v.toolbarButtons().size() < kSpecimenButtons) return false;
    const std::string text = v.paneText();
    return text.size() >= sizeof kDoneTail - 1 &&
           text.compare(text.size() - (sizeof kDoneTail - 1), std::string::npos, kDoneTail) == 0;
}

double secondsSince(const LARGE_INTEGER& t0) {
    LARGE_INTEGER f, t1;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t1);
    return static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(f.QuadPart);
}

// The figures vantor.exe writes to the VANTOR_TIMING file.
struct AppTiming {
    double capture = -1;
    int refreshCalls = -1;
    double refresh = -1;
    double publication = -1;
};

bool parseTiming(const std::string& text, AppTiming* out) {
    AppTiming t;
    return std::sscanf(text.c_str(),
                       "capture_seconds %lf refresh_calls %d refresh_seconds %lf final_seconds %lf",
                       &t.capture, &t.refreshCalls, &t.refresh, &t.publication) == 4 &&
           (*out = t, true);
}

struct Run {
    double total = 0; // selecting the row to the finished pane
    size_t bytes = 0;
    AppTiming app;
    double cli = 0;
    size_t cliBytes = 0;
};

bool measureApp(const std::string& specimenArgs, int k, Run* run) {
    Specimen specimen;
    if (!specimen.start(specimenArgs)) return false;
    const std::string dir = makeVantorDirectory(("bench-large" + std::to_string(k)).c_str());
    const std::string timingFile = dir + "\\timing.txt";
    DeleteFileA(timingFile.c_str());
    // vantor.exe inherits the variable from this process.
    SetEnvironmentVariableA("VANTOR_TIMING", timingFile.c_str());
    Vantor vantor;
    const bool started = vantor.start(dir);
    SetEnvironmentVariableA("VANTOR_TIMING", nullptr);
    if (!started) return false;
    const int row = vantor.rowOf("Vantor Specimen [VantorSpecimen]");
    if (row < 0) return false;
    LARGE_INTEGER t0;
    QueryPerformanceCounter(&t0);
    vantor.selectRow(row);
    // Polled every 200 ms, not the driver's 20 ms: each poll reads the toolbar and the whole pane across
    // processes, which would take processor time from the capture being measured.
    bool done = false;
    for (DWORD waited = 0; !(done = finished(vantor)) && waited < kCaptureLimitMs; waited += kPollMs) {
        Sleep(kPollMs);
    }
    if (!done) {
        std::printf("vantor.exe did not finish the report\n");
        return false;
    }
    run->total = secondsSince(t0);
    run->bytes = vantor.paneText().size();
    // The worker writes the file right after the final publication.
    std::string text;
    const bool timed = waitUntil([&] { return readFile(timingFile, &text) && parseTiming(text, &run->app); });
    vantor.exitByMenu();
    if (!timed) std::printf("no timing from vantor.exe in %s\n", timingFile.c_str());
    return timed;
}

bool measureCli(const std::string& specimenArgs, Run* run) {
    Specimen specimen;
    if (!specimen.start(specimenArgs)) return false;
    const std::string out = binDirectory() + "\\bench-large-cli.txt";
    DeleteFileA(out.c_str());
    LARGE_INTEGER t0;
    QueryPerformanceCounter(&t0);
    Program cli;
    if (!startProgram(binDirectory() + "\\vantor-cli.exe",
                      "capture --title \"Vantor Specimen\" --out \"" + out + "\"", &cli)) {
        return false;
    }
    const int code = cli.waitExit(kCaptureLimitMs);
    run->cli = secondsSince(t0);
    std::string report;
    if (code != 0 || !readFile(out, &report)) {
        std::printf("vantor-cli ended with %d\n", code);
        return false;
    }
    run->cliBytes = report.size();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 1;
    const int rows = argc > 2 ? std::atoi(argv[2]) : 20000;
    const int columns = argc > 3 ? std::atoi(argv[3]) : 4;
    const std::string args = "--rows " + std::to_string(rows) + " --columns " + std::to_string(columns);
    std::printf("%d rows x %d columns (seconds)\n", rows, columns);
    std::printf("run  report bytes  vantor.exe  in-app capture  refreshes (n)        final publication  "
                "vantor-cli  cli bytes\n");
    for (int k = 0; k < runs; ++k) {
        Run run;
        if (!measureApp(args, k, &run) || !measureCli(args, &run)) {
            std::printf("%-4d failed\n", k + 1);
            return 1;
        }
        std::printf("%-4d %-13zu %-11.1f %-15.1f %5.1f %3.0f%% (%4d)   %5.2f %3.0f%%         %-11.1f %zu\n",
                    k + 1, run.bytes, run.total, run.app.capture, run.app.refresh,
                    100.0 * run.app.refresh / run.total, run.app.refreshCalls, run.app.publication,
                    100.0 * run.app.publication / run.total, run.cli, run.cliBytes);
        std::fflush(stdout);
    }
    return 0;
}
