// The window tree: which top-level windows hold something the capture engine can read, and the rebuild of
// windowRoot's children (one WindowNode per such window, in z-order) behind the window list pane.
//
// Threads: the user-interface thread (windowRoot is only touched there); hasReadableContent and
// hasReadableContentInTree touch no shared state and may run on any thread.
#pragma once

#include <functional>
#include <vector>

#include "inventory/text_node.h"
#include "platform/platform.h"

namespace vantor {

// The direct children of a window in the order FindWindowExA gives them. When the child last returned has
// been destroyed meanwhile, FindWindowExA cannot continue after it; the walk then goes on with the first
// child not yet returned, so the siblings after a vanished window are still visited.
class ChildWalk {
  public:
    explicit ChildWalk(Hwnd parent) : parent(parent) {}
    // The next child, or none after the last.
    Hwnd next();

  private:
    Hwnd parent;
    Hwnd previous{};
    std::vector<Hwnd> returned;
};

// GetParent steps before giving up on finding a top-level ancestor (a guard against a parent cycle).
constexpr int kMaxAncestors = 4096;
// The outermost ancestor reached through parent(): the window itself when it has no parent.
Hwnd topLevelAncestor(Hwnd window);

// The window has a menu with at least one item, or a kind of control other than Other.
bool hasReadableContent(Hwnd window);
// The window or any of its descendants has readable content (depth first, stops at the first hit).
bool hasReadableContentInTree(Hwnd window);

// Replaces windowRoot's children by one node per qualifying top-level window (title and class name read
// with a limit of 255, so at most 254 bytes kept).
void rebuildWindowTree();

// Rebuilds the tree, then hands windowRoot to fill (the application's list pane draws its rows from it).
using FillWindowList = std::function<void(WindowNode* root)>;
void refreshWindowList(const FillWindowList& fill);

} // namespace vantor
