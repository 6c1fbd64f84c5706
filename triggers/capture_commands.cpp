// The capture commands without the window system: cancel protocol, window capture body, hot-key captures
// and the clipboard block. Threads: as declared in triggers/capture_commands.h; the report is touched only
// under the capture lock, and no lock is held across a window message or a user-interface call.
#include "triggers/capture_commands.h"

#include <cstring>
#include <string>
#include <vector>

#include "capture/bar_readers.h"
#include "capture/capture_lock.h"
#include "capture/capture_state.h"
#include "capture/capture_ui.h"
#include "inventory/classify.h"
#include "capture/dispatcher.h"
#include "capture/list_view_reader.h"
#include "capture/report_buffer.h"
#include "capture/structure_report.h"
#include "platform/wire.h"

namespace vantor {

std::atomic<Hwnd> currentTarget{Hwnd{}};

const char kStopQuestion[] = "まだ解析中ですが解析を停止しますか？";
const char kWindowGoneText[] = "このウインドウは既に存在しません．\r\nウインドウリストを更新しました．";
const char kNullWindowText[] = "null window";

namespace {

constexpr unsigned kStopWaitStepMs = 100;
constexpr int kNameBuffer = 256;

} // namespace

void clearReport() {
    CaptureLock hold;
    hold.report().clear();
}

void appendToReport(const char* text) {
    CaptureLock hold;
    hold.report().append(text, std::strlen(text));
}

void takeListSeparator(CommandHost& host) {
    const std::string separator = host.listSeparator();
    CaptureLock hold;
    hold.setListSeparator(separator.c_str());
}

CancelOutcome askStopRunningCapture(Hwnd named, CommandHost& host) {
    if (!captureRunning.load()) return CancelOutcome::NotRunning;
    char title[kNameBuffer] = "", className[kNameBuffer] = "";
    ws().windowText(named, title, sizeof title);
    ws().className(named, className, sizeof className);
    std::string caption = std::string(title) + " [" + className + "]";
    if (sys().messageBox(host.focusWindow(), kStopQuestion, caption.c_str(), kMbYesNo) != kIdYes) {
        return CancelOutcome::Declined;
    }
    stopRequested.store(true);
    // The worker may be sending messages to this thread's windows right now: the wait keeps serving them,
    // otherwise the worker could never reach its next stop check.
    while (captureRunning.load())
        host.waitServingMessages(kStopWaitStepMs);
    stopRequested.store(false);
    return CancelOutcome::Stopped;
}

bool stopCaptureForExit(CommandHost& host, unsigned maxMs) {
    if (!captureRunning.load()) return true;
    stopRequested.store(true);
    for (unsigned waited = 0; captureRunning.load() && waited < maxMs; waited += kStopWaitStepMs)
        host.waitServingMessages(kStopWaitStepMs);
    return !captureRunning.load();
}

bool updateWindowInfo(Hwnd window, CommandHost& host) {
    if (!mayGoOn(askStopRunningCapture(currentTarget.load(), host))) return false;
    host.resetPaneSelection();
    takeListSeparator(host);
    // Marked running before the thread starts, so that a second command in between cannot start a second
    // worker; the worker keeps it set until it ends.
    captureRunning.store(true);
    if (!host.startCaptureThread(window)) {
        captureRunning.store(false);
        return false;
    }
    return true;
}

void runWindowCapture(Hwnd window, CommandHost& host, CaptureSession* session) {
    RunningFlag running;
    if (isNull(window)) return;
    currentTarget.store(window);
    captureUi().clearSectionButtons();
    clearReport();
    if (!ws().isWindow(window)) {
        appendToReport(kWindowGoneText);
        showReportInPane();
        host.requestWindowListRefresh();
        return;
    }
    writeStructureReport(window, nullptr);
    if (session != nullptr) readOutline(window, &session->outline);
    if (stopRequested.load()) return;
    captureUi().addSectionButton("Window", 0);
    showReportInPane();
    captureWindow(window, true, session);
    if (stopRequested.load()) return;
    showReportInPane();
    running.release();
    host.bringMainWindowToFront();
}

void captureUnderCursorOf(Hwnd window, CommandHost& host) {
    if (!mayGoOn(askStopRunningCapture(window, host))) return;
    takeListSeparator(host);
    host.resetPaneSelection();
    switch (classifyWindow(window)) {
    case ControlKind::ListView: captureListViewToClipboard(window, host); break;
    case ControlKind::TreeView: {
        std::intptr_t item = 0;
        if (!ws().sendMessage(window, wire::TVM_GETNEXTITEM, wire::TVGN_CARET, 0, &item)) return;
        std::string text;
        // No exchange could be made: the clipboard keeps what it had.
        if (!readTreeItemText(window, static_cast<std::uintptr_t>(item), &text)) return;
        copyToClipboard(text.c_str(), text.size(), host);
        break;
    }
    default: break;
    }
}

void captureListViewToClipboard(Hwnd listView, CommandHost& host) {
    clearReport();
    if (!ws().isWindow(listView)) {
        appendToReport(kNullWindowText);
        showReportInPane();
        return;
    }
    RunningFlag running;
    readListViewRows(listView, true);
    showReportInPane();
    std::string text;
    {
        CaptureLock hold;
        if (hold.report().text != nullptr) text.assign(hold.report().text, hold.report().length());
    }
    // A report without text (nothing read) still replaces the clipboard, with an empty text.
    copyToClipboard(text.c_str(), text.size(), host);
}

std::size_t clipboardBlockSize(std::size_t length) {
    return length + 1;
}

void fillClipboardBlock(char* block, const char* text, std::size_t length) {
    if (length > 0) std::memcpy(block, text, length);
    block[length] = '\0';
}

bool copyToClipboard(const char* text, std::size_t length, CommandHost& host) {
    std::vector<char> block(clipboardBlockSize(length));
    fillClipboardBlock(block.data(), text, length);
    return host.placeOnClipboard(block.data(), block.size());
}

} // namespace vantor
