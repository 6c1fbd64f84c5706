// vantor-host32.exe: the 32-bit stand-in of a 64-bit vantor.exe or vantor-cli. A 64-bit program's library
// never loads into a 32-bit process, so the program starts this host beside it with its own process id;
// the host loads msghook32.dll (the same library built for 32 bits) from its folder, sets that library's
// global hooks, and on the program's request sets and removes the library's request hook on one thread of
// a 32-bit process (menu bars and bulk reads). Everything else (the records, snapshots, requests and
// answers) goes through the library's named sections, shared by both widths (platform/wire.h).
//
// Its life follows the program's: it ends when the program's process ends (it waits on it with the
// messages), when the program closes its window, or when its library or window cannot be had. Its hooks go
// with it: the system removes a process's hooks when it ends, so no 32-bit program keeps a stale one.
//
// Threads: one, the message loop.
#include "platform/wire.h"

#include <windows.h>

#include "platform/win32/scoped_win.h"

#include <cstdio>
#include <cstdlib>

namespace {

namespace wire = vantor::wire;

using HookCall = void(WINAPI*)();
using BeginCall = void*(WINAPI*)(HWND);
using EndCall = void(WINAPI*)(void*);

// The library and the request hooks it set for the program (slot i answers as number i + 1).
struct Host {
    HMODULE library = nullptr;
    HookCall setHook = nullptr;
    HookCall freeHook = nullptr;
    BeginCall begin = nullptr;
    EndCall end = nullptr;
    void* hooks[wire::kHostMaxHooks] = {};
};
Host host;

template <typename F> F exportOf(HMODULE library, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

bool loadLibrary() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    char* slash = path + n;
    while (slash > path && slash[-1] != '\\' && slash[-1] != '/')
        --slash;
    if (static_cast<std::size_t>(slash - path) + sizeof wire::kHook32LibraryName > MAX_PATH) return false;
    lstrcpyA(slash, wire::kHook32LibraryName);
    host.library = LoadLibraryA(path);
    if (host.library == nullptr) return false;
    // Beside the program's library, whose hooks hold the chains they share (see SetHookAlongside).
    host.setHook = exportOf<HookCall>(host.library, "SetHookAlongside");
    host.freeHook = exportOf<HookCall>(host.library, "FreeHook");
    host.begin = exportOf<BeginCall>(host.library, "BulkBegin");
    host.end = exportOf<EndCall>(host.library, "BulkEnd");
    return host.setHook != nullptr && host.freeHook != nullptr && host.begin != nullptr &&
           host.end != nullptr;
}

// Sets the request hook on the thread of window (a window of a 32-bit process); the slot's number, 0 when
// the hook cannot be set or every slot is taken.
LRESULT onHookWindow(WPARAM wParam) {
    const HWND window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(static_cast<std::uint32_t>(wParam)));
    if (!IsWindow(window)) return 0;
    for (std::uint32_t i = 0; i < wire::kHostMaxHooks; ++i) {
        if (host.hooks[i] != nullptr) continue;
        host.hooks[i] = host.begin(window);
        return host.hooks[i] != nullptr ? static_cast<LRESULT>(i + 1) : 0;
    }
    return 0;
}

LRESULT onUnhook(WPARAM number) {
    if (number == 0 || number > wire::kHostMaxHooks || host.hooks[number - 1] == nullptr) return 0;
    host.end(host.hooks[number - 1]);
    host.hooks[number - 1] = nullptr;
    return 1;
}

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case wire::kHostHookWindow: return onHookWindow(wParam);
    case wire::kHostUnhook: return onUnhook(wParam);
    case WM_CLOSE: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

// The program's process id, the only argument.
DWORD programId(const char* arguments) {
    char* end = nullptr;
    const unsigned long pid = std::strtoul(arguments, &end, 10);
    return end != arguments && pid != 0 ? static_cast<DWORD>(pid) : 0;
}

// Serves the window's messages until the program ends or the window is closed.
void serve(HANDLE program) {
    for (;;) {
        const DWORD r = MsgWaitForMultipleObjects(1, &program, FALSE, INFINITE, QS_ALLINPUT);
        if (r != WAIT_OBJECT_0 + 1) return; // the program ended (or the wait failed)
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return;
            DispatchMessageA(&msg);
        }
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
    const DWORD pid = programId(arguments);
    if (pid == 0) return 2;
    const vantor::ScopedHandle program(OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (!program) return 3; // the program has ended already
    if (!loadLibrary()) return 4;
    WNDCLASSA wc{};
    wc.lpfnWndProc = hostProc;
    wc.hInstance = instance;
    wc.lpszClassName = wire::kHost32ClassName;
    char title[16];
    std::snprintf(title, sizeof title, "%lu", static_cast<unsigned long>(pid));
    vantor::ScopedWindow window;
    if (RegisterClassA(&wc) != 0)
        window.reset(CreateWindowExA(0, wire::kHost32ClassName, title, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     instance, nullptr));
    if (!window) return 5;
    host.setHook();
    serve(program.get());
    for (std::uint32_t i = 0; i < wire::kHostMaxHooks; ++i)
        onUnhook(i + 1);
    host.freeHook();
    return 0; // the window goes before the handle of the program
}
