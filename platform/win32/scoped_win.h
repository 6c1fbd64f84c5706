// Owners of Win32 handles and blocks: each releases what it holds when it goes out of scope, so that no
// path of the code that acquires one needs its own release call. Kept with the platform, the lowest layer,
// so that the platform, the hook library and the application all use the same owners. Any thread; an owner
// itself is not shared between threads.
#pragma once

#include <windows.h>

namespace vantor {

template <typename H, typename Release> class Scoped {
  public:
    constexpr explicit Scoped(H handle = nullptr) : handle(handle) {}
    ~Scoped() { reset(); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;

    H get() const { return handle; }
    explicit operator bool() const { return handle != nullptr; }
    // Gives the handle up to the caller, who (or the system) now releases it.
    H take() {
        H h = handle;
        handle = nullptr;
        return h;
    }
    // Releases the handle held and keeps another one.
    void reset(H other = nullptr) {
        if (handle != nullptr) Release()(handle);
        handle = other;
    }

  private:
    H handle;
};

struct CloseHandleRelease {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
struct GlobalFreeRelease {
    void operator()(HGLOBAL h) const { GlobalFree(h); }
};
struct FreeLibraryRelease {
    void operator()(HMODULE h) const { FreeLibrary(h); }
};
struct UnmapViewRelease {
    void operator()(const void* view) const { UnmapViewOfFile(view); }
};
struct DestroyIconRelease {
    void operator()(HICON h) const { DestroyIcon(h); }
};
struct DestroyCursorRelease {
    void operator()(HCURSOR h) const { DestroyCursor(h); }
};
struct DestroyMenuRelease {
    void operator()(HMENU h) const { DestroyMenu(h); }
};
struct DeleteObjectRelease {
    void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct UnhookRelease {
    void operator()(HHOOK h) const { UnhookWindowsHookEx(h); }
};
struct UnhookWinEventRelease {
    void operator()(HWINEVENTHOOK h) const { UnhookWinEvent(h); }
};
struct DestroyWindowRelease {
    void operator()(HWND h) const { DestroyWindow(h); }
};

using ScopedHandle = Scoped<HANDLE, CloseHandleRelease>;
using ScopedGlobal = Scoped<HGLOBAL, GlobalFreeRelease>;
using ScopedLibrary = Scoped<HMODULE, FreeLibraryRelease>;
using ScopedView = Scoped<const void*, UnmapViewRelease>;
using ScopedIcon = Scoped<HICON, DestroyIconRelease>;
using ScopedCursor = Scoped<HCURSOR, DestroyCursorRelease>;
using ScopedMenu = Scoped<HMENU, DestroyMenuRelease>;
using ScopedFont = Scoped<HFONT, DeleteObjectRelease>;
using ScopedHook = Scoped<HHOOK, UnhookRelease>;
using ScopedWinEventHook = Scoped<HWINEVENTHOOK, UnhookWinEventRelease>;
using ScopedWindow = Scoped<HWND, DestroyWindowRelease>;

// A mutex held for a scope: waits at most waitMs for it and, when it was had, releases it on leaving. A
// mutex left by a thread that ended holding it counts as had (WAIT_ABANDONED): what it guards must be
// checked before use. Holds no handle of its own: the mutex handle outlives the hold.
class HeldMutex {
  public:
    HeldMutex(HANDLE mutex, DWORD waitMs) : mutex(mutex) {
        const DWORD r = mutex != nullptr ? WaitForSingleObject(mutex, waitMs) : WAIT_FAILED;
        held_ = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
    }
    ~HeldMutex() {
        if (held_) ReleaseMutex(mutex);
    }
    HeldMutex(const HeldMutex&) = delete;
    HeldMutex& operator=(const HeldMutex&) = delete;
    bool held() const { return held_; }

  private:
    HANDLE mutex;
    bool held_;
};

// A movable global block locked for a scope: ptr() is its memory (null when the lock failed), unlocked on
// leaving. The block itself stays with whoever owns it.
class LockedGlobal {
  public:
    explicit LockedGlobal(HGLOBAL block)
        : block(block), memory(block != nullptr ? GlobalLock(block) : nullptr) {}
    ~LockedGlobal() {
        if (memory != nullptr) GlobalUnlock(block);
    }
    LockedGlobal(const LockedGlobal&) = delete;
    LockedGlobal& operator=(const LockedGlobal&) = delete;
    void* ptr() const { return memory; }

  private:
    HGLOBAL block;
    void* memory;
};

// The clipboard opened for a scope (opened() says whether it was), closed again on leaving.
class OpenedClipboard {
  public:
    explicit OpenedClipboard(bool opened) : opened_(opened) {}
    ~OpenedClipboard() {
        if (opened_) CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    bool opened() const { return opened_; }

  private:
    bool opened_;
};

} // namespace vantor
