// The fake desktop the unit tests run the logic against: top-level and child windows (class, title,
// parent, children in z-order, menu bar), menus, processes each with its own address space and pointer
// width, and fake controls that answer messages the way the real controls do, reading and writing their
// records in the fake remote memory in their process's pointer width.
//
// It accounts for every process handle, remote block and local block and reports leaks; it also records
// every "fault": a message that would have made a real control follow a bad pointer (a record or text
// pointer outside the target's live blocks, a record of the wrong pointer width). Tests assert both.
//
// Threads: any thread may call it; one mutex serialises all calls (controls run under it, like a window
// procedure on its own thread).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/wide_text.h"

namespace vantor {
namespace fake {

class FakeDesktop;
struct FakeWindow;

// A control class: answers the messages sent to one window.
class FakeControl {
  public:
    virtual ~FakeControl() = default;
    // Returns true when the message was handled, with its result in *result. Unhandled messages are
    // answered by the desktop's default handling (WM_GETTEXT, WM_GETTEXTLENGTH, WM_SETTEXT; 0 otherwise).
    virtual bool handle(FakeDesktop& desktop, FakeWindow& window, std::uint32_t msg, std::uintptr_t wParam,
                        std::intptr_t lParam, std::intptr_t* result) = 0;
};

struct FakeWindow {
    Hwnd handle{};
    std::string className;
    std::string title;
    Hwnd parent{};
    std::vector<Hwnd> children; // z-order, top first
    Hmenu menu{};
    std::uint32_t pid = 0;
    std::uint32_t tid = 0;
    std::unique_ptr<FakeControl> control;
    std::uint32_t style = 0; // GWL_STYLE bits
    // A Unicode window (IsWindowUnicode): its title and its control's texts are UTF-8 here; the wide
    // messages answer them as UTF-16 and the ANSI messages as the system converts them (FakeDesktop::toAnsi).
    // Texts of other windows are code page 932, widened for the wide messages.
    bool unicode = false;
    // Does not answer in time: every message times out. Like a real window's thread, it still holds the
    // messages sent meanwhile and answers them late, when FakeDesktop::wake delivers them.
    bool hung = false;
    struct Pending {
        std::uint32_t msg;
        std::uintptr_t wParam;
        std::intptr_t lParam;
    };
    std::vector<Pending> late;
};

struct FakeMenuItem {
    std::string text;
    std::int32_t id = 0;
    Hmenu subMenu{};
    bool separator = false;
    bool checked = false;
    bool greyed = false;
};

// One block of a fake process's address space.
struct FakeBlock {
    std::vector<std::uint8_t> bytes;
};

struct FakeProcess {
    std::uint32_t pid = 0;
    int pointerBits = 64;
    bool openable = true;    // OpenProcess succeeds
    bool allocatable = true; // VirtualAllocEx succeeds
    // The process has ended while its windows are still listed: reading or writing its memory through a
    // handle fails (as it does for a real process that is gone), without being the caller's fault, and its
    // windows answer no message.
    bool ended = false;
    std::map<RemoteAddr, FakeBlock> blocks;
    RemoteAddr nextAddress = 0;
};

class FakeDesktop : public WindowSystem,
                    public ProcessAccess,
                    public SystemServices,
                    public WideWindowSystem {
  public:
    FakeDesktop();
    ~FakeDesktop() override;

    // Makes this desktop the current platform (and restores the previous one on destruction).
    void install();

    // --- Building the desktop -------------------------------------------------------------------
    // A process with its own address space; pointerBits is 32 or 64. Returns its pid.
    std::uint32_t addProcess(int pointerBits = 64);
    FakeProcess* process(std::uint32_t pid);
    // A window of process pid under parent (none: top-level, appended at the bottom of the z-order).
    // control may be null (a window that answers only the default messages).
    Hwnd addWindow(Hwnd parent, const char* className, const char* title, std::uint32_t pid,
                   std::unique_ptr<FakeControl> control = nullptr);
    void destroyWindow(Hwnd w); // with its descendants
    FakeWindow* window(Hwnd w);
    // The hung window answers again: first the messages that timed out meanwhile, in the order they were
    // sent (their answers go nowhere, but what the control writes into memory is written), then new ones.
    void wake(Hwnd w);
    Hmenu addMenu();
    void addMenuItem(Hmenu menu, const char* text, std::int32_t id, Hmenu subMenu = Hmenu{},
                     bool separator = false, bool checked = false, bool greyed = false);
    void setMenu(Hwnd w, Hmenu menu);
    void destroyMenu(Hmenu menu);
    // Windows whose thread shows no pop-up menu (menuShownFor false), and menus read only in part
    // (menuCut true); tests fill them directly.
    std::set<Hwnd> menusClosed;
    std::set<Hmenu> cutMenus;
    // Menus of a Unicode window: their item texts are UTF-8 (see FakeWindow::unicode).
    std::set<Hmenu> unicodeMenus;
    // menuOf calls so far (on Win32 each may ask the window's thread for its menu bar and wait for it).
    int menuOfCalls = 0;
    // Called before each message is delivered (after the target is looked up); lets a test make a window
    // vanish or a stop flag rise in the middle of a capture. Runs without the desktop's lock held.
    std::function<void(Hwnd, std::uint32_t)> beforeMessage;

    // --- What controls use -----------------------------------------------------------------------
    // Memory of the control's own process. False (and a fault recorded) when the range is not inside one
    // live block.
    bool readMemory(std::uint32_t pid, RemoteAddr a, void* dst, std::size_t n);
    bool writeMemory(std::uint32_t pid, RemoteAddr a, const void* src, std::size_t n);
    // Reads a NUL-terminated string at a in pid's memory (at most max bytes); false when a is bad.
    bool readString(std::uint32_t pid, RemoteAddr a, std::size_t max, std::string* out);
    // Allocates a block inside the control's own process (for a control that answers with a pointer to its
    // own buffer). Not counted as a leak.
    RemoteAddr allocOwned(std::uint32_t pid, std::size_t size);
    void fault(const std::string& what);
    // True when [a, a + n) lies inside one live block of pid's memory; records nothing.
    bool liveRange(std::uint32_t pid, RemoteAddr a, std::size_t n);
    // Bytes from p to the end of the allocLocal block holding p; -1 when p lies in no such block (a buffer
    // the desktop cannot see, such as one on the caller's stack).
    long localRoom(const void* p) const;
    // The pointer width of process pid (64 for an unknown pid).
    int pointerBitsOf(std::uint32_t pid);
    // How the message being delivered wants its texts: wide (UTF-16 units) or ANSI, and whether the
    // window's texts are UTF-8 (a Unicode window) or code page 932. Set by sendMessage / sendMessageW.
    bool answeringWide() const { return answerWide; }
    bool answeringUnicodeWindow() const { return answerUnicode; }

    // --- Accounting --------------------------------------------------------------------------------
    int openProcessHandles() const;
    int remoteBlocks() const; // blocks made with allocRemote and not yet freed
    int localBlocks() const;
    const std::vector<std::string>& faults() const { return faultList; }
    int messagesSent() const { return sentCount; }
    int abandonedBlocks() const; // blocks given up with abandonRemote (not leaks)
    // What passed between the readers and one control: messages sent to it (by number, and in all), and
    // the writes and reads of remote blocks whose address was sent to it in a message (a block counts for
    // the first control it was sent to; its writes before that message count too).
    struct Exchanges {
        int writes = 0;
        int reads = 0;
        int messages = 0;
        std::map<std::uint32_t, int> byMessage;
        int count(std::uint32_t msg) const {
            auto it = byMessage.find(msg);
            return it == byMessage.end() ? 0 : it->second;
        }
    };
    Exchanges exchangesWith(Hwnd control) const;
    // Text of every leak and fault, empty when clean. Tests end with EXPECT_EQ(desktop.problems(), "").
    std::string problems() const;
    std::vector<std::string> messageBoxes; // "caption|text" of every message box shown
    int messageBoxAnswer = kIdOk;
    LocalTime now{2026, 12, 7, 1, 9, 30, 15, 250};
    unsigned sleptMs = 0;

    // --- WindowSystem ----------------------------------------------------------------------------------
    int className(Hwnd w, char* buf, int cap) override;
    int windowText(Hwnd w, char* buf, int cap) override;
    Hwnd parent(Hwnd w) override;
    Hwnd nextChild(Hwnd parent, Hwnd after) override;
    void topLevelWindows(std::vector<Hwnd>* out) override;
    bool isWindow(Hwnd w) override;
    Hmenu menuOf(Hwnd w) override;
    int menuItemCount(Hmenu m) override;
    bool menuItem(Hmenu m, int position, MenuItem* out) override;
    bool menuShownFor(Hwnd w) override { return menusClosed.count(w) == 0; }
    // The menu bar without asking the window's thread: not counted in menuOfCalls.
    Hmenu knownMenuOf(Hwnd w) override;
    bool menuCut(Hmenu m) override { return cutMenus.count(m) != 0; }
    std::uint32_t windowStyle(Hwnd w) override;
    std::uint32_t windowThreadProcessId(Hwnd w, std::uint32_t* pid) override;
    bool sendMessage(Hwnd w, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                     std::intptr_t* result) override;

    // --- WideWindowSystem ------------------------------------------------------------------------------
    bool isUnicodeWindow(Hwnd w) override;
    bool sendMessageW(Hwnd w, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                      std::intptr_t* result) override;
    bool menuItemTextW(Hmenu m, int position, std::u16string* out) override;
    // UTF-16 to code page 932 with '?' for what the code page lacks (the system's default character).
    std::string toAnsi(const std::u16string& text) override;
    // Code page 932 to UTF-16 (bytes it cannot map: U+FFFD).
    std::u16string fromAnsi(const std::string& text) override;

    // --- ProcessAccess ---------------------------------------------------------------------------------
    bool openProcess(std::uint32_t pid, Hproc* out) override;
    void closeProcess(Hproc p) override;
    int pointerBits(Hproc p) override;
    bool allocRemote(Hproc p, std::size_t size, RemoteAddr* out) override;
    void freeRemote(Hproc p, RemoteAddr a) override;
    void abandonRemote(Hproc p, RemoteAddr a) override;
    bool writeRemote(Hproc p, RemoteAddr a, const void* src, std::size_t n) override;
    bool readRemote(Hproc p, RemoteAddr a, void* dst, std::size_t n) override;
    void* allocLocal(std::size_t size) override;
    void freeLocal(void* block) override;
    bool failLocalAlloc = false; // makes allocLocal fail

    // --- SystemServices --------------------------------------------------------------------------------
    void localTime(LocalTime* out) override;
    void sleepMs(unsigned ms) override;
    int messageBox(Hwnd owner, const char* text, const char* caption, unsigned flags) override;
    bool replaceFile(const char* source, const char* target) override;

  private:
    FakeBlock* findBlock(FakeProcess& p, RemoteAddr a, std::size_t n, std::size_t* offset);
    FakeProcess* processOfHandle(Hproc h);
    RemoteAddr allocIn(FakeProcess& p, std::size_t size);
    void deliver(FakeWindow& fw, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                 std::intptr_t* result);
    bool send(Hwnd w, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t* result,
              bool wide);
    // Per remote block ever allocated (pid, address): its copies and the control it serves.
    struct BlockUse {
        int writes = 0;
        int reads = 0;
        std::size_t size = 0;
        Hwnd control{};
    };
    BlockUse* blockUseAt(std::uint32_t pid, RemoteAddr a);

    mutable std::recursive_mutex lock;
    std::map<Hwnd, std::unique_ptr<FakeWindow>> windows;
    std::vector<Hwnd> topLevel;
    std::map<Hmenu, std::vector<FakeMenuItem>> menus;
    std::map<std::uint32_t, FakeProcess> processes;
    std::map<Hproc, std::uint32_t> handles;                           // open process handles
    std::map<std::pair<std::uint32_t, RemoteAddr>, bool> remoteOwned; // blocks from allocRemote
    std::map<void*, std::size_t> locals;
    std::map<std::pair<std::uint32_t, RemoteAddr>, bool> abandoned;
    std::map<std::pair<std::uint32_t, RemoteAddr>, BlockUse> blockUses; // kept after the block is freed
    std::map<Hwnd, std::map<std::uint32_t, int>> messagesTo;
    std::vector<std::string> faultList;
    std::uintptr_t nextHandle = 0x1000;
    std::uint32_t nextPid = 100;
    int sentCount = 0;
    Platform previous{nullptr, nullptr, nullptr};
    bool installed = false;
    WideWindowSystem* previousWide = nullptr;
    bool answerWide = false;
    bool answerUnicode = false;
};

// ---- Text answers the desktop gives for window titles and the fake controls for their texts -------------
// (defined with the other text helpers in fake_text.cpp and fake_unicode.cpp)
// The bytes a message answers for a stored text, without the terminator: UTF-16 units (little-endian) for a
// wide message, the system's conversion for an ANSI message of a Unicode window, the text itself otherwise;
// *unit is the size of one character unit (2 or 1).
std::string answerBytes(FakeDesktop& d, const std::string& stored, std::size_t* unit);
// The length a length message answers: units of answerBytes.
std::intptr_t textLength(FakeDesktop& d, const std::string& stored);

// WM_GETTEXT: copies at most cap - 1 bytes + NUL to lParam (a local buffer of cap bytes) and returns the
// count copied; 0 when cap is 0. A null buffer with cap > 0, or cap larger than the allocLocal block it
// points into, is a fault.
std::intptr_t getLocalText(FakeDesktop& d, const char* what, const std::string& text, std::uintptr_t cap,
                           std::intptr_t lParam);

// The address a message's lParam stands for in a process of the given width: a 32-bit process sees only
// the low 32 bits (the window system truncates on the way to a WOW64 window).
RemoteAddr addressIn(int pointerBits, std::intptr_t lParam);

} // namespace fake
} // namespace vantor
