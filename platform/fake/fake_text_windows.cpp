// Fake edit ("Edit") and static ("Static") controls: a text answered through WM_GETTEXT (bounded by the
// capacity in wParam), WM_GETTEXTLENGTH and WM_SETTEXT, copied into the caller's local buffer, as the real
// edit control and DefWindowProc for a static control answer them.
// Runs under the fake desktop's lock, on whichever thread sent the message.
#include <utility>

#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_text.h"

namespace vantor {
namespace fake {

namespace {

class TextWindowControl : public FakeControl {
  public:
    explicit TextWindowControl(std::string text) : text(std::move(text)) {}

    bool handle(FakeDesktop& desktop, FakeWindow& window, std::uint32_t msg, std::uintptr_t wParam,
                std::intptr_t lParam, std::intptr_t* result) override {
        return answerTextMessage(desktop, window, &text, msg, wParam, lParam, result);
    }

  private:
    std::string text;
};

// A window of the class whose title is its text, as both controls show it.
Hwnd addTextWindow(FakeDesktop& d, Hwnd parent, std::uint32_t pid, const char* className, std::string text) {
    std::string title = text;
    return d.addWindow(parent, className, title.c_str(), pid,
                       std::make_unique<TextWindowControl>(std::move(text)));
}

} // namespace

std::unique_ptr<FakeControl> makeEdit(std::string text) {
    return std::make_unique<TextWindowControl>(std::move(text));
}

std::unique_ptr<FakeControl> makeStatic(std::string text) {
    return std::make_unique<TextWindowControl>(std::move(text));
}

Hwnd addEdit(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::string text) {
    return addTextWindow(d, parent, pid, kEditClass, std::move(text));
}

Hwnd addStatic(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::string text) {
    return addTextWindow(d, parent, pid, kStaticClass, std::move(text));
}

} // namespace fake
} // namespace vantor
