// Message numbers and the record layouts that cross process boundaries, in both pointer widths.
// The 32-bit forms are what a 32-bit target's controls read and write; the 64-bit forms are the SDK's own
// layouts on x64 (checked against <commctrl.h> with static_assert in platform/win32/wire_check.cpp).
// The records hold only the members up to the last one Vantor uses; a control writes into no member past
// them for the masks Vantor sets. Pointer members are plain integers of the target's width.
// No <windows.h> here: the logic and the fake desktop use this header natively.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantor {
namespace wire {

// Window messages.
constexpr std::uint32_t WM_NULL = 0x0000;
constexpr std::uint32_t WM_SETTEXT = 0x000C;
constexpr std::uint32_t WM_GETTEXT = 0x000D;
constexpr std::uint32_t WM_GETTEXTLENGTH = 0x000E;
constexpr std::uint32_t WM_USER = 0x0400;

// List box and combo box.
constexpr std::uint32_t LB_GETTEXT = 0x0189;
constexpr std::uint32_t LB_GETTEXTLEN = 0x018A;
constexpr std::uint32_t LB_GETCOUNT = 0x018B;
constexpr std::uint32_t CB_GETCOUNT = 0x0146;
constexpr std::uint32_t CB_GETLBTEXT = 0x0148;
constexpr std::uint32_t CB_GETLBTEXTLEN = 0x0149;
constexpr std::intptr_t LB_ERR = -1;
constexpr std::intptr_t CB_ERR = -1;
// Styles: an owner-drawn list without the has-strings style keeps item data instead of texts, and its text
// messages copy that data.
constexpr std::uint32_t LBS_OWNERDRAWFIXED = 0x0010;
constexpr std::uint32_t LBS_OWNERDRAWVARIABLE = 0x0020;
constexpr std::uint32_t LBS_HASSTRINGS = 0x0040;
constexpr std::uint32_t CBS_OWNERDRAWFIXED = 0x0010;
constexpr std::uint32_t CBS_OWNERDRAWVARIABLE = 0x0020;
constexpr std::uint32_t CBS_HASSTRINGS = 0x0200;

// List view and header.
constexpr std::uint32_t LVM_GETITEMCOUNT = 0x1004;
constexpr std::uint32_t LVM_GETITEMA = 0x1005;
constexpr std::uint32_t LVM_GETNEXTITEM = 0x100C;
constexpr std::uint32_t LVM_GETHEADER = 0x101F;
constexpr std::uint32_t LVNI_SELECTED = 0x0002;
constexpr std::uint32_t LVIF_TEXT = 0x0001;
constexpr std::uint32_t LVIF_PARAM = 0x0004;
constexpr std::uint32_t HDM_GETITEMCOUNT = 0x1200;
constexpr std::uint32_t HDM_GETITEMA = 0x1203;
constexpr std::uint32_t HDI_TEXT = 0x0002;
constexpr std::uint32_t HDI_LPARAM = 0x0008;

// Status bar.
constexpr std::uint32_t SB_GETTEXTA = WM_USER + 2;
constexpr std::uint32_t SB_GETTEXTLENGTHA = WM_USER + 3;
constexpr std::uint32_t SB_GETPARTS = WM_USER + 6;

// Toolbar.
constexpr std::uint32_t TB_GETBUTTON = WM_USER + 23;
constexpr std::uint32_t TB_BUTTONCOUNT = WM_USER + 24;
constexpr std::uint32_t TB_GETBUTTONTEXTA = WM_USER + 45;

// Tab control.
constexpr std::uint32_t TCM_GETITEMCOUNT = 0x1304;
constexpr std::uint32_t TCM_GETITEMA = 0x1305;
constexpr std::uint32_t TCIF_TEXT = 0x0001;

// Tree view.
constexpr std::uint32_t TVM_GETNEXTITEM = 0x110A;
constexpr std::uint32_t TVM_GETITEMA = 0x110C;
constexpr std::uint32_t TVGN_ROOT = 0x0000;
constexpr std::uint32_t TVGN_NEXT = 0x0001;
constexpr std::uint32_t TVGN_PARENT = 0x0003;
constexpr std::uint32_t TVGN_CHILD = 0x0004;
constexpr std::uint32_t TVGN_CARET = 0x0009;
constexpr std::uint32_t TVIF_TEXT = 0x0001;
constexpr std::uint32_t TVIF_PARAM = 0x0004;

// The text buffer every cross-process reader places directly behind its record.
constexpr std::size_t kRemoteTextSize = 260;

// LVITEMA through iIndent.
struct LvItem32 {
    std::uint32_t mask;
    std::int32_t iItem, iSubItem;
    std::uint32_t state, stateMask;
    std::uint32_t pszText;
    std::int32_t cchTextMax, iImage;
    std::uint32_t lParam;
    std::int32_t iIndent;
};
struct LvItem64 {
    std::uint32_t mask;
    std::int32_t iItem, iSubItem;
    std::uint32_t state, stateMask;
    std::uint32_t pad0;
    std::uint64_t pszText;
    std::int32_t cchTextMax, iImage;
    std::uint64_t lParam;
    std::int32_t iIndent;
    std::uint32_t pad1;
};

// HDITEMA through pvFilter.
struct HdItem32 {
    std::uint32_t mask;
    std::int32_t cxy;
    std::uint32_t pszText, hbm;
    std::int32_t cchTextMax, fmt;
    std::uint32_t lParam;
    std::int32_t iImage, iOrder;
    std::uint32_t type;
    std::uint32_t pvFilter;
};
struct HdItem64 {
    std::uint32_t mask;
    std::int32_t cxy;
    std::uint64_t pszText, hbm;
    std::int32_t cchTextMax, fmt;
    std::uint64_t lParam;
    std::int32_t iImage, iOrder;
    std::uint32_t type;
    std::uint32_t pad0;
    std::uint64_t pvFilter;
};

// TCITEMA.
struct TcItem32 {
    std::uint32_t mask, dwState, dwStateMask;
    std::uint32_t pszText;
    std::int32_t cchTextMax, iImage;
    std::uint32_t lParam;
};
struct TcItem64 {
    std::uint32_t mask, dwState, dwStateMask;
    std::uint32_t pad0;
    std::uint64_t pszText;
    std::int32_t cchTextMax, iImage;
    std::uint64_t lParam;
};

// TVITEMA.
struct TvItem32 {
    std::uint32_t mask;
    std::uint32_t hItem;
    std::uint32_t state, stateMask;
    std::uint32_t pszText;
    std::int32_t cchTextMax, iImage, iSelectedImage, cChildren;
    std::uint32_t lParam;
};
struct TvItem64 {
    std::uint32_t mask;
    std::uint32_t pad0;
    std::uint64_t hItem;
    std::uint32_t state, stateMask;
    std::uint64_t pszText;
    std::int32_t cchTextMax, iImage, iSelectedImage, cChildren;
    std::uint64_t lParam;
};

// TBBUTTON.
struct TbButton32 {
    std::int32_t iBitmap, idCommand;
    std::uint8_t fsState, fsStyle;
    std::uint8_t bReserved[2];
    std::uint32_t dwData;
    std::uint32_t iString;
};
struct TbButton64 {
    std::int32_t iBitmap, idCommand;
    std::uint8_t fsState, fsStyle;
    std::uint8_t bReserved[6];
    std::uint64_t dwData;
    std::uint64_t iString;
};

// The layouts do not depend on the compiler: fixed-width members at their natural alignment.
static_assert(sizeof(LvItem32) == 40 && offsetof(LvItem32, pszText) == 20 &&
                  offsetof(LvItem32, iIndent) == 36,
              "LVITEMA 32-bit");
static_assert(sizeof(LvItem64) == 56 && offsetof(LvItem64, pszText) == 24 &&
                  offsetof(LvItem64, iIndent) == 48,
              "LVITEMA 64-bit");
static_assert(sizeof(HdItem32) == 44 && offsetof(HdItem32, pszText) == 8 &&
                  offsetof(HdItem32, cchTextMax) == 16,
              "HDITEMA 32-bit");
static_assert(sizeof(HdItem64) == 64 && offsetof(HdItem64, pszText) == 8 &&
                  offsetof(HdItem64, cchTextMax) == 24 && offsetof(HdItem64, pvFilter) == 56,
              "HDITEMA 64-bit");
static_assert(sizeof(TcItem32) == 28 && offsetof(TcItem32, pszText) == 12, "TCITEMA 32-bit");
static_assert(sizeof(TcItem64) == 40 && offsetof(TcItem64, pszText) == 16 &&
                  offsetof(TcItem64, cchTextMax) == 24,
              "TCITEMA 64-bit");
static_assert(sizeof(TvItem32) == 40 && offsetof(TvItem32, pszText) == 16, "TVITEMA 32-bit");
static_assert(sizeof(TvItem64) == 56 && offsetof(TvItem64, hItem) == 8 && offsetof(TvItem64, pszText) == 24 &&
                  offsetof(TvItem64, lParam) == 48,
              "TVITEMA 64-bit");
static_assert(sizeof(TbButton32) == 20 && offsetof(TbButton32, dwData) == 12, "TBBUTTON 32-bit");
static_assert(sizeof(TbButton64) == 32 && offsetof(TbButton64, dwData) == 16, "TBBUTTON 64-bit");

// ---- The hook library (msghook.dll) and the program ----------------------------------------------------
// msghook.dll runs inside every GUI process of the desktop; the program reads what it leaves in one named
// shared section. Both sides include this header, so the layout below is the one contract between them.

// Messages the hook records carry, and the idle source of WM_ENTERIDLE for a menu loop.
constexpr std::uint32_t WM_CREATE = 0x0001;
constexpr std::uint32_t WM_INITMENU = 0x0116;
constexpr std::uint32_t WM_INITMENUPOPUP = 0x0117;
constexpr std::uint32_t WM_ENTERIDLE = 0x0121;
constexpr std::uint32_t MSGF_MENU = 2;

// One queued message: four 32-bit fields, little-endian, no padding. Window and menu handles keep only
// their low 32 bits, which is all a user handle carries on 64-bit Windows; a pointer in lParam (WM_CREATE's
// CREATESTRUCT) is cut to its low 32 bits and means nothing outside its process anyway.
struct HookRecord {
    std::uint32_t window;
    std::uint32_t message;
    std::uint32_t lParam;
    std::uint32_t wParam;
};
static_assert(sizeof(HookRecord) == 16 && offsetof(HookRecord, message) == 4 &&
                  offsetof(HookRecord, lParam) == 8 && offsetof(HookRecord, wParam) == 12,
              "hook record");

// Named kernel objects. The event is created by the program; the library signals it after queueing.
constexpr char kHookEventName[] = "MsgHook-Test-Event-Name";
constexpr char kHookSectionName[] = "Vantor-MsgHook-Section";
constexpr char kHookMutexName[] = "Vantor-MsgHook-Mutex";
// Signalled by the library inside a target once it has answered a menu-bar request.
constexpr char kHookAnswerEventName[] = "Vantor-MsgHook-Answer";
// The registered message posted to a target's window to ask for its menu bar (wParam: request number).
constexpr char kMenuBarRequestName[] = "Vantor-MsgHook-MenuBarRequest";

constexpr std::uint32_t kHookQueueCapacity = 256;      // records; a full queue drops and counts
constexpr std::uint32_t kHookMaxHosts = 4;             // processes whose own windows are not queued
constexpr std::uint32_t kHookRecentRecords = 16;       // the last records queued, to tell an event seen twice
constexpr std::uint32_t kSnapshotSlots = 8;            // the newest menu snapshots, oldest overwritten
constexpr std::uint32_t kSnapshotMenus = 64;           // menus in one snapshot (the menu and its sub-menus)
constexpr std::uint32_t kSnapshotItems = 512;          // items in one snapshot, over all its menus
constexpr std::uint32_t kSnapshotTextSize = 256;       // item text field, NUL included
constexpr std::uint32_t kSnapshotWideUnits = 8192;     // UTF-16 units of wide item texts in one snapshot
constexpr std::uint32_t kSnapshotNoWide = 0xFFFFFFFFu; // SnapshotItem::wideCount: no wide text recorded
constexpr std::uint32_t kSectionMagic = 0x32534856;    // "VHS2"
constexpr std::uint32_t kSnapshotMagic = 0x334E4D56;   // "VMN3"
constexpr std::uint32_t kSnapshotItemSeparator = 1;    // SnapshotItem::flags
constexpr std::uint32_t kSnapshotItemChecked = 2;      // SnapshotItem::flags: MFS_CHECKED
constexpr std::uint32_t kSnapshotItemGreyed = 4;       // SnapshotItem::flags: MFS_GRAYED
constexpr std::uint32_t kSnapshotMenuCut = 1;          // SnapshotMenu::flags: items or sub-menus did not fit

// A menu of a snapshot: its handle and its items, items[first] to items[first + count - 1]. kSnapshotMenuCut
// marks a menu whose items did not all fit, or one of whose sub-menus could not be listed.
struct SnapshotMenu {
    std::uint64_t handle;
    std::uint32_t first;
    std::uint32_t count;
    std::uint32_t flags;
    std::uint32_t reserved;
};
// An item as GetMenuItemInfoA gave it inside the menu's process; the text field is zero-filled after the
// text's terminator. The same text as GetMenuItemInfoW gave it is MenuSnapshot::wide[wideFirst] to
// wide[wideFirst + wideCount - 1] (no NUL unit, every surrogate paired), or wideCount is kSnapshotNoWide
// (and wideFirst 0) when it was not recorded: what code page 932 lacks survives for Unicode programs.
struct SnapshotItem {
    std::uint64_t subMenu;
    std::int32_t id;
    std::uint32_t flags;
    std::uint32_t wideFirst;
    std::uint32_t wideCount;
    char text[kSnapshotTextSize];
};
// A menu and its sub-menus as they stood when the menu was shown (or when its menu bar was asked for).
// checksum covers everything from sequence on that the counts say is in use (snapshotChecksum); a slot is
// written without the queue's mutex, so a reader takes only a copy whose checksum holds.
struct MenuSnapshot {
    std::uint32_t magic;    // kSnapshotMagic once complete
    std::uint32_t sequence; // from HookSection::nextSequence; the highest is the newest
    std::uint64_t window;   // the menu's owner
    std::uint32_t menuCount;
    std::uint32_t itemCount;
    std::uint32_t checksum;
    std::uint32_t wideUsed;             // units of `wide` in use
    SnapshotMenu menus[kSnapshotMenus]; // menus[0] is the menu the snapshot was taken of
    SnapshotItem items[kSnapshotItems];
    std::uint16_t wide[kSnapshotWideUnits];
};

// FNV-1a over the snapshot's header (sequence to itemCount, and wideUsed), its menus, its items and its
// wide units in use; counts past the capacity give 0, which no sound snapshot is sealed with. The writer
// stores it in `checksum` last.
inline std::uint32_t snapshotChecksum(const MenuSnapshot& s) {
    if (s.menuCount > kSnapshotMenus || s.itemCount > kSnapshotItems || s.wideUsed > kSnapshotWideUnits)
        return 0;
    std::uint32_t h = 2166136261u;
    auto mix = [&h](const void* data, std::size_t n) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < n; ++i)
            h = (h ^ p[i]) * 16777619u;
    };
    mix(&s.sequence, offsetof(MenuSnapshot, checksum) - offsetof(MenuSnapshot, sequence));
    mix(s.menus, s.menuCount * sizeof(SnapshotMenu));
    mix(s.items, s.itemCount * sizeof(SnapshotItem));
    mix(&s.wideUsed, sizeof s.wideUsed);
    mix(s.wide, s.wideUsed * sizeof s.wide[0]);
    return h == 0 ? 1 : h;
}

// The whole shared section. head and tail count records ever taken and queued; the queue holds
// tail - head records at queue[i % kHookQueueCapacity]. The queue and the recent records are written under
// the named mutex; dropped, nextSequence, requestSequence and answerSequence are changed with interlocked
// operations and the snapshot slots are written without the mutex (each sealed by its checksum), so that a
// program holding the mutex stops no more than the queue.
struct HookSection {
    std::uint32_t magic;
    std::uint32_t size; // sizeof(HookSection) of the writer
    std::uint32_t head;
    std::uint32_t tail;
    std::uint32_t dropped;
    std::uint32_t nextSequence;
    std::uint32_t hostPids[kHookMaxHosts];
    std::uint32_t requestSequence; // the last menu-bar request posted
    std::uint32_t answerSequence;  // the last menu-bar request answered
    std::uint32_t recentNext;      // where the next recent record goes (modulo kHookRecentRecords)
    std::uint32_t recentTicks[kHookRecentRecords]; // GetTickCount when each recent record was queued
    HookRecord recent[kHookRecentRecords];
    HookRecord queue[kHookQueueCapacity];
    MenuSnapshot slots[kSnapshotSlots];
};
static_assert(sizeof(SnapshotMenu) == 24, "snapshot menu");
static_assert(sizeof(SnapshotItem) == 24 + kSnapshotTextSize && offsetof(SnapshotItem, text) == 24,
              "snapshot item");
static_assert(offsetof(MenuSnapshot, menus) == 32 && offsetof(MenuSnapshot, wideUsed) == 28 &&
                  sizeof(MenuSnapshot) % 8 == 0,
              "menu snapshot");
static_assert(offsetof(HookSection, recent) == 116 && offsetof(HookSection, queue) == 372 &&
                  offsetof(HookSection, slots) % 8 == 0,
              "hook section");

// ---- Bulk reading inside the target ------------------------------------------------------------------
// The program asks a target's thread (through a WH_GETMESSAGE hook set on that thread for the length of one
// bulk read) to read a list view, tree view, list box or combo box inside its own process and to write the
// texts into a second named section, one chunk per posted request. The program writes the request part under
// the bulk mutex and posts kBulkRequestName with the request's sequence in wParam; the target writes the
// answer part and then answerSequence, and signals kBulkAnswerEventName. Everything in the answer is
// untrusted.
constexpr char kBulkSectionName[] = "Vantor-MsgHook-Bulk";
constexpr char kBulkMutexName[] = "Vantor-MsgHook-BulkMutex";
constexpr char kBulkAnswerEventName[] = "Vantor-MsgHook-BulkAnswer";
constexpr char kBulkRequestName[] = "Vantor-MsgHook-BulkRequest";

constexpr std::uint32_t kBulkMagic = 0x31424856;      // "VHB1"
constexpr std::uint32_t kBulkDataSize = 512 * 1024;   // bytes of records in one chunk
constexpr std::uint32_t kBulkMaxColumns = 256;        // wider list views are read across processes
constexpr std::uint32_t kBulkUnchanged = 0xFFFFFFFFu; // text length: the query answered FALSE, wrote nothing
constexpr std::uint32_t kBulkSkipped = 0xFFFFFFFEu; // text length: the item's length query answered an error
constexpr int kBulkMaxTreeDepth = 512;              // a tree item this deep ends the walk (kBulkDepthEnd)

// BulkRequest::kind
constexpr std::uint32_t kBulkListView = 1;
constexpr std::uint32_t kBulkTreeView = 2;
constexpr std::uint32_t kBulkListBox = 3;  // items as one-column rows; titles none
constexpr std::uint32_t kBulkComboBox = 4; // the same for a combo box's list
// A window's accessible tree, walked whole at `from` 0.
constexpr std::uint32_t kBulkAccessible = 5;
// BulkRequest::flags
constexpr std::uint32_t kBulkSelectedOnly = 1; // list view: only the selected rows
// list view: the texts read with the wide messages (LVM_GETITEMW, HDM_GETITEMW) and sent as wide texts; the
// answer carries the same flag
constexpr std::uint32_t kBulkWideTexts = 2;
// BulkAnswer::status
constexpr std::uint32_t kBulkMore = 1; // more records follow; ask again from `next`
constexpr std::uint32_t kBulkDone = 2; // the last chunk
constexpr std::uint32_t kBulkGone = 3; // the control no longer exists: the records so far stand
constexpr std::uint32_t kBulkRefused =
    4; // the request cannot be answered (other kind, too wide, out of turn)
constexpr std::uint32_t kBulkDepthEnd = 5; // tree view: the next item lies kBulkMaxTreeDepth levels deep
// BulkAnswer::flags
constexpr std::uint32_t kBulkNoHeader = 1; // list view: LVM_GETHEADER gave no window

// Written by the program. List view: rows from `from` (first chunk 0) while the row index is below `rows`
// (ignored in the first chunk, which reports the count). Tree view: `from` 0 starts at the root item; else it
// is the last item of the previous chunk, and the walk goes on after it.
struct BulkRequest {
    std::uint32_t sequence;
    std::uint32_t kind;
    std::uint64_t control;
    std::uint32_t flags;
    std::int32_t rows;
    std::uint64_t from;
};
// Written by the target, followed by `used` bytes of records:
// - list view, first chunk: `titles` header texts, then rows; each row is an int32 row index followed by
//   `columns` texts;
// - tree view: items in walk order, each a uint64 item handle, a uint32 depth (0 for top-level items) and
//   its text.
// - accessible tree: the first request (`from` 0) walks the window's tree inside the target and keeps it
//   there; every chunk hands out its items from index `from` on, each a uint32 depth, role and state and
//   two wide texts (name, value). `rows` is the tree's item count, `next` the index after the chunk's last
//   item, and `flags` of the last chunk the walk's cut bits (platform/accessible.h). A wide text is a uint32
//   count of UTF-16 units followed by twice that many bytes.
// A text is a uint32 length (kBulkUnchanged: the control answered FALSE and wrote nothing, an empty text)
// followed by that many bytes, no NUL.
// With kBulkWideTexts in the flags, each text of a list-view answer is a wide text instead: a uint32 count of
// UTF-16 units (or kBulkUnchanged) followed by twice that many bytes, no NUL unit, every surrogate paired.
struct BulkAnswer {
    std::uint32_t magic;
    std::uint32_t sequence;
    std::uint32_t status;
    std::uint32_t flags;
    std::uint32_t records;  // rows or items in this chunk
    std::uint32_t used;     // bytes of records
    std::int32_t rows;      // the item count; a later chunk: the request's (the control's if fewer)
    std::int32_t columns;   // list view: columns read per row (at least 1)
    std::int32_t titles;    // list view, first chunk: header texts that follow
    std::uint32_t checksum; // bulkAnswerChecksum: request, header, records (platform/bulk_format.h)
    std::uint64_t next;     // list view: the row to ask from next; tree view: the last item written
};
struct BulkSection {
    std::uint32_t requestSequence; // the last request posted
    std::uint32_t answerSequence;  // the last request answered (written after the answer)
    BulkRequest request;
    BulkAnswer answer;
    std::uint8_t data[kBulkDataSize];
};
static_assert(sizeof(BulkRequest) == 32 && offsetof(BulkRequest, from) == 24, "bulk request");
static_assert(sizeof(BulkAnswer) == 48 && offsetof(BulkAnswer, next) == 40, "bulk answer");
static_assert(offsetof(BulkSection, answer) == 40 && offsetof(BulkSection, data) == 88, "bulk section");

// ---- The 32-bit host ---------------------------------------------------------------------------------
// A 64-bit program cannot load its library into 32-bit processes. It starts kHost32Program from its own
// folder with its process id as the only argument; the host loads kHook32LibraryName from the same folder,
// sets that library's global hooks for the 32-bit processes of the desktop (their records and snapshots go
// into the same sections, whose layouts above do not depend on the pointer width) and makes a message-only
// window of class kHost32ClassName titled with the program's id in decimal. The host ends when the program
// ends or closes that window.
constexpr char kHost32Program[] = "vantor-host32.exe";
constexpr char kHook32LibraryName[] = "msghook32.dll";
constexpr char kHost32ClassName[] = "VantorHost32";
// Sent to the host's window. kHostHookWindow: wParam the low 32 bits of a window of a 32-bit process; the
// host sets the request hook on that window's thread and answers a number for kHostUnhook (0: not set).
// kHostUnhook: wParam that number; the host removes the hook. Requests and answers then go through the
// sections as for a target of the program's own width.
constexpr std::uint32_t kHostHookWindow = 0x8000 + 0x56; // WM_APP-based, private to the host's window
constexpr std::uint32_t kHostUnhook = 0x8000 + 0x57;
constexpr std::uint32_t kHostMaxHooks = 16; // request hooks one host holds at once

} // namespace wire
} // namespace vantor
