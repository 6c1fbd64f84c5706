// Reading bulk answers out of untrusted bytes (see platform/bulk_format.h): each value is copied out once
// with memcpy and checked before use; nothing is read outside [answer, answer + size).
#include "platform/bulk_format.h"

namespace vantor {

namespace {

class Cursor {
  public:
    Cursor(const std::uint8_t* p, std::size_t n) : p_(p), n_(n) {}
    template <class T> bool get(T* out) {
        if (n_ - at_ < sizeof(T)) return false;
        std::memcpy(out, p_ + at_, sizeof(T));
        at_ += sizeof(T);
        return true;
    }
    bool text(BulkText* out) {
        std::uint32_t length = 0;
        if (!get(&length)) return false;
        out->unchanged = length == wire::kBulkUnchanged;
        out->skipped = length == wire::kBulkSkipped;
        out->text.clear();
        if (out->unchanged || out->skipped) return true;
        if (n_ - at_ < length) return false;
        out->text.assign(reinterpret_cast<const char*>(p_ + at_), length);
        at_ += length;
        return true;
    }
    bool atEnd() const { return at_ == n_; }

  private:
    const std::uint8_t* p_;
    std::size_t n_;
    std::size_t at_ = 0;
};

// The header and the bounds of the records; false when the header does not hold.
bool readHeader(const void* answer, std::size_t size, std::uint32_t sequence, wire::BulkAnswer* h) {
    if (answer == nullptr || size < sizeof(wire::BulkAnswer)) return false;
    std::memcpy(h, answer, sizeof *h);
    if (h->magic != wire::kBulkMagic || h->sequence != sequence) return false;
    if (h->status < wire::kBulkMore || h->status > wire::kBulkDepthEnd || h->status == wire::kBulkRefused)
        return false;
    return h->used <= wire::kBulkDataSize && h->used <= size - sizeof(wire::BulkAnswer) &&
           bulkChecksum(static_cast<const std::uint8_t*>(answer) + sizeof(wire::BulkAnswer), h->used) ==
               h->checksum;
}

const std::uint8_t* recordsOf(const void* answer) {
    return static_cast<const std::uint8_t*>(answer) + sizeof(wire::BulkAnswer);
}

void copyHeader(const wire::BulkAnswer& h, BulkChunk* out) {
    out->status = h.status;
    out->flags = h.flags;
    out->rows = h.rows;
    out->columns = h.columns;
    out->next = h.next;
}

bool readList(const void* answer, std::size_t size, std::uint32_t sequence, bool first, BulkChunk* out) {
    wire::BulkAnswer h;
    if (!readHeader(answer, size, sequence, &h)) return false;
    if (h.columns < 1 || static_cast<std::uint32_t>(h.columns) > wire::kBulkMaxColumns || h.rows < 0)
        return false;
    if (h.titles < 0 || static_cast<std::uint32_t>(h.titles) > wire::kBulkMaxColumns ||
        (!first && h.titles != 0))
        return false;
    // Each row takes at least 4 bytes of index and 4 of length per cell: a count beyond that is a lie.
    const std::size_t rowBytes = 4 + 4 * static_cast<std::size_t>(h.columns);
    if (h.records > h.used / rowBytes) return false;
    Cursor c(recordsOf(answer), h.used);
    out->titles.resize(static_cast<std::size_t>(h.titles));
    for (BulkText& t : out->titles)
        if (!c.text(&t)) return false;
    out->rowList.resize(h.records);
    std::int64_t last = -1;
    for (BulkRow& r : out->rowList) {
        if (!c.get(&r.index) || r.index <= last) return false;
        last = r.index;
        r.cells.resize(static_cast<std::size_t>(h.columns));
        for (BulkText& t : r.cells)
            if (!c.text(&t)) return false;
    }
    if (!c.atEnd()) return false;
    copyHeader(h, out);
    return true;
}

bool readTree(const void* answer, std::size_t size, std::uint32_t sequence, BulkChunk* out) {
    wire::BulkAnswer h;
    if (!readHeader(answer, size, sequence, &h)) return false;
    if (h.records > h.used / 16) return false; // handle, depth and length: 16 bytes at least
    Cursor c(recordsOf(answer), h.used);
    out->items.resize(h.records);
    for (BulkItem& item : out->items) {
        if (!c.get(&item.handle) || !c.get(&item.depth) || !c.text(&item.text)) return false;
        if (item.depth >= static_cast<std::uint32_t>(wire::kBulkMaxTreeDepth)) return false;
    }
    if (!c.atEnd()) return false;
    copyHeader(h, out);
    return true;
}

} // namespace

bool readBulkListChunk(const void* answer, std::size_t size, std::uint32_t sequence, bool first,
                       BulkChunk* out) {
    *out = BulkChunk{};
    if (readList(answer, size, sequence, first, out)) return true;
    *out = BulkChunk{}; // nothing of a rejected answer is kept
    return false;
}

bool readBulkTreeChunk(const void* answer, std::size_t size, std::uint32_t sequence, BulkChunk* out) {
    *out = BulkChunk{};
    if (readTree(answer, size, sequence, out)) return true;
    *out = BulkChunk{};
    return false;
}

} // namespace vantor
