// The output pane: creation and look, the subclass procedure with the right-button edit menu and the edit
// commands, the jump to a report line for the section buttons, showing a report and saving the text.
// Threads: the user-interface thread, and the two pane threads that own the controls (their window
// procedure, their keys, their destruction once replaced).
#include "app/panes/output_pane.h"

#include <richedit.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "app/app_globals.h"
#include "app/commands.h"
#include "app/file_replace.h"
#include "app/resource.h"
#include "platform/win32/scoped_win.h"
#include "app/settings.h"
#include "app/panes/pane_rules.h"
#include "capture/capture_lock.h"
#include "app/capture_thread.h"
#include "triggers/capture_commands.h"

namespace vantor {

namespace {

// Posted to a replaced pane: it destroys itself (retirePane).
constexpr UINT kRetirePane = WM_APP + 0x50;
// Sent to a pane: its thread runs the PaneCall at lParam (runOnPane).
constexpr UINT kRunOnPane = WM_APP + 0x52;
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
    const ScopedMenu menu(CreatePopupMenu());
    for (const EditMenuEntry& e : kEditMenu) {
        if (e.text == nullptr) {
            AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuA(menu.get(), MF_STRING, static_cast<UINT_PTR>(e.command), e.text);
        }
    }
    TrackPopupMenu(menu.get(), TPM_CENTERALIGN, p.x, p.y, 0, pane, nullptr);
}

// A sequence of messages to a pane that must not be seen half done (a text inserted in pieces with the caret
// moved for each, the head of a monitoring report cut off) runs on the pane's own thread as one message: that
// thread then serves nothing else in between, neither the user's keys and paints nor another program reading
// the pane. The calls waiting to run are registered, so that the pane runs only calls of this program's
// making, whatever another process sends it.
struct PaneCall {
    void (*run)(void* context);
    void* context;
};

// The registry of waiting calls (AppState's, under its lock).
class PaneCalls {
  public:
    void add(const PaneCall* call) {
        std::lock_guard<std::mutex> hold(appState().paneCallsLock);
        appState().paneCallsWaiting.push_back(call);
    }
    void remove(const PaneCall* call) {
        std::lock_guard<std::mutex> hold(appState().paneCallsLock);
        std::vector<const void*>& waiting = appState().paneCallsWaiting;
        waiting.erase(std::remove(waiting.begin(), waiting.end(), call), waiting.end());
    }
    bool registered(const PaneCall* call) {
        std::lock_guard<std::mutex> hold(appState().paneCallsLock);
        const std::vector<const void*>& waiting = appState().paneCallsWaiting;
        return std::find(waiting.begin(), waiting.end(), call) != waiting.end();
    }
};

PaneCalls paneCalls() {
    return PaneCalls{};
}

template <class F> void runOnPane(HWND pane, F&& f) {
    if (GetWindowThreadProcessId(pane, nullptr) == GetCurrentThreadId()) {
        f();
        return;
    }
    using Fn = std::remove_reference_t<F>;
    const PaneCall call{[](void* context) { (*static_cast<Fn*>(context))(); }, &f};
    paneCalls().add(&call);
    SendMessageA(pane, kRunOnPane, 0, reinterpret_cast<LPARAM>(&call));
    paneCalls().remove(&call);
}

void runPaneCall(LPARAM lParam) {
    const PaneCall* call = reinterpret_cast<const PaneCall*>(lParam);
    if (paneCalls().registered(call)) call->run(call->context);
}

// Only a control retirePane has taken out of the pane's place (id 0) destroys itself: the message may come
// from another program as well.
void retireNow(HWND pane) {
    if (GetDlgCtrlID(pane) == 0) DestroyWindow(pane);
}

LRESULT CALLBACK outputPaneProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_RBUTTONUP: showEditMenu(pane); return 1;
    case kRetirePane: retireNow(pane); return 0;
    case kRunOnPane: runPaneCall(lParam); return 0;
    case WM_COMMAND:
        if (runEditCommand(pane, wParam)) return 1;
        break;
    default: break;
    }
    return CallWindowProcA(appState().originalOutputProc.load(), pane, message, wParam, lParam);
}

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
void appendTailTo(HWND pane, const char* tail, bool follow) {
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

void appendTail(const char* tail, bool follow) {
    HWND pane = appState().windows.outputPane;
    runOnPane(pane, [&] { appendTailTo(pane, tail, follow); });
}

// Wine's rich edit takes time growing with the square of the text it deletes (a 100 KB pane took 6 s to
// empty with WM_SETTEXT, and deleting from the end in pieces still about 1 s), while destroying the control
// took 25 ms. A pane holding more than a little text is therefore emptied by putting a new, empty control
// in its place: emptying then costs next to nothing, whatever the pane held. The old control is destroyed
// by its thread, after this returns (retirePane).
constexpr LRESULT kEmptyInPlaceChars = 4096; // emptied in place within about 10 ms

// Destroying a rich edit is one call that takes about 0.5 s per MB of text and cannot be split (deleting
// its text first costs far more), so it must not run on this thread. The controls therefore belong to pane
// threads (createPaneAt): the replaced control is taken out of the pane's place (id 0, so that the pane's
// id names the new control only), and its thread hides and destroys it.
HWND createPaneAt(const RECT& place);

void retirePane(HWND old) {
    SetWindowLongPtrA(old, GWLP_ID, 0);
    ShowWindowAsync(old, SW_HIDE); // by its own thread: this one does not wait for it
    PostMessageA(old, kRetirePane, 0, 0);
}

void emptyPane() {
    HWND old = appState().windows.outputPane;
    if (SendMessageW(old, WM_GETTEXTLENGTH, 0, 0) <= kEmptyInPlaceChars) {
        SetWindowTextA(old, "");
        return;
    }
    // Made in the old control's place: moving it there afterwards held this thread for 25 to 80 ms.
    RECT r{};
    GetWindowRect(old, &r);
    MapWindowPoints(nullptr, appState().windows.rightPane, reinterpret_cast<POINT*>(&r), 2);
    HWND fresh = createPaneAt(r);
    if (fresh == nullptr) {
        SetWindowTextA(old, "");
        return;
    }
    const bool focused = GetFocus() == old;
    appState().windows.outputPane = fresh;
    if (focused) SetFocus(fresh);
    retirePane(old);
}

// Deletes the pane's first `chars` characters (`lines` lines), keeping the selection and the view on the
// text that remains.
void cutPaneHead(HWND pane, LONG chars, LRESULT lines) {
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
}

// Drops the head of a monitoring report from the pane, whole lines, so that it keeps about
// kMonitorPaneLimit bytes and at least the newest pass (its last `newest` bytes); the user's selection and
// view stay on the text that remains.
void trimMonitorPane(std::size_t newest) {
    const std::size_t cut =
        paneKeepFrom(appState().shownReport.data(), appState().shownReport.size(), newest, kMonitorPaneLimit);
    if (cut == 0) return;
    HWND pane = appState().windows.outputPane;
    const LONG chars = paneCharCount(appState().shownReport.data(), cut);
    const LRESULT lines =
        std::count(appState().shownReport.begin(), appState().shownReport.begin() + cut, '\n');
    runOnPane(pane, [&] { cutPaneHead(pane, chars, lines); });
    appState().shownReport.erase(0, cut);
    appState().shownFrom += cut;
}

// The report as the pane would show it without trimMonitorPane, while the pane still shows the report's
// part from appState().shownFrom on unchanged; false otherwise (then the pane's own text is what counts).
bool untrimmedReport(std::string* out) {
    if (appState().shownFrom == 0 || SendMessageA(appState().windows.outputPane, EM_GETMODIFY, 0, 0) != 0)
        return false;
    CaptureLock hold(captureController().shown());
    const ReportBuffer& report = hold.report();
    const std::size_t end = appState().shownFrom + appState().shownReport.size();
    if (report.text == nullptr || report.length() < end ||
        std::memcmp(report.text + appState().shownFrom, appState().shownReport.data(),
                    appState().shownReport.size()) != 0)
        return false;
    out->assign(report.text, end);
    return true;
}

// Empties the pane for a text of `length` bytes (none: the limit stays) that begins at the report's byte
// `from`.
void resetPane(std::size_t length, std::size_t from) {
    emptyPane();
    applyOutputFormat(appState().windows.outputPane);
    if (length > 0) SendMessageA(appState().windows.outputPane, EM_LIMITTEXT, length + kTextLimitMargin, 0);
    appState().shownReport.clear();
    appState().shownFrom = from;
}

// The pane shows `length` bytes of text, the report's part from its byte `from` on, in place of what it held;
// with caretToEnd the caret and the view go to the end. Filled as one call of the pane's thread.
void showReportPart(const char* text, std::size_t length, std::size_t from, bool caretToEnd) {
    emptyPane();
    HWND pane = appState().windows.outputPane;
    runOnPane(pane, [&] {
        applyOutputFormat(pane);
        if (length > 0) {
            SendMessageA(pane, EM_LIMITTEXT, length + kTextLimitMargin, 0);
            appendTailTo(pane, text, false);
        }
        SendMessageA(pane, EM_SETMODIFY, FALSE, 0);
        if (caretToEnd) {
            CHARRANGE end{0x7FFFFFFF, 0x7FFFFFFF};
            SendMessageA(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
            SendMessageA(pane, EM_SCROLLCARET, 0, 0);
        }
    });
    appState().shownReport.assign(text != nullptr ? text : "", length);
    appState().shownFrom = from;
}

} // namespace

namespace {

HWND makePaneControl(HWND parent, const RECT& place) {
    HWND pane = CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit", "",
                                WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                    ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                                place.left, place.top, place.right - place.left, place.bottom - place.top,
                                parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_OUTPUT_PANE)),
                                appState().instance, nullptr);
    if (pane == nullptr) return nullptr;
    applyOutputFormat(pane);
    // Link notifications, so that a Ctrl-click on a detected address can open it (app/main_window.cpp).
    SendMessageA(pane, EM_SETEVENTMASK, 0, SendMessageA(pane, EM_GETEVENTMASK, 0, 0) | ENM_LINK);
    appState().originalOutputProc.store(reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(pane, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(outputPaneProc))));
    return pane;
}

struct PaneStart {
    HWND parent;
    RECT place; // in the parent's client coordinates
    HANDLE ready;
    HWND pane; // the control made, or null
};

// Posted to a pane thread (no window): make a control as the PaneStart at lParam says.
constexpr UINT kMakePane = WM_APP + 0x51;

// A pane thread: makes controls when asked and serves their messages, for as long as the program runs (with
// a thread per control that ended with it, no control could copy to the clipboard once the first such
// thread had ended: the copy apparently goes through a window of the thread that copied first). Keys pressed
// in a pane come to this thread, so the main window's accelerators are translated here as well, for the main
// window (as the main loop does for its own windows).
DWORD WINAPI paneThread(void* param) {
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // the message queue, before anything is posted to it
    SetEvent(static_cast<HANDLE>(param));
    HACCEL keys = LoadAcceleratorsA(appState().instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == kMakePane) {
            PaneStart* start = reinterpret_cast<PaneStart*>(msg.lParam);
            start->pane = makePaneControl(start->parent, start->place);
            SetEvent(start->ready); // start is the creator's, and gone from here on
            continue;
        }
        HWND main = msg.hwnd != nullptr ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (keys != nullptr && main != nullptr && TranslateAcceleratorA(main, keys, &msg) != 0) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

// Waits for event, serving the messages sent to this thread meanwhile (a control's creation sends messages
// to its parent, a window of this thread).
void waitServingSent(HANDLE event) {
    while (MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

DWORD paneThreadId(int index) {
    if (appState().paneThreads[index] == 0) {
        ScopedHandle started(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        if (!started) return 0;
        DWORD id = 0;
        ScopedHandle thread(CreateThread(nullptr, 0, paneThread, started.get(), 0, &id));
        if (!thread) return 0;
        WaitForSingleObject(started.get(), INFINITE);
        appState().paneThreads[index] = id;
    }
    return appState().paneThreads[index];
}

HWND createPaneAt(const RECT& place) {
    LoadLibraryA("RICHED32.DLL");
    const DWORD thread = paneThreadId(appState().nextPaneThread);
    if (thread == 0) return nullptr;
    PaneStart start{appState().windows.rightPane, place, CreateEventA(nullptr, TRUE, FALSE, nullptr),
                    nullptr};
    ScopedHandle ready(start.ready);
    if (!ready || !PostThreadMessageA(thread, kMakePane, 0, reinterpret_cast<LPARAM>(&start))) return nullptr;
    waitServingSent(start.ready);
    appState().nextPaneThread = 1 - appState().nextPaneThread;
    return start.pane;
}

} // namespace

HWND createOutputPane() {
    return createPaneAt(RECT{0, 0, 0, 0});
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
    if (appState().windows.outputPane == nullptr) return length;
    applyOutputFormat(appState().windows.outputPane);
    if (text == nullptr || length == 0) {
        showReportPart(nullptr, 0, 0, false);
        return 0;
    }
    // While monitoring, a refresh in the middle of a pass (a long list view, an added menu) is a publication
    // of the pass like any other: it keeps the pane to the report's last part.
    if (captureController().monitoring && length >= appState().shownFrom) {
        showReportFrom(appState().shownFrom, text + appState().shownFrom, length - appState().shownFrom);
        return length;
    }
    SendMessageA(appState().windows.outputPane, EM_LIMITTEXT, length + kTextLimitMargin, 0);
    // While a capture runs the report only grows and is shown again and again: when the pane still holds
    // the last report unchanged, only the new tail is added, so that showing a growing report costs its
    // growth and not its whole length each time.
    const bool unchanged = SendMessageA(appState().windows.outputPane, EM_GETMODIFY, 0, 0) == 0;
    if (unchanged && appState().shownFrom == 0 && !appState().shownReport.empty() &&
        length >= appState().shownReport.size() &&
        std::memcmp(text, appState().shownReport.data(), appState().shownReport.size()) == 0) {
        return appState().shownReport.size();
    }
    // A new text goes in the same way, in pieces, into the emptied pane.
    resetPane(length, 0);
    return 0;
}

void appendReportPiece(const char* piece, std::size_t length) {
    if (appState().windows.outputPane == nullptr || length == 0) return;
    const std::string text(piece, length);
    appendTail(text.c_str(), false);
    SendMessageA(appState().windows.outputPane, EM_SETMODIFY, FALSE, 0);
    appState().shownReport.append(piece, length);
}

void showReportText(const char* text) {
    const std::size_t length = text != nullptr ? std::strlen(text) : 0;
    const std::size_t from = beginReportText(text, length);
    if (from < length) appendReportPiece(text + from, length - from);
}

void showReportFrom(std::size_t start, const char* text, std::size_t length) {
    if (appState().windows.outputPane == nullptr) return;
    const bool unchanged = SendMessageA(appState().windows.outputPane, EM_GETMODIFY, 0, 0) == 0;
    const long long offset =
        unchanged && start >= appState().shownFrom
            ? tailAppendOffset(appState().shownReport.data(), appState().shownReport.size(),
                               start - appState().shownFrom, text, length)
            : -1;
    if (offset < 0) {
        // The pane holds something else (an edit by the user, another report): the report's last part.
        const std::string whole = reportSnapshot(captureController().shown());
        const std::size_t newest = whole.size() > start ? whole.size() - start : 0;
        const std::size_t from = paneKeepFrom(whole.data(), whole.size(), newest, kMonitorPaneLimit);
        // The caret at the end: the pane follows the passes after this one.
        showReportPart(whole.c_str() + from, whole.size() - from, from, true);
        return;
    }
    const std::size_t from = static_cast<std::size_t>(offset);
    if (from == length) return; // nothing new
    // The pass's text and the cut of the pane's head as one call of the pane's thread: the view never shows
    // the pane in between.
    HWND pane = appState().windows.outputPane;
    runOnPane(pane, [&] {
        // Raised by what is added only, so that the limit never stops the pane short of the report.
        const LRESULT limit = SendMessageA(pane, EM_GETLIMITTEXT, 0, 0);
        const std::size_t needed = start + length + kTextLimitMargin;
        if (limit >= 0 && static_cast<std::size_t>(limit) < needed)
            SendMessageA(pane, EM_LIMITTEXT, needed, 0);
        if (appState().shownReport.empty()) applyOutputFormat(pane);
        appendTail(text + from, true);
        appState().shownReport.append(text + from, length - from);
        trimMonitorPane(length - from);
        SendMessageA(pane, EM_SETMODIFY, FALSE, 0);
    });
}

void scrollOutputToLine(int line) {
    const LRESULT start = SendMessageA(appState().windows.outputPane, EM_LINEINDEX, line, 0);
    SendMessageA(appState().windows.outputPane, EM_SETSEL, start, start);
    SendMessageA(appState().windows.outputPane, EM_SCROLLCARET, 0, 0);
    const LRESULT first = SendMessageA(appState().windows.outputPane, EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageA(appState().windows.outputPane, EM_LINESCROLL, 0, line - first);
    SetFocus(appState().windows.outputPane);
}

int saveOutputToFile(const char* fileName) {
    if (fileName == nullptr || fileName[0] == '\0') return 0;
    // The length in bytes: GetWindowTextLengthA may count a double-byte character once (Wine's rich edit
    // does), so the buffer is sized by the larger of it and the byte count of the whole text.
    GETTEXTLENGTHEX bytesQuery{GTL_NUMBYTES | GTL_USECRLF, CP_ACP};
    const LRESULT bytes = SendMessageA(appState().windows.outputPane, EM_GETTEXTLENGTHEX,
                                       reinterpret_cast<WPARAM>(&bytesQuery), 0);
    const LRESULT chars = GetWindowTextLengthA(appState().windows.outputPane);
    // A monitoring report the pane shows only the last part of is written whole.
    std::string report;
    const bool whole = untrimmedReport(&report);
    const size_t capacity = whole ? 1 : static_cast<size_t>(bytes > chars ? bytes : chars) + 1;
    std::vector<char> text(capacity, '\0');
    if (!whole) GetWindowTextA(appState().windows.outputPane, text.data(), static_cast<int>(capacity));
    const size_t length = whole ? report.size() : std::strlen(text.data());
    // Written beside the file and swapped in only when complete: a failed write (a full disk, a network
    // drive) leaves the old file as it was and is reported, never a cut file reported as saved.
    if (!replaceFileContents(fileName, whole ? report.data() : text.data(), length)) {
        MessageBoxA(GetFocus(), kSaveFailed, "Error", MB_OK);
        return 0;
    }
    // Text the user changed is no longer the report last shown: the next publication replaces it whole.
    if (SendMessageA(appState().windows.outputPane, EM_GETMODIFY, 0, 0) != 0) {
        appState().shownReport.clear();
        appState().shownFrom = 0;
    }
    SendMessageA(appState().windows.outputPane, EM_SETMODIFY, 0, 0);
    SendMessageA(appState().windows.outputPane, EM_LIMITTEXT, length + kTextLimitMargin, 0);
    return 1;
}

} // namespace vantor
