// The capture lock and the helpers that replace or empty the capture text tree under it. Any thread.
#include "capture/capture_lock.h"

#include <mutex>

#include "capture/capture_state.h"

namespace vantor {

namespace {
std::mutex lockMutex;
// Per thread: whether this thread is inside a CaptureLock (the mutex is not recursive).
thread_local bool heldHere = false;
} // namespace

bool captureTreeClaimed = false;

CaptureLock::CaptureLock() {
    lockMutex.lock();
    heldHere = true;
}

CaptureLock::~CaptureLock() {
    heldHere = false;
    lockMutex.unlock();
}

bool captureLockHeldByThisThread() {
    return heldHere;
}

void replaceCaptureTree(TextNode* root) {
    if (root == nullptr || root == captureTree) return;
    destroyNode(captureTree);
    captureTree = root;
}

void discardCaptureTreeItems() {
    destroyChildren(captureTree);
}

} // namespace vantor
