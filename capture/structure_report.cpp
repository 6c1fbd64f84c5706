// The window outline (a window and its descendants, depth first) and the structure report formatted from
// it. Lines are built in growable strings, so neither the depth of nesting nor the length of a title or an
// edit control's text is bounded; each line is appended to the report in one locked region
// (capture/capture_lock.h). Capture worker thread (the outline without edit texts: any thread).
#include "capture/structure_report.h"

#include <string>
#include <vector>

#include "capture/capture_lock.h"
#include "capture/in_process_readers.h"
#include "capture/report_buffer.h"
#include "inventory/window_tree.h"
#include "platform/text.h"

namespace vantor {

const char kStructureHeader[] = "■ ウインドウの構成\n";

namespace {

void appendLine(CaptureSession& session, const std::string& line) {
    CaptureLock hold(session);
    hold.report().append(line.data(), line.size());
}

void readEntry(Hwnd window, int depth, bool editTexts, WindowOutlineEntry* entry) {
    char className[256] = {};
    char title[256] = {};
    ws().className(window, className, sizeof className);
    ws().windowText(window, title, sizeof title);
    entry->window = window;
    entry->depth = depth;
    entry->title = title;
    entry->className = className;
    entry->editLike = isEditLikeClass(className);
    if (editTexts && entry->editLike) readEditText(window, &entry->text);
}

void readChildren(Hwnd window, int depth, bool editTexts, std::vector<WindowOutlineEntry>* entries) {
    ChildWalk children(window);
    for (Hwnd child = children.next(); !isNull(child); child = children.next()) {
        entries->emplace_back();
        readEntry(child, depth, editTexts, &entries->back());
        readChildren(child, depth + 1, editTexts, entries);
    }
}

} // namespace

void readWindowOutline(Hwnd window, bool withSelf, bool editTexts, std::vector<WindowOutlineEntry>* entries) {
    entries->clear();
    if (withSelf) {
        entries->emplace_back();
        readEntry(window, 0, editTexts, &entries->back());
    }
    readChildren(window, 1, editTexts, entries);
}

std::string outlineIndentation(const char* indentation, int depth) {
    std::string out = indentation != nullptr ? indentation : "";
    out.append(2 * static_cast<std::size_t>(depth), ' ');
    return out;
}

void formatStructureLine(const WindowOutlineEntry& entry, const char* indentation, std::string* out) {
    if (entry.depth > 0) {
        *out += outlineIndentation(indentation, entry.depth);
        *out += "+ ";
    }
    *out += '"';
    *out += entry.title;
    *out += "\" ";
    *out += entry.className;
    if (entry.depth > 0 && entry.editLike) {
        *out += " [";
        *out += entry.text;
        *out += "]";
    }
    *out += "\n";
}

bool isEditLikeClass(const char* className) {
    static const char* const kEditLike[] = {"Edit",      "TEdit",     "RICHEDIT",
                                            "TRichEdit", "TComboBox", "RichEdit20W"};
    if (className == nullptr) return false;
    for (const char* name : kEditLike)
        if (equalsIgnoringAsciiCase(className, name)) return true;
    return false;
}

std::string childIndentation(const char* indentation) {
    return outlineIndentation(indentation, 1);
}

void writeStructureReport(CaptureSession& session, Hwnd window, const char* indentation) {
    // Read whole first, then appended a line per locked region as before.
    std::vector<WindowOutlineEntry> entries;
    readWindowOutline(window, indentation == nullptr, true, &entries);
    std::string line;
    for (const WindowOutlineEntry& entry : entries) {
        line = entry.depth == 0 ? kStructureHeader : "";
        formatStructureLine(entry, indentation, &line);
        appendLine(session, line);
    }
}

} // namespace vantor
