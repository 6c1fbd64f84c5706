// System services on KERNEL32 and USER32 (local time, sleeping, message boxes, replacing a file), the Win32
// side's one state object (win32_parts.h), and the installation of the Win32 platform.
//
// Threads: installWin32Platform once, before other threads start; the services from any thread (a message
// box belongs to the thread that shows it).
// win32_parts.h brings wire.h (through the hook library's seam), which names its constants like the SDK's
// macros: it comes before <windows.h>.
#include "platform/win32/win32_parts.h"

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

Win32Parts& win32Parts() {
    // Made on the first call (thread-safe) and kept for the life of the process.
    static Win32Parts parts;
    return parts;
}

} // namespace win32

void installWin32Platform() {
    win32::Win32Parts& parts = win32::win32Parts();
    setWideWindows(parts.wide.get());
    setPlatform(Platform{&parts.windows, &parts.processes, &parts.system});
    setAccessibility(parts.accessibility.get());
}

} // namespace vantor
