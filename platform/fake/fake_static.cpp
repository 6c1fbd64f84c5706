// Fake static control (class "Static"): its text through the standard text messages, as DefWindowProc
// answers them for a real static control.
// Runs under the fake desktop's lock, on whichever thread sent the message.
#include <utility>

#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_text.h"

namespace vantor {
namespace fake {

namespace {

class StaticControl : public FakeControl {
  public:
    explicit StaticControl(std::string text) : text(std::move(text)) {}

    bool handle(FakeDesktop& desktop, FakeWindow& window, std::uint32_t msg, std::uintptr_t wParam,
                std::intptr_t lParam, std::intptr_t* result) override {
        return answerTextMessage(desktop, window, &text, msg, wParam, lParam, result);
    }

  private:
    std::string text;
};

} // namespace

std::unique_ptr<FakeControl> makeStatic(std::string text) {
    return std::make_unique<StaticControl>(std::move(text));
}

Hwnd addStatic(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::string text) {
    std::string title = text;
    return d.addWindow(parent, kStaticClass, title.c_str(), pid, makeStatic(std::move(text)));
}

} // namespace fake
} // namespace vantor
