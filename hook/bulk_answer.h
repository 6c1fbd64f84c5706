// The answering of one bulk request inside the target (see platform/wire.h, BulkSection): reads a list view,
// tree view, list box or combo box of this process with the control's own messages and writes the records
// into a private block of the caller's. Nothing here reads the shared section: the caller hands over its own
// copy of the request and copies the block and the header out afterwards, so every length, count and index
// written comes from this process's own buffers and every write stays inside the block.
//
// Threads: the thread that owns the control (the WH_GETMESSAGE hook of msghook.dll), one request at a time.
// The fuzz target tests/fuzz/bulk_answer_fuzz.cpp builds this file against stand-ins for the Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/wire.h"

namespace vantor {
namespace hook {

// Answers request q for `control` (the window the request was posted to): fills *a (magic, sequence,
// status and the counts; not `used` and `checksum`) and returns the bytes of records written into
// records[0, capacity).
std::size_t answerBulkRequest(void* control, const wire::BulkRequest& q, wire::BulkAnswer* a,
                              std::uint8_t* records, std::size_t capacity);

} // namespace hook
} // namespace vantor
