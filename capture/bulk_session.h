// Bulk reading of a control inside its own process, through the hook library (platform/hook_library.h):
// whether the bulk path may be tried, the session that holds the request hook for one control, and the
// chunks it asks for. The list-view, tree-view, list-box and combo-box readers try it first and fall back to
// their own exchanges when the first chunk does not come (no library, a target of another pointer width,
// the program's own window, a refused or unanswered request, a malformed answer).
//
// Threads: the observer is set on the main thread before captures run; a session belongs
// to one reader call on the capture worker (or the user-interface thread for the hot-key capture).
#pragma once

#include <cstdint>
#include <vector>

#include "capture/read_path.h"
#include "platform/bulk_format.h"
#include "platform/platform.h"

namespace vantor {

// After a chunk, the pane is refreshed when at least this long has passed since the read began or since the
// last refresh.
constexpr std::uint64_t kBulkRefreshMs = 500;

class BulkSession {
  public:
    BulkSession(Hwnd control, ReadPathChoice choice) : control_(control), choice_(choice) {}
    ~BulkSession();
    BulkSession(const BulkSession&) = delete;
    BulkSession& operator=(const BulkSession&) = delete;

    // Sets the request hook when the bulk path may be tried for the control: allowed by the choice, a target
    // of a pointer width the library reaches (platform/hook_library.h), and a library that takes the request.
    bool open();
    // One chunk: false when no answer came, or the answer is malformed (as read by readBulkListChunk /
    // readBulkTreeChunk), or the target refused the request.
    bool listChunk(const wire::BulkRequest& request, bool first, BulkChunk* out);
    bool treeChunk(const wire::BulkRequest& request, BulkChunk* out);
    // An accessible tree's chunk; before: the depth of the item before it (-1 for none).
    bool accessibleChunk(const wire::BulkRequest& request, std::int64_t before, std::uint32_t maxDepth,
                         BulkChunk* out);

  private:
    std::size_t ask(wire::BulkRequest* request);

    Hwnd control_;
    ReadPathChoice choice_;
    void* session_ = nullptr;
    std::vector<std::uint8_t> answer_;
};

} // namespace vantor
