// The capture lock and the records it guards: the report, the capture text tree with its claim, and the
// list separator of the running capture. Any thread.
#include "capture/capture_lock.h"

#include <atomic>
#include <mutex>

namespace vantor {

struct CaptureState {
    ReportBuffer report;
    TextNode* tree = new TextNode();
    bool treeClaimed = false;
    std::string listSeparator = "\t";

    CaptureState() = default;
    ~CaptureState() { destroyNode(tree); }
    CaptureState(const CaptureState&) = delete;
    CaptureState& operator=(const CaptureState&) = delete;
};

namespace {
std::mutex lockMutex;
// Created and destroyed under the lock; reached only through a CaptureLock.
CaptureState* shared = nullptr;
// Per thread: whether this thread is inside a CaptureLock (the mutex is not recursive).
thread_local bool heldHere = false;
std::atomic<unsigned long long> acquisitions{0};
std::atomic<void (*)()> releaseHook{nullptr};

CaptureState& lockedState() {
    lockMutex.lock();
    heldHere = true;
    acquisitions.fetch_add(1, std::memory_order_relaxed);
    if (shared == nullptr) shared = new CaptureState();
    return *shared;
}
} // namespace

CaptureLock::CaptureLock() : state(lockedState()) {}

CaptureLock::~CaptureLock() {
    heldHere = false;
    lockMutex.unlock();
    if (void (*hook)() = releaseHook.load()) hook();
}

ReportBuffer& CaptureLock::report() {
    return state.report;
}

TextNode* CaptureLock::tree() {
    return state.tree;
}

void CaptureLock::replaceTree(TextNode* root) {
    if (root == nullptr || root == state.tree) return;
    destroyNode(state.tree);
    state.tree = root;
}

void CaptureLock::discardTreeItems() {
    destroyChildren(state.tree);
}

bool CaptureLock::treeClaimed() const {
    return state.treeClaimed;
}

void CaptureLock::setTreeClaimed(bool claimed) {
    state.treeClaimed = claimed;
}

const std::string& CaptureLock::listSeparator() const {
    return state.listSeparator;
}

void CaptureLock::setListSeparator(const char* separator) {
    state.listSeparator = separator != nullptr ? separator : "";
}

void appendToReport(const std::string& text) {
    if (text.empty()) return;
    CaptureLock hold;
    hold.report().append(text.data(), text.size());
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

void resetCaptureRecords() {
    std::lock_guard<std::mutex> g(lockMutex);
    delete shared;
    shared = new CaptureState();
}

void releaseCaptureRecords() {
    std::lock_guard<std::mutex> g(lockMutex);
    delete shared;
    shared = nullptr;
}

} // namespace vantor
