// Compile-time proof that platform/wire.h and the constants of platform/platform.h match the Windows SDK:
// every message number and flag, and every member of the records in this build's pointer width (offset
// and size). Nothing here runs.
//
// wire.h names its constants like the SDK's macros, so its values are copied under other names before
// <windows.h> turns those names into numbers.
#include "platform/wire.h"

#include <cstddef>
#include <cstdint>

// clang-format off
#define VANTOR_WIRE_CONSTANTS(X)                                                                          \
    X(WM_SETTEXT) X(WM_GETTEXT) X(WM_GETTEXTLENGTH) X(WM_USER)                                            \
    X(LB_GETTEXT) X(LB_GETTEXTLEN) X(LB_GETCOUNT) X(CB_GETCOUNT) X(CB_GETLBTEXT) X(CB_GETLBTEXTLEN)       \
    X(LB_ERR) X(CB_ERR)                                                                                   \
    X(LBS_OWNERDRAWFIXED) X(LBS_OWNERDRAWVARIABLE) X(LBS_HASSTRINGS)                                      \
    X(CBS_OWNERDRAWFIXED) X(CBS_OWNERDRAWVARIABLE) X(CBS_HASSTRINGS) X(WM_NULL)                           \
    X(LVM_GETITEMCOUNT) X(LVM_GETITEMA) X(LVM_GETNEXTITEM) X(LVM_GETHEADER) X(LVNI_SELECTED)              \
    X(LVIF_TEXT) X(LVIF_PARAM) X(HDM_GETITEMCOUNT) X(HDM_GETITEMA) X(HDI_TEXT) X(HDI_LPARAM)              \
    X(SB_GETTEXTA) X(SB_GETTEXTLENGTHA) X(SB_GETPARTS)                                                    \
    X(TB_GETBUTTON) X(TB_BUTTONCOUNT) X(TB_GETBUTTONTEXTA)                                                \
    X(TCM_GETITEMCOUNT) X(TCM_GETITEMA) X(TCIF_TEXT)                                                      \
    X(TVM_GETNEXTITEM) X(TVM_GETITEMA) X(TVGN_ROOT) X(TVGN_NEXT) X(TVGN_PARENT) X(TVGN_CHILD) X(TVGN_CARET)              \
    X(TVIF_TEXT) X(TVIF_PARAM)                                                                            \
    X(WM_CREATE) X(WM_INITMENU) X(WM_INITMENUPOPUP) X(WM_ENTERIDLE) X(MSGF_MENU)
// clang-format on

namespace {
#define VANTOR_COPY(name)                                                                                    \
    constexpr std::intptr_t wire_##name = static_cast<std::intptr_t>(vantor::wire::name);
VANTOR_WIRE_CONSTANTS(VANTOR_COPY)
#undef VANTOR_COPY
} // namespace

#include <windows.h>
#include <commctrl.h>

#include "platform/platform.h"

#define VANTOR_SAME(name) static_assert(wire_##name == static_cast<std::intptr_t>(name), "wire.h: " #name);
VANTOR_WIRE_CONSTANTS(VANTOR_SAME)
#undef VANTOR_SAME

namespace {

using namespace vantor;

#define VANTOR_SAME_MEMBER(ours, sdk, member)                                                                \
    static_assert(offsetof(ours, member) == offsetof(sdk, member) &&                                         \
                      sizeof(ours::member) == sizeof(sdk::member),                                           \
                  "wire.h: " #sdk "::" #member);

#if defined(_WIN64)
using LvItem = wire::LvItem64;
using HdItem = wire::HdItem64;
using TcItem = wire::TcItem64;
using TvItem = wire::TvItem64;
using TbButton = wire::TbButton64;
#else
using LvItem = wire::LvItem32;
using HdItem = wire::HdItem32;
using TcItem = wire::TcItem32;
using TvItem = wire::TvItem32;
using TbButton = wire::TbButton32;
#endif

VANTOR_SAME_MEMBER(LvItem, LVITEMA, mask)
VANTOR_SAME_MEMBER(LvItem, LVITEMA, iItem)
VANTOR_SAME_MEMBER(LvItem, LVITEMA, iSubItem)
VANTOR_SAME_MEMBER(LvItem, LVITEMA, state)
VANTOR_SAME_MEMBER(LvItem, LVITEMA, stateMask)
VANTOR_SAME_MEMBER(LvItem, LVITEMA, pszText)
VANTOR_SAME_MEMBER(LvItem, LVITEMA, cchTextMax)
VANTOR_SAME_MEMBER(LvItem, LVITEMA, iImage)
VANTOR_SAME_MEMBER(LvItem, LVITEMA, lParam)
VANTOR_SAME_MEMBER(LvItem, LVITEMA, iIndent)
// The SDK's record goes on past iIndent; the control writes nothing there for the masks used.
static_assert(sizeof(LvItem) <= sizeof(LVITEMA), "wire.h: LVITEMA");

VANTOR_SAME_MEMBER(HdItem, HDITEMA, mask)
VANTOR_SAME_MEMBER(HdItem, HDITEMA, cxy)
VANTOR_SAME_MEMBER(HdItem, HDITEMA, pszText)
VANTOR_SAME_MEMBER(HdItem, HDITEMA, hbm)
VANTOR_SAME_MEMBER(HdItem, HDITEMA, cchTextMax)
VANTOR_SAME_MEMBER(HdItem, HDITEMA, fmt)
VANTOR_SAME_MEMBER(HdItem, HDITEMA, lParam)
VANTOR_SAME_MEMBER(HdItem, HDITEMA, iImage)
VANTOR_SAME_MEMBER(HdItem, HDITEMA, iOrder)
VANTOR_SAME_MEMBER(HdItem, HDITEMA, type)
VANTOR_SAME_MEMBER(HdItem, HDITEMA, pvFilter)
static_assert(sizeof(HdItem) <= sizeof(HDITEMA), "wire.h: HDITEMA");

VANTOR_SAME_MEMBER(TcItem, TCITEMA, mask)
VANTOR_SAME_MEMBER(TcItem, TCITEMA, dwState)
VANTOR_SAME_MEMBER(TcItem, TCITEMA, dwStateMask)
VANTOR_SAME_MEMBER(TcItem, TCITEMA, pszText)
VANTOR_SAME_MEMBER(TcItem, TCITEMA, cchTextMax)
VANTOR_SAME_MEMBER(TcItem, TCITEMA, iImage)
VANTOR_SAME_MEMBER(TcItem, TCITEMA, lParam)
static_assert(sizeof(TcItem) == sizeof(TCITEMA), "wire.h: TCITEMA");

VANTOR_SAME_MEMBER(TvItem, TVITEMA, mask)
VANTOR_SAME_MEMBER(TvItem, TVITEMA, hItem)
VANTOR_SAME_MEMBER(TvItem, TVITEMA, state)
VANTOR_SAME_MEMBER(TvItem, TVITEMA, stateMask)
VANTOR_SAME_MEMBER(TvItem, TVITEMA, pszText)
VANTOR_SAME_MEMBER(TvItem, TVITEMA, cchTextMax)
VANTOR_SAME_MEMBER(TvItem, TVITEMA, iImage)
VANTOR_SAME_MEMBER(TvItem, TVITEMA, iSelectedImage)
VANTOR_SAME_MEMBER(TvItem, TVITEMA, cChildren)
VANTOR_SAME_MEMBER(TvItem, TVITEMA, lParam)
static_assert(sizeof(TvItem) == sizeof(TVITEMA), "wire.h: TVITEMA");

VANTOR_SAME_MEMBER(TbButton, TBBUTTON, iBitmap)
VANTOR_SAME_MEMBER(TbButton, TBBUTTON, idCommand)
VANTOR_SAME_MEMBER(TbButton, TBBUTTON, fsState)
VANTOR_SAME_MEMBER(TbButton, TBBUTTON, fsStyle)
VANTOR_SAME_MEMBER(TbButton, TBBUTTON, bReserved)
VANTOR_SAME_MEMBER(TbButton, TBBUTTON, dwData)
VANTOR_SAME_MEMBER(TbButton, TBBUTTON, iString)
static_assert(sizeof(TbButton) == sizeof(TBBUTTON), "wire.h: TBBUTTON");

#undef VANTOR_SAME_MEMBER

// The hook record carries 32 bits of each handle: user handles (windows, menus) are significant in their low
// 32 bits on 64-bit Windows, so the handles the program rebuilds from a record are the same handles.
static_assert(sizeof(wire::HookRecord::window) == sizeof(DWORD) && sizeof(wire::HookRecord::wParam) == 4,
              "wire.h: HookRecord");
static_assert(sizeof(wire::SnapshotItem::subMenu) >= sizeof(HMENU) &&
                  sizeof(wire::MenuSnapshot::window) >= sizeof(HWND),
              "wire.h: snapshot handles");
static_assert(sizeof(wire::SnapshotItem::text) == sizeof(MenuItem::text), "wire.h: snapshot item text");
static_assert(sizeof(wire::MenuSnapshot::wide[0]) == sizeof(WCHAR), "wire.h: snapshot wide units");

// The named sections and the records in them have one layout in both pointer widths: the 64-bit program
// reads what msghook32.dll writes inside 32-bit processes. This file is built by both compilers (the
// 64-bit build and its i686 part), each checking the same sizes and offsets.
static_assert(sizeof(wire::MenuSnapshot) == 161312 && offsetof(wire::MenuSnapshot, items) == 1568 &&
                  offsetof(wire::SnapshotItem, text) == 24 && offsetof(wire::MenuSnapshot, wide) == 144928 &&
                  offsetof(wire::SnapshotItem, wideCount) == 20,
              "wire.h: MenuSnapshot in both widths");
static_assert(sizeof(wire::HookSection) == 1294968 && offsetof(wire::HookSection, slots) == 4472,
              "wire.h: HookSection in both widths");
static_assert(sizeof(wire::BulkSection) == 524376 && offsetof(wire::BulkRequest, control) == 8 &&
                  offsetof(wire::BulkAnswer, checksum) == 36,
              "wire.h: BulkSection in both widths");

// Message box flags and answers of platform.h.
static_assert(kMbOk == MB_OK && kMbYesNo == MB_YESNO, "platform.h: message box buttons");
static_assert(kMbIconExclamation == MB_ICONEXCLAMATION && kMbIconQuestion == MB_ICONQUESTION,
              "platform.h: message box icons");
static_assert(kIdOk == IDOK && kIdYes == IDYES && kIdNo == IDNO, "platform.h: message box answers");

// The seam's handles carry the native ones unchanged.
static_assert(sizeof(Hwnd) == sizeof(HWND) && sizeof(Hmenu) == sizeof(HMENU) &&
                  sizeof(Hproc) == sizeof(HANDLE),
              "platform.h: handle widths");
static_assert(sizeof(RemoteAddr) >= sizeof(void*), "platform.h: remote addresses");

} // namespace
