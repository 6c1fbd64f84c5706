// The answering of an accessible-tree bulk request inside the target (platform/wire.h, kBulkAccessible):
// the first request walks the window's accessible objects with plain calls and keeps the items in this
// process; each request hands out the items from its `from` on into the caller's private block.
//
// Threads: the thread that owns the window (the WH_GETMESSAGE hook of msghook.dll), one request at a time.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/wire.h"

namespace vantor {
namespace hook {

// As answerBulkRequest (hook/bulk_answer.h), for a request of kind kBulkAccessible.
std::size_t answerAccessibleRequest(void* window, const wire::BulkRequest& q, wire::BulkAnswer* a,
                                    std::uint8_t* records, std::size_t capacity);

} // namespace hook
} // namespace vantor
