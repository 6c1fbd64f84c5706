// bench-passon-hook.dll: a global WH_CALLWNDPROC hook whose procedure only passes every message on, for the
// hook cost benchmark's contrast (bench/win32/app_hook_bench.cpp). Never part of Vantor.
// Threads: SetPassOnHook / FreePassOnHook on the benchmark's thread; the procedure in every hooked thread.
#include <windows.h>

namespace {
HINSTANCE dllInstance = nullptr;
HHOOK hook = nullptr;

LRESULT CALLBACK passOn(int code, WPARAM wParam, LPARAM lParam) {
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
} // namespace

extern "C" {
__declspec(dllexport) BOOL WINAPI SetPassOnHook() {
    if (hook == nullptr) hook = SetWindowsHookExA(WH_CALLWNDPROC, passOn, dllInstance, 0);
    return hook != nullptr;
}
__declspec(dllexport) void WINAPI FreePassOnHook() {
    if (hook != nullptr) UnhookWindowsHookEx(hook);
    hook = nullptr;
}
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) dllInstance = instance;
    return TRUE;
}
