// Fake list box (class "ListBox"): the item count, item lengths and item texts, answered the way a real
// list box answers them, the text copied into the caller's local buffer. An owner-drawn list box without
// LBS_HASSTRINGS (window style) answers with its item data instead, as the real one does.
// Runs under the fake desktop's lock, on whichever thread sent the message.
#include <utility>

#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_text.h"
#include "platform/wire.h"

namespace vantor {
namespace fake {

namespace {

class ListBoxControl : public FakeControl {
  public:
    explicit ListBoxControl(std::vector<std::string> items) : items(std::move(items)) {}

    bool handle(FakeDesktop& desktop, FakeWindow& window, std::uint32_t msg, std::uintptr_t wParam,
                std::intptr_t lParam, std::intptr_t* result) override {
        const bool data = holdsItemData(window.style, wire::LBS_OWNERDRAWFIXED | wire::LBS_OWNERDRAWVARIABLE,
                                        wire::LBS_HASSTRINGS);
        switch (msg) {
        case wire::LB_GETCOUNT: *result = static_cast<std::intptr_t>(items.size()); return true;
        case wire::LB_GETTEXTLEN:
            *result = data && valid(wParam) ? itemDataSize(desktop, window) : itemLength(desktop, wParam);
            return true;
        case wire::LB_GETTEXT:
            *result = data && valid(wParam) ? putItemData(desktop, window, items[wParam], lParam)
                                            : text(desktop, wParam, lParam);
            return true;
        default: return false;
        }
    }

  private:
    bool valid(std::uintptr_t index) const { return index < items.size(); }

    std::intptr_t itemLength(FakeDesktop& desktop, std::uintptr_t index) const {
        return valid(index) ? fake::textLength(desktop, items[index]) : wire::LB_ERR;
    }

    // A bad index writes nothing into the buffer.
    std::intptr_t text(FakeDesktop& desktop, std::uintptr_t index, std::intptr_t lParam) const {
        if (!valid(index)) return wire::LB_ERR;
        return putLocalText(desktop, "LB_GETTEXT", items[index], lParam);
    }

    std::vector<std::string> items;
};

} // namespace

std::unique_ptr<FakeControl> makeListBox(std::vector<std::string> items) {
    return std::make_unique<ListBoxControl>(std::move(items));
}

Hwnd addListBox(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::vector<std::string> items,
                std::uint32_t style) {
    Hwnd w = d.addWindow(parent, kListBoxClass, "", pid, makeListBox(std::move(items)));
    if (FakeWindow* fw = d.window(w)) fw->style = style;
    return w;
}

} // namespace fake
} // namespace vantor
