// The main job's helper (scripts/run): starts vantor.exe from a directory of its own beside the running
// specimen, selects the specimen's row in vantor.exe's window list as a user's click does, waits until the
// output pane holds the whole report, writes the pane's text to report.txt in that directory, then keeps
// vantor.exe on the screen until the caller has taken its screenshot (the file screenshot-taken appears in
// that directory) and ends it through its File menu, so that it shuts down normally.
// Uses the end-to-end driver of tests/wine. Threads: the main thread only.
//
// With --monitor it shows periodic monitoring instead: Ctrl+Alt+M over the specimen with an interval of
// 3 s, the specimen's status bar and list view selected in the control list, and report.txt written once
// the pane holds two passes.
//
//   vantor-run-capture [--wait-ms N] [--monitor]
// Exit codes: 0 the pane held the engine's report, 1 it did not (report.txt holds what it held), 2 vantor.exe
// or the specimen could not be found.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/wine_driver/app_driver.h"

namespace vantor {
namespace apptest {
namespace {

const char kSpecimenTitle[] = "Vantor Specimen";
const char kSpecimenRow[] = "Vantor Specimen [VantorSpecimen]";

bool writeFile(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}

std::string prepareDirectory() {
    const std::string dir = binDirectory() + "\\run";
    CreateDirectoryA(dir.c_str(), nullptr);
    for (const char* name : {"\\vantor.ini", "\\report.txt", "\\screenshot-taken"})
        DeleteFileA((dir + name).c_str());
    // vantor.exe with its hook library beside it, as installed.
    for (const char* name : {"\\vantor.exe", "\\msghook.dll"})
        CopyFileA((binDirectory() + name).c_str(), (dir + name).c_str(), FALSE);
    return dir;
}

int run(DWORD waitMs) {
    HWND specimen = FindWindowA("VantorSpecimen", kSpecimenTitle);
    if (specimen == nullptr) {
        std::fprintf(stderr, "run-capture: no window titled \"%s\"\n", kSpecimenTitle);
        return 2;
    }
    const std::string dir = prepareDirectory();
    Vantor vantor;
    if (!vantor.start(dir)) {
        std::fprintf(stderr, "run-capture: vantor.exe did not start in %s\n", dir.c_str());
        return 2;
    }
    int row = -1;
    waitUntil([&] { return (row = vantor.rowOf(kSpecimenRow)) >= 0; }, 5000);
    if (row < 0 || !vantor.selectRow(row)) {
        std::fprintf(stderr, "run-capture: the specimen is not in vantor.exe's window list\n");
        return 2;
    }
    // The engine run here gives the report the pane must end with; the capture is over once they agree.
    const std::string expected = engineReportOf(specimen);
    const bool complete = waitUntil([&] { return vantor.paneText() == expected; }, 30000);
    const std::string pane = vantor.paneText();
    writeFile(dir + "\\report.txt", pane);
    std::printf("run-capture: %s: %zu bytes in the pane%s\n", dir.c_str(), pane.size(),
                complete ? ", equal to the engine's report" : ", NOT equal to the engine's report");
    std::fflush(stdout);

    const std::string signal = dir + "\\screenshot-taken";
    waitUntil([&] { return GetFileAttributesA(signal.c_str()) != INVALID_FILE_ATTRIBUTES; }, waitMs);
    DeleteFileA(signal.c_str());
    if (vantor.exitByMenu() != 0) std::fprintf(stderr, "run-capture: vantor.exe did not exit normally\n");
    return complete ? 0 : 1;
}

int countOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

int runMonitor(DWORD waitMs) {
    HWND specimen = FindWindowA("VantorSpecimen", kSpecimenTitle);
    if (specimen == nullptr) return 2;
    const std::string dir = prepareDirectory();
    Vantor vantor;
    if (!vantor.start(dir) || !vantor.startMonitoring(specimen, "30")) {
        std::fprintf(stderr, "run-capture: monitoring did not start in %s\n", dir.c_str());
        return 2;
    }
    vantor.addRowToSelection(vantor.rowOf("  + \"\" [SysListView32]"));
    vantor.addRowToSelection(vantor.rowOf("  + \"\" [msctls_statusbar32]"));
    const bool two = waitUntil([&] { return countOf(vantor.paneText(), "\r\n====== ") >= 2; }, 20000);
    const std::string pane = vantor.paneText();
    writeFile(dir + "\\report.txt", pane);
    std::printf("run-capture: %s: %d passes in the pane\n", dir.c_str(), countOf(pane, "\r\n====== "));
    std::fflush(stdout);
    const std::string signal = dir + "\\screenshot-taken";
    waitUntil([&] { return GetFileAttributesA(signal.c_str()) != INVALID_FILE_ATTRIBUTES; }, waitMs);
    DeleteFileA(signal.c_str());
    vantor.command(32792);
    if (vantor.exitByMenu() != 0) std::fprintf(stderr, "run-capture: vantor.exe did not exit normally\n");
    return two ? 0 : 1;
}

} // namespace
} // namespace apptest
} // namespace vantor

int main(int argc, char** argv) {
    DWORD waitMs = 60000;
    bool monitor = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--wait-ms") == 0 && i + 1 < argc)
            waitMs = static_cast<DWORD>(std::strtoul(argv[i + 1], nullptr, 10));
        if (std::strcmp(argv[i], "--monitor") == 0) monitor = true;
    }
    return monitor ? vantor::apptest::runMonitor(waitMs) : vantor::apptest::run(waitMs);
}
