// Benchmark of the bulk path (list views and tree views read inside the target through msghook.dll) against
// the cross-process exchanges, all figures in one run, by hand under the Wine harness:
//   tests/wine/harness.sh run BUILD BUILD/bin/bench_app_bulk_bench.exe [ROUNDS]
// 1. The engine's readers in this process, on a specimen with --rows 20000 --columns 4 --tree-items 5000:
//    readListViewRows and readTreeView through the bulk path (median of ROUNDS, default 5) and through the
//    cross-process path (once; the list takes tens of seconds), and whether the results are the same bytes.
// 2. vantor-cli capture of a specimen with --rows 20000 --columns 4, process start to exit: through the bulk
//    path and with --cross-process (once each), and whether the two reports are the same bytes.
// 3. vantor.exe with msghook.dll beside it: from selecting the specimen's row (--rows 20000 --columns 4) to
//    the finished pane, with vantor.exe's own timing of the capture and its pane refreshes (VANTOR_TIMING).
// Threads: the benchmark's own thread only.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "capture/bar_readers.h"
#include "capture/capture_lock.h"
#include "capture/capture_state.h"
#include "capture/list_view_reader.h"
#include "capture/read_path.h"
#include "capture/report_buffer.h"
#include "platform/win32/win32_hook.h"
#include "platform/win32/win32_platform.h"
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

// The session every capture of this benchmark writes into.
vantor::CaptureSession& benchSession() {
    static vantor::CaptureSession session;
    return session;
}

// The same for the captures kept to the cross-process exchanges.
vantor::CaptureSession& crossSession() {
    static vantor::CaptureSession session(nullptr, "\t", vantor::ReadPathChoice::CrossProcessOnly);
    return session;
}

const char kSpecimenArgs[] = "--rows 20000 --columns 4 --tree-items 5000";
const char kDoneTail[] = "段4\r\n"; // the last line of a finished specimen report (its accessible section)
constexpr size_t kSpecimenButtons = 11;
constexpr DWORD kLimitMs = 900000;
constexpr DWORD kPollMs = 200;

double secondsSince(const LARGE_INTEGER& t0) {
    LARGE_INTEGER f, t1;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t1);
    return static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(f.QuadPart);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void loadAverage() {
    std::string text;
    if (readFile("Z:\\proc\\loadavg", &text)) std::printf("load average: %s", text.c_str());
}

std::string takeReport(vantor::CaptureSession& session = benchSession()) {
    vantor::CaptureLock hold(session);
    std::string text =
        hold.report().text != nullptr ? std::string(hold.report().text, hold.report().length()) : "";
    hold.report().clear();
    return text;
}

std::string treeLines(const vantor::TextNode* first, int depth = 0) {
    std::string out;
    for (const vantor::TextNode* n = first; n != nullptr; n = n->next()) {
        out += std::string(static_cast<size_t>(depth), ' ') + n->text + "\n";
        out += treeLines(n->firstChild(), depth + 1);
    }
    return out;
}

std::string takeTree(vantor::CaptureSession& session = benchSession()) {
    vantor::CaptureLock hold(session);
    std::string lines = treeLines(hold.tree()->firstChild());
    hold.discardTreeItems();
    return lines;
}

std::string lastPath;
void recordPath(vantor::Hwnd, const char*, const char* path) {
    lastPath = path;
}

// 1. The readers in this process.
bool engine(int rounds) {
    Specimen specimen;
    if (!specimen.start(kSpecimenArgs)) return false;
    HWND list = FindWindowExA(specimen.window, nullptr, "SysListView32", nullptr);
    HWND tree = FindWindowExA(specimen.window, nullptr, "SysTreeView32", nullptr);
    if (list == nullptr || tree == nullptr) return false;
    vantor::setReadPathObserver(&recordPath);
    std::vector<double> listBulk, treeBulk;
    std::string listReport, treeReport;
    for (int r = 0; r < rounds; ++r) {
        LARGE_INTEGER t0;
        QueryPerformanceCounter(&t0);
        vantor::readListViewRows(benchSession(), vantor::fromNative(list), false);
        listBulk.push_back(secondsSince(t0));
        listReport = takeReport();
        const std::string listPath = lastPath;
        QueryPerformanceCounter(&t0);
        vantor::readTreeView(benchSession(), vantor::fromNative(tree));
        treeBulk.push_back(secondsSince(t0));
        treeReport = takeTree();
        if (listPath != "bulk" || lastPath != "bulk") {
            std::printf("the bulk path was not taken (list: %s, tree: %s)\n", listPath.c_str(),
                        lastPath.c_str());
            return false;
        }
    }
    LARGE_INTEGER t0;
    QueryPerformanceCounter(&t0);
    vantor::readListViewRows(crossSession(), vantor::fromNative(list), false);
    const double listCross = secondsSince(t0);
    const std::string listCrossReport = takeReport(crossSession());
    QueryPerformanceCounter(&t0);
    vantor::readTreeView(crossSession(), vantor::fromNative(tree));
    const double treeCross = secondsSince(t0);
    const std::string treeCrossReport = takeTree(crossSession());
    std::printf("readers in this process (bulk: median of %d rounds, from %.3f to %.3f s for the list)\n",
                rounds, *std::min_element(listBulk.begin(), listBulk.end()),
                *std::max_element(listBulk.begin(), listBulk.end()));
    std::printf("  list view 20,000 x 4: bulk %.3f s, cross-process %.2f s, ratio 1/%.0f, %zu bytes, %s\n",
                median(listBulk), listCross, listCross / median(listBulk), listReport.size(),
                listReport == listCrossReport ? "same bytes" : "REPORTS DIFFER");
    std::printf("  tree view 5,000 items: bulk %.3f s, cross-process %.2f s, ratio 1/%.0f, %s\n",
                median(treeBulk), treeCross, treeCross / median(treeBulk),
                treeReport == treeCrossReport ? "same items" : "TREES DIFFER");
    std::fflush(stdout);
    return listReport == listCrossReport && treeReport == treeCrossReport;
}

// 2. vantor-cli, one capture; its seconds in *seconds and its report in *report.
bool cli(const std::string& extra, double* seconds, std::string* report) {
    Specimen specimen;
    if (!specimen.start("--rows 20000 --columns 4")) return false;
    const std::string out = binDirectory() + "\\bench-bulk-cli.txt";
    DeleteFileA(out.c_str());
    LARGE_INTEGER t0;
    QueryPerformanceCounter(&t0);
    Program program;
    if (!startProgram(binDirectory() + "\\vantor-cli.exe",
                      "capture --title \"Vantor Specimen\" --out \"" + out + "\"" + extra, &program))
        return false;
    const int code = program.waitExit(kLimitMs);
    *seconds = secondsSince(t0);
    return code == 0 && readFile(out, report);
}

bool finished(const Vantor& v) {
    if (v.toolbarButtons().size() < kSpecimenButtons) return false;
    const std::string text = v.paneText();
    return text.size() >= sizeof kDoneTail - 1 &&
           text.compare(text.size() - (sizeof kDoneTail - 1), std::string::npos, kDoneTail) == 0;
}

// 3. vantor.exe, row to finished pane.
bool app() {
    Specimen specimen;
    if (!specimen.start("--rows 20000 --columns 4")) return false;
    const std::string dir = makeVantorDirectory("bench-bulk");
    const std::string timingFile = dir + "\\timing.txt";
    DeleteFileA(timingFile.c_str());
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
    bool done = false;
    for (DWORD waited = 0; !(done = finished(vantor)) && waited < kLimitMs; waited += kPollMs / 2)
        Sleep(kPollMs / 2);
    const double total = secondsSince(t0);
    const size_t bytes = vantor.paneText().size();
    std::string timing;
    waitUntil([&] { return readFile(timingFile, &timing) && !timing.empty(); });
    vantor.exitByMenu();
    if (!done) return false;
    std::printf(
        "vantor.exe 20,000 x 4, row to finished pane: %.2f s (polled every %lu ms), %zu bytes in the pane\n"
        "  its own timing: %s",
        total, kPollMs / 2, bytes, timing.c_str());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    vantor::installWin32Platform();
    vantor::createCaptureState();
    if (!vantor::loadHookLibrary(binDirectory().c_str())) {
        std::printf("msghook.dll not found beside the benchmark\n");
        return 1;
    }
    loadAverage();
    if (!engine(rounds)) return 1;
    double bulkSeconds = 0, crossSeconds = 0;
    std::string bulkReport, crossReport;
    if (!cli("", &bulkSeconds, &bulkReport) || !cli(" --cross-process", &crossSeconds, &crossReport)) {
        std::printf("vantor-cli failed\n");
        return 1;
    }
    std::printf(
        "vantor-cli capture, process start to exit: bulk %.3f s, --cross-process %.2f s, ratio 1/%.0f, "
        "%zu bytes, %s\n",
        bulkSeconds, crossSeconds, crossSeconds / bulkSeconds, bulkReport.size(),
        bulkReport == crossReport ? "same bytes" : "REPORTS DIFFER");
    std::fflush(stdout);
    loadAverage();
    if (!app()) {
        std::printf("vantor.exe did not finish the report\n");
        return 1;
    }
    loadAverage();
    vantor::unloadHookLibrary();
    return bulkReport == crossReport ? 0 : 1;
}
