// The 32-bit host (vantor-host32.exe, hook/host32.cpp) on a 64-bit program's side: starting it beside the
// program when the hooks are set, ending it when they are removed, and asking it to set and remove the
// request hook on a thread of a 32-bit process. Without the host (or in a 32-bit build, which loads its
// own library into 32-bit processes) nothing here is started, and 32-bit targets are read across processes.
//
// Threads: start and stop on the program's main thread; the hook calls on any thread (one lock).
#pragma once

#include <windows.h>

#include <cstdint>

namespace vantor {
namespace win32 {

// Starts "<directory>\vantor-host32.exe" when this build is 64-bit and both the host and msghook32.dll
// are there; does not wait for it.
void startHost32(const char* directory);
// Closes the host's window and waits up to a second for it to end, then ends it.
void stopHost32();
// A host was started and has not ended.
bool host32Running();
// Whether window belongs to a 32-bit process while this program is 64-bit.
bool isOtherWidthWindow(HWND window);
// Has the host set the request hook on window's thread; the number to remove it with, 0 when it could not
// (no host, no answer within the message time-out, or the host's hooks all in use).
std::uint32_t host32HookThreadOf(HWND window);
void host32Unhook(std::uint32_t number);

} // namespace win32
} // namespace vantor
