// The bulk path's setting, observer, clock and session (see capture/bulk_session.h).
#include "capture/bulk_session.h"

#include <atomic>
#include <chrono>

#include "platform/hook_library.h"

namespace vantor {

namespace {

std::atomic<bool> allowedFlag{true};
std::atomic<ReadPathObserver> observerFn{nullptr};

std::uint64_t steadyMs() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}
std::atomic<BulkClock> clockFn{&steadyMs};

// The target must have this program's pointer width: msghook.dll is loaded only into such processes.
bool sameWidth(Hwnd control) {
    std::uint32_t pid = 0;
    if (ws().windowThreadProcessId(control, &pid) == 0) return false;
    Hproc process{};
    if (!procs().openProcess(pid, &process)) return false;
    const int bits = procs().pointerBits(process);
    procs().closeProcess(process);
    return bits == static_cast<int>(sizeof(void*) * 8);
}

} // namespace

void setBulkReadingAllowed(bool allowed) {
    allowedFlag = allowed;
}

bool bulkReadingAllowed() {
    return allowedFlag;
}

void setReadPathObserver(ReadPathObserver observer) {
    observerFn = observer;
}

void reportReadPath(Hwnd control, const char* reader, bool bulk) {
    reportReadPath(control, reader, bulk ? "bulk" : "cross-process");
}

void reportReadPath(Hwnd control, const char* reader, const char* path) {
    const ReadPathObserver fn = observerFn;
    if (fn != nullptr) fn(control, reader, path);
}

void setBulkClock(BulkClock clock) {
    clockFn = clock != nullptr ? clock : &steadyMs;
}

std::uint64_t bulkNowMs() {
    return clockFn.load()();
}

BulkSession::~BulkSession() {
    if (session_ != nullptr) hookLibrary().bulkEnd(session_);
}

bool BulkSession::open() {
    if (!bulkReadingAllowed() || isNull(control_) || !hookLibrary().bulkAvailable() || !sameWidth(control_))
        return false;
    session_ = hookLibrary().bulkBegin(control_);
    if (session_ == nullptr) return false;
    answer_.assign(sizeof(wire::BulkAnswer) + wire::kBulkDataSize, 0);
    return true;
}

std::size_t BulkSession::ask(wire::BulkRequest* request) {
    if (session_ == nullptr) return 0;
    request->control = static_cast<std::uint64_t>(control_);
    std::uint32_t sequence = 0;
    const std::size_t n =
        hookLibrary().bulkChunk(session_, control_, *request, &sequence, answer_.data(), answer_.size());
    request->sequence = sequence; // the answer is checked against the request as the library posted it
    return n <= answer_.size() ? n : 0;
}

bool BulkSession::listChunk(const wire::BulkRequest& request, bool first, BulkChunk* out) {
    wire::BulkRequest posted = request;
    const std::size_t n = ask(&posted);
    return n > 0 && readBulkListChunk(answer_.data(), n, posted, first, out);
}

bool BulkSession::treeChunk(const wire::BulkRequest& request, BulkChunk* out) {
    wire::BulkRequest posted = request;
    const std::size_t n = ask(&posted);
    return n > 0 && readBulkTreeChunk(answer_.data(), n, posted, out);
}

} // namespace vantor
