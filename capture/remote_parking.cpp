// The parked remote blocks (see remote_parking.h): a list under one mutex, messages sent outside it.
#include "capture/remote_parking.h"

#include "capture/engine_state.h"

#include <mutex>
#include <vector>

#include "platform/wire.h"

namespace vantor {

namespace {

using Parked = EngineState::Parked;

bool takeParked(Hwnd control, Parked* out) {
    std::lock_guard<std::mutex> g(engineState().parkedLock);
    for (auto it = engineState().parked.begin(); it != engineState().parked.end(); ++it) {
        if (it->control != control) continue;
        *out = *it;
        engineState().parked.erase(it);
        return true;
    }
    return false;
}

// The late answer can no longer come once the control answers a later message or its window is gone.
bool lateAnswerDone(Hwnd control) {
    if (!ws().isWindow(control)) return true;
    std::intptr_t result = 0;
    return ws().sendMessage(control, wire::WM_NULL, 0, 0, &result);
}

void freeParked(const Parked& p) {
    procs().freeRemote(p.process, p.block);
    procs().closeProcess(p.process);
}

} // namespace

void parkRemoteBlock(Hwnd control, Hproc process, RemoteAddr block) {
    std::lock_guard<std::mutex> g(engineState().parkedLock);
    engineState().parked.push_back(Parked{control, process, block});
}

bool settleParkedBlock(Hwnd control) {
    Parked p{};
    if (!takeParked(control, &p)) return true;
    if (lateAnswerDone(control)) {
        freeParked(p);
        return true;
    }
    std::lock_guard<std::mutex> g(engineState().parkedLock);
    engineState().parked.push_back(p);
    return false;
}

void settleAllParkedBlocks() {
    std::vector<Parked> all;
    {
        std::lock_guard<std::mutex> g(engineState().parkedLock);
        all.swap(engineState().parked);
    }
    for (const Parked& p : all) {
        if (lateAnswerDone(p.control)) {
            freeParked(p);
        } else {
            procs().abandonRemote(p.process, p.block);
            procs().closeProcess(p.process);
        }
    }
}

int parkedBlocks() {
    std::lock_guard<std::mutex> g(engineState().parkedLock);
    return static_cast<int>(engineState().parked.size());
}

} // namespace vantor
