// The walk over an accessible tree and the seam in use (see platform/accessible.h).
#include "platform/accessible.h"

#include <algorithm>
#include <unordered_set>

namespace vantor {

namespace {

class AbsentAccessibility : public Accessibility {
  public:
    AccessibleAnswer ask(Hwnd) override { return AccessibleAnswer::None; }
    bool walk(Hwnd, const AccessibleLimits&, AccessibleTree*) override { return false; }
    std::string toAnsi(const std::u16string&) override { return std::string(); }
};

// The accessible seam in use, installed once before other threads start; without one, nothing answers.
struct Seam {
    AbsentAccessibility absent;
    Accessibility* current = &absent;
};
Seam seam;

// A node whose children are being walked: its child count, the batch of children in hand and the next of
// them.
struct Frame {
    AccessibleNodes::Node node = 0;
    std::size_t count = 0;
    std::size_t asked = 0; // positions asked for so far
    std::vector<AccessibleNodes::Child> batch;
    std::size_t next = 0;
};

// The waits for the source's answers: late once one answer took the idle bound or longer (the first one
// less what was waited before the walk).
class Pace {
  public:
    Pace(AccessibleNodes& nodes, const AccessibleLimits& limits)
        : nodes_(nodes), idle_(limits.idleMs), start_(nodes.nowMs()), last_(start_),
          wait_(limits.waitedMs < limits.idleMs ? limits.idleMs - limits.waitedMs : 0) {}
    void answered() {
        const std::uint64_t now = nodes_.nowMs();
        if (now - last_ >= wait_) late_ = true;
        last_ = now;
        wait_ = idle_;
    }
    bool late() const { return late_; }
    std::uint64_t elapsed() { return nodes_.nowMs() - start_; }

  private:
    AccessibleNodes& nodes_;
    std::uint64_t idle_;
    std::uint64_t start_;
    std::uint64_t last_;
    std::uint64_t wait_;
    bool late_ = false;
};

} // namespace

Accessibility& accessibility() {
    return *seam.current;
}

void setAccessibility(Accessibility* a) {
    seam.current = a != nullptr ? a : &seam.absent;
}

void walkAccessible(AccessibleNodes& nodes, AccessibleNodes::Node root, const AccessibleLimits& limits,
                    AccessibleTree* out, std::mutex* guard) {
    Pace pace(nodes, limits);
    // Every object received stays held until the end, so that no identity is taken by a new object while
    // the walk still compares against it.
    std::vector<AccessibleNodes::Node> held;
    // An object's identity is asked of its proxy on this side: not counted as the target's answer.
    std::unordered_set<std::uintptr_t> seen{nodes.identity(root)};
    std::vector<Frame> stack(1);
    stack.back().node = root;
    std::uint32_t cut = 0;
    std::size_t count = 0;
    if (!nodes.childCount(root, &stack.back().count)) cut |= kAccessibleCutFailed;
    pace.answered();
    while (!stack.empty()) {
        // A source that keeps answering is read whole; one that stopped, or a walk past the overall bound,
        // ends here.
        if (pace.late() || pace.elapsed() >= limits.maxMs) {
            cut |= kAccessibleCutTime;
            break;
        }
        Frame& frame = stack.back();
        if (frame.next == frame.batch.size()) {
            if (frame.asked >= frame.count) {
                stack.pop_back();
                continue;
            }
            // The next batch of children, so that a large group is read answer by answer.
            const std::size_t from = frame.asked;
            const std::size_t most = std::min(kAccessibleChildBatch, frame.count - from);
            frame.batch.clear();
            frame.next = 0;
            frame.asked += most;
            const bool got = nodes.children(frame.node, from, most, &frame.batch);
            pace.answered();
            for (const AccessibleNodes::Child& c : frame.batch)
                if (c.node != 0) held.push_back(c.node);
            if (!got || frame.batch.empty()) {
                // An item whose children cannot be had is shown without them; children that stop coming
                // in the middle of a group, or the window's own, mark the tree cut.
                if (!got && (from > 0 || stack.size() == 1)) cut |= kAccessibleCutFailed;
                frame.asked = frame.count;
            }
            continue;
        }
        if (count >= limits.maxItems) {
            cut |= kAccessibleCutCount;
            break;
        }
        const AccessibleNodes::Child child = frame.batch[frame.next++];
        const AccessibleNodes::Node parent = frame.node;
        const auto depth = static_cast<std::uint32_t>(stack.size() - 1);
        if (child.node != 0 && !seen.insert(nodes.identity(child.node)).second) {
            cut |= kAccessibleCutLoop;
            continue;
        }
        AccessibleItem item;
        if (child.node != 0)
            nodes.describe(child.node, 0, &item);
        else
            nodes.describe(parent, child.childId, &item);
        pace.answered();
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
        const bool counted = nodes.childCount(child.node, &below.count);
        pace.answered();
        if (!counted || below.count == 0) continue;
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
