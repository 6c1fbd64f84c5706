// Reading and formatting a window's accessible tree (see capture/accessible_reader.h).
#include "capture/accessible_reader.h"

#include <atomic>

#include "capture/bulk_session.h"
#include "capture/engine_state.h"
#include "capture/read_path.h"
#include "capture/section_format.h"
#include "platform/unicode_text.h"
#include "platform/wide_text.h"

namespace vantor {

namespace {

// The whole read's bound, a last resort: a target that keeps answering is read whole, item by item, and a
// minute holds the item bound's worth of items at a few milliseconds each, while a target that answers
// but crawls cannot keep a capture waiting for many minutes.
constexpr std::uint64_t kAccessibleReadMs = 60000;

// The in-target path: the whole tree walked by the target and handed out in chunks. False when the first
// chunk does not come or hold up (nothing is kept then); a later chunk that fails keeps the items so far
// (*whole stays false, and the caller reads the rest across processes).
// *answered is when the last chunk came.
bool readInTarget(Hwnd window, ReadPathChoice choice, const AccessibleLimits& limits, std::uint64_t start,
                  AccessibleTree* out, bool* whole, std::uint64_t* answered) {
    *whole = false;
    BulkSession session(window, choice);
    if (!session.open()) return false;
    wire::BulkRequest q{};
    q.kind = wire::kBulkAccessible;
    std::int64_t before = -1;
    for (;;) {
        BulkChunk chunk;
        const bool first = q.from == 0;
        if (!session.accessibleChunk(q, before, limits.maxDepth, &chunk)) return !first;
        *answered = bulkNowMs();
        // The item count stays that of the first answer, and within the bound the program walks with.
        if (static_cast<std::uint32_t>(chunk.rows) > limits.maxItems || (!first && chunk.rows != q.rows))
            return !first;
        for (AccessibleItem& item : chunk.accessible)
            out->items.push_back(std::move(item));
        if (!out->items.empty()) before = out->items.back().depth;
        if (chunk.status == wire::kBulkDone) {
            out->cut |= chunk.flags;
            *whole = true;
            return true;
        }
        if (chunk.status == wire::kBulkGone) return !first;
        // Each chunk is asked for with the message time-out; a target that hands its chunks out slowly is
        // held to the same overall bound as a walk.
        if (bulkNowMs() - start >= limits.maxMs) {
            out->cut |= kAccessibleCutTime;
            *whole = true;
            return true;
        }
        q.from = chunk.next;
        q.rows = chunk.rows;
    }
}

void appendAnsi(std::string* line, const std::u16string& text) {
    *line += accessibility().toAnsi(text);
}

} // namespace

void setAccessibilityAllowed(bool allowed) {
    engineState().accessibleAllowed = allowed;
}

bool accessibilityAllowed() {
    return engineState().accessibleAllowed;
}

AccessibleLimits accessibleLimits() {
    AccessibleLimits limits;
    limits.idleMs = kMessageTimeoutMs;
    limits.maxMs = kAccessibleReadMs;
    return limits;
}

bool readAccessible(Hwnd window, ReadPathChoice choice, AccessibleModel* out) {
    *out = AccessibleModel{};
    if (!accessibilityAllowed()) return false;
    if (accessibility().ask(window) != AccessibleAnswer::Object) return false;
    const AccessibleLimits limits = accessibleLimits();
    // The bounds are shared by the whole read: the walk across processes gets what is left of the overall
    // bound, and its first answer is waited for only as long as the target's last answer (the object, or
    // the last chunk) leaves of one time-out: a target that stopped answering inside is not waited for
    // again.
    const std::uint64_t start = bulkNowMs();
    std::uint64_t answered = start;
    AccessibleLimits rest = limits;
    auto remaining = [&]() {
        const std::uint64_t now = bulkNowMs();
        rest.maxMs = now - start < limits.maxMs ? limits.maxMs - (now - start) : 0;
        rest.waitedMs = now - answered;
        return rest.maxMs > 0 && rest.waitedMs < limits.idleMs;
    };
    bool whole = false;
    if (readInTarget(window, choice, limits, start, &out->tree, &whole, &answered)) {
        if (whole) {
            reportReadPath(window, "accessible", ReadPath::Bulk);
            return true;
        }
        // The rest across processes: the same walk, from the first item not yet read.
        AccessibleTree across;
        const std::size_t have = out->tree.items.size();
        if (!remaining())
            across.cut |= kAccessibleCutTime;
        else if (!accessibility().walk(window, rest, &across) || across.items.size() < have)
            across.cut |= kAccessibleCutFailed;
        for (std::size_t i = have; i < across.items.size(); ++i)
            out->tree.items.push_back(std::move(across.items[i]));
        out->tree.cut |= across.cut;
        reportReadPath(window, "accessible", ReadPath::BulkThenCrossProcess);
        return true;
    }
    out->tree = AccessibleTree{};
    if (!remaining())
        out->tree.cut |= kAccessibleCutTime;
    else if (!accessibility().walk(window, rest, &out->tree))
        out->tree.cut |= kAccessibleCutFailed;
    reportReadPath(window, "accessible", ReadPath::CrossProcess);
    return true;
}

std::string formatAccessible(const AccessibleModel& model, bool utf8) {
    const auto append = [utf8](std::string* line, const std::u16string& part) {
        if (utf8)
            *line += utf8FromUtf16(part);
        else
            appendAnsi(line, part);
    };
    std::string text;
    const std::vector<AccessibleItem>& items = model.tree.items;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const AccessibleItem& item = items[i];
        const bool hasChildren = i + 1 < items.size() && items[i + 1].depth > item.depth;
        if (item.name.empty() && item.value.empty() && !hasChildren) continue;
        if (item.depth > 0) {
            text.append(2 * static_cast<std::size_t>(item.depth), ' ');
            text += "+ ";
        }
        append(&text, item.name);
        if (!item.value.empty() && item.value != item.name) {
            if (!item.name.empty()) text += " = ";
            append(&text, item.value);
        }
        text += "\r\n";
    }
    if (model.tree.cut != 0) text += utf8 ? utf8FromAnsi(kFailureLine) : std::string(kFailureLine);
    return text;
}

} // namespace vantor
