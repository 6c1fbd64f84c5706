// What the capture engine keeps for the whole process rather than per capture session, in one object
// (engineState()): the capture lock's counters, the added-menu loop's last menu, the observer of unreadable
// menus, whether captures may read through accessibility, the bulk path's settings (wide texts, the
// read-path observer, the clock) and the parked remote blocks.
// Threads: each member says which threads touch it; the object lives for the whole run.
#pragma once

#include <atomic>
#include <mutex>
#include <vector>

#include "capture/read_path.h"
#include "platform/platform.h"

namespace vantor {

struct EngineState {
    // The capture locks taken so far, and the tests' hook run at each release (capture_lock.cpp). Any thread.
    std::atomic<unsigned long long> lockAcquisitions{0};
    std::atomic<void (*)()> lockReleaseHook{nullptr};

    // The menu and window of the last added-menu section; none after startAddedMenuLoop (menu_capture.cpp).
    // User-interface thread only.
    Hmenu lastAddedMenu{};
    Hwnd lastAddedMenuWindow{};
    // Told of each menu that could not be read (menu_capture.cpp). Set and read from any thread.
    std::atomic<void (*)(Hwnd window, const char* reason)> menuProblemObserver{nullptr};

    // Whether captures may read controls through accessibility (accessible_reader.cpp). Any thread.
    std::atomic<bool> accessibleAllowed{true};

    // The bulk path's settings (read_path.h, bulk_session.cpp): list views of Unicode programs read wide,
    // the observer told which path each control took, and the clock (null: the steady clock). Set on the
    // main thread before captures run (the clock by the unit tests); read by the readers on any thread.
    std::atomic<bool> wideBulkTexts{false};
    std::atomic<ReadPathObserver> readPathObserver{nullptr};
    std::atomic<BulkClock> bulkClock{nullptr};

    // Remote blocks whose target did not answer in time, freed later (remote_parking.cpp). Any thread,
    // under parkedLock; messages to the targets are sent outside it.
    struct Parked {
        Hwnd control;
        Hproc process;
        RemoteAddr block;
    };
    std::mutex parkedLock;
    std::vector<Parked> parked;
};

EngineState& engineState();

} // namespace vantor
