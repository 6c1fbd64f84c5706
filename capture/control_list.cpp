// The control list of a window for monitoring: the same depth-first walk and indentation as the structure
// report, keeping only the windows the capture engine can read. Any thread.
#include "capture/control_list.h"

#include "capture/structure_report.h"
#include "inventory/classify.h"
#include "inventory/window_tree.h"

namespace vantor {

namespace {

constexpr int kNameBuffer = 256;

void readNames(Hwnd window, std::string* className, std::string* title) {
    char cls[kNameBuffer] = {};
    char text[kNameBuffer] = {};
    ws().className(window, cls, sizeof cls);
    ws().windowText(window, text, sizeof text);
    *className = cls;
    *title = text;
}

void listChildren(Hwnd window, const std::string& indentation, std::vector<ControlRow>* rows) {
    ChildWalk children(window);
    for (Hwnd child = children.next(); !isNull(child); child = children.next()) {
        if (classifyWindow(child) != ControlKind::Other) {
            ControlRow row;
            std::string title;
            readNames(child, &row.className, &title);
            row.first = indentation + "+ \"" + title + "\"";
            row.window = child;
            rows->push_back(std::move(row));
        }
        listChildren(child, childIndentation(indentation.c_str()), rows);
    }
}

} // namespace

void listControls(Hwnd window, std::vector<ControlRow>* rows) {
    rows->clear();
    // No window: nothing to list (walking the children of "none" would walk the whole desktop).
    if (isNull(window)) return;
    if (classifyWindow(window) != ControlKind::Other) {
        ControlRow row;
        readNames(window, &row.className, &row.first);
        row.window = window;
        rows->push_back(std::move(row));
    }
    listChildren(window, childIndentation(nullptr), rows);
}

} // namespace vantor
