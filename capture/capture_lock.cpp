// The capture lock of a session and the session itself: its report, its tree, its stop request and the
// added-menu sections that wait for the end of a section. Any thread.
#include "capture/capture_lock.h"

#include "capture/engine_state.h"

#include <atomic>
#include <cstring>
#include <mutex>

namespace vantor {

namespace {
// Per thread: how many capture locks this thread holds (debug checks of the lock rule).
thread_local int heldHere = 0;

constexpr char kAddedMenuHeader[] = "■ 追加メニュー\r\n";
constexpr char kAddedMenuSeparatorAndHeader[] =
    "----------------------------------------------------------------------------\r\n■ 追加メニュー\r\n";
} // namespace

CaptureSession::CaptureSession(CaptureUi* ui, std::string separator, ReadPathChoice readPath)
    : ui_(ui), separator_(std::move(separator)), readPath_(readPath), tree_(std::make_unique<TextNode>()) {}

CaptureSession::~CaptureSession() = default;

void CaptureSession::end() {
    std::vector<int> lines;
    {
        std::lock_guard<std::mutex> g(mutex_);
        // The last section is complete: what waited for it lands before the capture counts as ended.
        if (running_.load() == 1) landLocked(&lines);
        running_.fetch_sub(1);
    }
    showLanded(lines);
}

void CaptureSession::showLanded(const std::vector<int>& lines) {
    if (lines.empty()) return;
    for (int line : lines)
        ui().addSectionButton("Menu", line);
    showProgress();
    ui().showMainWindow();
}

void CaptureSession::showProgress() {
    std::string snapshot;
    bool hasText = false;
    {
        CaptureLock hold(*this);
        if (hold.report().text != nullptr) {
            snapshot.assign(hold.report().text, hold.report().length());
            hasText = true;
        }
    }
    // The user interface is reached only after the lock is released.
    ui().showReport(hasText ? snapshot.c_str() : nullptr);
}

int CaptureSession::appendMenuLocked(const std::string& items) {
    int line = 0;
    if (report_.lineCount > 0) {
        report_.append(kAddedMenuSeparatorAndHeader, std::strlen(kAddedMenuSeparatorAndHeader));
        line = report_.lineCount - 1;
    } else {
        report_.append(kAddedMenuHeader, std::strlen(kAddedMenuHeader));
    }
    report_.append(items.data(), items.size());
    return line;
}

void CaptureSession::landLocked(std::vector<int>* lines) {
    for (const std::string& items : waiting_)
        lines->push_back(appendMenuLocked(items));
    waiting_.clear();
}

void CaptureSession::addMenuSection(const std::string& items, CaptureSession* from) {
    int line = 0;
    {
        CaptureLock hold(*this);
        if (running()) {
            // A running capture's tree stays its own: the menu keeps its tree in its own session.
            waiting_.push_back(items);
            return;
        }
        if (from != nullptr) {
            CaptureLock other(*from);
            std::swap(tree_, from->tree_);
        }
        line = appendMenuLocked(items);
    }
    showLanded({line});
}

void CaptureSession::landAdditions() {
    std::vector<int> lines;
    {
        CaptureLock hold(*this);
        landLocked(&lines);
    }
    showLanded(lines);
}

CaptureLock::CaptureLock(CaptureSession& s) : session(s) {
    session.mutex_.lock();
    ++heldHere;
    engineState().lockAcquisitions.fetch_add(1, std::memory_order_relaxed);
}

CaptureLock::~CaptureLock() {
    --heldHere;
    session.mutex_.unlock();
    if (void (*hook)() = engineState().lockReleaseHook.load()) hook();
}

ReportBuffer& CaptureLock::report() {
    return session.report_;
}

TextNode* CaptureLock::tree() {
    return session.tree_.get();
}

void CaptureLock::replaceTree(std::unique_ptr<TextNode> root) {
    if (root == nullptr) return;
    session.tree_ = std::move(root);
}

void CaptureLock::discardTreeItems() {
    destroyChildren(session.tree_.get());
}

const std::string& CaptureLock::listSeparator() const {
    return session.separator_;
}

void appendToReport(CaptureSession& session, const std::string& text) {
    if (text.empty()) return;
    CaptureLock hold(session);
    hold.report().append(text.data(), text.size());
}

std::string reportSnapshot(CaptureSession& session) {
    CaptureLock hold(session);
    const ReportBuffer& report = hold.report();
    return report.text != nullptr ? std::string(report.text, report.length()) : std::string();
}

void setCaptureLockReleaseHook(void (*hook)()) {
    engineState().lockReleaseHook.store(hook);
}

bool captureLockHeldByThisThread() {
    return heldHere > 0;
}

unsigned long long captureLockAcquisitions() {
    return engineState().lockAcquisitions.load(std::memory_order_relaxed);
}

} // namespace vantor
