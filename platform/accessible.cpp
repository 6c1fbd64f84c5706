// The walk over an accessible tree and the seam in use (see platform/accessible.h).
#include "platform/accessible.h"

#include <unordered_set>

namespace vantor {

namespace {

class AbsentAccessibility : public Accessibility {
  public:
    AccessibleAnswer ask(Hwnd) override { return AccessibleAnswer::None; }
    bool walk(Hwnd, const AccessibleLimits&, AccessibleTree*) override { return false; }
    std::string toAnsi(const std::u16string&) override { return std::string(); }
};

AbsentAccessibility absent;
Accessibility* current = &absent;

// A node whose children are being walked, and the next of them.
struct Frame {
    AccessibleNodes::Node node = 0;
    std::vector<AccessibleNodes::Child> children;
    std::size_t next = 0;
};

} // namespace

Accessibility& accessibility() {
    return *current;
}

void setAccessibility(Accessibility* a) {
    current = a != nullptr ? a : &absent;
}

void walkAccessible(AccessibleNodes& nodes, AccessibleNodes::Node root, const AccessibleLimits& limits,
                    AccessibleTree* out, std::mutex* guard) {
    const std::uint64_t start = nodes.nowMs();
    // Every object received stays held until the end, so that no identity is taken by a new object while
    // the walk still compares against it.
    std::vector<AccessibleNodes::Node> held;
    std::unordered_set<std::uintptr_t> seen{nodes.identity(root)};
    std::vector<Frame> stack(1);
    stack.back().node = root;
    std::uint32_t cut = 0;
    std::size_t count = 0;
    if (!nodes.children(root, &stack.back().children)) cut |= kAccessibleCutFailed;
    for (const AccessibleNodes::Child& c : stack.back().children)
        if (c.node != 0) held.push_back(c.node);
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.children.size()) {
            stack.pop_back();
            continue;
        }
        if (nodes.nowMs() - start >= limits.maxMs) {
            cut |= kAccessibleCutTime;
            break;
        }
        if (count >= limits.maxItems) {
            cut |= kAccessibleCutCount;
            break;
        }
        const AccessibleNodes::Child child = frame.children[frame.next++];
        const auto depth = static_cast<std::uint32_t>(stack.size() - 1);
        if (child.node != 0 && !seen.insert(nodes.identity(child.node)).second) {
            cut |= kAccessibleCutLoop;
            continue;
        }
        AccessibleItem item;
        if (child.node != 0)
            nodes.describe(child.node, 0, &item);
        else
            nodes.describe(frame.node, child.childId, &item);
        item.depth = depth;
        {
            std::unique_lock<std::mutex> lock;
            if (guard != nullptr) lock = std::unique_lock<std::mutex>(*guard);
            out->items.push_back(std::move(item));
        }
        ++count;
        if (child.node == 0) continue;
        Frame below;
        below.node = child.node;
        if (!nodes.children(child.node, &below.children)) continue;
        for (const AccessibleNodes::Child& c : below.children)
            if (c.node != 0) held.push_back(c.node);
        if (below.children.empty()) continue;
        if (depth + 1 >= limits.maxDepth) {
            cut |= kAccessibleCutDepth;
            continue;
        }
        stack.push_back(std::move(below));
    }
    for (AccessibleNodes::Node n : held)
        nodes.release(n);
    std::unique_lock<std::mutex> lock;
    if (guard != nullptr) lock = std::unique_lock<std::mutex>(*guard);
    out->cut |= cut;
}

} // namespace vantor
