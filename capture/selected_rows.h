// The selected rows of a list view: `selectedRows` (ascending row indices) and collectSelectedRows, which
// refills it from any list view, this program's window list or another application's list view.
//
// Threads: the user-interface thread (monitor command, hot-key capture) and the capture worker (monitoring
// pass, list-view reader); the callers keep to one capture at a time, so the array has no lock.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace vantor {

// Heap array of the selected row indices in ascending order, replaced by every collectSelectedRows; its
// count is what that call returned. Null until the first call.
extern std::int32_t* selectedRows;

// Refills selectedRows from the list view through LVM_GETNEXTITEM (LVNI_SELECTED, starting from -1) and
// returns the number of rows it holds. When at least one row is selected and refreshPane is set, the output
// pane is refreshed with the current report. A list view that does not answer counts as having no (further)
// selection.
int collectSelectedRows(Hwnd listView, bool refreshPane = true);

} // namespace vantor
