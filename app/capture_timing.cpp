// Optional timing of a window capture in vantor.exe (see capture_timing.h): measures how much of a capture
// goes into refreshing the output pane and into the final publication of the report, for the benchmark.
// Threads: the capture worker only.
#include "app/capture_timing.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

#include "app/app_globals.h"

namespace vantor {

namespace {

AppState::CaptureTiming& timing() {
    return appState().captureTiming;
}

double seconds(long long ticks) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(ticks) / static_cast<double>(f.QuadPart);
}

} // namespace

long long captureTimingNow() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

void captureTimingBegin() {
    timing().path[0] = '\0';
    timing().begin = timing().reportTicks = timing().lastReport = 0;
    timing().reports = 0;
    const DWORD n = GetEnvironmentVariableA("VANTOR_TIMING", timing().path, sizeof timing().path);
    if (n == 0 || n >= sizeof timing().path) return;
    timing().begin = captureTimingNow();
    timing().on.store(true);
}

bool captureTimingOn() {
    return timing().on.load(std::memory_order_relaxed);
}

void captureTimingAddReport(long long start, long long end) {
    if (!timing().on.load()) return;
    timing().reportTicks += end - start;
    timing().lastReport = end - start;
    ++timing().reports;
}

void captureTimingEnd() {
    if (!timing().on.load()) return;
    timing().on.store(false);
    const long long total = captureTimingNow() - timing().begin;
    FILE* file = std::fopen(timing().path, "w");
    if (file == nullptr) return;
    std::fprintf(file, "capture_seconds %.6f\n", seconds(total));
    std::fprintf(file, "refresh_calls %d\n", timing().reports > 0 ? timing().reports - 1 : 0);
    std::fprintf(file, "refresh_seconds %.6f\n", seconds(timing().reportTicks - timing().lastReport));
    std::fprintf(file, "final_seconds %.6f\n", seconds(timing().lastReport));
    std::fclose(file);
}

} // namespace vantor
