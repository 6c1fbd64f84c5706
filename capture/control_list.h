// The control list offered for monitoring: a window and its descendants whose kind of control the engine
// reads, one row each, indented like the structure report (capture/structure_report.h), with the window
// that stands behind each row.
//
// Threads: any thread (it reads other windows' class names and titles and touches no shared record); the
// application calls it on the user-interface thread when monitoring starts.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace vantor {

// One row of the control list: the list shows "first [className]"; window is the control behind it.
struct ControlRow {
    std::string first;
    std::string className;
    Hwnd window{};
};

// Replaces *rows by the control list of window: the window itself first when it is a known control (its
// title, no indentation), then depth first in z-order every descendant that is one, as
// indentation + "+ \"title\"". Descendants that are not known controls get no row, but their own
// descendants are still walked. Neither depth nor title length is bounded.
void listControls(Hwnd window, std::vector<ControlRow>* rows);

} // namespace vantor
