// The records of a bulk answer (platform/wire.h, BulkAnswer): the writer used inside the target by
// msghook.dll (and by the unit tests to build answers), and the reader used by the program, which takes
// the answer as untrusted bytes: every count, length and index is checked against the bytes there are,
// and an answer that does not add up exactly is rejected whole. No <windows.h> here.
//
// Threads: any; no shared state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/wire.h"

namespace vantor {

// FNV-1a over the records of an answer. The target stores it in the answer's header; a copy whose records do
// not give it (a target that went on writing after its request timed out, over the next target's answer)
// is rejected.
inline std::uint32_t bulkChecksum(const std::uint8_t* data, std::size_t n) {
    std::uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < n; ++i)
        h = (h ^ data[i]) * 16777619u;
    return h;
}

// Appends records to a fixed block; a record that does not fit is not written (and the block stays as it
// was before the record began when the caller uses mark()/rewind()).
class BulkWriter {
  public:
    BulkWriter(std::uint8_t* data, std::size_t capacity) : data_(data), capacity_(capacity) {}
    std::size_t used() const { return used_; }
    std::size_t room() const { return capacity_ - used_; }
    void rewind(std::size_t mark) { used_ = mark < used_ ? mark : used_; }
    template <class T> bool put(T value) {
        if (room() < sizeof value) return false;
        std::memcpy(data_ + used_, &value, sizeof value);
        used_ += sizeof value;
        return true;
    }
    bool text(const char* bytes, std::uint32_t length) {
        if (room() < sizeof length || room() - sizeof length < length) return false;
        put(length);
        if (length > 0) std::memcpy(data_ + used_, bytes, length);
        used_ += length;
        return true;
    }
    bool unchanged() { return put(wire::kBulkUnchanged); }
    bool skipped() { return put(wire::kBulkSkipped); }
    // A text of at most `length` bytes written in place by the caller: the length is stored, and the next
    // length + 1 bytes (room for a terminating NUL) are handed out. Null when they do not fit. finish() then
    // stores the length the text turned out to have (at most `length`).
    char* place(std::uint32_t length) {
        if (room() < sizeof length || room() - sizeof length <= length) return nullptr;
        placed_ = used_;
        put(length);
        return reinterpret_cast<char*>(data_ + used_);
    }
    void finish(std::uint32_t length) {
        std::memcpy(data_ + placed_, &length, sizeof length);
        used_ = placed_ + sizeof length + length;
    }

  private:
    std::uint8_t* data_;
    std::size_t capacity_;
    std::size_t used_ = 0;
    std::size_t placed_ = 0;
};

// A text of an answer: `unchanged` when the control answered FALSE (the text is the previous query's).
struct BulkText {
    bool unchanged = false;
    bool skipped = false; // list box and combo box: the item's length query answered an error
    std::string text;
};

struct BulkRow {
    std::int32_t index = 0;
    std::vector<BulkText> cells;
};

struct BulkItem {
    std::uint64_t handle = 0;
    std::uint32_t depth = 0;
    BulkText text;
};

// An answer as the reader accepted it.
struct BulkChunk {
    std::uint32_t status = 0;
    std::uint32_t flags = 0;
    std::int32_t rows = 0;
    std::int32_t columns = 0;
    std::uint64_t next = 0;
    std::vector<BulkText> titles; // list view, first chunk
    std::vector<BulkRow> rowList; // list view
    std::vector<BulkItem> items;  // tree view
};

// Reads a list-view answer of `size` bytes (a BulkAnswer and its records) for request `sequence`. False when
// anything does not hold: header, checksum, status, column count (1 to kBulkMaxColumns), title count, records
// and lengths exactly filling `used`, row indices non-negative and ascending. With `first` the titles are
// read.
bool readBulkListChunk(const void* answer, std::size_t size, std::uint32_t sequence, bool first,
                       BulkChunk* out);
// The same for a tree-view answer: items with depths below kBulkMaxTreeDepth.
bool readBulkTreeChunk(const void* answer, std::size_t size, std::uint32_t sequence, BulkChunk* out);

} // namespace vantor
