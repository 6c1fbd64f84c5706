// The output pane: creation and look, the subclass procedure with the right-button edit menu and the edit
// commands, the jump to a report line for the section buttons, showing a report and saving the text.
// Threads: the user-interface thread only.
#include "app/panes/output_pane.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "app/app_globals.h"
#include "app/commands.h"
#include "app/file_replace.h"
#include "app/resource.h"
#include "app/settings.h"
#include "app/panes/pane_rules.h"
#include "app/panes/split_pane.h"
#include "capture/capture_lock.h"
#include "app/capture_thread.h"
#include "triggers/capture_commands.h"

namespace vantor {

namespace {

WNDPROC originalOutputProc = nullptr;
constexpr COLORREF kBackground = RGB(230, 230, 220);
constexpr WPARAM kTextLimitMargin = 65536;

const char kFormatFailed[] = "EM_SETCHARFORMAT失敗です";
const char kSaveFailed[] = "ファイル保存できませんでした．";

void selectAll(HWND pane) {
    GETTEXTLENGTHEX request{GTL_USECRLF, 0};
    const LRESULT length = SendMessageA(pane, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&request), 0);
    SendMessageA(pane, EM_SETSEL, 0, length);
}

bool runEditCommand(HWND pane, WPARAM wParam) {
    switch (editAction(wParam)) {
    case EditAction::Copy: SendMessageA(pane, WM_COPY, 0, 0); break;
    case EditAction::Paste: SendMessageA(pane, WM_PASTE, 0, 0); break;
    case EditAction::Cut: SendMessageA(pane, WM_CUT, 0, 0); break;
    case EditAction::Undo: SendMessageA(pane, EM_UNDO, 0, 0); break;
    case EditAction::SelectAll: selectAll(pane); break;
    case EditAction::Delete: SendMessageA(pane, WM_CLEAR, 0, 0); break;
    case EditAction::Redo: SendMessageA(pane, EM_REDO, 0, 0); break;
    case EditAction::None: return false;
    }
    SendMessageA(pane, EM_SCROLLCARET, 0, 0);
    return true;
}

void showEditMenu(HWND pane) {
    POINT p;
    GetCursorPos(&p);
    HMENU menu = CreatePopupMenu();
    for (const EditMenuEntry& e : kEditMenu) {
        if (e.text == nullptr) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(e.command), e.text);
        }
    }
    TrackPopupMenu(menu, TPM_CENTERALIGN, p.x, p.y, 0, pane, nullptr);
    DestroyMenu(menu);
}

LRESULT CALLBACK outputPaneProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_RBUTTONUP: showEditMenu(pane); return 1;
    case WM_COMMAND:
        if (runEditCommand(pane, wParam)) return 1;
        break;
    default: break;
    }
    return CallWindowProcA(originalOutputProc, pane, message, wParam, lParam);
}

// The text the last publication put into the pane, and the report's byte it begins at (above 0 once
// monitoring has dropped the pane's head, see trimMonitorPane).
std::string shownReport;
std::size_t shownFrom = 0;

// The pane's character format, from the settings.
CHARFORMATA outputCharFormat() {
    CHARFORMATA format;
    std::memset(&format, 0, sizeof format);
    format.cbSize = sizeof format;
    format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_SIZE | CFM_COLOR | CFM_FACE |
                    CFM_OFFSET | CFM_CHARSET;
    format.dwEffects = 0;
    format.yHeight = settings.editFontHeight * 10;
    format.yOffset = 0;
    format.crTextColor = 0;
    format.bCharSet = SHIFTJIS_CHARSET;
    format.bPitchAndFamily = 0;
    // A longer face name from the settings file is cut to the field (31 characters).
    lstrcpynA(format.szFaceName, settings.editFontFace, LF_FACESIZE);
    return format;
}

// Wine's rich edit spends time growing with the square of the text one insertion adds: 140 KB in one
// EM_REPLACESEL (or WM_SETTEXT) took 26 s, while 775 KB went in in 1.0 s as pieces of 1 KB. Texts therefore
// go in in pieces of about this size (reportPieceEnd).
constexpr std::size_t kInsertPiece = 1024;

void insertInPieces(HWND pane, const char* text) {
    const std::size_t length = std::strlen(text);
    CHARFORMATA format = outputCharFormat();
    std::string piece;
    for (std::size_t at = 0; at < length;) {
        const std::size_t end = reportPieceEnd(text, at, length, kInsertPiece);
        piece.assign(text + at, end - at);
        CHARRANGE atEnd{0x7FFFFFFF, 0x7FFFFFFF}; // beyond the end: the pane puts it at the end
        SendMessageA(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&atEnd));
        // After a line break the caret stands in the last paragraph, whose mark keeps the control's default
        // font: each piece is given the pane's format, or every piece after the first shows in that font.
        SendMessageA(pane, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        SendMessageA(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
        at = end;
    }
}

// True when the caret is at the end of the pane's text with nothing selected: the pane then follows what
// is added.
bool caretAtEnd(HWND pane, const CHARRANGE& selection) {
    GETTEXTLENGTHEX request{GTL_DEFAULT, 1200}; // characters, as the selection counts them
    const LRESULT length = SendMessageA(pane, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&request), 0);
    return selection.cpMin == selection.cpMax && selection.cpMax >= length;
}

// Adds text at the end of the pane, keeping the user's selection and the view where they were; with follow
// set and the caret at the end, the caret stays at the new end and the view scrolls to it.
void appendTail(const char* tail, bool follow) {
    HWND pane = appWindows.outputPane;
    CHARRANGE selection{};
    SendMessageA(pane, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const bool toEnd = follow && caretAtEnd(pane, selection);
    const LRESULT firstLine = SendMessageA(pane, EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageA(pane, WM_SETREDRAW, FALSE, 0);
    insertInPieces(pane, tail);
    if (toEnd) {
        CHARRANGE end{0x7FFFFFFF, 0x7FFFFFFF}; // beyond the end: the caret goes to the end
        SendMessageA(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
        SendMessageA(pane, WM_SETREDRAW, TRUE, 0);
        SendMessageA(pane, EM_SCROLLCARET, 0, 0);
    } else {
        SendMessageA(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
        const LRESULT nowFirst = SendMessageA(pane, EM_GETFIRSTVISIBLELINE, 0, 0);
        SendMessageA(pane, EM_LINESCROLL, 0, firstLine - nowFirst);
        SendMessageA(pane, WM_SETREDRAW, TRUE, 0);
    }
    InvalidateRect(pane, nullptr, TRUE);
}

// Wine's rich edit takes time growing with the square of the text it deletes (a 100 KB pane took 6 s to
// empty with WM_SETTEXT, and deleting from the end in pieces still about 1 s), while destroying the control
// took 25 ms. A pane holding more than a little text is therefore emptied by putting a new, empty control
// in its place: emptying then costs next to nothing, whatever the pane held.
constexpr LRESULT kEmptyInPlaceChars = 4096; // emptied in place within about 10 ms

void emptyPane() {
    HWND old = appWindows.outputPane;
    if (SendMessageW(old, WM_GETTEXTLENGTH, 0, 0) <= kEmptyInPlaceChars) {
        SetWindowTextA(old, "");
        return;
    }
    HWND fresh = createOutputPane();
    if (fresh == nullptr) {
        SetWindowTextA(old, "");
        return;
    }
    RECT r{};
    GetWindowRect(old, &r);
    MapWindowPoints(nullptr, appWindows.rightPane, reinterpret_cast<POINT*>(&r), 2);
    SetWindowPos(fresh, old, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
    const bool focused = GetFocus() == old;
    appWindows.outputPane = fresh;
    DestroyWindow(old);
    if (focused) SetFocus(fresh);
}

// Drops the head of a monitoring report from the pane, whole lines, so that it keeps about
// kMonitorPaneLimit bytes and at least the newest pass (its last `newest` bytes); the user's selection and
// view stay on the text that remains.
void trimMonitorPane(std::size_t newest) {
    const std::size_t cut = paneKeepFrom(shownReport.data(), shownReport.size(), newest, kMonitorPaneLimit);
    if (cut == 0) return;
    HWND pane = appWindows.outputPane;
    const LONG chars = paneCharCount(shownReport.data(), cut);
    const LRESULT lines = std::count(shownReport.begin(), shownReport.begin() + cut, '\n');
    CHARRANGE selection{};
    SendMessageA(pane, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const LRESULT firstLine = SendMessageA(pane, EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageA(pane, WM_SETREDRAW, FALSE, 0);
    CHARRANGE head{0, chars};
    SendMessageA(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&head));
    SendMessageA(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
    selection.cpMin = selection.cpMin > chars ? selection.cpMin - chars : 0;
    selection.cpMax = selection.cpMax > chars ? selection.cpMax - chars : 0;
    SendMessageA(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const LRESULT nowFirst = SendMessageA(pane, EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageA(pane, EM_LINESCROLL, 0, (firstLine > lines ? firstLine - lines : 0) - nowFirst);
    SendMessageA(pane, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(pane, nullptr, TRUE);
    shownReport.erase(0, cut);
    shownFrom += cut;
}

// The report as the pane would show it without trimMonitorPane, while the pane still shows the report's
// part from shownFrom on unchanged; false otherwise (then the pane's own text is what counts).
bool untrimmedReport(std::string* out) {
    if (shownFrom == 0 || SendMessageA(appWindows.outputPane, EM_GETMODIFY, 0, 0) != 0) return false;
    CaptureLock hold(captureController().shown());
    const ReportBuffer& report = hold.report();
    const std::size_t end = shownFrom + shownReport.size();
    if (report.text == nullptr || report.length() < end ||
        std::memcmp(report.text + shownFrom, shownReport.data(), shownReport.size()) != 0)
        return false;
    out->assign(report.text, end);
    return true;
}

// The pane shows `length` bytes of text, the report's part from its byte `from` on, in place of what it held.
// Empties the pane for a text of `length` bytes (none: the limit stays) that begins at the report's byte
// `from`.
void resetPane(std::size_t length, std::size_t from) {
    emptyPane();
    applyOutputFormat(appWindows.outputPane);
    if (length > 0) SendMessageA(appWindows.outputPane, EM_LIMITTEXT, length + kTextLimitMargin, 0);
    shownReport.clear();
    shownFrom = from;
}

void showReportPart(const char* text, std::size_t length, std::size_t from) {
    resetPane(length, from);
    if (length > 0) {
        appendTail(text, false);
        shownReport.assign(text, length);
    }
    SendMessageA(appWindows.outputPane, EM_SETMODIFY, FALSE, 0);
}

} // namespace

HWND createOutputPane() {
    LoadLibraryA("RICHED32.DLL");
    HWND pane = CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit", "",
                                WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                    ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                                0, 0, 0, 0, appWindows.rightPane,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_OUTPUT_PANE)),
                                moduleInstance, nullptr);
    if (pane == nullptr) return nullptr;
    applyOutputFormat(pane);
    // Link notifications, so that a Ctrl-click on a detected address can open it (app/main_window.cpp).
    SendMessageA(pane, EM_SETEVENTMASK, 0, SendMessageA(pane, EM_GETEVENTMASK, 0, 0) | ENM_LINK);
    originalOutputProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(pane, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(outputPaneProc)));
    return pane;
}

void applyOutputFormat(HWND pane) {
    setOutputCharFormat(pane);
    // Switching detection on makes the pane scan its whole text for addresses again, even when it is on
    // already; a report shown again and again while it grows would pay that scan every time.
    if (SendMessageA(pane, EM_GETAUTOURLDETECT, 0, 0) == 0) SendMessageA(pane, EM_AUTOURLDETECT, 1, 0);
    SendMessageA(pane, EM_SETBKGNDCOLOR, 0, kBackground);
}

int setOutputCharFormat(HWND pane) {
    CHARFORMATA format = outputCharFormat();
    if (SendMessageA(pane, EM_SETCHARFORMAT, SCF_SELECTION | SCF_WORD, reinterpret_cast<LPARAM>(&format)) ==
        0) {
        MessageBoxA(pane, kFormatFailed, "Error", MB_OK);
        return 0;
    }
    return 1;
}

std::size_t beginReportText(const char* text, std::size_t length) {
    if (appWindows.outputPane == nullptr) return length;
    applyOutputFormat(appWindows.outputPane);
    if (text == nullptr || length == 0) {
        showReportPart(nullptr, 0, 0);
        return 0;
    }
    // While monitoring, a refresh in the middle of a pass (a long list view, an added menu) is a publication
    // of the pass like any other: it keeps the pane to the report's last part.
    if (captureController().monitoring && length >= shownFrom) {
        showReportFrom(shownFrom, text + shownFrom, length - shownFrom);
        return length;
    }
    SendMessageA(appWindows.outputPane, EM_LIMITTEXT, length + kTextLimitMargin, 0);
    // While a capture runs the report only grows and is shown again and again: when the pane still holds
    // the last report unchanged, only the new tail is added, so that showing a growing report costs its
    // growth and not its whole length each time.
    const bool unchanged = SendMessageA(appWindows.outputPane, EM_GETMODIFY, 0, 0) == 0;
    if (unchanged && shownFrom == 0 && !shownReport.empty() && length >= shownReport.size() &&
        std::memcmp(text, shownReport.data(), shownReport.size()) == 0) {
        return shownReport.size();
    }
    // A new text goes in the same way, in pieces, into the emptied pane.
    resetPane(length, 0);
    return 0;
}

void appendReportPiece(const char* piece, std::size_t length) {
    if (appWindows.outputPane == nullptr || length == 0) return;
    const std::string text(piece, length);
    appendTail(text.c_str(), false);
    SendMessageA(appWindows.outputPane, EM_SETMODIFY, FALSE, 0);
    shownReport.append(piece, length);
}

void showReportText(const char* text) {
    const std::size_t length = text != nullptr ? std::strlen(text) : 0;
    const std::size_t from = beginReportText(text, length);
    if (from < length) appendReportPiece(text + from, length - from);
}

void showReportFrom(std::size_t start, const char* text, std::size_t length) {
    if (appWindows.outputPane == nullptr) return;
    const bool unchanged = SendMessageA(appWindows.outputPane, EM_GETMODIFY, 0, 0) == 0;
    const long long offset =
        unchanged && start >= shownFrom
            ? tailAppendOffset(shownReport.data(), shownReport.size(), start - shownFrom, text, length)
            : -1;
    if (offset < 0) {
        // The pane holds something else (an edit by the user, another report): the report's last part.
        const std::string whole = reportSnapshot(captureController().shown());
        const std::size_t newest = whole.size() > start ? whole.size() - start : 0;
        const std::size_t from = paneKeepFrom(whole.data(), whole.size(), newest, kMonitorPaneLimit);
        showReportPart(whole.c_str() + from, whole.size() - from, from);
        // The caret at the end: the pane follows the passes after this one.
        CHARRANGE end{0x7FFFFFFF, 0x7FFFFFFF};
        SendMessageA(appWindows.outputPane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
        SendMessageA(appWindows.outputPane, EM_SCROLLCARET, 0, 0);
        return;
    }
    const std::size_t from = static_cast<std::size_t>(offset);
    if (from == length) return; // nothing new
    // Raised by what is added only, so that the limit never stops the pane short of the report.
    const LRESULT limit = SendMessageA(appWindows.outputPane, EM_GETLIMITTEXT, 0, 0);
    const std::size_t needed = start + length + kTextLimitMargin;
    if (limit >= 0 && static_cast<std::size_t>(limit) < needed)
        SendMessageA(appWindows.outputPane, EM_LIMITTEXT, needed, 0);
    if (shownReport.empty()) applyOutputFormat(appWindows.outputPane);
    appendTail(text + from, true);
    shownReport.append(text + from, length - from);
    trimMonitorPane(length - from);
    SendMessageA(appWindows.outputPane, EM_SETMODIFY, FALSE, 0);
}

void scrollOutputToLine(int line) {
    const LRESULT start = SendMessageA(appWindows.outputPane, EM_LINEINDEX, line, 0);
    SendMessageA(appWindows.outputPane, EM_SETSEL, start, start);
    SendMessageA(appWindows.outputPane, EM_SCROLLCARET, 0, 0);
    const LRESULT first = SendMessageA(appWindows.outputPane, EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageA(appWindows.outputPane, EM_LINESCROLL, 0, line - first);
    SetFocus(appWindows.outputPane);
}

int saveOutputToFile(const char* fileName) {
    if (fileName == nullptr || fileName[0] == '\0') return 0;
    // The length in bytes: GetWindowTextLengthA may count a double-byte character once (Wine's rich edit
    // does), so the buffer is sized by the larger of it and the byte count of the whole text.
    GETTEXTLENGTHEX bytesQuery{GTL_NUMBYTES | GTL_USECRLF, CP_ACP};
    const LRESULT bytes =
        SendMessageA(appWindows.outputPane, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&bytesQuery), 0);
    const LRESULT chars = GetWindowTextLengthA(appWindows.outputPane);
    // A monitoring report the pane shows only the last part of is written whole.
    std::string report;
    const bool whole = untrimmedReport(&report);
    const size_t capacity = whole ? 1 : static_cast<size_t>(bytes > chars ? bytes : chars) + 1;
    char* text = new char[capacity]();
    if (!whole) GetWindowTextA(appWindows.outputPane, text, static_cast<int>(capacity));
    const size_t length = whole ? report.size() : std::strlen(text);
    // Written beside the file and swapped in only when complete: a failed write (a full disk, a network
    // drive) leaves the old file as it was and is reported, never a cut file reported as saved.
    if (!replaceFileContents(fileName, whole ? report.data() : text, length)) {
        MessageBoxA(GetFocus(), kSaveFailed, "Error", MB_OK);
        delete[] text;
        return 0;
    }
    // Text the user changed is no longer the report last shown: the next publication replaces it whole.
    if (SendMessageA(appWindows.outputPane, EM_GETMODIFY, 0, 0) != 0) {
        shownReport.clear();
        shownFrom = 0;
    }
    SendMessageA(appWindows.outputPane, EM_SETMODIFY, 0, 0);
    SendMessageA(appWindows.outputPane, EM_LIMITTEXT, length + kTextLimitMargin, 0);
    delete[] text;
    return 1;
}

} // namespace vantor
