// The state the capture engine shares between threads: the flags, the capture text tree, textSeen and the
// failure line, and the creation and destruction of the process-wide records. createCaptureState and
// destroyCaptureState run on the user-interface thread while no worker runs (start-up, shutdown, tests).
#include "capture/capture_state.h"

#include "capture/capture_lock.h"
#include "capture/remote_parking.h"
#include "capture/report_buffer.h"

namespace vantor {

std::atomic<bool> captureRunning{false};
std::atomic<bool> stopRequested{false};
std::atomic<bool> monitoringActive{false};

TextNode* captureTree = nullptr;
bool textSeen = false;

const char kFailureLine[] = "情報をうまく取得できませんでした\r\n";

void createCaptureState() {
    CaptureLock hold;
    if (report == nullptr) report = new ReportBuffer();
    if (captureTree == nullptr) captureTree = new TextNode();
    if (windowRoot == nullptr) {
        windowRoot = new WindowNode();
        windowRoot->setTitle("Root Window");
    }
    captureTreeClaimed = false;
    textSeen = false;
}

void destroyCaptureState() {
    // No reader runs any more: blocks kept for late answers are released or left to their targets.
    settleAllParkedBlocks();
    CaptureLock hold;
    destroyNode(captureTree);
    captureTree = nullptr;
    destroyNode(windowRoot);
    windowRoot = nullptr;
    delete report;
    report = nullptr;
    captureTreeClaimed = false;
}

} // namespace vantor
