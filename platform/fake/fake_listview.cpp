// Fake list view (class "SysListView32", report view): row count, selection, its header child and the
// LVITEMA exchange through a block of its own process, in that process's pointer width.
// Runs under the fake desktop's lock, on whichever thread sent the message.
#include <algorithm>
#include <map>
#include <utility>

#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_text.h"
#include "platform/wire_wide.h"

namespace vantor {
namespace fake {

namespace {

class ListViewControl : public FakeControl {
  public:
    ListViewControl(std::vector<std::string> columns, std::vector<std::vector<std::string>> rows,
                    std::vector<int> selected, ListViewOptions options)
        : columns(std::move(columns)), rows(std::move(rows)), selected(std::move(selected)),
          options(std::move(options)) {
        std::sort(this->selected.begin(), this->selected.end());
    }

    bool handle(FakeDesktop& desktop, FakeWindow& window, std::uint32_t msg, std::uintptr_t wParam,
                std::intptr_t lParam, std::intptr_t* result) override {
        switch (msg) {
        case wire::LVM_GETITEMCOUNT:
            *result =
                options.reportedRows >= 0 ? options.reportedRows : static_cast<std::intptr_t>(rows.size());
            return true;
        case wire::LVM_GETHEADER:
            *result = static_cast<std::intptr_t>(headerOf(desktop, window));
            return true;
        case wire::LVM_GETNEXTITEM:
            *result = nextItem(static_cast<std::intptr_t>(wParam), lParam);
            return true;
        case wire::LVM_GETITEMA:
        case wire::LVM_GETITEMW: *result = getItem(desktop, window, lParam); return true;
        default: return false;
        }
    }

    // Creates the header child now (a real list view in report view has it from its creation).
    Hwnd headerOf(FakeDesktop& desktop, FakeWindow& window) {
        if (options.noHeader) return Hwnd{};
        if (isNull(header) || !desktop.isWindow(header))
            header = desktop.addWindow(window.handle, kHeaderClass, "", window.pid, makeHeader(columns));
        return header;
    }

  private:
    // The next row after start (-1: from the first) that matches flags; -1 when there is none.
    std::intptr_t nextItem(std::intptr_t start, std::intptr_t flags) const {
        bool selectedOnly = (static_cast<std::uint32_t>(flags) & wire::LVNI_SELECTED) != 0;
        for (std::intptr_t i = std::max<std::intptr_t>(start + 1, 0);
             i < static_cast<std::intptr_t>(rows.size()); ++i) {
            if (!selectedOnly || std::binary_search(selected.begin(), selected.end(), static_cast<int>(i)))
                return i;
        }
        return -1;
    }

    std::string cell(std::size_t row, std::size_t column) const {
        return column < rows[row].size() ? rows[row][column] : std::string();
    }

    std::int64_t rowParam(std::size_t row) const {
        return row < options.rowParams.size() ? options.rowParams[row] : static_cast<std::int64_t>(row);
    }

    // The list view's own copy of a cell's text, made once per cell.
    RemoteAddr ownText(FakeDesktop& desktop, std::uint32_t pid, std::size_t row, std::size_t column) {
        if (options.sharedBuffer) {
            if (shared == 0) shared = desktop.allocOwned(pid, wire::kRemoteTextSize + 1);
            std::string text = cell(row, column).substr(0, wire::kRemoteTextSize);
            desktop.writeMemory(pid, shared, text.c_str(), text.size() + 1);
            return shared;
        }
        auto key = std::make_pair(row, column);
        auto& cache = desktop.answeringWide() ? ownWideTexts : ownTexts;
        auto it = cache.find(key);
        if (it != cache.end()) return it->second;
        RemoteAddr a = ownedCopy(desktop, pid, cell(row, column));
        cache[key] = a;
        return a;
    }

    template <class Item> std::intptr_t getItemAs(FakeDesktop& desktop, std::uint32_t pid, RemoteAddr at) {
        Item item;
        if (!recordAt(desktop, pid, "LVM_GETITEMA", at, sizeof item)) return 0;
        desktop.readMemory(pid, at, &item, sizeof item);
        std::size_t columnCount = std::max<std::size_t>(columns.size(), 1);
        if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= rows.size() || item.iSubItem < 0 ||
            static_cast<std::size_t>(item.iSubItem) >= columnCount)
            return 0;
        std::size_t row = static_cast<std::size_t>(item.iItem);
        std::size_t column = static_cast<std::size_t>(item.iSubItem);
        if (cell(row, column) == kWritesNothing) return 0;
        if (item.mask & wire::LVIF_TEXT) {
            if (options.ownBuffer) {
                item.pszText = static_cast<decltype(item.pszText)>(ownText(desktop, pid, row, column));
            } else {
                putRemoteText(desktop, pid, "LVM_GETITEMA", cell(row, column), item.pszText, item.cchTextMax);
            }
        }
        if (item.mask & wire::LVIF_PARAM) item.lParam = static_cast<decltype(item.lParam)>(rowParam(row));
        desktop.writeMemory(pid, at, &item, sizeof item);
        return 1;
    }

    std::intptr_t getItem(FakeDesktop& desktop, FakeWindow& window, std::intptr_t lParam) {
        int bits = desktop.pointerBitsOf(window.pid);
        RemoteAddr at = addressIn(bits, lParam);
        return bits == 32 ? getItemAs<wire::LvItem32>(desktop, window.pid, at)
                          : getItemAs<wire::LvItem64>(desktop, window.pid, at);
    }

    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
    std::vector<int> selected;
    ListViewOptions options;
    Hwnd header{};
    std::map<std::pair<std::size_t, std::size_t>, RemoteAddr> ownTexts;
    std::map<std::pair<std::size_t, std::size_t>, RemoteAddr> ownWideTexts; // UTF-16, for LVM_GETITEMW
    RemoteAddr shared = 0;
};

} // namespace

std::unique_ptr<FakeControl> makeListView(std::vector<std::string> columns,
                                          std::vector<std::vector<std::string>> rows,
                                          std::vector<int> selected, ListViewOptions options) {
    return std::make_unique<ListViewControl>(std::move(columns), std::move(rows), std::move(selected),
                                             std::move(options));
}

Hwnd addListView(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::vector<std::string> columns,
                 std::vector<std::vector<std::string>> rows, std::vector<int> selected,
                 ListViewOptions options) {
    auto control = std::make_unique<ListViewControl>(std::move(columns), std::move(rows), std::move(selected),
                                                     std::move(options));
    ListViewControl* view = control.get();
    Hwnd w = d.addWindow(parent, kListViewClass, "", pid, std::move(control));
    if (FakeWindow* fw = d.window(w)) view->headerOf(d, *fw);
    return w;
}

} // namespace fake
} // namespace vantor
