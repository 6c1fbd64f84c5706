// The user-interface interface in use (a do-nothing one until the application installs its own) and the
// pane refresh every engine step uses. captureUi/setCaptureUi: any thread (set once at start-up or by a
// test); showReportInPane: any thread that does not hold the capture lock.
#include "capture/capture_ui.h"

#include <atomic>
#include <string>

#include "capture/capture_lock.h"
#include "capture/report_buffer.h"

namespace vantor {

namespace {

class NoUi : public CaptureUi {
  public:
    void addSectionButton(const char*, int) override {}
    void clearSectionButtons() override {}
    void showReport(const char*) override {}
    void showMainWindow() override {}
    Hwnd mainWindow() override { return Hwnd{}; }
};

NoUi noUi;
std::atomic<CaptureUi*> current{&noUi};

} // namespace

CaptureUi& captureUi() {
    return *current.load();
}

void setCaptureUi(CaptureUi* ui) {
    current.store(ui != nullptr ? ui : &noUi);
}

void showReportInPane() {
    std::string snapshot;
    bool hasText = false;
    {
        CaptureLock hold;
        if (hold.report().text != nullptr) {
            snapshot.assign(hold.report().text, hold.report().length());
            hasText = true;
        }
    }
    // The user interface is reached only after the lock is released (see capture/capture_lock.h).
    captureUi().showReport(hasText ? snapshot.c_str() : nullptr);
}

} // namespace vantor
