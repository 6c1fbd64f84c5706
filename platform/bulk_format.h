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

#include "platform/accessible.h"
#include "platform/wire.h"

namespace vantor {

// FNV-1a over n bytes, going on from h.
inline std::uint32_t bulkChecksum(const std::uint8_t* data, std::size_t n, std::uint32_t h = 2166136261u) {
    for (std::size_t i = 0; i < n; ++i)
        h = (h ^ data[i]) * 16777619u;
    return h;
}

// The checksum the target stores in an answer's header: over the request it answered (as it read it from
// the section), the header itself with the checksum field zero, and the a.used bytes of records. An answer
// whose header or records were changed, or that was written for another request (another number, another
// starting row, a target that went on writing after its request timed out), does not give it.
inline std::uint32_t bulkAnswerChecksum(const wire::BulkRequest& q, wire::BulkAnswer a,
                                        const std::uint8_t* records) {
    a.checksum = 0;
    std::uint8_t head[sizeof q + sizeof a];
    std::memcpy(head, &q, sizeof q);
    std::memcpy(head + sizeof q, &a, sizeof a);
    return bulkChecksum(records, a.used, bulkChecksum(head, sizeof head));
}

// Appends records to a fixed block; a record that does not fit is not written (and the block stays as it
// was before the record began when the caller uses mark()/rewind()). Nothing is ever written outside
// [data, data + capacity), whatever the caller passes.
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
    // A wide text: count UTF-16 units (2 * count bytes at units) after their count.
    bool wideText(const void* units, std::uint32_t count) {
        if (count > 0x3FFFFFFF || room() < sizeof count || (room() - sizeof count) / 2 < count) return false;
        put(count);
        if (count > 0) std::memcpy(data_ + used_, units, 2 * static_cast<std::size_t>(count));
        used_ += 2 * static_cast<std::size_t>(count);
        return true;
    }
    bool unchanged() { return put(wire::kBulkUnchanged); }
    bool skipped() { return put(wire::kBulkSkipped); }
    // A text of at most `length` bytes written in place by the caller: the length is stored, and the next
    // length + 1 bytes (room for a terminating NUL) are handed out. Null when they do not fit. finish() then
    // stores the length the text turned out to have, taken as at most the `length` placed.
    char* place(std::uint32_t length) {
        if (room() < sizeof length || room() - sizeof length <= length) return nullptr;
        placed_ = used_;
        placedLength_ = length;
        put(length);
        return reinterpret_cast<char*>(data_ + used_);
    }
    void finish(std::uint32_t length) {
        if (length > placedLength_) length = placedLength_;
        std::memcpy(data_ + placed_, &length, sizeof length);
        used_ = placed_ + sizeof length + length;
    }

  private:
    std::uint8_t* data_;
    std::size_t capacity_;
    std::size_t used_ = 0;
    std::size_t placed_ = 0;
    std::uint32_t placedLength_ = 0;
};

// A text of an answer: `unchanged` when the control answered FALSE and wrote nothing (an empty text).
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
    std::vector<BulkText> titles;           // list view, first chunk
    std::vector<BulkRow> rowList;           // list view
    std::vector<BulkItem> items;            // tree view
    std::vector<AccessibleItem> accessible; // accessible tree
    // List view: the answer's texts were wide (kBulkWideTexts); titles and cells hold them as UTF-8.
    bool wide = false;
};

// Appends an accessible item's record (depth, role, state, name, value); false, with the writer as it was,
// when it does not fit.
inline bool putAccessibleItem(BulkWriter& w, const AccessibleItem& item) {
    const std::size_t mark = w.used();
    auto wide = [&w](const std::u16string& t) {
        const auto units = static_cast<std::uint32_t>(t.size());
        if (t.size() > 0x3FFFFFFF || !w.put(units)) return false;
        for (char16_t c : t)
            if (!w.put(static_cast<std::uint16_t>(c))) return false;
        return true;
    };
    if (w.put(item.depth) && w.put(item.role) && w.put(item.state) && wide(item.name) && wide(item.value))
        return true;
    w.rewind(mark);
    return false;
}

// Reads a list-view (list-box, combo-box) answer of `size` bytes (a BulkAnswer and its records) to `request`
// (as posted, with its sequence). False when anything does not hold: header, checksum, status, column count
// (1 to kBulkMaxColumns; 1 for a list box), title count (none after the first chunk), records and lengths
// exactly filling `used`; rows: indices from request.from on, strictly ascending and below `rows` (every row,
// one after the other, from exactly request.from unless only the selected rows were asked for), `next` one
// past the last row, a later chunk's row count that of the request, kBulkMore only with rows and some left,
// kBulkDone for every row only at the end. With `first` the titles are read. A list-view request with
// kBulkWideTexts needs an answer with it (and one without, one without): its texts are then wide, each whole
// within the records, with no NUL unit and no unpaired surrogate, and are given as UTF-8.
bool readBulkListChunk(const void* answer, std::size_t size, const wire::BulkRequest& request, bool first,
                       BulkChunk* out);
// The same for a tree-view answer: items with depths below kBulkMaxTreeDepth, `next` the last item's handle,
// kBulkMore only with items.
bool readBulkTreeChunk(const void* answer, std::size_t size, const wire::BulkRequest& request,
                       BulkChunk* out);
// The same for an accessible-tree answer: items from index request.from on, `next` just past them and not
// past `rows` (kBulkMore with items and some left, kBulkDone at the end), each depth below maxDepth and at
// most one deeper than the item before (`before`: the depth of the previous chunk's last item, -1 for the
// first chunk), cut bits (in `flags`) only in the last chunk.
bool readBulkAccessibleChunk(const void* answer, std::size_t size, const wire::BulkRequest& request,
                             std::int64_t before, std::uint32_t maxDepth, BulkChunk* out);

} // namespace vantor
