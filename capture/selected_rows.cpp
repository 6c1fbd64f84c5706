// collectSelectedRows. Called on the user-interface thread or a capture worker.
#include "capture/selected_rows.h"

#include <cstdint>

#include "capture/capture_session.h"
#include "platform/wire.h"

namespace vantor {

namespace {
// Walks the selection from the top: counts it when out is null, else stores at most max indices. The walk
// ends at the answer -1, at an unanswered message, and at an answer that does not move forward (which
// would otherwise repeat for ever).
int walkSelection(Hwnd listView, std::int32_t* out, int max) {
    int n = 0;
    std::intptr_t previous = -1;
    while (out == nullptr || n < max) {
        std::intptr_t next = -1;
        if (!ws().sendMessage(listView, wire::LVM_GETNEXTITEM, static_cast<std::uintptr_t>(previous),
                              static_cast<std::intptr_t>(wire::LVNI_SELECTED), &next))
            break;
        if (next < 0 || next <= previous || next > INT32_MAX) break;
        if (out != nullptr) out[n] = static_cast<std::int32_t>(next);
        ++n;
        previous = next;
    }
    return n;
}
} // namespace

std::vector<std::int32_t> collectSelectedRows(Hwnd listView, CaptureSession* refresh) {
    const int counted = walkSelection(listView, nullptr, 0);
    std::vector<std::int32_t> rows(counted > 0 ? counted : 0);
    // The selection may have shrunk since it was counted: only the rows stored in this walk are kept.
    rows.resize(counted > 0 ? walkSelection(listView, rows.data(), counted) : 0);
    if (!rows.empty() && refresh != nullptr) refresh->showProgress();
    return rows;
}

} // namespace vantor
