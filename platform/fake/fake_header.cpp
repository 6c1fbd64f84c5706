// Fake header control (class "SysHeader32"): the column count and the HDITEMA exchange through a block of
// its own process, in that process's pointer width.
// Runs under the fake desktop's lock, on whichever thread sent the message.
#include <utility>

#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_text.h"
#include "platform/wire_wide.h"

namespace vantor {
namespace fake {

namespace {

class HeaderControl : public FakeControl {
  public:
    explicit HeaderControl(std::vector<std::string> titles) : titles(std::move(titles)) {}

    bool handle(FakeDesktop& desktop, FakeWindow& window, std::uint32_t msg, std::uintptr_t wParam,
                std::intptr_t lParam, std::intptr_t* result) override {
        switch (msg) {
        case wire::HDM_GETITEMCOUNT: *result = static_cast<std::intptr_t>(titles.size()); return true;
        case wire::HDM_GETITEMA:
        case wire::HDM_GETITEMW: *result = getItem(desktop, window, wParam, lParam); return true;
        default: return false;
        }
    }

  private:
    template <class Item>
    std::intptr_t getItemAs(FakeDesktop& desktop, std::uint32_t pid, std::size_t index, RemoteAddr at) {
        Item item;
        if (!recordAt(desktop, pid, "HDM_GETITEMA", at, sizeof item)) return 0;
        desktop.readMemory(pid, at, &item, sizeof item);
        if (item.mask & wire::HDI_TEXT)
            putRemoteText(desktop, pid, "HDM_GETITEMA", titles[index], item.pszText, item.cchTextMax);
        if (item.mask & wire::HDI_LPARAM) item.lParam = static_cast<decltype(item.lParam)>(index);
        desktop.writeMemory(pid, at, &item, sizeof item);
        return 1;
    }

    // A bad index answers FALSE without touching the record.
    std::intptr_t getItem(FakeDesktop& desktop, FakeWindow& window, std::uintptr_t index,
                          std::intptr_t lParam) {
        if (index >= titles.size() || titles[index] == kWritesNothing) return 0;
        int bits = desktop.pointerBitsOf(window.pid);
        RemoteAddr at = addressIn(bits, lParam);
        return bits == 32 ? getItemAs<wire::HdItem32>(desktop, window.pid, index, at)
                          : getItemAs<wire::HdItem64>(desktop, window.pid, index, at);
    }

    std::vector<std::string> titles;
};

} // namespace

std::unique_ptr<FakeControl> makeHeader(std::vector<std::string> titles) {
    return std::make_unique<HeaderControl>(std::move(titles));
}

} // namespace fake
} // namespace vantor
