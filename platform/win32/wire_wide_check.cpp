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
static_assert(offsetof(LVITEMW, pszText) == offsetof(vantor::wire::LvItem64, pszText) &&
                  offsetof(LVITEMW, cchTextMax) == offsetof(vantor::wire::LvItem64, cchTextMax),
              "LVITEMW");
static_assert(offsetof(HDITEMW, pszText) == offsetof(vantor::wire::HdItem64, pszText) &&
                  offsetof(HDITEMW, cchTextMax) == offsetof(vantor::wire::HdItem64, cchTextMax),
              "HDITEMW");
static_assert(sizeof(TCITEMW) == sizeof(vantor::wire::TcItem64) &&
                  offsetof(TCITEMW, pszText) == offsetof(vantor::wire::TcItem64, pszText),
              "TCITEMW");
static_assert(sizeof(TVITEMW) == sizeof(vantor::wire::TvItem64) &&
                  offsetof(TVITEMW, pszText) == offsetof(vantor::wire::TvItem64, pszText) &&
                  offsetof(TVITEMW, hItem) == offsetof(vantor::wire::TvItem64, hItem),
              "TVITEMW");
