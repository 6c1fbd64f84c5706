// The output pane: the editable rich edit control (RICHED32.DLL, class "RichEdit", id 103) in the right
// pane that shows each report, with its edit menu, edit commands, jump to a report line and save to a file.
// Threads: the user-interface thread; workers change it only through synchronous messages to that thread
// (see app/capture_ui_win32.cpp). The control itself belongs to a pane thread (createOutputPane).
#pragma once

#include <windows.h>

#include <cstddef>

namespace vantor {

// Loads the library, creates the control in appState().windows.rightPane, formats and subclasses it; null on
// failure. The control belongs to one of two pane threads, so that destroying it once replaced never holds
// this thread.
HWND createOutputPane();
// Character format, URL detection and background colour; run before every report is shown.
void applyOutputFormat(HWND pane);
// 1 when the control accepted the character format; 0 after the failure message.
int setOutputCharFormat(HWND pane);
// Shows a report text (null or empty: an empty pane), raising the text limit to its length + 65536.
void showReportText(const char* text);
// showReportText in steps, so that a long text can go in over several messages with the user interface
// answering in between: beginReportText returns the byte of text from which the pane still needs it (the
// pane is emptied first unless it shows the text's beginning unchanged); appendReportPiece then adds the
// rest in order. Emptying costs next to nothing however much the pane held: a pane with more than a little
// text is replaced by a new control (appState().windows.outputPane changes).
std::size_t beginReportText(const char* text, std::size_t length);
void appendReportPiece(const char* piece, std::size_t length);
// Shows a monitoring pass: the report from byte start on is text (length bytes). When the pane still shows
// the report as last published, up to a point within text, only the rest is added; otherwise the whole
// report is shown (taken under the capture lock). So a pass costs what it added, however long the report.
// With the caret at the end (where the first pass leaves it) the pane follows: the caret stays at the end
// and the view scrolls to the latest pass.
void showReportFrom(std::size_t start, const char* text, std::size_t length);
// Scrolls the pane so that report line `line` is the first visible line, and focuses it.
void scrollOutputToLine(int line);
// Writes the pane's whole text to the file; 1 on success. The text goes into a new file beside it that
// replaces it only when completely written (app/file_replace.h); on any failure the error box is shown, the
// old file stays as it was and the result is 0.
int saveOutputToFile(const char* fileName);

} // namespace vantor
