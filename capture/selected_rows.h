// The selected rows of a list view (ascending row indices), of this program's window list or of another
// application's list view.
//
// Threads: any; the result belongs to the caller.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace vantor {
class CaptureSession;
}

namespace vantor {

// The selected row indices of the list view in ascending order, through LVM_GETNEXTITEM (LVNI_SELECTED,
// starting from -1). When at least one row is selected and a session is given, its report is shown in the
// pane (CaptureSession::showProgress). A list view that does not answer counts as having no (further)
// selection.
std::vector<std::int32_t> collectSelectedRows(Hwnd listView, CaptureSession* refresh = nullptr);

} // namespace vantor
