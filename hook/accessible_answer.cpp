// Accessible trees answered inside the target (see hook/accessible_answer.h). COM is set up on the target's
// thread only for the length of the walk and undone exactly: every CoInitializeEx that succeeded (S_OK or
// S_FALSE) is balanced by one CoUninitialize; a thread in the other model (RPC_E_CHANGED_MODE) is used as
// it is.
#include "hook/accessible_answer.h"

#include "platform/accessible.h"
#include "platform/bulk_format.h"
#include "platform/win32/accessible_nodes.h"

#include <windows.h>
#include <oleacc.h>

namespace vantor {
namespace hook {

namespace {

// The walk must be over, and its first chunk sent, within the program's message time-out.
constexpr std::uint64_t kWalkMs = 1500;
// A chunk ends after this long, as every bulk chunk does.
constexpr DWORD kChunkMs = 200;

// The last tree walked here and its window: later chunks hand out only from it.
HWND keptWindow = nullptr;
AccessibleTree kept;

void walkWindow(HWND window) {
    kept = AccessibleTree{};
    keptWindow = window;
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccessible* root = nullptr;
    if (SUCCEEDED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), win32::kIidAccessible,
                                             reinterpret_cast<void**>(&root))) &&
        root != nullptr) {
        AccessibleLimits limits;
        limits.maxMs = kWalkMs;
        win32::AccessibleObjects nodes(true);
        walkAccessible(nodes, reinterpret_cast<AccessibleNodes::Node>(root), limits, &kept);
        root->Release();
    } else {
        kept.cut = kAccessibleCutFailed;
    }
    if (SUCCEEDED(com)) CoUninitialize();
}

} // namespace

std::size_t answerAccessibleRequest(void* control, const wire::BulkRequest& q, wire::BulkAnswer* a,
                                    std::uint8_t* records, std::size_t capacity) {
    const HWND window = static_cast<HWND>(control);
    *a = wire::BulkAnswer{};
    a->magic = wire::kBulkMagic;
    a->sequence = q.sequence;
    a->status = wire::kBulkRefused;
    if (!IsWindow(window)) {
        a->status = wire::kBulkGone;
        return 0;
    }
    if (q.from == 0) walkWindow(window);
    if (window != keptWindow || q.from > kept.items.size()) return 0; // out of turn
    BulkWriter w(records, capacity);
    const DWORD start = GetTickCount();
    std::size_t i = static_cast<std::size_t>(q.from);
    a->status = wire::kBulkDone;
    for (; i < kept.items.size(); ++i) {
        if (!putAccessibleItem(w, kept.items[i]) || GetTickCount() - start >= kChunkMs) {
            a->status = wire::kBulkMore;
            break;
        }
        ++a->records;
    }
    if (a->status == wire::kBulkMore && a->records == 0) { // an item larger than the block
        a->status = wire::kBulkRefused;
        return 0;
    }
    a->rows = static_cast<std::int32_t>(kept.items.size());
    a->next = i;
    if (a->status == wire::kBulkDone) {
        a->flags = kept.cut;
        kept = AccessibleTree{}; // handed out whole: nothing of it stays in the target
        keptWindow = nullptr;
    }
    return w.used();
}

} // namespace hook
} // namespace vantor
