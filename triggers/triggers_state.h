// What the trigger layer keeps between calls, in one object (triggersState()): the windows behind the
// control list's rows while monitoring (monitoring.cpp) and the hook intake's memory (hook_intake.cpp).
// Threads: the user-interface thread alone touches all of it; a monitoring pass works on its own copy of
// the control handles, taken for it on the user-interface thread. The object lives for the whole run.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "capture/menu_capture.h"
#include "platform/platform.h"
#include "platform/wire.h"

namespace vantor {

// How many of the latest records the intake remembers to drop repeats, and of the latest sections' times
// to keep to its ceiling (kIntakeSectionsPerSecond of hook_intake.h, which checks that they agree).
constexpr int kIntakeRecent = 16;
constexpr int kIntakeSectionTimes = 10;

struct TriggersState {
    // Entry k is the window of row k of the control list while monitoring is on; refilled when it starts.
    std::vector<Hwnd> controlHandles;

    // The intake's memory between calls: its clock (null: the steady clock), the latest records taken, when
    // the latest sections were taken (for the ceiling), and the menus held while a capture runs.
    struct Intake {
        std::uint64_t (*clock)() = nullptr;
        wire::HookRecord recent[kIntakeRecent] = {};
        std::uint64_t recentAt[kIntakeRecent] = {};
        int recentNext = 0;
        std::uint64_t sectionAt[kIntakeSectionTimes] = {};
        int sectionNext = 0;
        int sectionsTaken = 0;
        std::deque<AddedMenu> held;
    };
    Intake intake;
};

TriggersState& triggersState();

} // namespace vantor
