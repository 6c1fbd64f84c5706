// The enabling rule of the four capture items of the Operation menu, as data: which command is enabled in
// which state. ui/section_toolbar.cpp applies it to the real menu. Header-only and portable.
// Threads: pure data, any thread; the menu itself is changed on the user-interface thread only.
#pragma once

#include "app/resource.h"

namespace vantor {

enum class MenuState { Idle, Monitoring };

struct MenuItemEnable {
    int command;
    bool enabled;
};

constexpr int kMenuStateItems = 4;

// The four items in the order they are set: refresh list, update info, stop monitoring, monitor.
inline void menuStatePattern(MenuState state, MenuItemEnable out[kMenuStateItems]) {
    const bool idle = state == MenuState::Idle;
    out[0] = {CMD_REFRESH_LIST, idle};
    out[1] = {CMD_UPDATE_INFO, idle};
    out[2] = {CMD_STOP_MONITOR, !idle};
    out[3] = {CMD_MONITOR, idle};
}

} // namespace vantor
