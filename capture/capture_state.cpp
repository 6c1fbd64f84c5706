// The creation and destruction of the records kept for the program's lifetime. createCaptureState and
// destroyCaptureState run on the user-interface thread while no worker runs (start-up, shutdown, tests).
#include "capture/capture_state.h"

#include "capture/remote_parking.h"
#include "inventory/window_tree.h"

namespace vantor {

void createCaptureState() {
    if (windowRoot == nullptr) {
        windowRoot = std::make_unique<WindowNode>();
        windowRoot->setTitle("Root Window");
    }
}

void destroyCaptureState() {
    // No reader runs any more: blocks kept for late answers are released or left to their targets.
    settleAllParkedBlocks();
    windowRoot.reset();
}

} // namespace vantor
