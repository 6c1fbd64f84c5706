// The seam between Vantor's logic and the window system. The logic (inventory, capture engine, settings,
// monitoring and hook intake decisions) calls only these interfaces; platform/win32 implements them on the
// real Win32 API and platform/fake on a fake desktop for the unit tests. No <windows.h> here.
//
// Threads: the current Platform is installed once (start-up, or a test's set-up) before any other thread
// runs; the implementations themselves may be called from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vantor {

// Opaque handles; the value 0 is "none".
enum class Hwnd : std::uintptr_t {};
enum class Hmenu : std::uintptr_t {};
enum class Hproc : std::uintptr_t {};
// An address inside another process; 64 bits wide whatever the target's pointer width.
using RemoteAddr = std::uint64_t;

inline bool isNull(Hwnd h) {
    return h == Hwnd{};
}
inline bool isNull(Hmenu h) {
    return h == Hmenu{};
}
inline bool isNull(Hproc h) {
    return h == Hproc{};
}

// Every message sent to another application's window goes with this time-out (and abort-if-hung).
constexpr unsigned kMessageTimeoutMs = 2000;

// Message box flags and answers (the values of the Win32 API, checked in the Win32 build).
constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbYesNo = 0x4;
constexpr unsigned kMbIconExclamation = 0x30;
constexpr unsigned kMbIconQuestion = 0x20;
constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// One item of a menu, as GetMenuItemInfoA reports it.
struct MenuItem {
    char text[256];  // item text as the menu holds it (at most 255 bytes), empty for a separator
    std::int32_t id; // command identifier (0 for a separator or an item without one)
    Hmenu subMenu;   // the sub-menu the item opens, or none
    bool separator;
    bool checked; // MFS_CHECKED
    bool greyed;  // MFS_GRAYED (greyed or disabled)
};

// Windows, menus and messages (USER32).
class WindowSystem {
  public:
    virtual ~WindowSystem() = default;
    // GetClassNameA / GetWindowTextA into buf of cap bytes (always NUL-terminated when cap > 0); returns the
    // number of bytes copied, 0 for a window that does not exist.
    virtual int className(Hwnd w, char* buf, int cap) = 0;
    virtual int windowText(Hwnd w, char* buf, int cap) = 0;
    virtual Hwnd parent(Hwnd w) = 0;                          // GetParent
    virtual Hwnd nextChild(Hwnd parent, Hwnd after) = 0;      // FindWindowExA(parent, after, NULL, NULL)
    virtual void topLevelWindows(std::vector<Hwnd>* out) = 0; // EnumWindows order (top of z-order first)
    virtual bool isWindow(Hwnd w) = 0;
    virtual Hmenu menuOf(Hwnd w) = 0;       // GetMenu
    virtual int menuItemCount(Hmenu m) = 0; // GetMenuItemCount: -1 for no / an invalid menu
    virtual bool menuItem(Hmenu m, int position, MenuItem* out) = 0;
    // The window's menu bar as far as it can be known without asking the window's thread (GetMenu alone):
    // for the user-interface thread, which must not wait for another application.
    virtual Hmenu knownMenuOf(Hwnd w) { return menuOf(w); }
    // Whether the window's thread shows a pop-up menu window at this moment (a visible "#32768" window of
    // that thread): a menu event whose menu is no longer shown names a menu that is gone.
    virtual bool menuShownFor(Hwnd) { return true; }
    // Whether the menu was read only in part (a snapshot too small for it).
    virtual bool menuCut(Hmenu) { return false; }
    // Why the last menu whose items could not be read was not read (one line, for vantor-cli --verbose);
    // empty when nothing is known.
    virtual const char* menuProblem() { return ""; }
    // GetWindowLongPtrA(GWL_STYLE): the window's style bits, 0 for a window that does not exist.
    virtual std::uint32_t windowStyle(Hwnd w) = 0;
    // GetWindowThreadProcessId: the thread id (0 for a window that does not exist), the process id in *pid.
    virtual std::uint32_t windowThreadProcessId(Hwnd w, std::uint32_t* pid) = 0;
    // Sends a message and waits at most kMessageTimeoutMs, aborting at once for a hung target. Returns false
    // when the message was not answered (time-out, hung or vanished target); *result is then 0.
    // For the list box and combo box text messages lParam is a local buffer of at least the reported
    // length + 1 bytes; the window system copies the text across the process boundary.
    virtual bool sendMessage(Hwnd w, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                             std::intptr_t* result) = 0;
};

// Other processes' memory (KERNEL32), and the page blocks of this process used to exchange with them.
class ProcessAccess {
  public:
    virtual ~ProcessAccess() = default;
    // OpenProcess with VM_OPERATION | VM_READ | VM_WRITE (and the right to ask the pointer width).
    virtual bool openProcess(std::uint32_t pid, Hproc* out) = 0;
    virtual void closeProcess(Hproc p) = 0;
    // 32 or 64: the pointer width of the process (a WOW64 process is 32).
    virtual int pointerBits(Hproc p) = 0;
    // VirtualAllocEx / VirtualFreeEx: a zero-filled committed read-write block in the process.
    virtual bool allocRemote(Hproc p, std::size_t size, RemoteAddr* out) = 0;
    virtual void freeRemote(Hproc p, RemoteAddr a) = 0;
    // Gives a block up to the process without freeing it: it stays allocated there until the process ends
    // and is never used again. For a block the process may still write into (a query it has not answered
    // yet), which must not be freed while the process lives. Nothing to do on Win32.
    virtual void abandonRemote(Hproc p, RemoteAddr a) = 0;
    virtual bool writeRemote(Hproc p, RemoteAddr a, const void* src, std::size_t n) = 0;
    virtual bool readRemote(Hproc p, RemoteAddr a, void* dst, std::size_t n) = 0;
    // VirtualAlloc / VirtualFree in this process: a zero-filled block, or null.
    virtual void* allocLocal(std::size_t size) = 0;
    virtual void freeLocal(void* block) = 0;
};

struct LocalTime {
    int year, month, day, dayOfWeek, hour, minute, second, milliseconds;
};

// Time, sleeping, message boxes and file replacement.
class SystemServices {
  public:
    virtual ~SystemServices() = default;
    virtual void localTime(LocalTime* out) = 0;
    virtual void sleepMs(unsigned ms) = 0;
    // MessageBoxA; returns the button chosen (kIdOk, kIdYes, kIdNo).
    virtual int messageBox(Hwnd owner, const char* text, const char* caption, unsigned flags) = 0;
    // Replaces (or creates) `target` by `source` in one step; false when it cannot.
    virtual bool replaceFile(const char* source, const char* target) = 0;
};

struct Platform {
    WindowSystem* windows;
    ProcessAccess* processes;
    SystemServices* system;
};

// The platform in use. Installed once by start-up (platform/win32) or by a test (platform/fake).
Platform& platform();
void setPlatform(const Platform& p);

inline WindowSystem& ws() {
    return *platform().windows;
}
inline ProcessAccess& procs() {
    return *platform().processes;
}
inline SystemServices& sys() {
    return *platform().system;
}

} // namespace vantor
