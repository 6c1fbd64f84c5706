// The user-interface interface new capture sessions take (a do-nothing one until the application installs
// its own). Any thread (set once at start-up or by a test).
#include "capture/capture_ui.h"

#include <atomic>

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

// The interface in use and the do-nothing one, in one object.
struct Installed {
    NoUi noUi;
    std::atomic<CaptureUi*> current{&noUi};
};
Installed installed;

} // namespace

CaptureUi& captureUi() {
    return *installed.current.load();
}

void setCaptureUi(CaptureUi* ui) {
    installed.current.store(ui != nullptr ? ui : &installed.noUi);
}

} // namespace vantor
