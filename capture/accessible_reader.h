// The reader of windows that draw their items themselves and expose them as accessible objects: whether a
// window has such an object, its tree read inside the target (through the hook library's bulk requests)
// or across processes, and the text of its section. The reader gives a model; the formatter turns it into
// the section's lines; the dispatcher writes the header and the lines.
//
// Threads: the setting is set on the main thread before captures run; the reader runs on the capture's
// thread.
#pragma once

#include <string>

#include "capture/read_path.h"
#include "platform/accessible.h"
#include "platform/platform.h"

namespace vantor {

// The setting that leaves accessible objects out (Accessibility=0): no window is asked for one.
void setAccessibilityAllowed(bool allowed);
bool accessibilityAllowed();

// The bounds of every walk: depth, items, the wait for one answer (one message time-out) and the whole
// read's time (a last resort, far longer).
AccessibleLimits accessibleLimits();

// One window's accessible section: the items read and why the tree was cut (kAccessibleCut* bits).
struct AccessibleModel {
    AccessibleTree tree;
};

// Asks the window for its client object (with the message time-out) and, when it answers with one of its
// own, reads its tree: inside the target when choice allows the bulk path, across processes otherwise or
// when the target's first answer does not come or hold up; a later answer that fails leaves the rest to an
// across-process walk. False (and nothing to write) when the setting is off, the window does not answer,
// or answers 0.
bool readAccessible(Hwnd window, ReadPathChoice choice, AccessibleModel* out);

// The section's lines in code page 932: per item its name, and " = " and its value when the value is not
// empty and differs from the name (the value alone for an item without a name); depth 0 at the margin,
// deeper items after two spaces per level and "+ ". An item without name and value is left out unless it
// has children. A cut tree (or one that could not be read) ends with the failure line. With utf8 the same
// lines in UTF-8, the texts whole (the UTF-8 report).
std::string formatAccessible(const AccessibleModel& model, bool utf8 = false);

} // namespace vantor
