// The control list of a window for monitoring: the window outline the structure report is made from
// (capture/structure_report.h), keeping only the windows the capture engine can read. Any thread.
#include "capture/control_list.h"

#include "capture/structure_report.h"
#include "inventory/classify.h"

namespace vantor {

void listControls(Hwnd window, std::vector<ControlRow>* rows) {
    rows->clear();
    // No window: nothing to list (walking the children of "none" would walk the whole desktop).
    if (isNull(window)) return;
    std::vector<WindowOutlineEntry> entries;
    readWindowOutline(window, true, false, &entries);
    for (WindowOutlineEntry& entry : entries) {
        if (classifyClassName(entry.className.c_str()) == ControlKind::Other) continue;
        ControlRow row;
        // The window itself by its title alone; a descendant as in the structure report.
        row.first = entry.depth == 0 ? entry.title
                                     : outlineIndentation(nullptr, entry.depth) + "+ \"" + entry.title + "\"";
        row.className = std::move(entry.className);
        row.window = entry.window;
        rows->push_back(std::move(row));
    }
}

} // namespace vantor
