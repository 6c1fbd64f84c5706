// The bulk path's observer, clock and session (see capture/bulk_session.h); the settings they read are
// EngineState's (capture/engine_state.h).
#include "capture/bulk_session.h"

#include <chrono>
#include <cstring>
#include <string>

#include "capture/engine_state.h"
#include "platform/hook_library.h"

namespace vantor {

namespace {

std::uint64_t steadyMs() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

// Why this thread's last bulk read was not taken or was left, for the next reportReadPath (each capture
// thread reads one control at a time); null when the session itself gave no reason. Per thread rather than
// in EngineState: it passes from a session to the report of the same read, on the reading thread alone.
thread_local const char* lastLeaveReason = nullptr;

bool leave(const char* why) {
    lastLeaveReason = why;
    return false;
}

// The target's pointer width must be one the library reaches: the program's own, or 32 bits while the
// 32-bit host runs beside a 64-bit program (its library is the one loaded there).
bool reachableWidth(Hwnd control) {
    std::uint32_t pid = 0;
    if (ws().windowThreadProcessId(control, &pid) == 0) return false;
    Hproc process{};
    if (!procs().openProcess(pid, &process)) return false;
    const int bits = procs().pointerBits(process);
    procs().closeProcess(process);
    return bits != 0 && hookLibrary().bulkReaches(bits);
}

} // namespace

void setWideBulkTexts(bool wanted) {
    engineState().wideBulkTexts = wanted;
}

bool wideBulkTexts() {
    return engineState().wideBulkTexts;
}

void setReadPathObserver(ReadPathObserver observer) {
    engineState().readPathObserver = observer;
}

void reportReadPath(Hwnd control, const char* reader, ReadPath path) {
    const ReadPathObserver fn = engineState().readPathObserver;
    const char* why =
        lastLeaveReason != nullptr ? lastLeaveReason : "an answer did not agree with the control";
    lastLeaveReason = nullptr;
    if (fn == nullptr) return;
    if (path == ReadPath::Bulk) {
        fn(control, reader, "bulk");
        return;
    }
    const std::string text =
        std::string(path == ReadPath::CrossProcess ? "cross-process (" : "bulk, the rest cross-process (") +
        why + ")";
    fn(control, reader, text.c_str());
}

void setBulkClock(BulkClock clock) {
    engineState().bulkClock = clock;
}

std::uint64_t bulkNowMs() {
    const BulkClock clock = engineState().bulkClock;
    return clock != nullptr ? clock() : steadyMs();
}

BulkSession::~BulkSession() {
    if (session_ != nullptr) hookLibrary().bulkEnd(session_);
}

bool BulkSession::open() {
    lastLeaveReason = nullptr;
    if (choice_ == ReadPathChoice::CrossProcessOnly)
        return leave("forced by --cross-process or ForceCrossProcess=1");
    if (isNull(control_)) return leave("no control");
    if (!hookLibrary().bulkAvailable()) return leave("msghook.dll is not loaded");
    if (!reachableWidth(control_)) return leave("the target has another pointer width");
    session_ = hookLibrary().bulkBegin(control_);
    if (session_ == nullptr)
        return leave(
            "the hook library took no request: the program's own window, a hung window, or its named "
            "objects not to be had");
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
    lastLeaveReason = n == 0 ? "no answer within the time-out" : nullptr;
    if (n <= answer_.size()) return n;
    lastLeaveReason = "an answer did not hold up";
    return 0;
}

namespace {

// Why an answer of n bytes was not taken (it was read and rejected), or, for one taken, that it reported
// the control gone; the readers decide what follows.
const char* answerReason(const std::vector<std::uint8_t>& answer, std::size_t n, bool taken,
                         const BulkChunk& chunk) {
    if (taken) return chunk.status == wire::kBulkGone ? "the target reported the control gone" : nullptr;
    wire::BulkAnswer header{};
    if (n >= sizeof header) std::memcpy(&header, answer.data(), sizeof header);
    return n >= sizeof header && header.status == wire::kBulkRefused ? "the target refused the request"
                                                                     : "an answer did not hold up";
}

} // namespace

bool BulkSession::listChunk(const wire::BulkRequest& request, bool first, BulkChunk* out) {
    wire::BulkRequest posted = request;
    const std::size_t n = ask(&posted);
    if (n == 0) return false; // ask gave the reason
    const bool taken = readBulkListChunk(answer_.data(), n, posted, first, out);
    lastLeaveReason = answerReason(answer_, n, taken, *out);
    return taken;
}

bool BulkSession::treeChunk(const wire::BulkRequest& request, BulkChunk* out) {
    wire::BulkRequest posted = request;
    const std::size_t n = ask(&posted);
    if (n == 0) return false; // ask gave the reason
    const bool taken = readBulkTreeChunk(answer_.data(), n, posted, out);
    lastLeaveReason = answerReason(answer_, n, taken, *out);
    return taken;
}

bool BulkSession::accessibleChunk(const wire::BulkRequest& request, std::int64_t before,
                                  std::uint32_t maxDepth, BulkChunk* out) {
    wire::BulkRequest posted = request;
    const std::size_t n = ask(&posted);
    if (n == 0) return false; // ask gave the reason
    const bool taken = readBulkAccessibleChunk(answer_.data(), n, posted, before, maxDepth, out);
    lastLeaveReason = answerReason(answer_, n, taken, *out);
    return taken;
}

} // namespace vantor
