// Fake tree view (class "SysTreeView32"): item handles for TVM_GETNEXTITEM and the TVITEMA exchange through
// a block of its own process, in that process's pointer width. In a 64-bit process every item handle has
// bits above the low 32, so a reader that keeps a handle in 32 bits sends one the tree does not hold.
// Runs under the fake desktop's lock, on whichever thread sent the message.
#include <atomic>
#include <cstdio>
#include <map>
#include <utility>

#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_text.h"
#include "platform/wire_wide.h"

namespace vantor {
namespace fake {

namespace {

// Item handles lie outside every block a process allocates (those start at 0x00400000 + pid << 20 for
// 32-bit processes and at 0x7FF600000000 for 64-bit ones); each tree gets its own span.
constexpr std::uint64_t kHandleBase32 = 0x70000000ull;
constexpr std::uint64_t kHandleBase64 = 0x00001F0000000000ull;
constexpr std::uint64_t kTreeSpan32 = 0x00800000ull;
constexpr std::uint64_t kTreeSpan64 = 0x10000000ull;
constexpr std::uint64_t kItemStride = 0x10;
constexpr std::uint32_t kTreeSerials32 = 0x100;
// TVI_ROOT, as TVGN_CHILD's "parent" of the top-level items.
constexpr std::uint64_t kTviRoot = 0xFFFFFFFFFFFF0000ull;

std::atomic<std::uint32_t> nextSerial{0};

struct Node {
    std::string text;
    int parent = -1;
    int firstChild = -1;
    int next = -1;
};

class TreeViewControl : public FakeControl {
  public:
    TreeViewControl(const std::vector<FakeTreeItem>& roots, TreeViewOptions options)
        : options(options), serial(nextSerial++) {
        addSiblings(roots, -1);
        if (options.loopBackTo >= 0 && options.loopBackTo < static_cast<int>(nodes.size()))
            nodes.back().firstChild = options.loopBackTo;
    }

    bool handle(FakeDesktop& desktop, FakeWindow& window, std::uint32_t msg, std::uintptr_t wParam,
                std::intptr_t lParam, std::intptr_t* result) override {
        switch (msg) {
        case wire::TVM_GETNEXTITEM: *result = nextItem(desktop, window, wParam, lParam); return true;
        case wire::TVM_GETITEMA:
        case wire::TVM_GETITEMW: *result = getItem(desktop, window, lParam); return true;
        default: return false;
        }
    }

  private:
    // Pre-order numbering: an item's index is its position in a depth-first walk.
    void addSiblings(const std::vector<FakeTreeItem>& items, int parent) {
        int previous = -1;
        for (const FakeTreeItem& item : items) {
            int k = static_cast<int>(nodes.size());
            Node n;
            n.text = item.text;
            n.parent = parent;
            nodes.push_back(n);
            if (previous >= 0) {
                nodes[static_cast<std::size_t>(previous)].next = k;
            } else if (parent >= 0) {
                nodes[static_cast<std::size_t>(parent)].firstChild = k;
            }
            previous = k;
            addSiblings(item.children, k);
        }
    }

    std::uint64_t base(int bits) const {
        if (bits == 32) return kHandleBase32 + (serial % kTreeSerials32) * kTreeSpan32;
        return kHandleBase64 + static_cast<std::uint64_t>(serial) * kTreeSpan64;
    }

    std::intptr_t handleOf(int bits, int k) const {
        if (k < 0) return 0;
        return static_cast<std::intptr_t>(base(bits) + (static_cast<std::uint64_t>(k) + 1) * kItemStride);
    }

    // The index of the item with handle h, or -1 (and a fault) for a handle the tree does not hold.
    int indexOf(FakeDesktop& desktop, int bits, std::uint64_t h, const char* what) const {
        std::uint64_t b = base(bits);
        if (h > b && (h - b) % kItemStride == 0 && (h - b) / kItemStride <= nodes.size())
            return static_cast<int>((h - b) / kItemStride - 1);
        char buf[160];
        std::snprintf(buf, sizeof buf, "%s: item handle 0x%llx that the tree does not hold", what,
                      static_cast<unsigned long long>(h));
        desktop.fault(buf);
        return -1;
    }

    std::intptr_t nextItem(FakeDesktop& desktop, FakeWindow& window, std::uintptr_t flag,
                           std::intptr_t lParam) {
        int bits = desktop.pointerBitsOf(window.pid);
        std::uint64_t h = addressIn(bits, lParam);
        int first = nodes.empty() ? -1 : 0;
        switch (static_cast<std::uint32_t>(flag)) {
        case wire::TVGN_ROOT: return handleOf(bits, first);
        case wire::TVGN_CARET:
            return handleOf(bits, options.caret < static_cast<int>(nodes.size()) ? options.caret : -1);
        case wire::TVGN_NEXT: {
            int k = indexOf(desktop, bits, h, "TVM_GETNEXTITEM");
            return k < 0 ? 0 : handleOf(bits, nodes[static_cast<std::size_t>(k)].next);
        }
        case wire::TVGN_CHILD: {
            if (h == 0 || h == addressIn(bits, static_cast<std::intptr_t>(kTviRoot)))
                return handleOf(bits, first);
            int k = indexOf(desktop, bits, h, "TVM_GETNEXTITEM");
            return k < 0 ? 0 : handleOf(bits, nodes[static_cast<std::size_t>(k)].firstChild);
        }
        default: return 0;
        }
    }

    // The tree view's own copy of an item's text, made once per item.
    RemoteAddr ownText(FakeDesktop& desktop, std::uint32_t pid, int k) {
        std::map<int, RemoteAddr>& cache = desktop.answeringWide() ? ownWideTexts : ownTexts;
        auto it = cache.find(k);
        if (it != cache.end()) return it->second;
        RemoteAddr a = ownedCopy(desktop, pid, nodes[static_cast<std::size_t>(k)].text);
        cache[k] = a;
        return a;
    }

    template <class Item>
    std::intptr_t getItemAs(FakeDesktop& desktop, std::uint32_t pid, int bits, RemoteAddr at) {
        Item item;
        if (!recordAt(desktop, pid, "TVM_GETITEMA", at, sizeof item)) return 0;
        desktop.readMemory(pid, at, &item, sizeof item);
        int k = indexOf(desktop, bits, item.hItem, "TVM_GETITEMA");
        if (k < 0 || nodes[static_cast<std::size_t>(k)].text == kWritesNothing) return 0;
        if (item.mask & wire::TVIF_TEXT) {
            if (options.ownBuffer) {
                item.pszText = static_cast<decltype(item.pszText)>(ownText(desktop, pid, k));
            } else {
                putRemoteText(desktop, pid, "TVM_GETITEMA", nodes[static_cast<std::size_t>(k)].text,
                              item.pszText, item.cchTextMax);
            }
        }
        if (item.mask & wire::TVIF_PARAM) item.lParam = static_cast<decltype(item.lParam)>(k);
        desktop.writeMemory(pid, at, &item, sizeof item);
        return 1;
    }

    std::intptr_t getItem(FakeDesktop& desktop, FakeWindow& window, std::intptr_t lParam) {
        int bits = desktop.pointerBitsOf(window.pid);
        RemoteAddr at = addressIn(bits, lParam);
        return bits == 32 ? getItemAs<wire::TvItem32>(desktop, window.pid, bits, at)
                          : getItemAs<wire::TvItem64>(desktop, window.pid, bits, at);
    }

    std::vector<Node> nodes;
    TreeViewOptions options;
    std::uint32_t serial;
    std::map<int, RemoteAddr> ownTexts;
    std::map<int, RemoteAddr> ownWideTexts; // the same texts in UTF-16, for TVM_GETITEMW
};

} // namespace

std::unique_ptr<FakeControl> makeTreeView(std::vector<FakeTreeItem> roots, TreeViewOptions options) {
    return std::make_unique<TreeViewControl>(roots, options);
}

Hwnd addTreeView(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::vector<FakeTreeItem> roots,
                 TreeViewOptions options) {
    return d.addWindow(parent, kTreeViewClass, "", pid, makeTreeView(std::move(roots), options));
}

} // namespace fake
} // namespace vantor
