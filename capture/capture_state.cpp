// The flags shared between threads and the creation and destruction of the process-wide
// records. createCaptureState and destroyCaptureState run on the user-interface thread while no worker runs
// (start-up, shutdown, tests).
#include "capture/capture_state.h"

#include "capture/capture_lock.h"
#include "capture/remote_parking.h"
#include "inventory/window_tree.h"

namespace vantor {

std::atomic<bool> captureRunning{false};
std::atomic<bool> stopRequested{false};
std::atomic<bool> monitoringActive{false};

void createCaptureState() {
    resetCaptureRecords();
    if (windowRoot == nullptr) {
        windowRoot = new WindowNode();
        windowRoot->setTitle("Root Window");
    }
}

void destroyCaptureState() {
    // No reader runs any more: blocks kept for late answers are released or left to their targets.
    settleAllParkedBlocks();
    releaseCaptureRecords();
    destroyNode(windowRoot);
    windowRoot = nullptr;
}

} // namespace vantor
