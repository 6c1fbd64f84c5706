// Owners of Win32 handles and blocks: each releases what it holds when it goes out of scope, so that no
// path of the code that acquires one needs its own release call. Kept with the platform, the lowest layer,
// so that the platform, the hook library and the application all use the same owners. Any thread; an owner
// itself is not shared between threads.
#pragma once

#include <windows.h>

namespace vantor {

template <typename H, typename Release> class Scoped {
  public:
    explicit Scoped(H handle = nullptr) : handle(handle) {}
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

using ScopedHandle = Scoped<HANDLE, CloseHandleRelease>;
using ScopedGlobal = Scoped<HGLOBAL, GlobalFreeRelease>;
using ScopedLibrary = Scoped<HMODULE, FreeLibraryRelease>;
using ScopedView = Scoped<const void*, UnmapViewRelease>;
using ScopedIcon = Scoped<HICON, DestroyIconRelease>;

} // namespace vantor
