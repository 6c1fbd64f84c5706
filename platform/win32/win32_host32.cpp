// The 32-bit host on the program's side (platform/win32/win32_host32.h). The host is started without
// waiting (the program's start is not held up); its window is looked for when it is first needed, for at
// most kHostStartMs from the start, since a first 32-bit process of a session may take a while to start.
//
// Threads: start and stop on the main thread; the other calls on any thread, under one lock.
// wire.h names its constants like the SDK's macros: it comes before <windows.h>.
#include "platform/platform.h"
#include "platform/wire.h"

#include "platform/win32/scoped_win.h"
#include "platform/win32/win32_host32.h"
#include "platform/win32/win32_parts.h"

#include <cstdio>

namespace vantor {
namespace win32 {

namespace {

constexpr DWORD kHostStartMs = 5000;
constexpr DWORD kHostEndMs = 1000;

Host32State& state() {
    return win32Parts().host;
}

bool fileExists(const char* path) {
    const DWORD a = GetFileAttributesA(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool ended(HANDLE process) {
    return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

// The host's window, looked for until the host's start time is over. Caller holds the lock.
HWND hostWindowLocked() {
    Host32State& s = state();
    if (s.process == nullptr || ended(s.process)) return nullptr;
    if (s.window != nullptr && IsWindow(s.window)) return s.window;
    char title[16];
    std::snprintf(title, sizeof title, "%lu", static_cast<unsigned long>(GetCurrentProcessId()));
    for (;;) {
        s.window = FindWindowExA(HWND_MESSAGE, nullptr, wire::kHost32ClassName, title);
        if (s.window != nullptr) return s.window;
        if (GetTickCount() - s.startedAt >= kHostStartMs || ended(s.process)) return nullptr;
        Sleep(20);
    }
}

} // namespace

void startHost32(const char* directory) {
    if (sizeof(void*) != 8 || state().process != nullptr) return;
    char host[MAX_PATH * 2];
    char library[MAX_PATH * 2];
    std::snprintf(host, sizeof host, "%s\\%s", directory, wire::kHost32Program);
    std::snprintf(library, sizeof library, "%s\\%s", directory, wire::kHook32LibraryName);
    if (!fileExists(host) || !fileExists(library)) return;
    char commandLine[MAX_PATH * 2 + 32];
    std::snprintf(commandLine, sizeof commandLine, "\"%s\" %lu", host,
                  static_cast<unsigned long>(GetCurrentProcessId()));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(host, commandLine, nullptr, nullptr, FALSE, 0, nullptr, directory, &startup, &info))
        return;
    const ScopedHandle thread(info.hThread); // the host's first thread is never waited for
    EnterCriticalSection(&state().lock);
    state().process = info.hProcess;
    state().startedAt = GetTickCount();
    state().window = nullptr;
    LeaveCriticalSection(&state().lock);
}

void stopHost32() {
    Host32State& s = state();
    EnterCriticalSection(&s.lock);
    const ScopedHandle process(s.process);
    HWND window = s.window;
    s.process = nullptr;
    s.window = nullptr;
    LeaveCriticalSection(&s.lock);
    if (!process) return;
    if (window == nullptr) {
        char title[16];
        std::snprintf(title, sizeof title, "%lu", static_cast<unsigned long>(GetCurrentProcessId()));
        window = FindWindowExA(HWND_MESSAGE, nullptr, wire::kHost32ClassName, title);
    }
    if (window != nullptr) PostMessageA(window, WM_CLOSE, 0, 0);
    // A host still starting has no window yet: it is ended instead (its hooks go with it).
    if (window == nullptr || WaitForSingleObject(process.get(), kHostEndMs) != WAIT_OBJECT_0)
        TerminateProcess(process.get(), 1);
}

bool host32Running() {
    EnterCriticalSection(&state().lock);
    const bool running = state().process != nullptr && !ended(state().process);
    LeaveCriticalSection(&state().lock);
    return running;
}

bool isOtherWidthWindow(HWND window) {
    if (sizeof(void*) != 8) return false;
    DWORD pid = 0;
    if (GetWindowThreadProcessId(window, &pid) == 0) return false;
    const ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return false;
    BOOL wow = FALSE;
    const bool ok = IsWow64Process(process.get(), &wow) != FALSE;
    return ok && wow != FALSE;
}

std::uint32_t host32HookThreadOf(HWND window) {
    EnterCriticalSection(&state().lock);
    const HWND host = hostWindowLocked();
    LeaveCriticalSection(&state().lock);
    if (host == nullptr) return 0;
    DWORD_PTR number = 0;
    const auto low = static_cast<WPARAM>(static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(window)));
    if (SendMessageTimeoutA(host, wire::kHostHookWindow, low, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                            &number) == 0)
        return 0;
    return static_cast<std::uint32_t>(number);
}

void host32Unhook(std::uint32_t number) {
    if (number == 0) return;
    EnterCriticalSection(&state().lock);
    const HWND host = state().window;
    LeaveCriticalSection(&state().lock);
    DWORD_PTR ignored = 0;
    if (host != nullptr)
        SendMessageTimeoutA(host, wire::kHostUnhook, number, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                            &ignored);
}

} // namespace win32
} // namespace vantor
