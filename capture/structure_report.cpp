// The structure report of a window and its descendants. Lines are built in growable strings, so neither
// the depth of nesting nor the length of a title or an edit control's text is bounded; each line is
// appended to the report in one locked region (capture/capture_lock.h). Capture worker thread.
#include "capture/structure_report.h"

#include <string>

#include "capture/capture_lock.h"
#include "capture/in_process_readers.h"
#include "capture/report_buffer.h"
#include "inventory/window_tree.h"
#include "platform/text.h"

namespace vantor {

namespace {

constexpr char kHeader[] = "■ ウインドウの構成\n";

void appendLine(const std::string& line) {
    CaptureLock hold;
    hold.report().append(line.data(), line.size());
}

// Appends `"title" className` of the window to line; the class name is also left in className.
void appendTitleAndClass(Hwnd window, char (&className)[256], std::string* line) {
    char title[256] = {};
    ws().className(window, className, sizeof className);
    ws().windowText(window, title, sizeof title);
    *line += '"';
    *line += title;
    *line += "\" ";
    *line += className;
}

// One descendant: indentation, "+ ", the quoted title, the class name and, for edit-like classes, the whole
// text in square brackets.
void writeChildLine(Hwnd child, const std::string& indentation) {
    char className[256] = {};
    std::string line = indentation + "+ ";
    appendTitleAndClass(child, className, &line);
    if (isEditLikeClass(className)) {
        std::string text;
        readEditText(child, &text);
        line += " [";
        line += text;
        line += "]";
    }
    line += "\n";
    appendLine(line);
}

void writeChildren(Hwnd window, const std::string& indentation) {
    ChildWalk children(window);
    for (Hwnd child = children.next(); !isNull(child); child = children.next()) {
        writeChildLine(child, indentation);
        writeChildren(child, childIndentation(indentation.c_str()));
    }
}

} // namespace

bool isEditLikeClass(const char* className) {
    static const char* const kEditLike[] = {"Edit",      "TEdit",     "RICHEDIT",
                                            "TRichEdit", "TComboBox", "RichEdit20W"};
    if (className == nullptr) return false;
    for (const char* name : kEditLike)
        if (equalsIgnoringAsciiCase(className, name)) return true;
    return false;
}

std::string childIndentation(const char* indentation) {
    return indentation != nullptr ? std::string(indentation) + "  " : std::string("  ");
}

void writeStructureReport(Hwnd window, const char* indentation) {
    if (indentation != nullptr) {
        writeChildren(window, childIndentation(indentation));
        return;
    }
    char className[256] = {};
    std::string top = kHeader;
    appendTitleAndClass(window, className, &top);
    top += "\n";
    appendLine(top);
    writeChildren(window, childIndentation(nullptr));
}

} // namespace vantor
