// The engine's CaptureUi answered by the application: every call becomes one synchronous message to the
// main window, so the toolbar and the output pane are only ever touched by the user-interface thread.
// Threads: the interface is called from a capture worker or the user-interface thread; the requests run on
// the user-interface thread (mainWindowProc -> runCaptureUiRequest).
#include "capture/capture_ui.h"

#include <cstring>

#include "app/app_globals.h"
#include "app/main_window.h"
#include "app/capture_thread.h"
#include "triggers/capture_commands.h"
#include "app/capture_timing.h"
#include "app/panes/output_pane.h"
#include "app/panes/pane_rules.h"
#include "app/panes/section_toolbar.h"

namespace vantor {

namespace {

enum class RequestKind { AddButton, ClearButtons, BeginReport, AppendReport, ShowMainWindow };

struct Request {
    RequestKind kind;
    const char* text; // button label, report text or piece
    int line;
    std::size_t length; // of the report text or piece
};

LRESULT sendRequest(Request request) {
    return SendMessageA(appState().windows.main, kCaptureUiMessage, 0, reinterpret_cast<LPARAM>(&request));
}

// A report goes into the pane in messages of about this many bytes: appending 1 KB took about 1.3 ms here,
// so between two pieces the user-interface thread answers other messages within some 30 ms.
constexpr std::size_t kReportMessageBytes = 16 * 1024;

// Shows a report: the pane first empties itself or keeps the part it already shows, then the rest goes in
// piece by piece, each a message of its own.
void sendReport(const char* text) {
    const std::size_t length = text != nullptr ? std::strlen(text) : 0;
    std::size_t at = static_cast<std::size_t>(sendRequest({RequestKind::BeginReport, text, 0, length}));
    while (at < length) {
        const std::size_t end = reportPieceEnd(text, at, length, kReportMessageBytes);
        sendRequest({RequestKind::AppendReport, text + at, 0, end - at});
        at = end;
    }
}

class AppCaptureUi : public CaptureUi {
  public:
    void addSectionButton(const char* label, int line) override {
        sendRequest({RequestKind::AddButton, label, line, 0});
    }
    void clearSectionButtons() override { sendRequest({RequestKind::ClearButtons, nullptr, 0, 0}); }
    void showReport(const char* text) override {
        if (!captureTimingOn()) {
            sendReport(text);
            return;
        }
        // Timed from the worker's side: the wait for the user-interface thread to fill the pane.
        const long long start = captureTimingNow();
        sendReport(text);
        captureTimingAddReport(start, captureTimingNow());
    }
    void showMainWindow() override { sendRequest({RequestKind::ShowMainWindow, nullptr, 0, 0}); }
    Hwnd mainWindow() override { return fromNative(appState().windows.main); }
};

} // namespace

std::unique_ptr<CaptureUi> makeAppCaptureUi() {
    return std::make_unique<AppCaptureUi>();
}

void installAppCaptureUi() {
    commandHost().controller().setUi(appState().captureUi.get());
}

LRESULT runCaptureUiRequest(LPARAM lParam) {
    const Request* request = reinterpret_cast<const Request*>(lParam);
    switch (request->kind) {
    case RequestKind::AddButton: addSectionButton(request->text, request->line); break;
    case RequestKind::ClearButtons: clearSectionButtons(); break;
    case RequestKind::BeginReport:
        return static_cast<LRESULT>(beginReportText(request->text, request->length));
    case RequestKind::AppendReport: appendReportPiece(request->text, request->length); break;
    case RequestKind::ShowMainWindow: ShowWindow(appState().windows.main, SW_SHOWNORMAL); break;
    }
    return 0;
}

} // namespace vantor
