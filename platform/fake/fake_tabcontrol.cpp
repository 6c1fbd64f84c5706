// Fake tab control (class "SysTabControl32"): the tab count and the TCITEMA exchange through a block of its
// own process, in that process's pointer width.
// Runs under the fake desktop's lock, on whichever thread sent the message.
#include <utility>

#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_text.h"
#include "platform/wire_wide.h"

namespace vantor {
namespace fake {

namespace {

constexpr std::uint32_t kTcifParam = 0x0008;

class TabControl : public FakeControl {
  public:
    explicit TabControl(std::vector<std::string> labels) : labels(std::move(labels)) {}

    bool handle(FakeDesktop& desktop, FakeWindow& window, std::uint32_t msg, std::uintptr_t wParam,
                std::intptr_t lParam, std::intptr_t* result) override {
        switch (msg) {
        case wire::TCM_GETITEMCOUNT: *result = static_cast<std::intptr_t>(labels.size()); return true;
        case wire::TCM_GETITEMA:
        case wire::TCM_GETITEMW: *result = getItem(desktop, window, wParam, lParam); return true;
        default: return false;
        }
    }

  private:
    template <class Item>
    std::intptr_t getItemAs(FakeDesktop& desktop, std::uint32_t pid, std::size_t index, RemoteAddr at) {
        Item item;
        if (!recordAt(desktop, pid, "TCM_GETITEMA", at, sizeof item)) return 0;
        desktop.readMemory(pid, at, &item, sizeof item);
        if (item.mask & wire::TCIF_TEXT)
            putRemoteText(desktop, pid, "TCM_GETITEMA", labels[index], item.pszText, item.cchTextMax);
        if (item.mask & kTcifParam) item.lParam = 0;
        desktop.writeMemory(pid, at, &item, sizeof item);
        return 1;
    }

    // A bad index answers FALSE without touching the record.
    std::intptr_t getItem(FakeDesktop& desktop, FakeWindow& window, std::uintptr_t index,
                          std::intptr_t lParam) {
        if (index >= labels.size() || labels[index] == kWritesNothing) return 0;
        int bits = desktop.pointerBitsOf(window.pid);
        RemoteAddr at = addressIn(bits, lParam);
        return bits == 32 ? getItemAs<wire::TcItem32>(desktop, window.pid, index, at)
                          : getItemAs<wire::TcItem64>(desktop, window.pid, index, at);
    }

    std::vector<std::string> labels;
};

} // namespace

std::unique_ptr<FakeControl> makeTabControl(std::vector<std::string> labels) {
    return std::make_unique<TabControl>(std::move(labels));
}

Hwnd addTabControl(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::vector<std::string> labels) {
    return d.addWindow(parent, kTabControlClass, "", pid, makeTabControl(std::move(labels)));
}

} // namespace fake
} // namespace vantor
