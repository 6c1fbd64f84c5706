// Compile-time check of platform/wire_wide.h against the SDK's <commctrl.h>: the W message numbers, and the
// W records laid out as the ANSI records of wire.h. Nothing here runs. The values are copied under other
// names before <windows.h> turns the names into macros.
#include "platform/wire_wide.h"

#include <cstddef>
#include <cstdint>

namespace {
constexpr std::uint32_t kLvGetItemW = vantor::wire::LVM_GETITEMW;
constexpr std::uint32_t kHdGetItemW = vantor::wire::HDM_GETITEMW;
constexpr std::uint32_t kTcGetItemW = vantor::wire::TCM_GETITEMW;
constexpr std::uint32_t kTvGetItemW = vantor::wire::TVM_GETITEMW;
constexpr std::uint32_t kSbGetTextW = vantor::wire::SB_GETTEXTW;
constexpr std::uint32_t kSbGetTextLengthW = vantor::wire::SB_GETTEXTLENGTHW;
constexpr std::uint32_t kTbGetButtonTextW = vantor::wire::TB_GETBUTTONTEXTW;
} // namespace

#include <windows.h>

#include <commctrl.h>

static_assert(kLvGetItemW == LVM_GETITEMW && kHdGetItemW == HDM_GETITEMW && kTcGetItemW == TCM_GETITEMW &&
                  kTvGetItemW == TVM_GETITEMW,
              "common control W item messages");
static_assert(kSbGetTextW == SB_GETTEXTW && kSbGetTextLengthW == SB_GETTEXTLENGTHW &&
                  kTbGetButtonTextW == TB_GETBUTTONTEXTW,
              "status bar and toolbar W text messages");
// The records of this build's pointer width.
#if defined(_WIN64)
using LvItem = vantor::wire::LvItem64;
using HdItem = vantor::wire::HdItem64;
using TcItem = vantor::wire::TcItem64;
using TvItem = vantor::wire::TvItem64;
#else
using LvItem = vantor::wire::LvItem32;
using HdItem = vantor::wire::HdItem32;
using TcItem = vantor::wire::TcItem32;
using TvItem = vantor::wire::TvItem32;
#endif

static_assert(offsetof(LVITEMW, pszText) == offsetof(LvItem, pszText) &&
                  offsetof(LVITEMW, cchTextMax) == offsetof(LvItem, cchTextMax),
              "LVITEMW");
static_assert(offsetof(HDITEMW, pszText) == offsetof(HdItem, pszText) &&
                  offsetof(HDITEMW, cchTextMax) == offsetof(HdItem, cchTextMax),
              "HDITEMW");
static_assert(sizeof(TCITEMW) == sizeof(TcItem) && offsetof(TCITEMW, pszText) == offsetof(TcItem, pszText),
              "TCITEMW");
static_assert(sizeof(TVITEMW) == sizeof(TvItem) && offsetof(TVITEMW, pszText) == offsetof(TvItem, pszText) &&
                  offsetof(TVITEMW, hItem) == offsetof(TvItem, hItem),
              "TVITEMW");
