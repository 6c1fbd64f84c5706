// The hook intake over the platform's hook library seam, with its bounds against flooding records and the
// menus held while a capture runs. User-interface thread.
#include "triggers/hook_intake.h"

#include <chrono>
#include <cstdint>
#include <cstdio>

#include "triggers/capture_commands.h"
#include "capture/menu_capture.h"
#include "inventory/text_node.h"
#include "platform/hook_library.h"
#include "platform/wire.h"
#include "triggers/triggers_state.h"

namespace vantor {

namespace {

constexpr int kBatch = 10;
// After an answer that the queue's lock is held elsewhere, and while menus are held for a running capture,
// the intake asks to be called again after this long.
constexpr unsigned kRetryMs = 100;

std::uint64_t steadyMs() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

// The intake's memory between calls (triggers_state.h), and the time on its clock.
static_assert(kIntakeSectionTimes == kIntakeSectionsPerSecond, "one time kept per section of the ceiling");
TriggersState::Intake& intake() {
    return triggersState().intake;
}

std::uint64_t intakeNowMs() {
    return intake().clock != nullptr ? intake().clock() : steadyMs();
}

// A record keeps 32 bits of a handle; they are widened as the system widens a 32-bit handle (with sign).
std::uintptr_t widen(std::uint32_t field) {
    return static_cast<std::uintptr_t>(static_cast<std::intptr_t>(static_cast<std::int32_t>(field)));
}

bool sameRecord(const wire::HookRecord& a, const wire::HookRecord& b) {
    return a.window == b.window && a.message == b.message && a.wParam == b.wParam && a.lParam == b.lParam;
}

// True when an equal record was taken less than kIntakeRepeatMs ago; remembers this one otherwise.
bool repeated(const wire::HookRecord& r, std::uint64_t now) {
    for (int i = 0; i < kIntakeRecent; ++i)
        if (intake().recentAt[i] != 0 && now - intake().recentAt[i] < kIntakeRepeatMs &&
            sameRecord(intake().recent[i], r))
            return true;
    intake().recent[intake().recentNext] = r;
    intake().recentAt[intake().recentNext] = now == 0 ? 1 : now;
    intake().recentNext = (intake().recentNext + 1) % kIntakeRecent;
    return false;
}

// True when kIntakeSectionsPerSecond sections were taken within the last kIntakeWindowMs.
bool overCeiling(std::uint64_t now) {
    if (intake().sectionsTaken < kIntakeSectionsPerSecond) return false;
    return now - intake().sectionAt[intake().sectionNext] < kIntakeWindowMs; // the oldest of the last ones
}

void countSection(std::uint64_t now) {
    intake().sectionAt[intake().sectionNext] = now;
    intake().sectionNext = (intake().sectionNext + 1) % kIntakeSectionsPerSecond;
    ++intake().sectionsTaken;
}

void menuEvent(const wire::HookRecord& r, CaptureController& controller) {
    const auto window = static_cast<Hwnd>(widen(r.window));
    const auto menu = static_cast<Hmenu>(widen(r.wParam));
    const std::uint64_t now = intakeNowMs();
    if (repeated(r, now) || overCeiling(now) || !ws().menuShownFor(window)) return;
    if (r.message == wire::WM_INITMENU) startAddedMenuLoop();
    AddedMenu taken;
    if (!takeAddedMenu(window, menu, controller.ui().mainWindow(), &taken)) return;
    countSection(now);
    if (!controller.captureRunning()) {
        writeAddedMenu(controller.shown(), std::move(taken));
    } else if (static_cast<int>(intake().held.size()) < kIntakeHeld) {
        intake().held.push_back(std::move(taken));
    }
}

void handleRecord(const wire::HookRecord& r, CaptureController& controller) {
    switch (r.message) {
    case wire::WM_INITMENU:
    case wire::WM_INITMENUPOPUP: menuEvent(r, controller); break;
    case wire::WM_ENTERIDLE:
        // Only a menu loop idling; the value 2 is no menu, so the capture falls back to a menu bar.
        if (r.wParam == wire::MSGF_MENU) menuEvent(r, controller);
        break;
    case wire::WM_CREATE: {
        char line[256];
        std::snprintf(line, sizeof line, "hWnd = %8X Msg = create window wParam = %08X lParam = %08X\n",
                      static_cast<unsigned>(r.window), static_cast<unsigned>(r.wParam),
                      static_cast<unsigned>(r.lParam));
        hookLibrary().debugOutput(line);
        break;
    }
    default: break;
    }
}

} // namespace

unsigned drainHookMessages(bool captureContextMenu, CaptureController& controller) {
    wire::HookRecord buffer[kBatch];
    unsigned again = kIntakeIdle;
    for (int taken = 0;;) {
        if (taken >= kIntakeRecordsPerCall) {
            again = 0; // more may wait: after the window messages
            break;
        }
        const int n = hookLibrary().popMessage(buffer, kBatch);
        if (n == 0) break;
        if (n < 0) {
            again = kRetryMs; // the queue's lock is held elsewhere: never wait for it here
            break;
        }
        // A count past the buffer cannot be trusted beyond the buffer.
        const int count = n > kBatch ? kBatch : n;
        taken += count;
        if (!captureContextMenu) continue; // taken out and dropped
        for (int i = 0; i < count; ++i)
            handleRecord(buffer[i], controller);
    }
    // Held menus go in once no capture or pass runs; captures start only on this thread, so none starts
    // while they are written.
    while (!intake().held.empty() && !controller.captureRunning()) {
        AddedMenu menu = std::move(intake().held.front());
        intake().held.pop_front();
        writeAddedMenu(controller.shown(), std::move(menu));
    }
    if (!intake().held.empty() && again > kRetryMs) again = kRetryMs;
    return again;
}

void resetHookIntake(std::uint64_t (*clock)()) {
    intake() = TriggersState::Intake{};
    intake().clock = clock;
}

} // namespace vantor
