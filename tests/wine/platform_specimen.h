// The specimen application as the Win32 platform tests see it: a fixture that starts specimen.exe (from the
// directory of the test program), finds its top-level window by class and title among the windows of that
// process, installs the Win32 platform, and ends the specimen by its handle in every path. Also small
// helpers to turn the seam's answers into strings.
//
// Threads: the test thread only.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "platform/win32/win32_platform.h"
#include "tools/specimen/specimen_contents.h"

namespace vantor {
namespace platformtest {

// The directory of this test program (bin/ of the build), with a trailing backslash.
inline std::string programDirectory() {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    const std::size_t slash = dir.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
}

// Polls every 20 ms for at most ms; true once cond held.
template <typename Cond> bool waitFor(Cond cond, DWORD ms = 10000) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (cond()) return true;
        if (GetTickCount() - start >= ms) return false;
        Sleep(20);
    }
}

// The top-level specimen window of process pid, or null.
inline HWND specimenWindowOf(DWORD pid) {
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, specimen::kWindowClass, specimen::kWindowTitle)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid) return w;
    }
    return nullptr;
}

class SpecimenTest : public ::testing::Test {
  protected:
    // Options for the specimen's command line (e.g. "--hang-after 0"); empty by default.
    virtual std::string specimenArguments() const { return std::string(); }

    void SetUp() override {
        installWin32Platform();
        std::string command = "\"" + programDirectory() + "specimen.exe\"";
        const std::string args = specimenArguments();
        if (!args.empty()) command += " " + args;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &process))
            << "cannot start " << command << " (error " << GetLastError() << ")";
        WaitForInputIdle(process.hProcess, 10000);
        // The children are made while the top-level window is created; wait for the last one as well.
        ASSERT_TRUE(waitFor([this] {
            top = specimenWindowOf(process.dwProcessId);
            return top != nullptr && GetDlgItem(top, specimen::kIdLongStatusBar) != nullptr;
        })) << "the specimen's window did not appear";
        topHandle = fromNative(top);
    }

    void TearDown() override { endSpecimen(); }

    // Ends the specimen (if it still runs) and waits until it is gone; safe to call twice.
    void endSpecimen() {
        if (process.hProcess == nullptr) return;
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 0);
        WaitForSingleObject(process.hProcess, 10000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        process = PROCESS_INFORMATION{};
    }

    Hwnd child(int id) const { return fromNative(GetDlgItem(top, id)); }

    PROCESS_INFORMATION process{};
    HWND top = nullptr;
    Hwnd topHandle{};
};

inline std::string classOf(Hwnd w) {
    char buf[256];
    const int n = ws().className(w, buf, sizeof buf);
    return std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
}

inline std::string titleOf(Hwnd w) {
    char buf[256];
    const int n = ws().windowText(w, buf, sizeof buf);
    return std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
}

// Bytes as hex, so that a failed comparison of code page 932 texts shows what arrived.
inline std::string hexOf(const std::string& s) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : s) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

} // namespace platformtest
} // namespace vantor
