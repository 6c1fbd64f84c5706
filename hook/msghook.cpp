// msghook.dll: the one piece of Vantor that runs inside other applications. SetHook sets two global hooks
// that run only where menus are shown or windows are created (WH_SYSMSGFILTER for menu loops, WH_CBT for
// window creation); their records go into a bounded queue in a named shared section guarded by a named
// mutex, and the named event "MsgHook-Test-Event-Name" is signalled after each record is queued.
// PopMessage takes records out on the program's side. RequestMenuBar asks a target for its menu bar
// through a posted registered message seen by a WH_GETMESSAGE hook set only for the length of the request.
// Menus are snapshotted into the section inside their own process, where the menu functions answer.
// BulkBegin / BulkChunk / BulkEnd read a list view or tree view inside its process the same way, one chunk
// of texts per posted request, into a second named section (platform/wire.h, BulkSection). AskMenuBar posts
// a menu-bar request to a thread whose request hook another process set (the 32-bit host, hook/host32.cpp,
// for a 32-bit window of a 64-bit program); SetHookAlongside is the host's SetHook.
//
// Inside a target every hook procedure filters on its code first and returns at once otherwise, waits at
// most kLockWaitMs (10 ms) for the mutex (a record that cannot be queued is dropped and counted), allocates
// nothing per message, never writes outside the section and its own fixed buffers, and passes every
// message on. No hook that runs for every sent message (WH_CALLWNDPROC/RET): under Wine it makes every
// SendMessage on the desktop hundreds of times slower.
//
// Threads: the hook procedures run on the threads of the processes they are loaded into; SetHook, FreeHook,
// PopMessage and RequestMenuBar on any thread of the program.
// wire.h names its message constants like the SDK's macros: it comes before <windows.h>, and below the
// SDK's macros (equal to wire.h's values, checked in platform/win32/wire_check.cpp) are used.
#include "hook/accessible_answer.h"
#include "hook/bulk_answer.h"
#include "platform/bulk_format.h"
#include "platform/wire.h"

#include <windows.h>
#include <commctrl.h>

#include "platform/win32/scoped_win.h"
#include "platform/win32/session_security.h"

#include <cstddef>
#include <cstring>

using vantor::wire::HookRecord;
using vantor::wire::HookSection;
using vantor::wire::MenuSnapshot;
using vantor::wire::SnapshotItem;
using vantor::wire::SnapshotMenu;
namespace wire = vantor::wire;

#ifndef MN_GETHMENU
#define MN_GETHMENU 0x01E1
#endif

namespace {

// The longest a hook procedure waits for the queue lock inside another application. Under Wine each wait is
// a server round trip, and with several threads queueing at once a holder preempted for a time slice made a
// 5 ms wait give up on records that would have fitted (the queue load test saw it); 10 ms did not.
constexpr DWORD kLockWaitMs = 10;
// The longest the program's set-up calls wait for the queue lock: the section is open to every process, and
// one that held the mutex for ever must not hold the program with it. PopMessage does not wait at all.
constexpr DWORD kProgramLockWaitMs = 100;
// How often a process without the event (no program running) tries to open it again.
constexpr DWORD kEventRetryMs = 1000;
// Pop-up menus of one thread followed at the same time, and top-level windows looked at to find them.
constexpr int kMaxPopups = 8;
constexpr int kMaxWindowsScanned = 256;

HINSTANCE dllInstance = nullptr;

// Named objects are created for the user's logon session alone (platform/win32/session_security.h).
SECURITY_ATTRIBUTES* sessionOnly() {
    return vantor::win32::sessionOnlyAttributes();
}

// Per process (the DLL's own data, not shared): the section's view and the named objects, opened once on
// first use. Written once under the process lock; read without it afterwards.
SRWLOCK processLock = SRWLOCK_INIT;
HANDLE sectionHandle = nullptr;
HookSection* section = nullptr;
HANDLE queueMutex = nullptr;
volatile LONG opened = 0;
HANDLE hookEvent = nullptr;
DWORD eventTriedAt = 0;
bool eventTried = false;
UINT menuBarRequest = 0;
UINT bulkRequest = 0;

// Per process of a host (the program): its hooks. SetHook/FreeHook only. FreeHook removes them in the order
// filter, CBT, creation; the owners are declared in the reverse order so that a library unloaded without
// FreeHook removes what is left in that order too (null in every other process: nothing to remove there).
vantor::ScopedWinEventHook createHook;
vantor::ScopedHook cbtHook;
vantor::ScopedHook filterHook;

bool openShared() {
    if (opened != 0) return section != nullptr;
    AcquireSRWLockExclusive(&processLock);
    if (opened == 0) {
        sectionHandle = CreateFileMappingA(INVALID_HANDLE_VALUE, sessionOnly(), PAGE_READWRITE, 0,
                                           sizeof(HookSection), wire::kHookSectionName);
        // The view is kept for the process's life only when the mutex that guards it exists too.
        vantor::ScopedView view(sectionHandle != nullptr
                                    ? MapViewOfFile(sectionHandle, FILE_MAP_WRITE, 0, 0, sizeof(HookSection))
                                    : nullptr);
        queueMutex = CreateMutexA(sessionOnly(), FALSE, wire::kHookMutexName);
        menuBarRequest = RegisterWindowMessageA(wire::kMenuBarRequestName);
        bulkRequest = RegisterWindowMessageA(wire::kBulkRequestName);
        if (queueMutex != nullptr) section = static_cast<HookSection*>(const_cast<void*>(view.take()));
        InterlockedExchange(&opened, 1);
    }
    ReleaseSRWLockExclusive(&processLock);
    return section != nullptr;
}

// A hold of the named mutex with a bounded wait. A mutex left by a process that died holding it is taken
// over (WAIT_ABANDONED); the queue's counters are checked before use, so a half-written state from it cannot
// lead outside the queue.
class QueueLock : public vantor::HeldMutex {
  public:
    explicit QueueLock(DWORD waitMs) : HeldMutex(queueMutex, waitMs) {}
};

// A section first created, or written over by something else, starts again empty. Caller holds the lock.
void checkHeader() {
    if (section->magic == wire::kSectionMagic && section->size == sizeof(HookSection) &&
        section->tail - section->head <= wire::kHookQueueCapacity)
        return;
    // The host list survives: the program that set the hook must not start receiving its own records.
    section->head = section->tail = 0;
    section->dropped = 0;
    // nextSequence goes on: a snapshot numbered anew would count as older than the slots already there.
    section->requestSequence = section->answerSequence = 0;
    section->magic = wire::kSectionMagic;
    section->size = sizeof(HookSection);
}

bool isHostProcess(DWORD pid) {
    for (std::uint32_t host : section->hostPids)
        if (host == pid) return true;
    return false;
}

void signalProgram() {
    if (hookEvent == nullptr) {
        // The event belongs to the program; when it does not run, the event is looked for at most once a
        // second, so that creating windows in a busy application costs no repeated open.
        const DWORD now = GetTickCount();
        if (eventTried && now - eventTriedAt < kEventRetryMs) return;
        AcquireSRWLockExclusive(&processLock);
        if (hookEvent == nullptr) {
            hookEvent = OpenEventA(EVENT_MODIFY_STATE, FALSE, wire::kHookEventName);
            eventTried = true;
            eventTriedAt = now;
        }
        ReleaseSRWLockExclusive(&processLock);
        if (hookEvent == nullptr) return;
    }
    SetEvent(hookEvent);
}

// Two programs that set the hook (vantor.exe and vantor-cli, possibly each with its own copy of this
// library) put a procedure into every chain twice, and each event would be queued twice. A record equal to
// one still waiting in the queue, or to one queued less than kRepeatMs ago, is therefore taken as the same
// event seen again: the queue alone holds under any load (a thread preempted between the two procedures
// for longer than kRepeatMs), the recent records cover one taken out in between. Caller holds the lock.
constexpr DWORD kRepeatMs = 50;

bool sameRecord(const HookRecord& a, const HookRecord& b) {
    return a.window == b.window && a.message == b.message && a.lParam == b.lParam && a.wParam == b.wParam;
}

bool seenJustNow(const HookRecord& r, DWORD now) {
    // head and tail are shared memory: the scan is bounded by the queue's capacity whatever they hold.
    std::uint32_t waiting = section->tail - section->head;
    if (waiting > wire::kHookQueueCapacity) waiting = wire::kHookQueueCapacity;
    for (std::uint32_t i = 0; i < waiting; ++i)
        if (sameRecord(section->queue[(section->head + i) % wire::kHookQueueCapacity], r)) return true;
    for (std::uint32_t i = 0; i < wire::kHookRecentRecords; ++i)
        if (now - section->recentTicks[i] < kRepeatMs && sameRecord(section->recent[i], r)) return true;
    const std::uint32_t at = section->recentNext++ % wire::kHookRecentRecords;
    section->recent[at] = r;
    section->recentTicks[at] = now;
    return false;
}

// Queues records (in one locked step, so that they stay together and in order) and signals the program.
void queueRecords(const HookRecord* records, int n) {
    if (n <= 0 || !openShared()) return;
    {
        QueueLock lock(kLockWaitMs);
        if (!lock.held()) {
            InterlockedExchangeAdd(reinterpret_cast<volatile LONG*>(&section->dropped), n);
            return;
        }
        checkHeader();
        const DWORD now = GetTickCount();
        for (int i = 0; i < n; ++i) {
            if (seenJustNow(records[i], now)) continue;
            if (section->tail - section->head >= wire::kHookQueueCapacity) {
                InterlockedExchangeAdd(reinterpret_cast<volatile LONG*>(&section->dropped), n - i);
                break;
            }
            section->queue[section->tail % wire::kHookQueueCapacity] = records[i];
            ++section->tail;
        }
    }
    signalProgram();
}

DWORD low32(const void* handle) {
    return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(handle));
}

// ---- Menu snapshots -----------------------------------------------------------------------------------

// One snapshot is built here, then copied into a slot under the mutex; a second thread of the same process
// that wants one at the same moment goes without (menus are shown by one thread at a time).
SRWLOCK snapshotLock = SRWLOCK_INIT;
MenuSnapshot building;

// Cuts text (NUL-terminated, at most kSnapshotTextSize - 1 bytes) after its last whole character.
void cutAtCharacter(char* text) {
    std::size_t i = 0;
    while (text[i] != '\0') {
        const std::size_t step = IsDBCSLeadByte(static_cast<BYTE>(text[i])) ? 2 : 1;
        if (step == 2 && text[i + 1] == '\0') {
            text[i] = '\0';
            break;
        }
        i += step;
    }
}

// The item's text as GetMenuItemInfoW gives it, appended to the snapshot's wide units: a Unicode program's
// menu text whole, where the code page 932 text has "?" for what the code page lacks. Cut at
// kSnapshotTextSize - 1 units (never inside a surrogate pair); not recorded when it does not fit.
void recordWideText(MenuSnapshot* s, HMENU menu, int position, SnapshotItem* item) {
    item->wideFirst = 0;
    item->wideCount = wire::kSnapshotNoWide;
    if ((item->flags & wire::kSnapshotItemSeparator) != 0) return;
    WCHAR text[wire::kSnapshotTextSize] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = text;
    info.cch = wire::kSnapshotTextSize;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) return;
    text[wire::kSnapshotTextSize - 1] = L'\0';
    std::uint32_t n = 0;
    while (text[n] != L'\0')
        ++n;
    if (n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n; // a pair cut at the buffer's end
    if (n > wire::kSnapshotWideUnits - s->wideUsed) return;
    item->wideFirst = s->wideUsed;
    item->wideCount = n;
    std::memcpy(s->wide + s->wideUsed, text, n * sizeof s->wide[0]);
    s->wideUsed += n;
}

// Adds the items of menus[index] to the snapshot, queueing its sub-menus behind it. A menu whose items do
// not all fit, or one of whose sub-menus finds no place, is marked cut, so that the program can say so.
void snapshotItems(MenuSnapshot* s, std::uint32_t index) {
    const HMENU menu = reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(s->menus[index].handle));
    const int n = GetMenuItemCount(menu);
    s->menus[index].first = s->itemCount;
    s->menus[index].count = 0;
    s->menus[index].flags = 0;
    for (int p = 0; p < n; ++p) {
        if (s->itemCount >= wire::kSnapshotItems) {
            s->menus[index].flags |= wire::kSnapshotMenuCut;
            break;
        }
        SnapshotItem& item = s->items[s->itemCount];
        std::memset(&item, 0, sizeof item);
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING | MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STATE;
        info.dwTypeData = item.text;
        info.cch = sizeof item.text;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(p), TRUE, &info)) {
            std::memset(&item, 0, sizeof item);
            item.flags = wire::kSnapshotItemSeparator; // unreadable: no text, as the program treats it
        } else {
            item.text[sizeof item.text - 1] = '\0';
            cutAtCharacter(item.text);
            // The field is zero behind the text: the program checks that, and a system that wrote past the
            // terminator must not make a sound menu look damaged.
            const std::size_t length = std::strlen(item.text);
            std::memset(item.text + length, 0, sizeof item.text - length);
            item.id = static_cast<std::int32_t>(info.wID);
            item.subMenu = reinterpret_cast<ULONG_PTR>(info.hSubMenu);
            if ((info.fType & MFT_SEPARATOR) != 0) {
                item.flags = wire::kSnapshotItemSeparator;
            } else {
                if ((info.fState & MFS_CHECKED) != 0) item.flags |= wire::kSnapshotItemChecked;
                if ((info.fState & MFS_GRAYED) != 0) item.flags |= wire::kSnapshotItemGreyed;
            }
        }
        recordWideText(s, menu, p, &item);
        ++s->itemCount;
        ++s->menus[index].count;
        if (item.subMenu == 0) continue;
        bool listed = false;
        for (std::uint32_t m = 0; m < s->menuCount; ++m)
            listed = listed || s->menus[m].handle == item.subMenu;
        if (listed) continue;
        if (s->menuCount < wire::kSnapshotMenus)
            s->menus[s->menuCount++] = SnapshotMenu{item.subMenu, 0, 0, 0, 0};
        else
            s->menus[index].flags |= wire::kSnapshotMenuCut;
    }
}

// Stores a snapshot of menu (and its sub-menus, breadth first) in the oldest slot of the section. The slot
// is taken by an interlocked sequence number and written without the queue's mutex (a program holding that
// mutex must not keep menus from being read): the magic is cleared first and set last, and the checksum is
// computed over this process's own copy, so a slot written over meanwhile fails the program's check.
void snapshotMenu(HMENU menu, HWND owner) {
    if (menu == nullptr || !IsMenu(menu) || !openShared()) return;
    if (!TryAcquireSRWLockExclusive(&snapshotLock)) return;
    MenuSnapshot* s = &building;
    s->magic = 0;
    s->window = reinterpret_cast<ULONG_PTR>(owner);
    s->menuCount = 1;
    s->itemCount = 0;
    s->wideUsed = 0;
    std::memset(s->menus, 0, sizeof s->menus);
    s->menus[0] = SnapshotMenu{reinterpret_cast<ULONG_PTR>(menu), 0, 0, 0, 0};
    for (std::uint32_t m = 0; m < s->menuCount; ++m)
        snapshotItems(s, m);
    std::uint32_t sequence = static_cast<std::uint32_t>(
        InterlockedIncrement(reinterpret_cast<volatile LONG*>(&section->nextSequence)));
    s->sequence = sequence;
    s->checksum = wire::snapshotChecksum(*s);
    MenuSnapshot* slot = &section->slots[sequence % wire::kSnapshotSlots];
    InterlockedExchange(reinterpret_cast<volatile LONG*>(&slot->magic), 0);
    const std::size_t header = offsetof(MenuSnapshot, sequence);
    std::memcpy(reinterpret_cast<char*>(slot) + header, reinterpret_cast<const char*>(s) + header,
                offsetof(MenuSnapshot, items) - header + s->itemCount * sizeof(SnapshotItem));
    std::memcpy(slot->wide, s->wide, s->wideUsed * sizeof s->wide[0]);
    MemoryBarrier();
    InterlockedExchange(reinterpret_cast<volatile LONG*>(&slot->magic),
                        static_cast<LONG>(wire::kSnapshotMagic));
    ReleaseSRWLockExclusive(&snapshotLock);
}

// ---- Menu loops (WH_SYSMSGFILTER, MSGF_MENU) ----------------------------------------------------------

// The pop-up menus a thread showed at the last call of its menu loop, to tell newly shown ones.
struct ShownPopup {
    HWND window;
    HMENU menu;
};
struct MenuLoopState {
    DWORD thread;
    int count;
    ShownPopup popups[kMaxPopups];
};
constexpr int kThreadsFollowed = 8;
SRWLOCK loopLock = SRWLOCK_INIT;
MenuLoopState loops[kThreadsFollowed];
int nextLoopSlot = 0;

// The thread's entry (a fresh one, taking the place of the oldest, when it has none). Caller holds loopLock.
MenuLoopState* loopStateOf(DWORD thread) {
    for (MenuLoopState& s : loops)
        if (s.thread == thread) return &s;
    MenuLoopState* s = &loops[nextLoopSlot];
    nextLoopSlot = (nextLoopSlot + 1) % kThreadsFollowed;
    s->thread = thread;
    s->count = 0;
    return s;
}

// The shown pop-up menu windows ("#32768") of this thread with their menus.
int shownPopups(DWORD thread, ShownPopup* out) {
    int n = 0;
    HWND w = nullptr;
    for (int scanned = 0; scanned < kMaxWindowsScanned && n < kMaxPopups; ++scanned) {
        w = FindWindowExA(nullptr, w, "#32768", nullptr);
        if (w == nullptr) break;
        if (GetWindowThreadProcessId(w, nullptr) != thread || !IsWindowVisible(w)) continue;
        const HMENU menu = reinterpret_cast<HMENU>(SendMessageA(w, MN_GETHMENU, 0, 0));
        if (menu != nullptr) out[n++] = ShownPopup{w, menu};
    }
    return n;
}

bool wasShown(const MenuLoopState& s, const ShownPopup& p) {
    for (int i = 0; i < s.count; ++i)
        if (s.popups[i].window == p.window && s.popups[i].menu == p.menu) return true;
    return false;
}

bool isSubMenuOf(HMENU bar, HMENU menu) {
    const int n = GetMenuItemCount(bar);
    for (int i = 0; i < n; ++i)
        if (GetSubMenu(bar, i) == menu) return true;
    return false;
}

bool isMenuWindow(HWND w) {
    char name[16] = "";
    return w != nullptr && GetClassNameA(w, name, sizeof name) > 0 && lstrcmpA(name, "#32768") == 0;
}

// The window that owns the running menu loop. The system's answer is used unless it is a menu window
// itself (Wine names the pop-up there); then the pop-up's owner, which is the window the menu was opened
// for.
HWND menuOwner(DWORD thread, HWND popup) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(thread, &info) && info.hwndMenuOwner != nullptr && !isMenuWindow(info.hwndMenuOwner))
        return info.hwndMenuOwner;
    return GetWindow(popup, GW_OWNER);
}

// A menu loop of this thread is running: each pop-up shown since the last call is snapshotted as the
// application has filled it, then reported as WM_INITMENUPOPUP (owner, menu); the first pop-up of a loop
// is preceded by WM_INITMENU with the menu bar (a menu dropped from the bar) or the pop-up itself.
void menuLoopStep() {
    if (!openShared() || isHostProcess(GetCurrentProcessId())) return;
    const DWORD thread = GetCurrentThreadId();
    ShownPopup now[kMaxPopups];
    const int count = shownPopups(thread, now);
    ShownPopup fresh[kMaxPopups];
    int freshCount = 0;
    bool loopStart = false;
    if (!TryAcquireSRWLockExclusive(&loopLock)) return;
    MenuLoopState* state = loopStateOf(thread);
    loopStart = state->count == 0;
    for (int i = 0; i < count; ++i)
        if (!wasShown(*state, now[i])) fresh[freshCount++] = now[i];
    state->count = count;
    for (int i = 0; i < count; ++i)
        state->popups[i] = now[i];
    ReleaseSRWLockExclusive(&loopLock);

    HookRecord records[kMaxPopups + 1];
    int n = 0;
    for (int i = 0; i < freshCount; ++i) {
        const HWND owner = menuOwner(thread, fresh[i].window);
        if (loopStart && i == 0) {
            const HMENU bar = GetMenu(owner);
            const bool fromBar = bar != nullptr && isSubMenuOf(bar, fresh[i].menu);
            const HMENU first = fromBar ? bar : fresh[i].menu;
            if (fromBar) snapshotMenu(bar, owner);
            records[n++] = HookRecord{low32(owner), WM_INITMENU, 0, low32(first)};
        }
        snapshotMenu(fresh[i].menu, owner);
        records[n++] = HookRecord{low32(owner), WM_INITMENUPOPUP, 0, low32(fresh[i].menu)};
    }
    queueRecords(records, n);
}

// A pop-up menu window is being created on this thread. When the thread shows no menu at this moment, a new
// menu loop begins: its state starts again, so that the loop's first pop-up is reported with WM_INITMENU
// even when the last loop of the thread showed the same windows or menus (nothing else tells the end of a
// loop: the filter is not called once it is over).
void menuWindowCreated() {
    const DWORD thread = GetCurrentThreadId();
    ShownPopup now[kMaxPopups];
    if (shownPopups(thread, now) > 0) return; // a sub-menu of the running loop
    if (!TryAcquireSRWLockExclusive(&loopLock)) return;
    loopStateOf(thread)->count = 0;
    ReleaseSRWLockExclusive(&loopLock);
}

LRESULT CALLBACK filterProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_MENU) menuLoopStep();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// ---- Window creation (WH_CBT, HCBT_CREATEWND) ---------------------------------------------------------

// A pop-up menu window ("#32768", given by name or as its class atom) being created.
bool isMenuClass(const CREATESTRUCTA* cs) {
    if (cs == nullptr) return false;
    const ULONG_PTR atomOrName = reinterpret_cast<ULONG_PTR>(cs->lpszClass);
    if (atomOrName != 0 && (atomOrName >> 16) == 0) return atomOrName == 0x8000;
    return cs->lpszClass != nullptr && lstrcmpA(cs->lpszClass, "#32768") == 0;
}

// The menu filter hook is only called for messages the menu loop takes; a menu shown while nothing else
// happens (no mouse movement, no timer) would be noticed only at the next message, often when it closes.
// A message posted to the pop-up while it is created is taken by the menu loop once the menu is shown, by
// then filled by the application (WM_INITMENUPOPUP is sent before the loop runs), so the filter sees it
// at once. WM_NULL does nothing when the pop-up then receives it.
void nudgeMenuLoop(HWND popup) {
    PostMessageA(popup, WM_NULL, 0, 0);
}

LRESULT CALLBACK cbtProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && openShared() && !isHostProcess(GetCurrentProcessId())) {
        // The record WM_CREATE would give: the window, wParam 0, lParam the creation record's address.
        const auto* create = reinterpret_cast<const CBT_CREATEWNDA*>(lParam);
        const HookRecord r{static_cast<DWORD>(wParam), WM_CREATE, create != nullptr ? low32(create->lpcs) : 0,
                           0};
        queueRecords(&r, 1);
        if (create != nullptr && isMenuClass(create->lpcs)) {
            menuWindowCreated();
            nudgeMenuLoop(reinterpret_cast<HWND>(wParam));
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// ---- Window creation beside a library of the other pointer width (EVENT_OBJECT_CREATE) ------------------

// The same as cbtProc for the library of the 32-bit host (SetHookAlongside): a window event hook is called
// on its own, not in a chain that a hook of the other width could end. Called in the target's process only
// for the creation of windows (the event range is the one event).
void CALLBACK createdProc(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (event != EVENT_OBJECT_CREATE || object != OBJID_WINDOW || child != CHILDID_SELF || window == nullptr)
        return;
    if (!openShared() || isHostProcess(GetCurrentProcessId())) return;
    const HookRecord r{low32(window), WM_CREATE, 0, 0};
    queueRecords(&r, 1);
    if (GetClassLongA(window, GCW_ATOM) == 0x8000) { // "#32768"
        menuWindowCreated();
        nudgeMenuLoop(window);
    }
}

// ---- Bulk reading (answered by the WH_GETMESSAGE hook below) ------------------------------------------

// The bulk section, opened in a process the first time it answers (or, in the program, asks).
HANDLE bulkHandle = nullptr;
wire::BulkSection* bulk = nullptr;
volatile LONG bulkOpened = 0;

bool openBulk() {
    if (bulkOpened != 0) return bulk != nullptr;
    AcquireSRWLockExclusive(&processLock);
    if (bulkOpened == 0) {
        bulkHandle = CreateFileMappingA(INVALID_HANDLE_VALUE, sessionOnly(), PAGE_READWRITE, 0,
                                        sizeof(wire::BulkSection), wire::kBulkSectionName);
        if (bulkHandle != nullptr)
            bulk = static_cast<wire::BulkSection*>(
                MapViewOfFile(bulkHandle, FILE_MAP_WRITE, 0, 0, sizeof(wire::BulkSection)));
        InterlockedExchange(&bulkOpened, 1);
    }
    ReleaseSRWLockExclusive(&processLock);
    return bulk != nullptr;
}

// The records of one answer, written here in this process's own memory and copied into the section whole:
// nothing of the answer is computed from bytes read back out of the section, which any process may change.
std::uint8_t answerRecords[wire::kBulkDataSize];

// Tells the program waiting on the named event that its answer is there.
void signalNamedEvent(const char* name) {
    const vantor::ScopedHandle event(OpenEventA(EVENT_MODIFY_STATE, FALSE, name));
    if (event) SetEvent(event.get());
}

// Answers the request of the section (the one numbered `sequence`) for `window`, the control it was posted
// to. Writes only into the section's answer and records.
void answerBulk(HWND window, std::uint32_t sequence) {
    if (!openBulk()) return;
    wire::BulkRequest q;
    std::memcpy(&q, &bulk->request, sizeof q);
    // The window in its low 32 bits, all a user handle carries: a 64-bit program asks a 32-bit target too.
    if (q.sequence != sequence || low32(window) != static_cast<std::uint32_t>(q.control)) return;
    wire::BulkAnswer a{};
    const std::size_t used =
        q.kind == wire::kBulkAccessible
            ? vantor::hook::answerAccessibleRequest(window, q, &a, answerRecords, sizeof answerRecords)
            : vantor::hook::answerBulkRequest(window, q, &a, answerRecords, sizeof answerRecords);
    a.used = static_cast<std::uint32_t>(used);
    a.checksum = vantor::bulkAnswerChecksum(q, a, answerRecords);
    std::memcpy(bulk->data, answerRecords, used);
    std::memcpy(&bulk->answer, &a, sizeof a);
    MemoryBarrier();
    InterlockedExchange(reinterpret_cast<volatile LONG*>(&bulk->answerSequence), static_cast<LONG>(sequence));
    signalNamedEvent(wire::kBulkAnswerEventName);
}

// ---- Menu-bar requests (WH_GETMESSAGE, set only while a request runs) ----------------------------------

HANDLE answerEvent = nullptr;

LRESULT CALLBACK getMessageProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE && openShared()) {
        MSG* msg = reinterpret_cast<MSG*>(lParam);
        if (msg != nullptr && menuBarRequest != 0 && msg->message == menuBarRequest) {
            snapshotMenu(GetMenu(msg->hwnd), msg->hwnd);
            InterlockedExchange(reinterpret_cast<volatile LONG*>(&section->answerSequence),
                                static_cast<LONG>(msg->wParam));
            signalNamedEvent(wire::kHookAnswerEventName);
            msg->message = WM_NULL; // the application never sees the request
        } else if (msg != nullptr && bulkRequest != 0 && msg->message == bulkRequest) {
            answerBulk(msg->hwnd, static_cast<std::uint32_t>(msg->wParam));
            msg->message = WM_NULL;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A host that ended without FreeHook (a crash) leaves its entry; such entries are freed for new hosts.
bool processEnded(DWORD pid) {
    const vantor::ScopedHandle p(OpenProcess(SYNCHRONIZE, FALSE, pid));
    return !p || WaitForSingleObject(p.get(), 0) == WAIT_OBJECT_0;
}

void registerHost(DWORD pid, bool add) {
    if (!openShared()) return;
    QueueLock lock(kProgramLockWaitMs);
    if (!lock.held()) return;
    checkHeader();
    if (add) {
        for (std::uint32_t& host : section->hostPids)
            if (host != 0 && processEnded(host)) host = 0;
    }
    for (std::uint32_t& host : section->hostPids) {
        if (add && host == 0) {
            host = pid;
            return;
        }
        if (!add && host == pid) host = 0;
    }
}

} // namespace

extern "C" {

__declspec(dllexport) void WINAPI SetHook() {
    if (filterHook || !openShared()) return;
    registerHost(GetCurrentProcessId(), true);
    filterHook.reset(SetWindowsHookExA(WH_SYSMSGFILTER, filterProc, dllInstance, 0));
    cbtHook.reset(SetWindowsHookExA(WH_CBT, cbtProc, dllInstance, 0));
}

// SetHook for a library beside one of the other pointer width (the 32-bit host's beside a 64-bit program).
// The system calls a chain of global hooks from its newest hook on, and where the newest is of the other
// width (its library cannot be loaded) the call ends there (so Wine does): the WH_SYSMSGFILTER and WH_CBT
// chains stay the program's library's. This library takes the menu loops from WH_MSGFILTER, which the menu
// loop calls after the WH_SYSMSGFILTER chain, and window creations from a window event hook.
__declspec(dllexport) void WINAPI SetHookAlongside() {
    if (filterHook || !openShared()) return;
    registerHost(GetCurrentProcessId(), true);
    filterHook.reset(SetWindowsHookExA(WH_MSGFILTER, filterProc, dllInstance, 0));
    createHook.reset(SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, dllInstance, createdProc, 0, 0,
                                     WINEVENT_INCONTEXT | WINEVENT_SKIPOWNPROCESS));
}

__declspec(dllexport) void WINAPI FreeHook() {
    filterHook.reset();
    cbtHook.reset();
    createHook.reset();
    if (section != nullptr) registerHost(GetCurrentProcessId(), false);
}

// Moves up to capacity queued records into buffer and returns how many; 0 when none (or no section), -1
// when the queue's mutex is held elsewhere at this moment: the caller's thread (the program's user-interface
// thread) never waits for it, and asks again later.
__declspec(dllexport) int WINAPI PopMessage(HookRecord* buffer, int capacity) {
    if (buffer == nullptr || capacity <= 0 || !openShared()) return 0;
    QueueLock lock(0);
    if (!lock.held()) return -1;
    checkHeader();
    int n = 0;
    while (n < capacity && section->head != section->tail) {
        buffer[n++] = section->queue[section->head % wire::kHookQueueCapacity];
        ++section->head;
    }
    return n;
}

// The number of records dropped so far (full queue or lock not had in time).
__declspec(dllexport) DWORD WINAPI DroppedCount() {
    if (!openShared()) return 0;
    return static_cast<DWORD>(
        InterlockedCompareExchange(reinterpret_cast<volatile LONG*>(&section->dropped), 0, 0));
}

// Posts the menu-bar request to window and waits at most timeoutMs for its answer. The request hook must be
// on the window's thread already: RequestMenuBar sets it, and for a 32-bit window of a 64-bit program the
// 32-bit host does (hook/host32.cpp).
__declspec(dllexport) BOOL WINAPI AskMenuBar(HWND window, DWORD timeoutMs) {
    if (window == nullptr || !openShared() || menuBarRequest == 0) return FALSE;
    if (answerEvent == nullptr)
        answerEvent = CreateEventA(sessionOnly(), FALSE, FALSE, wire::kHookAnswerEventName);
    if (answerEvent == nullptr) return FALSE;
    // The number needs no mutex: a program holding the queue's mutex must not keep menu bars from being read.
    auto* counter = reinterpret_cast<volatile LONG*>(&section->requestSequence);
    auto sequence = static_cast<std::uint32_t>(InterlockedIncrement(counter));
    if (sequence == 0) sequence = static_cast<std::uint32_t>(InterlockedIncrement(counter));
    if (sequence == 0 || !PostMessageA(window, menuBarRequest, sequence, 0)) return FALSE;
    const DWORD start = GetTickCount();
    for (;;) {
        const auto seen = static_cast<std::uint32_t>(
            InterlockedCompareExchange(reinterpret_cast<volatile LONG*>(&section->answerSequence), 0, 0));
        if (seen == sequence) return TRUE;
        const DWORD spent = GetTickCount() - start;
        if (spent >= timeoutMs) return FALSE;
        WaitForSingleObject(answerEvent, timeoutMs - spent);
    }
}

// Asks window's thread for a snapshot of its menu bar and waits for the answer at most timeoutMs. The
// WH_GETMESSAGE hook that answers is set on that thread alone and removed again before returning.
__declspec(dllexport) BOOL WINAPI RequestMenuBar(HWND window, DWORD timeoutMs) {
    if (window == nullptr || !openShared() || menuBarRequest == 0) return FALSE;
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (thread == 0) return FALSE;
    const vantor::ScopedHook hook(SetWindowsHookExA(WH_GETMESSAGE, getMessageProc, dllInstance, thread));
    if (!hook) return FALSE;
    return AskMenuBar(window, timeoutMs);
}

// Sets the WH_GETMESSAGE hook on control's thread for one bulk read; null when it cannot be set. The
// hook stays until BulkEnd.
__declspec(dllexport) void* WINAPI BulkBegin(HWND control) {
    if (control == nullptr || !openShared() || !openBulk() || bulkRequest == 0) return nullptr;
    const DWORD thread = GetWindowThreadProcessId(control, nullptr);
    if (thread == 0) return nullptr;
    return SetWindowsHookExA(WH_GETMESSAGE, getMessageProc, dllInstance, thread);
}

// Removes the hook BulkBegin set (its session), through an owner.
__declspec(dllexport) void WINAPI BulkEnd(void* session) {
    const vantor::ScopedHook hook(static_cast<HHOOK>(session));
}

// One chunk: writes *request (with a fresh sequence) into the section, posts it to control and waits at most
// timeoutMs for the answer, then copies the answer and its records into out. Returns the bytes copied (the
// answer's header included), 0 when there was no answer in time. *sequence gets the request's number, which
// the answer must carry. Two programs asking at once take turns on the bulk mutex.
__declspec(dllexport) DWORD WINAPI BulkChunk(HWND control, const wire::BulkRequest* request, DWORD* sequence,
                                             void* out, DWORD outSize, DWORD timeoutMs) {
    if (control == nullptr || request == nullptr || out == nullptr || sequence == nullptr ||
        outSize < sizeof(wire::BulkAnswer) || !openBulk() || bulkRequest == 0)
        return 0;
    static HANDLE bulkMutex = nullptr;
    static HANDLE bulkEvent = nullptr;
    if (bulkMutex == nullptr) bulkMutex = CreateMutexA(sessionOnly(), FALSE, wire::kBulkMutexName);
    if (bulkEvent == nullptr)
        bulkEvent = CreateEventA(sessionOnly(), FALSE, FALSE, wire::kBulkAnswerEventName);
    if (bulkMutex == nullptr || bulkEvent == nullptr) return 0;
    const vantor::HeldMutex turn(bulkMutex, timeoutMs);
    if (!turn.held()) return 0;
    std::uint32_t number = bulk->requestSequence + 1;
    if (number == 0) number = 1;
    bulk->requestSequence = number;
    wire::BulkRequest q = *request;
    q.sequence = number;
    std::memcpy(&bulk->request, &q, sizeof q);
    *sequence = number;
    ResetEvent(bulkEvent);
    DWORD copied = 0;
    if (PostMessageA(control, bulkRequest, number, 0)) {
        const DWORD start = GetTickCount();
        for (;;) {
            const auto seen = static_cast<std::uint32_t>(
                InterlockedCompareExchange(reinterpret_cast<volatile LONG*>(&bulk->answerSequence), 0, 0));
            if (seen == number) {
                MemoryBarrier();
                wire::BulkAnswer a;
                std::memcpy(&a, &bulk->answer, sizeof a);
                DWORD used = a.used <= sizeof bulk->data ? a.used : sizeof bulk->data;
                if (used > outSize - sizeof a) used = outSize - sizeof a;
                std::memcpy(out, &a, sizeof a);
                std::memcpy(static_cast<char*>(out) + sizeof a, bulk->data, used);
                copied = sizeof a + used;
                break;
            }
            const DWORD spent = GetTickCount() - start;
            if (spent >= timeoutMs) break;
            WaitForSingleObject(bulkEvent, timeoutMs - spent);
        }
    }
    return copied;
}

} // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        dllInstance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
