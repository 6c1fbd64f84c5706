// Fake toolbar (class "ToolbarWindow32"): its buttons as TBBUTTON records of its process's pointer width,
// and the button texts by command id, written into a block of its own process with no capacity.
// Runs under the fake desktop's lock, on whichever thread sent the message.
#include <cstring>
#include <utility>

#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_text.h"
#include "platform/wire_wide.h"

namespace vantor {
namespace fake {

namespace {

class ToolbarControl : public FakeControl {
  public:
    explicit ToolbarControl(std::vector<FakeButton> buttons) : buttons(std::move(buttons)) {}

    bool handle(FakeDesktop& desktop, FakeWindow& window, std::uint32_t msg, std::uintptr_t wParam,
                std::intptr_t lParam, std::intptr_t* result) override {
        switch (msg) {
        case wire::TB_BUTTONCOUNT: *result = static_cast<std::intptr_t>(buttons.size()); return true;
        case wire::TB_GETBUTTON: *result = getButton(desktop, window, wParam, lParam); return true;
        case wire::TB_GETBUTTONTEXTA:
        case wire::TB_GETBUTTONTEXTW: *result = getButtonText(desktop, window, wParam, lParam); return true;
        default: return false;
        }
    }

  private:
    // The record is written whole, however small the block behind lParam.
    template <class Button>
    void putButton(FakeDesktop& desktop, std::uint32_t pid, std::size_t index, RemoteAddr at) {
        const FakeButton& b = buttons[index];
        Button rec;
        std::memset(&rec, 0, sizeof rec);
        rec.iBitmap = b.iBitmap;
        rec.idCommand = b.idCommand;
        rec.fsState = b.fsState;
        rec.fsStyle = b.fsStyle;
        rec.dwData = static_cast<decltype(rec.dwData)>(b.dwData);
        // The index of the button's string in the toolbar's string pool; -1 for a button without one.
        rec.iString = b.text.empty() ? static_cast<decltype(rec.iString)>(-1)
                                     : static_cast<decltype(rec.iString)>(index);
        putRemoteUnbounded(desktop, pid, "TB_GETBUTTON", at, &rec, sizeof rec);
    }

    std::intptr_t getButton(FakeDesktop& desktop, FakeWindow& window, std::uintptr_t index,
                            std::intptr_t lParam) {
        if (index >= buttons.size() || buttons[index].text == kWritesNothing) return 0;
        int bits = desktop.pointerBitsOf(window.pid);
        RemoteAddr at = addressIn(bits, lParam);
        if (bits == 32) {
            putButton<wire::TbButton32>(desktop, window.pid, index, at);
        } else {
            putButton<wire::TbButton64>(desktop, window.pid, index, at);
        }
        return 1;
    }

    // -1 for a command the toolbar does not have; a button without text writes nothing and answers 0.
    std::intptr_t getButtonText(FakeDesktop& desktop, FakeWindow& window, std::uintptr_t id,
                                std::intptr_t lParam) {
        for (const FakeButton& b : buttons) {
            if (b.idCommand != static_cast<std::int32_t>(id)) continue;
            if (lParam != 0 && !b.text.empty()) {
                RemoteAddr at = addressIn(desktop.pointerBitsOf(window.pid), lParam);
                putRemoteTextUnbounded(desktop, window.pid, "TB_GETBUTTONTEXTA", b.text, at);
            }
            return textLength(desktop, b.text);
        }
        return -1;
    }

    std::vector<FakeButton> buttons;
};

} // namespace

std::unique_ptr<FakeControl> makeToolbar(std::vector<FakeButton> buttons) {
    return std::make_unique<ToolbarControl>(std::move(buttons));
}

Hwnd addToolbar(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::vector<FakeButton> buttons,
                const char* title) {
    return d.addWindow(parent, kToolbarClass, title, pid, makeToolbar(std::move(buttons)));
}

} // namespace fake
} // namespace vantor
