// The do-nothing user-interface interface (see capture/capture_ui.h). Any thread.
#include "capture/capture_ui.h"

namespace vantor {

void NoCaptureUi::addSectionButton(const char*, int) {}
void NoCaptureUi::clearSectionButtons() {}
void NoCaptureUi::showReport(const char*) {}
void NoCaptureUi::showMainWindow() {}
Hwnd NoCaptureUi::mainWindow() {
    return Hwnd{};
}

} // namespace vantor
