// Accessible objects for the unit tests: per window how it answers WM_GETOBJECT and the object graph behind
// it (nodes by index, so that a child can name an ancestor and the tree can loop), simple elements, a clock
// that each call moves on (by the node's time per call and per child handed out; a node whose calls take
// long is a target that stops answering), and the count of objects held, which must come back to zero.
// Texts convert to code page 932 as the system does, with '?' for each UTF-16 unit that code page lacks.
// Test thread only.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/accessible.h"

namespace vantor {
namespace fake {

class FakeAccessibility : public Accessibility {
  public:
    struct Node {
        AccessibleItem item;                  // depth is not used
        std::vector<int> children;            // object children, by index
        std::vector<AccessibleItem> elements; // simple elements after the object children
        std::uint64_t callMs = 0;             // each call on this node moves the clock on this far
        std::uint64_t childMs = 0;            // and each child it hands out this far besides
        bool childrenFail = false;
    };
    struct Window {
        AccessibleAnswer answer = AccessibleAnswer::Object;
        int root = 0; // -1: the object cannot be had although the window answered
    };

    // Adds a node and returns its index; parent -1 for none.
    int add(int parent, const std::u16string& name, const std::u16string& value = u"");
    AccessibleAnswer ask(Hwnd window) override;
    bool walk(Hwnd window, const AccessibleLimits& limits, AccessibleTree* out) override;
    std::string toAnsi(const std::u16string& text) override;

    std::vector<Node> nodes;
    std::map<Hwnd, Window> windows; // a window not listed does not answer
    std::uint64_t clockMs = 0;
    int held = 0; // objects handed to a walk and not released
    int asked = 0;
    int walks = 0;
};

} // namespace fake
} // namespace vantor
