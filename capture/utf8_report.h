// The text report of a Unicode window in UTF-8 with its texts whole: the lines of the code page 932 report,
// where a window title, an edit text or a control's text that code page 932 lacks ("?" there) is read again
// wide. Each part is rebuilt from what the capture kept and is used only where rebuilding it in code page
// 932 gives back the report's own bytes; any other part is the report's bytes converted, so the line set is
// that of the code page 932 report whatever happens (one-byte texts judged as the code page 932 report
// judges them).
//
// Threads: the capture's thread, after the capture.
#pragma once

#include <string>

#include "capture/capture_session.h"

namespace vantor {

// The UTF-8 report of the capture of window that wrote report (code page 932) and kept session, its list
// separator separator (code page 932). False, *out untouched, when window's top-level window is not a
// Unicode window (its report converted is already whole).
bool utf8ReportOfUnicodeWindow(Hwnd window, CaptureSession* session, const std::string& report,
                               const std::string& separator, std::string* out);

} // namespace vantor
