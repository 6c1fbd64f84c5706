// vantor.exe and vantor-cli against a hostile program of the same user (hook-hostile.exe: scribbles over
// msghook.dll's sections, holds its mutexes, forges snapshot and answer headers, floods 10,000 forged menu
// records). Run by hostile_test.sh, which starts the specimen titled kTitle under WINEDEBUG=+seh and looks
// for faults in its log afterwards. Asserted here: every vantor-cli capture during the attack is byte for
// byte the --cross-process reference taken before it, or marked (failureLine or a non-zero exit code);
// vantor.exe answers WM_NULL within 100 ms throughout; its memory grows by less than 20 MB.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <string>

#include "tools/wine_driver/app_driver.h"

namespace vantor {
namespace apptest {
namespace {

const char kTitle[] = "Vantor Specimen Hostile";
const char kFailureLine[] = "情報をうまく取得できませんでした\r\n";
constexpr int kAttackSeconds = 25;
constexpr int kForgedRecords = 10000;

// vantor-cli capture of the specimen into a file; its exit code, the report in *out.
int captureWithCli(const std::string& options, const std::string& file, std::string* out) {
    DeleteFileA(file.c_str());
    Program cli;
    if (!startProgram(
            binDirectory() + "\\vantor-cli.exe",
            "capture --title \"" + std::string(kTitle) + "\" " + options + " --out \"" + file + "\"", &cli))
        return -1;
    const int rc = cli.waitExit(60000);
    out->clear();
    readFile(file, out);
    return rc;
}

// The process's committed private memory (PagefileUsage, which Wine fills; PrivateUsage it leaves 0).
SIZE_T privateBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return 0;
    return counters.PagefileUsage;
}

// Milliseconds vantor.exe took to answer WM_NULL (1000 when it did not answer within a second).
DWORD answerTime(HWND window) {
    const DWORD start = GetTickCount();
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) == 0) return 1000;
    return GetTickCount() - start;
}

TEST(Hostile, CapturesStayRightOrMarkedVantorAnswersAndItsMemoryStaysBounded) {
    HWND specimen = nullptr;
    ASSERT_TRUE(
        waitUntil([&] { return (specimen = FindWindowA("VantorSpecimen", kTitle)) != nullptr; }, 30000));
    Vantor vantor;
    ASSERT_TRUE(vantor.start(makeVantorDirectory("hostile"), "CaptureContextMenu=1\r\n"));
    const std::string dir = vantor.directory + "\\";
    std::string reference;
    ASSERT_EQ(captureWithCli("--cross-process", dir + "reference.txt", &reference), 0);
    ASSERT_NE(reference.find("■ メニュー情報"), std::string::npos);
    ASSERT_EQ(reference.find(kFailureLine), std::string::npos);
    std::string plain;
    ASSERT_EQ(captureWithCli("", dir + "plain.txt", &plain), 0);
    ASSERT_EQ(plain, reference);

    Sleep(1000);
    const SIZE_T before = privateBytes(vantor.program.process.get());
    ASSERT_GT(before, 0u);
    Program hostile;
    ASSERT_TRUE(startProgram(binDirectory() + "\\hook-hostile.exe",
                             std::to_string(kAttackSeconds) + " " + std::to_string(kForgedRecords),
                             &hostile));
    DWORD slowest = 0;
    int captures = 0, exact = 0, marked = 0;
    DWORD nextCapture = GetTickCount() + 1000;
    while (hostile.running()) {
        slowest = std::max(slowest, answerTime(vantor.main));
        if (static_cast<LONG>(GetTickCount() - nextCapture) >= 0) {
            // The capture runs while the probes pause; the probes go on between captures.
            std::string report;
            const int rc = captureWithCli("", dir + "attacked.txt", &report);
            ++captures;
            if (rc == 0 && report == reference) {
                ++exact;
            } else {
                ++marked;
                EXPECT_TRUE(rc != 0 || report.find(kFailureLine) != std::string::npos)
                    << "capture " << captures << " differs from the reference without a mark (exit code "
                    << rc << "):\n"
                    << report;
            }
            nextCapture = GetTickCount() + 500;
        }
        Sleep(50);
    }
    EXPECT_EQ(hostile.waitExit(5000), 0);
    std::printf("captures during the attack: %d (%d as the reference, %d marked); slowest WM_NULL: %lu ms\n",
                captures, exact, marked, static_cast<unsigned long>(slowest));
    EXPECT_GE(captures, 3);
    EXPECT_LE(slowest, 100u);
    const SIZE_T after = privateBytes(vantor.program.process.get());
    std::printf("vantor.exe private bytes: %lu KB before, %lu KB after\n",
                static_cast<unsigned long>(before / 1024), static_cast<unsigned long>(after / 1024));
    EXPECT_LT(after, before + 20u * 1024 * 1024);
    EXPECT_LE(answerTime(vantor.main), 100u);
    // Once the attack is over, captures are right again.
    std::string again;
    EXPECT_EQ(captureWithCli("", dir + "after.txt", &again), 0);
    EXPECT_EQ(again, reference);
    EXPECT_EQ(vantor.exitByMenu(), 0);
}

} // namespace
} // namespace apptest
} // namespace vantor
