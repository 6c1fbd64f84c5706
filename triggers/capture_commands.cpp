// The capture commands without the window system: cancel protocol, window capture body, hot-key captures
// and the clipboard block. Threads: as declared in triggers/capture_commands.h; a session's report is
// touched only under its lock, and no lock is held across a window message or a user-interface call.
#include "triggers/capture_commands.h"

#include <cstring>
#include <string>
#include <vector>

#include "capture/bar_readers.h"
#include "capture/capture_lock.h"
#include "capture/capture_ui.h"
#include "capture/dispatcher.h"
#include "capture/list_view_reader.h"
#include "inventory/classify.h"
#include "capture/structure_report.h"
#include "platform/wire.h"

namespace vantor {

const char kStopQuestion[] = "まだ解析中ですが解析を停止しますか？";
const char kWindowGoneText[] = "このウインドウは既に存在しません．\r\nウインドウリストを更新しました．";
const char kNullWindowText[] = "null window";

namespace {

constexpr unsigned kStopWaitStepMs = 100;
constexpr int kNameBuffer = 256;

} // namespace

CaptureController::CaptureController() : shown_(std::make_shared<CaptureSession>()) {}

void CaptureController::setUi(CaptureUi* ui) {
    ui_ = ui;
    shown_->setUi(ui);
}

std::shared_ptr<CaptureSession> CaptureController::newSession(const std::string& separator,
                                                              ReadPathChoice path) {
    return std::make_shared<CaptureSession>(ui_, separator, path);
}

std::shared_ptr<CaptureSession> CaptureController::startSession(const std::string& separator) {
    running_ = newSession(separator, readPath);
    running_->begin();
    return running_;
}

void CaptureController::requestStop() {
    if (running_ != nullptr) running_->requestStop();
}

void CaptureController::show(std::shared_ptr<CaptureSession> session) {
    if (session != nullptr) shown_ = std::move(session);
}

void appendToReport(CaptureSession& session, const char* text) {
    CaptureLock hold(session);
    hold.report().append(text, std::strlen(text));
}

CancelOutcome askStopRunningCapture(Hwnd named, CommandHost& host) {
    CaptureController& controller = host.controller();
    if (!controller.captureRunning()) return CancelOutcome::NotRunning;
    char title[kNameBuffer] = "", className[kNameBuffer] = "";
    ws().windowText(named, title, sizeof title);
    ws().className(named, className, sizeof className);
    std::string caption = std::string(title) + " [" + className + "]";
    if (sys().messageBox(host.focusWindow(), kStopQuestion, caption.c_str(), kMbYesNo) != kIdYes) {
        return CancelOutcome::Declined;
    }
    controller.requestStop();
    // The worker may be sending messages to this thread's windows right now: the wait keeps serving them,
    // otherwise the worker could never reach its next stop check.
    while (controller.captureRunning())
        host.waitServingMessages(kStopWaitStepMs);
    return CancelOutcome::Stopped;
}

bool stopCaptureForExit(CommandHost& host, unsigned maxMs) {
    CaptureController& controller = host.controller();
    if (!controller.captureRunning()) return true;
    controller.requestStop();
    for (unsigned waited = 0; controller.captureRunning() && waited < maxMs; waited += kStopWaitStepMs)
        host.waitServingMessages(kStopWaitStepMs);
    return !controller.captureRunning();
}

bool updateWindowInfo(Hwnd window, CommandHost& host) {
    CaptureController& controller = host.controller();
    if (!mayGoOn(askStopRunningCapture(controller.currentTarget, host))) return false;
    host.resetPaneSelection();
    // Marked running before the thread starts, so that a second command in between cannot start a second
    // worker; the worker ends it on its way out.
    std::shared_ptr<CaptureSession> session = controller.startSession(host.listSeparator());
    if (!isNull(window)) {
        controller.currentTarget = window;
        controller.show(session);
    }
    if (!host.startCaptureThread(window, session)) {
        session->end();
        return false;
    }
    return true;
}

void runWindowCapture(Hwnd window, CommandHost& host, CaptureSession& session) {
    SessionRun running(session, session.running());
    if (isNull(window)) return;
    session.ui().clearSectionButtons();
    if (!ws().isWindow(window)) {
        appendToReport(session, kWindowGoneText);
        session.showProgress();
        host.requestWindowListRefresh();
        return;
    }
    writeStructureReport(session, window, nullptr);
    if (session.keepModels) readOutline(window, &session.outline);
    if (session.stopRequested()) return;
    session.ui().addSectionButton("Window", 0);
    session.showProgress();
    captureWindow(session, window, true);
    if (session.stopRequested()) return;
    session.showProgress();
    running.release();
    host.bringMainWindowToFront();
}

void captureUnderCursorOf(Hwnd window, CommandHost& host) {
    if (!mayGoOn(askStopRunningCapture(window, host))) return;
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
    CaptureController& controller = host.controller();
    std::shared_ptr<CaptureSession> session = controller.startSession(host.listSeparator());
    SessionRun running(*session, true);
    controller.show(session);
    if (!ws().isWindow(listView)) {
        appendToReport(*session, kNullWindowText);
        session->showProgress();
        return;
    }
    readListViewRows(*session, listView, true);
    session->showProgress();
    const std::string text = reportSnapshot(*session);
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
