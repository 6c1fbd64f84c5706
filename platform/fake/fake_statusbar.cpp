// Fake status bar (class "msctls_statusbar32"): its parts and their texts, written into a block of its own
// process with no capacity, as the real SB_GETTEXTA does.
// Runs under the fake desktop's lock, on whichever thread sent the message.
#include <algorithm>
#include <utility>

#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_text.h"
#include "platform/wire_wide.h"

namespace vantor {
namespace fake {

namespace {

// The x coordinate at which each part ends; the last part runs to the right edge (-1).
constexpr std::int32_t kPartWidth = 100;

class StatusBarControl : public FakeControl {
  public:
    StatusBarControl(std::vector<std::string> parts, std::vector<std::uint16_t> types)
        : parts(std::move(parts)), types(std::move(types)) {}

    bool handle(FakeDesktop& desktop, FakeWindow& window, std::uint32_t msg, std::uintptr_t wParam,
                std::intptr_t lParam, std::intptr_t* result) override {
        switch (msg) {
        case wire::SB_GETPARTS: *result = getParts(desktop, window, wParam, lParam); return true;
        case wire::SB_GETTEXTA:
        case wire::SB_GETTEXTW: *result = getText(desktop, window, wParam, lParam); return true;
        case wire::SB_GETTEXTLENGTHA:
        case wire::SB_GETTEXTLENGTHW: *result = lengthAndType(desktop, wParam & 0xFFFF); return true;
        default:
            // WM_GETTEXT and friends read and set the text of part 0.
            if (parts.empty()) return false;
            return answerTextMessage(desktop, window, &parts[0], msg, wParam, lParam, result);
        }
    }

  private:
    // LOWORD the text's length, HIWORD its drawing type; 0 for a part the bar does not have.
    std::intptr_t lengthAndType(FakeDesktop& desktop, std::uintptr_t part) const {
        if (part >= parts.size()) return 0;
        if (parts[part] == kWritesNothing) return 0;
        std::uint16_t type = part < types.size() ? types[part] : 0;
        return static_cast<std::intptr_t>(
            (static_cast<std::uint32_t>(textLength(desktop, parts[part])) & 0xFFFF) |
            (static_cast<std::uint32_t>(type) << 16));
    }

    std::intptr_t getParts(FakeDesktop& desktop, FakeWindow& window, std::uintptr_t count,
                           std::intptr_t lParam) {
        if (lParam != 0) {
            int bits = desktop.pointerBitsOf(window.pid);
            RemoteAddr at = addressIn(bits, lParam);
            std::size_t n = std::min<std::size_t>(count, parts.size());
            std::vector<std::int32_t> edges(n);
            for (std::size_t i = 0; i < n; ++i)
                edges[i] = i + 1 == parts.size() ? -1 : static_cast<std::int32_t>((i + 1) * kPartWidth);
            if (n > 0)
                putRemoteUnbounded(desktop, window.pid, "SB_GETPARTS", at, edges.data(), n * sizeof edges[0]);
        }
        return static_cast<std::intptr_t>(parts.size());
    }

    // The whole text and its NUL, however long; no buffer (lParam 0) only reports the length.
    std::intptr_t getText(FakeDesktop& desktop, FakeWindow& window, std::uintptr_t wParam,
                          std::intptr_t lParam) {
        std::uintptr_t part = wParam & 0xFFFF;
        if (part >= parts.size()) return 0;
        if (lParam != 0 && parts[part] != kWritesNothing) {
            RemoteAddr at = addressIn(desktop.pointerBitsOf(window.pid), lParam);
            putRemoteTextUnbounded(desktop, window.pid, "SB_GETTEXTA", parts[part], at);
        }
        return lengthAndType(desktop, part);
    }

    std::vector<std::string> parts;
    std::vector<std::uint16_t> types;
};

} // namespace

std::unique_ptr<FakeControl> makeStatusBar(std::vector<std::string> parts, std::vector<std::uint16_t> types) {
    return std::make_unique<StatusBarControl>(std::move(parts), std::move(types));
}

Hwnd addStatusBar(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::vector<std::string> parts) {
    std::string title = parts.empty() ? std::string() : parts[0];
    return d.addWindow(parent, kStatusBarClass, title.c_str(), pid, makeStatusBar(std::move(parts)));
}

} // namespace fake
} // namespace vantor
