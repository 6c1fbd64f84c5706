// The engine's CaptureUi answered by the application: every call becomes one synchronous message to the
// main window, so the toolbar and the output pane are only ever touched by the user-interface thread.
// Threads: the interface is called from a capture worker or the user-interface thread; the requests run on
// the user-interface thread (mainWindowProc -> runCaptureUiRequest).
#include "capture/capture_ui.h"

#include "app/app_globals.h"
#include "app/main_window.h"
#include "app/capture_timing.h"
#include "app/panes/output_pane.h"
#include "app/panes/section_toolbar.h"

namespace vantor {

namespace {

enum class RequestKind { AddButton, ClearButtons, ShowReport, ShowMainWindow };

struct Request {
    RequestKind kind;
    const char* text; // button label or report text
    int line;
};

class AppCaptureUi : public CaptureUi {
  public:
    void addSectionButton(const char* label, int line) override {
        send({RequestKind::AddButton, label, line});
    }
    void clearSectionButtons() override { send({RequestKind::ClearButtons, nullptr, 0}); }
    void showReport(const char* text) override {
        if (!captureTimingOn()) {
            send({RequestKind::ShowReport, text, 0});
            return;
        }
        // Timed from the worker's side: the wait for the user-interface thread to fill the pane.
        const long long start = captureTimingNow();
        send({RequestKind::ShowReport, text, 0});
        captureTimingAddReport(start, captureTimingNow());
    }
    void showMainWindow() override { send({RequestKind::ShowMainWindow, nullptr, 0}); }
    Hwnd mainWindow() override { return fromNative(appWindows.main); }

  private:
    static void send(Request request) {
        SendMessageA(appWindows.main, kCaptureUiMessage, 0, reinterpret_cast<LPARAM>(&request));
    }
};

AppCaptureUi appUi;

} // namespace

void installAppCaptureUi() {
    setCaptureUi(&appUi);
}

LRESULT runCaptureUiRequest(LPARAM lParam) {
    const Request* request = reinterpret_cast<const Request*>(lParam);
    switch (request->kind) {
    case RequestKind::AddButton: addSectionButton(request->text, request->line); break;
    case RequestKind::ClearButtons: clearSectionButtons(); break;
    case RequestKind::ShowReport: showReportText(request->text); break;
    case RequestKind::ShowMainWindow: ShowWindow(appWindows.main, SW_SHOWNORMAL); break;
    }
    return 0;
}

} // namespace vantor
