// Benchmark of a window capture through vantor.exe, run by hand under the Wine harness:
//   tests/wine/harness.sh run BUILD build/bin/bench_app_capture_bench.exe
// For specimens with N, 2N and 4N list-view rows it measures the time from selecting the specimen's row to
// the finished report in the output pane, and the time the engine alone takes for the same capture in this
// process. The difference is what the application adds (worker thread, synchronous messages, publishing the
// report into the rich edit); T(2N)/T(N) near 2 shows that it grows linearly with the report.
// Threads: the benchmark's own thread only.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/wine_driver/app_driver.h"

using vantor::apptest::engineReportOf;
using vantor::apptest::makeVantorDirectory;
using vantor::apptest::Specimen;
using vantor::apptest::Vantor;
using vantor::apptest::waitUntil;

namespace {

const char kDoneTail[] = "段4\r\n"; // the last line of a finished specimen report (its accessible section)
constexpr size_t kSpecimenButtons = 11;

bool finished(const Vantor& v) {
    if (v.toolbarButtons().size() < kSpecimenButtons) return false;
    const std::string text = v.paneText();
    return text.size() >= sizeof kDoneTail - 1 &&
           text.compare(text.size() - (sizeof kDoneTail - 1), std::string::npos, kDoneTail) == 0;
}

// Milliseconds from the row selection to the finished pane, or -1.
long measureApp(int rows, const char* name, size_t* bytes) {
    Specimen specimen;
    if (!specimen.start("--rows " + std::to_string(rows))) return -1;
    Vantor vantor;
    if (!vantor.start(makeVantorDirectory(name))) return -1;
    const int row = vantor.rowOf("Vantor Specimen [VantorSpecimen]");
    if (row < 0) return -1;
    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t0);
    vantor.selectRow(row);
    if (!waitUntil([&] { return finished(vantor); }, 300000)) {
        const std::string text = vantor.paneText();
        std::printf("not finished: %zu buttons, %zu bytes, ends with [%s]\n", vantor.toolbarButtons().size(),
                    text.size(), text.substr(text.size() > 40 ? text.size() - 40 : 0).c_str());
        return -1;
    }
    QueryPerformanceCounter(&t1);
    *bytes = vantor.paneText().size();
    vantor.exitByMenu();
    return static_cast<long>((t1.QuadPart - t0.QuadPart) * 1000 / f.QuadPart);
}

long measureEngine(int rows) {
    Specimen specimen;
    if (!specimen.start("--rows " + std::to_string(rows))) return -1;
    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t0);
    engineReportOf(specimen.window);
    QueryPerformanceCounter(&t1);
    return static_cast<long>((t1.QuadPart - t0.QuadPart) * 1000 / f.QuadPart);
}

} // namespace

int main(int argc, char** argv) {
    const int base = argc > 1 ? std::atoi(argv[1]) : 5000;
    std::printf("rows      report bytes   vantor.exe ms   engine ms   app share ms\n");
    long previous = 0;
    for (int k = 0; k < 3; ++k) {
        const int rows = base << k;
        size_t bytes = 0;
        const long app = measureApp(rows, ("bench" + std::to_string(k)).c_str(), &bytes);
        const long engine = measureEngine(rows);
        if (app < 0 || engine < 0) {
            std::printf("%-9d failed\n", rows);
            return 1;
        }
        std::printf("%-9d %-14zu %-15ld %-11ld %ld", rows, bytes, app, engine, app - engine);
        if (previous > 0) std::printf("   T(2N)/T(N) = %.2f", static_cast<double>(app) / previous);
        std::printf("\n");
        previous = app;
    }
    return 0;
}
