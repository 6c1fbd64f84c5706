// The Win32 side's state for the whole process in one object (win32Parts()): the objects behind the
// platform's seams, the 32-bit host's record and msghook.dll as loaded. Internal to platform/win32, whose
// files all go into one library: a program that uses any of them has them all.
//
// Threads: made at the first call from any thread (thread-safe) and kept to the end of the process; each
// member keeps its own rules: the seam objects are stateless, the host's record is touched under its lock
// (win32_host32.cpp), the hook library under its own (win32_hook.cpp).
#pragma once

#include <memory>

// wire.h, through the hook library's seam, comes before <windows.h>.
#include "platform/hook_library.h"

#include "platform/win32/win32_impl.h"
#include "platform/win32/win32_platform.h"

namespace vantor {
namespace win32 {

// The 32-bit host started beside a 64-bit program: its process, when it started, and its window once
// found. Under lock.
struct Host32State {
    Host32State() { InitializeCriticalSection(&lock); }
    CRITICAL_SECTION lock;
    HANDLE process = nullptr;
    DWORD startedAt = 0;
    HWND window = nullptr;
};

// msghook.dll's loader and snapshot reader (win32_hook.cpp), not loaded yet.
std::unique_ptr<HookLibrary> makeHookLibrary();

struct Win32Parts {
    WindowSystemWin32 windows;
    ProcessAccessWin32 processes;
    SystemServicesWin32 system;
    std::unique_ptr<WideWindowSystem> wide = makeWideWindows();
    std::unique_ptr<Accessibility> accessibility = makeWin32Accessibility();
    Host32State host;
    // Last, so that at the process's end the library is unloaded before the rest goes.
    std::unique_ptr<HookLibrary> hookLibrary = makeHookLibrary();
};

Win32Parts& win32Parts();

} // namespace win32
} // namespace vantor
