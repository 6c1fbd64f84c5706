// msghook.dll loaded at run time, and the menu snapshots it leaves in its shared section, read for the
// window system where the menu functions refuse another process's menu (Wine). Each slot of the section is
// copied into memory of this process and checked whole there by the portable reader
// (platform/menu_snapshot.h), without waiting for the section's mutex: the section is writable by any
// process and trusted in nothing. Every failure to read a menu leaves a one-line reason for --verbose.
// A 64-bit program reaches 32-bit targets through the 32-bit host (platform/win32/win32_host32.h), which
// sets the request hooks there; the requests are posted and answered as for a target of its own width.
//
// Threads: loading and unloading on the main thread; the snapshot functions on any thread (one lock).
#include "platform/hook_library.h"
#include "platform/menu_snapshot.h"

#include "platform/win32/scoped_win.h"
#include "platform/win32/win32_hook.h"
#include "platform/win32/win32_host32.h"
#include "platform/win32/win32_impl.h"
#include "platform/win32/win32_parts.h"
#include "platform/win32/win32_platform.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace vantor {

namespace {

using HookCall = void(WINAPI*)();
using PopCall = int(WINAPI*)(wire::HookRecord*, int);
using RequestCall = BOOL(WINAPI*)(HWND, DWORD);
using AskCall = BOOL(WINAPI*)(HWND, DWORD);
using DroppedCall = DWORD(WINAPI*)();
using BulkBeginCall = void*(WINAPI*)(HWND);
using BulkEndCall = void(WINAPI*)(void*);
using BulkChunkCall = DWORD(WINAPI*)(HWND, const wire::BulkRequest*, DWORD*, void*, DWORD, DWORD);

// How long the checked copies of the snapshots answer for the menus they hold before they are taken anew.
constexpr DWORD kSnapshotReuseMs = 250;
// How long a window whose menu-bar request went unanswered is not asked again.
constexpr DWORD kUnansweredPauseMs = 30000;

template <typename F> F exportOf(HMODULE library, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// A bulk read's request hook: the library's own, or one the 32-bit host set (its number).
struct BulkHook {
    void* own;
    std::uint32_t hostNumber;
};

// The loaded library, its exports, and the state of the snapshot reader.
class HookLibraryWin32 : public HookLibrary {
  public:
    HookLibraryWin32() { InitializeCriticalSection(&lock_); }

    bool load(const char* directory) {
        char path[MAX_PATH * 2];
        lstrcpynA(path, directory, MAX_PATH);
        lstrcpynA(directory_, directory, MAX_PATH);
        lstrcatA(path, "\\msghook.dll");
        module_.reset(LoadLibraryA(path));
        if (!module_) return false;
        const HMODULE m = module_.get();
        set_ = exportOf<HookCall>(m, "SetHook");
        free_ = exportOf<HookCall>(m, "FreeHook");
        pop_ = exportOf<PopCall>(m, "PopMessage");
        request_ = exportOf<RequestCall>(m, "RequestMenuBar");
        ask_ = exportOf<AskCall>(m, "AskMenuBar");
        dropped_ = exportOf<DroppedCall>(m, "DroppedCount");
        bulkBegin_ = exportOf<BulkBeginCall>(m, "BulkBegin");
        bulkEnd_ = exportOf<BulkEndCall>(m, "BulkEnd");
        bulkChunk_ = exportOf<BulkChunkCall>(m, "BulkChunk");
        return set_ != nullptr && free_ != nullptr && pop_ != nullptr;
    }
    void unload() {
        EnterCriticalSection(&lock_);
        view_.reset();
        mapping_.reset();
        LeaveCriticalSection(&lock_);
        module_.reset();
        set_ = free_ = nullptr;
        pop_ = nullptr;
        request_ = nullptr;
        ask_ = nullptr;
        dropped_ = nullptr;
        bulkBegin_ = nullptr;
        bulkEnd_ = nullptr;
        bulkChunk_ = nullptr;
    }
    // The 32-bit host comes and goes with the hooks.
    void setHook() {
        if (set_ == nullptr) return;
        set_();
        win32::startHost32(directory_);
    }
    void freeHook() {
        if (free_ != nullptr) free_();
        win32::stopHost32();
    }
    unsigned long dropped() { return dropped_ != nullptr ? dropped_() : 0; }
    bool loaded() const { return static_cast<bool>(module_); }

    int popMessage(wire::HookRecord* buf, int cap) override { return pop_ != nullptr ? pop_(buf, cap) : 0; }
    void debugOutput(const char* text) override { OutputDebugStringA(text); }

    // Asks the window's thread for its menu bar, unless the window is this process's own, a child (whose
    // "menu" is its id), hung, or left a request unanswered a short while ago.
    void requestMenuBar(HWND window) {
        if (request_ == nullptr) {
            setProblem(!module_ ? "msghook.dll is not loaded" : "msghook.dll has no RequestMenuBar");
            return;
        }
        if ((GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0) return;
        DWORD pid = 0;
        if (GetWindowThreadProcessId(window, &pid) == 0 || pid == GetCurrentProcessId()) return;
        if (IsHungAppWindow(window)) {
            setProblem("the window does not answer (hung): its menu bar was not asked for");
            return;
        }
        const DWORD now = GetTickCount();
        EnterCriticalSection(&lock_);
        const bool paused = window == unanswered_ && now - unansweredAt_ < kUnansweredPauseMs;
        LeaveCriticalSection(&lock_);
        if (paused) {
            setProblem("the window left a menu bar request unanswered less than 30 s ago");
            return;
        }
        const bool viaHost = win32::isOtherWidthWindow(window);
        if (viaHost && (ask_ == nullptr || !win32::host32Running())) {
            setProblem("the window is 32-bit and the 32-bit host (vantor-host32.exe) does not run");
            return;
        }
        setProblem("");
        EnterCriticalSection(&lock_);
        ++requestsMade_; // a fresh snapshot is coming: the copies are not reused past it
        LeaveCriticalSection(&lock_);
        if (viaHost ? askThroughHost(window) : request_(window, kMessageTimeoutMs)) return;
        char why[160];
        std::snprintf(why, sizeof why,
                      "the hook library could not ask the window's thread, or it did not answer within %u ms",
                      kMessageTimeoutMs);
        setProblem(why);
        EnterCriticalSection(&lock_);
        unanswered_ = window;
        unansweredAt_ = GetTickCount();
        LeaveCriticalSection(&lock_);
    }

    const char* problem() {
        EnterCriticalSection(&lock_);
        std::memcpy(problemOut_, problem_, sizeof problemOut_);
        LeaveCriticalSection(&lock_);
        return problemOut_;
    }

    // A bulk read is not tried for the program's own windows, a hung window, or a thread that left a bulk
    // request unanswered a short while ago (each try would cost a whole time-out).
    bool bulkAvailable() override {
        return bulkBegin_ != nullptr && bulkEnd_ != nullptr && bulkChunk_ != nullptr;
    }
    bool bulkReaches(int pointerBits) override {
        if (pointerBits == static_cast<int>(sizeof(void*) * 8)) return true;
        return pointerBits == 32 && win32::host32Running();
    }
    void* bulkBegin(Hwnd control) override {
        if (bulkBegin_ == nullptr || bulkEnd_ == nullptr || bulkChunk_ == nullptr) return nullptr;
        const HWND window = toNative(control);
        DWORD pid = 0;
        const DWORD thread = GetWindowThreadProcessId(window, &pid);
        if (thread == 0 || pid == GetCurrentProcessId()) return nullptr;
        if (IsHungAppWindow(GetAncestor(window, GA_ROOT))) return nullptr;
        EnterCriticalSection(&lock_);
        const bool paused =
            thread == bulkUnanswered_ && GetTickCount() - bulkUnansweredAt_ < kUnansweredPauseMs;
        LeaveCriticalSection(&lock_);
        if (paused) return nullptr;
        BulkHook hook{nullptr, 0};
        if (win32::isOtherWidthWindow(window))
            hook.hostNumber = win32::host32HookThreadOf(window);
        else
            hook.own = bulkBegin_(window);
        if (hook.own == nullptr && hook.hostNumber == 0) return nullptr;
        auto* session = new (std::nothrow) BulkHook(hook);
        if (session == nullptr) { // no session to end it with: the hook goes now
            if (hook.own != nullptr) bulkEnd_(hook.own);
            win32::host32Unhook(hook.hostNumber);
        }
        return session;
    }
    std::size_t bulkChunk(void* session, Hwnd control, const wire::BulkRequest& request,
                          std::uint32_t* sequence, std::uint8_t* out, std::size_t cap) override {
        if (session == nullptr || bulkChunk_ == nullptr) return 0;
        const HWND window = toNative(control);
        DWORD number = 0;
        const DWORD n =
            bulkChunk_(window, &request, &number, out, static_cast<DWORD>(cap), kMessageTimeoutMs);
        *sequence = number;
        if (n == 0) {
            EnterCriticalSection(&lock_);
            bulkUnanswered_ = GetWindowThreadProcessId(window, nullptr);
            bulkUnansweredAt_ = GetTickCount();
            LeaveCriticalSection(&lock_);
        }
        return n;
    }
    void bulkEnd(void* session) override {
        if (session == nullptr) return;
        auto* hook = static_cast<BulkHook*>(session);
        if (hook->own != nullptr && bulkEnd_ != nullptr) bulkEnd_(hook->own);
        win32::host32Unhook(hook->hostNumber);
        delete hook;
    }

    // The item count of menu: the snapshots are copied and checked anew for each menu asked for, and its
    // items are then read from those copies.
    int snapshotCount(Hmenu menu) {
        EnterCriticalSection(&lock_);
        int n = -1;
        // The sub-menus of one menu read are taken from the same copies while they are fresh, so that a slot
        // written over in the middle of the walk cannot take part of the menu away.
        const bool fresh = snapshots_ && loadedAt_ != 0 && GetTickCount() - loadedAt_ < kSnapshotReuseMs &&
                           requestsMade_ == requestsAtLoad_;
        if (fresh && snapshots_->itemCount(menu) >= 0) {
            n = snapshots_->itemCount(menu);
        } else if (loadSnapshots()) {
            n = snapshots_->itemCount(menu);
            if (n < 0 && (problem_[0] == '\0' || snapshots_->damaged() > 0))
                setProblemLocked(snapshots_->damaged() > 0
                                     ? "no sound snapshot of the menu (a snapshot failed its checks)"
                                     : "no snapshot of the menu in the hook library's section");
        }
        LeaveCriticalSection(&lock_);
        return n;
    }
    bool snapshotItem(Hmenu menu, int position, MenuItem* out) {
        EnterCriticalSection(&lock_);
        bool ok = snapshots_ && snapshots_->item(menu, position, out);
        if (!ok && loadSnapshots()) ok = snapshots_->item(menu, position, out);
        LeaveCriticalSection(&lock_);
        return ok;
    }
    bool snapshotItemTextW(Hmenu menu, int position, std::u16string* out) {
        EnterCriticalSection(&lock_);
        bool ok = snapshots_ && snapshots_->itemTextW(menu, position, out);
        if (!ok && loadSnapshots()) ok = snapshots_->itemTextW(menu, position, out);
        LeaveCriticalSection(&lock_);
        return ok;
    }
    bool snapshotCut(Hmenu menu) {
        EnterCriticalSection(&lock_);
        const bool cut = snapshots_ && snapshots_->cut(menu);
        LeaveCriticalSection(&lock_);
        return cut;
    }

  private:
    // The menu-bar request of a 32-bit window: the host sets the request hook on its thread for the
    // length of the request.
    bool askThroughHost(HWND window) {
        const std::uint32_t number = win32::host32HookThreadOf(window);
        if (number == 0) return false;
        const bool answered = ask_(window, kMessageTimeoutMs) != FALSE;
        win32::host32Unhook(number);
        return answered;
    }

    void setProblem(const char* text) {
        EnterCriticalSection(&lock_);
        setProblemLocked(text);
        LeaveCriticalSection(&lock_);
    }
    void setProblemLocked(const char* text) { lstrcpynA(problem_, text, sizeof problem_); }

    // Copies and checks the snapshots of the section (platform/menu_snapshot.h). False without the library
    // or the section, with the reason left for --verbose. Caller holds lock_.
    bool loadSnapshots() {
        if (!module_) {
            setProblemLocked("msghook.dll is not loaded");
            return false;
        }
        if (!view_) {
            mapping_.reset(OpenFileMappingA(FILE_MAP_READ, FALSE, wire::kHookSectionName));
            if (mapping_)
                view_.reset(MapViewOfFile(mapping_.get(), FILE_MAP_READ, 0, 0, sizeof(wire::HookSection)));
            if (!view_) {
                mapping_.reset();
                setProblemLocked(
                    "the hook library's section could not be opened (its name may be held by another "
                    "object)");
                return false;
            }
        }
        if (!snapshots_) snapshots_.reset(new (std::nothrow) SnapshotSet());
        if (!snapshots_) return false;
        snapshots_->load(view_.get(), sizeof(wire::HookSection));
        loadedAt_ = GetTickCount() | 1;
        requestsAtLoad_ = requestsMade_;
        return true;
    }

    CRITICAL_SECTION lock_;
    ScopedLibrary module_;
    HookCall set_ = nullptr;
    HookCall free_ = nullptr;
    PopCall pop_ = nullptr;
    RequestCall request_ = nullptr;
    AskCall ask_ = nullptr;
    char directory_[MAX_PATH] = "";
    DroppedCall dropped_ = nullptr;
    BulkBeginCall bulkBegin_ = nullptr;
    BulkEndCall bulkEnd_ = nullptr;
    BulkChunkCall bulkChunk_ = nullptr;
    DWORD bulkUnanswered_ = 0;
    DWORD bulkUnansweredAt_ = 0;
    ScopedHandle mapping_;
    ScopedView view_;
    std::unique_ptr<SnapshotSet> snapshots_;
    DWORD loadedAt_ = 0;
    unsigned requestsMade_ = 0;
    unsigned requestsAtLoad_ = 0;
    char problem_[160] = "";
    char problemOut_[160] = "";
    HWND unanswered_ = nullptr;
    DWORD unansweredAt_ = 0;
};

// The one loader of the process, kept in the Win32 side's state.
HookLibraryWin32& library() {
    return static_cast<HookLibraryWin32&>(*win32::win32Parts().hookLibrary);
}

} // namespace

bool loadHookLibrary(const char* directory) {
    if (library().loaded()) return true;
    const bool ok = library().load(directory);
    if (library().loaded()) setHookLibrary(&library());
    return ok;
}

void setHook() {
    library().setHook();
}

void freeHook() {
    library().freeHook();
}

void unloadHookLibrary() {
    setHookLibrary(nullptr);
    library().unload();
}

unsigned long hookDroppedCount() {
    return library().dropped();
}

namespace win32 {

std::unique_ptr<HookLibrary> makeHookLibrary() {
    return std::make_unique<HookLibraryWin32>();
}

void requestMenuBarSnapshot(HWND window) {
    library().requestMenuBar(window);
}

int snapshotItemCount(Hmenu menu) {
    return library().snapshotCount(menu);
}

bool snapshotItem(Hmenu menu, int position, MenuItem* out) {
    return library().snapshotItem(menu, position, out);
}

bool snapshotItemTextW(Hmenu menu, int position, std::u16string* out) {
    return library().snapshotItemTextW(menu, position, out);
}

bool snapshotCut(Hmenu menu) {
    return library().snapshotCut(menu);
}

const char* snapshotProblem() {
    return library().problem();
}

} // namespace win32
} // namespace vantor
