// Accessible objects (Active Accessibility) of windows that draw their items themselves: the model of one
// window's accessible tree, the walk that builds it with its bounds, and the seam to the window system that
// asks a window for its object and walks it across processes. The Win32 side implements the seam in
// platform/win32/win32_accessible.cpp; the unit tests install a fake. No <windows.h> here.
//
// Threads: the seam is installed once before captures run; its calls come from the capture's thread. The
// walk runs on whatever thread the source's objects belong to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vantor {

// Why a walk stopped before the end of the tree (bits; 0 for a whole tree).
constexpr std::uint32_t kAccessibleCutDepth = 1;   // an item had children deeper than the depth bound
constexpr std::uint32_t kAccessibleCutCount = 2;   // the item bound was reached
constexpr std::uint32_t kAccessibleCutLoop = 4;    // an object was met again (the tree loops); left out
constexpr std::uint32_t kAccessibleCutTime = 8;    // the time bound passed
constexpr std::uint32_t kAccessibleCutFailed = 16; // the object could not be had or stopped answering

// One accessible item: its depth below the window's own object (0 for the object's children) and its
// texts as the object gives them (UTF-16).
struct AccessibleItem {
    std::uint32_t depth = 0;
    std::uint32_t role = 0;
    std::uint32_t state = 0;
    std::u16string name;
    std::u16string value;
};

// A window's accessible tree in walk order (an item, its subtree, then its next sibling), and the cut.
struct AccessibleTree {
    std::vector<AccessibleItem> items;
    std::uint32_t cut = 0;
};

// A walk ends when its source has given no answer for idleMs (a target that stopped answering), and in any
// case after maxMs; a source that keeps answering is read whole within the depth and item bounds.
struct AccessibleLimits {
    std::uint32_t maxDepth = 64;    // items this deep (depth >= maxDepth) are not read
    std::uint32_t maxItems = 20000; // items in one tree
    std::uint64_t maxMs = 2000;     // the whole walk
    std::uint64_t idleMs = 2000;    // the longest wait for one answer, as one message's time-out
    std::uint64_t waitedMs = 0;     // already waited since the source's last answer: taken off the first wait
};

// Children asked for in one call: a large group is read batch by batch, each batch one answer.
constexpr std::size_t kAccessibleChildBatch = 64;

// The objects a walk runs over: IAccessible objects across processes or inside the target, or the tests'
// fake. A node is an object the source holds until release(); 0 is none.
class AccessibleNodes {
  public:
    using Node = std::uintptr_t;
    // A child: an object of its own, or a simple element of its parent (node 0, childId above 0).
    struct Child {
        Node node;
        std::int32_t childId;
    };
    virtual ~AccessibleNodes() = default;
    // The number of the node's children; false when it cannot be had.
    virtual bool childCount(Node node, std::size_t* out) = 0;
    // Up to `most` of the node's children from position `from` (0 for the first) appended to out in order,
    // each object among them held by the source until released; false when they cannot be had.
    virtual bool children(Node node, std::size_t from, std::size_t most, std::vector<Child>* out) = 0;
    // The texts, role and state of a child: an object (node, childId 0) or an element (its parent, childId).
    virtual void describe(Node node, std::int32_t childId, AccessibleItem* out) = 0;
    // The same value for the same object, as long as it is held.
    virtual std::uintptr_t identity(Node node) = 0;
    virtual void release(Node node) = 0;
    virtual std::uint64_t nowMs() = 0;
};

// Walks the tree below root (which the caller holds) depth first, within the limits (every call on the
// source counts as an answer when it returns): items are appended to out->items (under guard, when given, so
// that another thread can copy what was read so far) and the cut bits say what was left out. An object met a
// second time is left out with its subtree. Every object the walk received is released before it returns.
void walkAccessible(AccessibleNodes& nodes, AccessibleNodes::Node root, const AccessibleLimits& limits,
                    AccessibleTree* out, std::mutex* guard = nullptr);

// How a window answered WM_GETOBJECT for its client object.
enum class AccessibleAnswer {
    None,   // no answer within the message time-out (or the window is gone)
    Zero,   // 0: the system's default object, which adds nothing the other readers do not give
    Object, // an object of its own
};

// The window system's side.
class Accessibility {
  public:
    virtual ~Accessibility() = default;
    // Sends WM_GETOBJECT(OBJID_CLIENT) with the message time-out; an object it answers with is released.
    virtual AccessibleAnswer ask(Hwnd window) = 0;
    // Gets the window's object and walks it across processes, bounded by the limits (the wait for an answer
    // is bounded also when the target stops answering in the middle of a call). False when no object could
    // be had.
    virtual bool walk(Hwnd window, const AccessibleLimits& limits, AccessibleTree* out) = 0;
    // A text in code page 932 as the system converts ANSI messages (unmappable characters as its default).
    virtual std::string toAnsi(const std::u16string& text) = 0;
};

// The seam in use: one that never finds an object until another is installed.
Accessibility& accessibility();
void setAccessibility(Accessibility* a);

} // namespace vantor
