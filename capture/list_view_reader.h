// The list-view readers: the column header line and the rows of a list view in any process, read through a
// RemoteBuffer in the target's pointer width and appended to `report`.
//
// Threads: the capture worker (full capture) or the user-interface thread (hot-key capture of the selected
// rows); one capture at a time. They take the capture lock around their uses of `report` themselves.
#pragma once

#include "platform/platform.h"

namespace vantor {

// Appends the rows of the list view (all, or only the selected ones) after its header line, or the failure
// line when no information was obtained. Polls stopRequested before every query.
void readListViewRows(Hwnd listView, bool selectedOnly);
// Appends the header line of the list view (titles of at least 2 bytes joined by settings.listSeparator).
void readListViewHeader(Hwnd listView);

} // namespace vantor
