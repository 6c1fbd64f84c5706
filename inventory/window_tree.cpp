// The window tree: the readable-content tests and the rebuild of windowRoot's children from the
// enumeration of top-level windows. The rebuild runs on the user-interface thread only.
#include "inventory/window_tree.h"

#include "inventory/classify.h"

namespace vantor {

namespace {
// GetClassNameA / GetWindowTextA with 255 as the limit: at most 254 bytes are kept.
constexpr int kTextLimit = 255;
} // namespace

Hwnd ChildWalk::next() {
    Hwnd child = ws().nextChild(parent, previous);
    if (isNull(child) && !isNull(previous) && !ws().isWindow(previous)) {
        for (child = ws().nextChild(parent, Hwnd{}); !isNull(child); child = ws().nextChild(parent, child)) {
            bool seen = false;
            for (Hwnd r : returned)
                seen = seen || r == child;
            if (!seen) break;
        }
    }
    if (!isNull(child)) {
        returned.push_back(child);
        previous = child;
    }
    return child;
}

bool hasReadableContent(Hwnd window) {
    const Hmenu menu = ws().menuOf(window);
    if (!isNull(menu) && ws().menuItemCount(menu) >= 1) return true;
    return classifyWindow(window) != ControlKind::Other;
}

bool hasReadableContentInTree(Hwnd window) {
    if (hasReadableContent(window)) return true;
    ChildWalk children(window);
    for (Hwnd child = children.next(); !isNull(child); child = children.next()) {
        if (hasReadableContentInTree(child)) return true;
    }
    return false;
}

void rebuildWindowTree() {
    clearWindowTree();
    if (windowRoot == nullptr) return;
    std::vector<Hwnd> windows;
    ws().topLevelWindows(&windows);
    for (Hwnd w : windows) {
        char className[256] = {};
        char title[256] = {};
        ws().className(w, className, kTextLimit);
        ws().windowText(w, title, kTextLimit);
        if (isNull(w) || !hasReadableContentInTree(w)) continue;
        auto node = std::make_unique<WindowNode>();
        node->setTitle(title);
        node->setClassName(className);
        node->window = w;
        appendChild(std::move(node), windowRoot.get());
    }
}

void refreshWindowList(const FillWindowList& fill) {
    rebuildWindowTree();
    if (fill) fill(windowRoot.get());
}

Hwnd topLevelAncestor(Hwnd window) {
    Hwnd top = window;
    for (int i = 0; i < kMaxAncestors; ++i) {
        Hwnd up = ws().parent(top);
        if (isNull(up)) break;
        top = up;
    }
    return top;
}

} // namespace vantor
