// System services on KERNEL32 and USER32 (local time, sleeping, message boxes, replacing a file), and the
// installation of the Win32 platform.
//
// Threads: installWin32Platform once, before other threads start; the services from any thread (a message
// box belongs to the thread that shows it).
#include "platform/win32/win32_impl.h"

#include "platform/win32/win32_platform.h"

namespace vantor {
namespace win32 {

void SystemServicesWin32::localTime(LocalTime* out) {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    *out = LocalTime{t.wYear, t.wMonth, t.wDay, t.wDayOfWeek, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

void SystemServicesWin32::sleepMs(unsigned ms) {
    Sleep(ms);
}

int SystemServicesWin32::messageBox(Hwnd owner, const char* text, const char* caption, unsigned flags) {
    return MessageBoxA(toNative(owner), text, caption, flags);
}

// MOVEFILE_WRITE_THROUGH: the call returns once the file is on disk, so a crash right after it leaves
// either the old or the new file.
bool SystemServicesWin32::replaceFile(const char* source, const char* target) {
    return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

} // namespace win32

void installWin32Platform() {
    // The Win32 side of every seam in one object, made on the first call and kept for the life of the
    // process.
    struct Parts {
        win32::WindowSystemWin32 windows;
        win32::ProcessAccessWin32 processes;
        win32::SystemServicesWin32 system;
        std::unique_ptr<WideWindowSystem> wide = win32::makeWideWindows();
        std::unique_ptr<Accessibility> accessibility = win32::makeWin32Accessibility();
    };
    static Parts parts;
    setWideWindows(parts.wide.get());
    setPlatform(Platform{&parts.windows, &parts.processes, &parts.system});
    setAccessibility(parts.accessibility.get());
}

} // namespace vantor
