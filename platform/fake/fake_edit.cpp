// Fake edit control (class "Edit"): its text through WM_GETTEXT (bounded by the capacity in wParam),
// WM_GETTEXTLENGTH and WM_SETTEXT, copied into the caller's local buffer.
// Runs under the fake desktop's lock, on whichever thread sent the message.
#include <utility>

#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_text.h"

namespace vantor {
namespace fake {

namespace {

class EditControl : public FakeControl {
  public:
    explicit EditControl(std::string text) : text(std::move(text)) {}

    bool handle(FakeDesktop& desktop, FakeWindow& window, std::uint32_t msg, std::uintptr_t wParam,
                std::intptr_t lParam, std::intptr_t* result) override {
        return answerTextMessage(desktop, window, &text, msg, wParam, lParam, result);
    }

  private:
    std::string text;
};

} // namespace

std::unique_ptr<FakeControl> makeEdit(std::string text) {
    return std::make_unique<EditControl>(std::move(text));
}

Hwnd addEdit(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::string text) {
    std::string title = text;
    return d.addWindow(parent, kEditClass, title.c_str(), pid, makeEdit(std::move(text)));
}

} // namespace fake
} // namespace vantor
