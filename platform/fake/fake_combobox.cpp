// Fake combo box (class "ComboBox"): the items of its list, answered like a real combo box's CB_ messages
// (texts copied into the caller's local buffer), and its edit field's text as its window text. An
// owner-drawn combo box without CBS_HASSTRINGS (window style) answers with its item data instead.
// Runs under the fake desktop's lock, on whichever thread sent the message.
#include <utility>

#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_text.h"
#include "platform/wire.h"

namespace vantor {
namespace fake {

namespace {

class ComboBoxControl : public FakeControl {
  public:
    ComboBoxControl(std::vector<std::string> items, std::string editText)
        : items(std::move(items)), editText(std::move(editText)) {}

    bool handle(FakeDesktop& desktop, FakeWindow& window, std::uint32_t msg, std::uintptr_t wParam,
                std::intptr_t lParam, std::intptr_t* result) override {
        const bool data = holdsItemData(window.style, wire::CBS_OWNERDRAWFIXED | wire::CBS_OWNERDRAWVARIABLE,
                                        wire::CBS_HASSTRINGS);
        switch (msg) {
        case wire::CB_GETCOUNT: *result = static_cast<std::intptr_t>(items.size()); return true;
        case wire::CB_GETLBTEXTLEN:
            *result = data && valid(wParam) ? itemDataSize(desktop, window) : itemLength(desktop, wParam);
            return true;
        case wire::CB_GETLBTEXT:
            *result = data && valid(wParam) ? putItemData(desktop, window, items[wParam], lParam)
                                            : text(desktop, wParam, lParam);
            return true;
        default: return answerTextMessage(desktop, window, &editText, msg, wParam, lParam, result);
        }
    }

  private:
    bool valid(std::uintptr_t index) const { return index < items.size(); }

    std::intptr_t itemLength(FakeDesktop& desktop, std::uintptr_t index) const {
        return valid(index) ? fake::textLength(desktop, items[index]) : wire::CB_ERR;
    }

    std::intptr_t text(FakeDesktop& desktop, std::uintptr_t index, std::intptr_t lParam) const {
        if (!valid(index)) return wire::CB_ERR;
        return putLocalText(desktop, "CB_GETLBTEXT", items[index], lParam);
    }

    std::vector<std::string> items;
    std::string editText;
};

} // namespace

std::unique_ptr<FakeControl> makeComboBox(std::vector<std::string> items, std::string editText) {
    return std::make_unique<ComboBoxControl>(std::move(items), std::move(editText));
}

Hwnd addComboBox(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::vector<std::string> items,
                 std::string editText, bool editChild, std::uint32_t style) {
    Hwnd combo =
        d.addWindow(parent, kComboBoxClass, editText.c_str(), pid, makeComboBox(std::move(items), editText));
    if (FakeWindow* fw = d.window(combo)) fw->style = style;
    if (editChild) addEdit(d, combo, pid, editText);
    return combo;
}

} // namespace fake
} // namespace vantor
