// Process access on KERNEL32: the handle of another process, its pointer width, blocks of its memory, and
// the page blocks of this process exchanged with it.
//
// Threads: any; nothing here keeps state.
#include "platform/win32/win32_impl.h"

#include "platform/win32/win32_platform.h"

namespace vantor {
namespace win32 {

namespace {

constexpr DWORD kProcessAccess =
    PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_LIMITED_INFORMATION;

LPVOID remotePointer(RemoteAddr a) {
    return reinterpret_cast<LPVOID>(static_cast<std::uintptr_t>(a));
}

// An address this process cannot even name (a 64-bit address seen from a 32-bit build).
bool addressable(RemoteAddr a) {
    return a <= static_cast<RemoteAddr>(UINTPTR_MAX);
}

bool isWow64(HANDLE process, bool* out) {
    BOOL wow = FALSE;
    if (!IsWow64Process(process, &wow)) return false;
    *out = wow != FALSE;
    return true;
}

} // namespace

bool ProcessAccessWin32::openProcess(std::uint32_t pid, Hproc* out) {
    const HANDLE process = OpenProcess(kProcessAccess, FALSE, pid);
    *out = procFromNative(process);
    return process != nullptr;
}

void ProcessAccessWin32::closeProcess(Hproc p) {
    if (!isNull(p)) CloseHandle(toNative(p));
}

// A WOW64 process is 32-bit; any other is as wide as the system, which a 32-bit build learns from whether
// it runs under WOW64 itself. 0 when the handle cannot be asked.
int ProcessAccessWin32::pointerBits(Hproc p) {
    bool targetWow = false;
    if (isNull(p) || !isWow64(toNative(p), &targetWow)) return 0;
    if (targetWow) return 32;
    if (sizeof(void*) == 8) return 64;
    bool selfWow = false;
    return isWow64(GetCurrentProcess(), &selfWow) && selfWow ? 64 : 32;
}

bool ProcessAccessWin32::allocRemote(Hproc p, std::size_t size, RemoteAddr* out) {
    *out = 0;
    if (isNull(p) || size == 0) return false;
    const LPVOID block = VirtualAllocEx(toNative(p), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    *out = static_cast<RemoteAddr>(reinterpret_cast<std::uintptr_t>(block));
    return block != nullptr;
}

void ProcessAccessWin32::freeRemote(Hproc p, RemoteAddr a) {
    if (isNull(p) || a == 0 || !addressable(a)) return;
    VirtualFreeEx(toNative(p), remotePointer(a), 0, MEM_RELEASE);
}

void ProcessAccessWin32::abandonRemote(Hproc, RemoteAddr) {
    // The block stays in the target until it ends; only the caller's handle is closed (by closeProcess).
}

bool ProcessAccessWin32::writeRemote(Hproc p, RemoteAddr a, const void* src, std::size_t n) {
    if (isNull(p) || a == 0 || !addressable(a)) return false;
    SIZE_T written = 0;
    return WriteProcessMemory(toNative(p), remotePointer(a), src, n, &written) && written == n;
}

bool ProcessAccessWin32::readRemote(Hproc p, RemoteAddr a, void* dst, std::size_t n) {
    if (isNull(p) || a == 0 || !addressable(a)) return false;
    SIZE_T read = 0;
    return ReadProcessMemory(toNative(p), remotePointer(a), dst, n, &read) && read == n;
}

void* ProcessAccessWin32::allocLocal(std::size_t size) {
    if (size == 0) return nullptr;
    return VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void ProcessAccessWin32::freeLocal(void* block) {
    if (block != nullptr) VirtualFree(block, 0, MEM_RELEASE);
}

} // namespace win32
} // namespace vantor
