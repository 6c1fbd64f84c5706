// The capture lock and the helpers that replace or empty the capture text tree under it. Any thread.
#include "capture/capture_lock.h"

#include <atomic>
#include <mutex>

#include "capture/capture_state.h"

namespace vantor {

namespace {
std::mutex lockMutex;
// Per thread: whether this thread is inside a CaptureLock (the mutex is not recursive).
thread_local bool heldHere = false;
std::atomic<unsigned long long> acquisitions{0};
std::atomic<void (*)()> releaseHook{nullptr};
} // namespace

bool captureTreeClaimed = false;

CaptureLock::CaptureLock() {
    lockMutex.lock();
    heldHere = true;
    acquisitions.fetch_add(1, std::memory_order_relaxed);
}

CaptureLock::~CaptureLock() {
    heldHere = false;
    lockMutex.unlock();
    if (void (*hook)() = releaseHook.load()) hook();
}

void setCaptureLockReleaseHook(void (*hook)()) {
    releaseHook.store(hook);
}

bool captureLockHeldByThisThread() {
    return heldHere;
}

unsigned long long captureLockAcquisitions() {
    return acquisitions.load(std::memory_order_relaxed);
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
