// The hook intake over the platform's hook library seam. User-interface thread.
#include "triggers/hook_intake.h"

#include <cstdint>
#include <cstdio>

#include "capture/menu_capture.h"
#include "platform/hook_library.h"
#include "platform/wire.h"

namespace vantor {

namespace {

constexpr int kBatch = 10;
// A library that keeps answering with a negative count would hold the user-interface thread in the loop for
// ever; after this many such answers in a row the intake gives up until the next signal.
constexpr int kMaxNegativeAnswers = 8;

// A record keeps 32 bits of a handle; they are widened as the system widens a 32-bit handle (with sign).
std::uintptr_t widen(std::uint32_t field) {
    return static_cast<std::uintptr_t>(static_cast<std::intptr_t>(static_cast<std::int32_t>(field)));
}

void handleRecord(const wire::HookRecord& r) {
    switch (r.message) {
    case wire::WM_INITMENU:
    case wire::WM_INITMENUPOPUP:
        captureAddedMenu(static_cast<Hwnd>(widen(r.window)), static_cast<Hmenu>(widen(r.wParam)));
        break;
    case wire::WM_ENTERIDLE:
        // Only a menu loop idling; the value 2 is no menu, so the capture falls back to a menu bar.
        if (r.wParam == wire::MSGF_MENU)
            captureAddedMenu(static_cast<Hwnd>(widen(r.window)), static_cast<Hmenu>(widen(r.wParam)));
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

void drainHookMessages(bool captureContextMenu) {
    if (!captureContextMenu) return;
    wire::HookRecord buffer[kBatch];
    int negativeInARow = 0;
    for (int n = hookLibrary().popMessage(buffer, kBatch); n != 0;
         n = hookLibrary().popMessage(buffer, kBatch)) {
        if (n < 0) {
            // An empty batch: ask again, within bounds.
            if (++negativeInARow >= kMaxNegativeAnswers) return;
            continue;
        }
        negativeInARow = 0;
        // A count past the buffer cannot be trusted beyond the buffer.
        const int count = n > kBatch ? kBatch : n;
        for (int i = 0; i < count; ++i)
            handleRecord(buffer[i]);
    }
}

} // namespace vantor
