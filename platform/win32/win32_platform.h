// The Win32 implementation of the platform seam (platform/platform.h) on the ANSI API: installing it, and
// the conversions between the seam's opaque handles and the native ones for the Windows-only code around it.
// The implementation works around Wine's faults in cross-process text messages so that the logic above
// always sees code page 932 bytes (platform/win32/win32_messages.cpp).
//
// Threads: installWin32Platform runs once at start-up (or in a test's set-up) before other threads start;
// the installed implementation and the conversions may be used from any thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "platform/accessible.h"
#include "platform/platform.h"

namespace vantor {

// Makes the Win32 window system, process access and system services the current platform.
void installWin32Platform();

namespace win32 {
// The accessible objects on the Win32 API (platform/accessible.h); installWin32Platform installs them.
std::unique_ptr<Accessibility> makeWin32Accessibility();
} // namespace win32

inline HWND toNative(Hwnd w) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(w));
}
inline HMENU toNative(Hmenu m) {
    return reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(m));
}
inline HANDLE toNative(Hproc p) {
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(p));
}
inline Hwnd fromNative(HWND w) {
    return static_cast<Hwnd>(reinterpret_cast<std::uintptr_t>(w));
}
inline Hmenu fromNative(HMENU m) {
    return static_cast<Hmenu>(reinterpret_cast<std::uintptr_t>(m));
}
inline Hproc procFromNative(HANDLE p) {
    return static_cast<Hproc>(reinterpret_cast<std::uintptr_t>(p));
}

} // namespace vantor
