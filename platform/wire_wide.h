// The wide (W) forms of the text queries whose ANSI forms are in wire.h. The common controls' W records have
// the ANSI records' layout (wire.h's LvItem32 ... TvItem64); pszText then points at UTF-16 units and
// cchTextMax counts units. Checked against <commctrl.h> in platform/win32/wire_wide_check.cpp.
// No <windows.h> here.
#pragma once

#include <cstdint>

#include "platform/wire.h"

namespace vantor {
namespace wire {

constexpr std::uint32_t LVM_GETITEMW = 0x104B;
constexpr std::uint32_t HDM_GETITEMW = 0x120B;
constexpr std::uint32_t TCM_GETITEMW = 0x133C;
constexpr std::uint32_t TVM_GETITEMW = 0x113E;
constexpr std::uint32_t SB_GETTEXTLENGTHW = WM_USER + 12;
constexpr std::uint32_t SB_GETTEXTW = WM_USER + 13;
constexpr std::uint32_t TB_GETBUTTONTEXTW = WM_USER + 75;

// Whether msg is one of the W queries above (whose texts are UTF-16 in the target's memory).
constexpr bool isWideQuery(std::uint32_t msg) {
    return msg == LVM_GETITEMW || msg == HDM_GETITEMW || msg == TCM_GETITEMW || msg == TVM_GETITEMW ||
           msg == SB_GETTEXTLENGTHW || msg == SB_GETTEXTW || msg == TB_GETBUTTONTEXTW;
}

} // namespace wire
} // namespace vantor
