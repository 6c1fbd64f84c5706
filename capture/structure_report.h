// The structure report: the first section of a full capture, one line per descendant of the captured window
// with its title and class, and the whole text of edit-like controls.
//
// Threads: the capture worker. It takes the capture lock itself around each line it appends; call it
// without the lock.
#pragma once

#include <string>

#include "platform/platform.h"

namespace vantor {

// Edit-like classes (whole name, ASCII case ignored): Edit, TEdit, RICHEDIT, TRichEdit, TComboBox,
// RichEdit20W.
bool isEditLikeClass(const char* className);

// The indentation of the children of a window walked with `indentation`: two spaces for the top call (null),
// otherwise two spaces more. The structure report and the control list (capture/control_list.h) share it.
std::string childIndentation(const char* indentation);

// With indentation null (the top call): the header and the window's own line, then its descendants two
// spaces deeper per level, depth first. Otherwise only the descendants, indented below indentation. Lines
// end in a single line feed. Any depth and any length of text.
void writeStructureReport(Hwnd window, const char* indentation);

} // namespace vantor
