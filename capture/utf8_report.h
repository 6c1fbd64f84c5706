// The text report in UTF-8 with its texts whole: the lines of the code page 932 report, where a window
// title, an edit text or a control's text of a Unicode window that code page 932 lacks ("?" there) is read
// again wide, and the accessible objects of any window are written from the wide texts the capture kept. Each
// part is rebuilt from what the capture kept and is used only where rebuilding it in code page 932 gives back
// the report's own bytes; any other part is the report's bytes converted, so the line set is that of the code
// page 932 report whatever happens (one-byte texts judged as the code page 932 report judges them).
//
// Threads: the capture's thread, after the capture.
#pragma once

#include <string>

#include "capture/capture_session.h"

namespace vantor {

// The UTF-8 report of the capture of window that wrote report (code page 932) and kept session, its list
// separator separator (code page 932).
std::string utf8ReportOf(Hwnd window, CaptureSession* session, const std::string& report,
                         const std::string& separator);

} // namespace vantor
