// The window outline, a window and its descendants depth first, and the two things made from it: the
// structure report (the first section of a full capture, one line per descendant of the captured window with
// its title and class, and the whole text of edit-like controls) and the control list
// (capture/control_list.h).
//
// Threads: the capture's thread. It takes the session's lock itself around each line it appends; call it
// without the lock.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace vantor {
class CaptureSession;
}

namespace vantor {

// Edit-like classes (whole name, ASCII case ignored): Edit, TEdit, RICHEDIT, TRichEdit, TComboBox,
// RichEdit20W.
bool isEditLikeClass(const char* className);

// One window of the outline.
struct WindowOutlineEntry {
    Hwnd window{};
    int depth = 0; // 0 for the window itself, 1 for its children, ...
    std::string title;
    std::string className;
    bool editLike = false; // an edit-like class (isEditLikeClass)
    std::string text;      // an edit-like control's whole text, when asked for
};
// The outline of window: with withSelf the window itself first (depth 0), then its descendants, depth first;
// with editTexts the whole text of each edit-like descendant.
void readWindowOutline(Hwnd window, bool withSelf, bool editTexts, std::vector<WindowOutlineEntry>* entries);
// The indentation of an entry at depth (above 0) below a walk with `indentation` (null for none): two spaces
// per level after it.
std::string outlineIndentation(const char* indentation, int depth);
// The entry's structure report line: at depth 0 `"title" class`; deeper, indented, "+ " first and, for an
// edit-like class, " [text]" after; a line feed at the end.
void formatStructureLine(const WindowOutlineEntry& entry, const char* indentation, std::string* out);

// The structure report's first line, before the window's own line.
extern const char kStructureHeader[];

// The indentation of the children of a window walked with `indentation`: two spaces for the top call (null),
// otherwise two spaces more. The structure report and the control list (capture/control_list.h) share it.
std::string childIndentation(const char* indentation);

// With indentation null (the top call): the header and the window's own line, then its descendants two
// spaces deeper per level, depth first. Otherwise only the descendants, indented below indentation. Lines
// end in a single line feed. Any depth and any length of text.
void writeStructureReport(CaptureSession& session, Hwnd window, const char* indentation);

} // namespace vantor
