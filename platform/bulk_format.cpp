// Reading bulk answers out of untrusted bytes (see platform/bulk_format.h): each value is copied out once
// with memcpy and checked before use; nothing is read outside [answer, answer + size).
#include "platform/bulk_format.h"

#include "platform/unicode_text.h"

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
    // A list's wide text as UTF-8: false for a count past the records, a NUL unit, or an unpaired surrogate.
    bool wideText(BulkText* out) {
        std::uint32_t units = 0;
        if (!get(&units)) return false;
        out->unchanged = units == wire::kBulkUnchanged;
        out->skipped = false;
        out->text.clear();
        if (out->unchanged) return true;
        std::u16string text;
        if (!wide(&text, units) || !soundUtf16(text.data(), text.size())) return false;
        out->text = utf8FromUtf16(text);
        return true;
    }
    bool wide(std::u16string* out) {
        std::uint32_t units = 0;
        return get(&units) && wide(out, units);
    }
    bool wide(std::u16string* out, std::uint32_t units) {
        if ((n_ - at_) / 2 < units) return false;
        out->resize(units);
        for (char16_t& c : *out) {
            std::uint16_t u = 0;
            get(&u);
            c = static_cast<char16_t>(u);
        }
        return true;
    }
    bool atEnd() const { return at_ == n_; }

  private:
    const std::uint8_t* p_;
    std::size_t n_;
    std::size_t at_ = 0;
};

// The header and the bounds of the records; false when the header does not hold.
bool readHeader(const void* answer, std::size_t size, const wire::BulkRequest& q, wire::BulkAnswer* h) {
    if (answer == nullptr || size < sizeof(wire::BulkAnswer)) return false;
    std::memcpy(h, answer, sizeof *h);
    if (h->magic != wire::kBulkMagic || h->sequence != q.sequence) return false;
    if (h->status < wire::kBulkMore || h->status > wire::kBulkDepthEnd || h->status == wire::kBulkRefused)
        return false;
    return h->used <= wire::kBulkDataSize && h->used <= size - sizeof(wire::BulkAnswer) &&
           bulkAnswerChecksum(q, *h, static_cast<const std::uint8_t*>(answer) + sizeof(wire::BulkAnswer)) ==
               h->checksum;
}

const std::uint8_t* recordsOf(const void* answer) {
    return static_cast<const std::uint8_t*>(answer) + sizeof(wire::BulkAnswer);
}

void copyHeader(const wire::BulkAnswer& h, BulkChunk* out) {
    out->wide = (h.flags & wire::kBulkWideTexts) != 0;
    out->status = h.status;
    out->flags = h.flags;
    out->rows = h.rows;
    out->columns = h.columns;
    out->next = h.next;
}

// The header's counts against the request: the row count a later chunk was asked with, one column and no
// titles for a list box, titles only in the first chunk.
bool listHeaderHolds(const wire::BulkAnswer& h, const wire::BulkRequest& q, bool first) {
    if (h.columns < 1 || static_cast<std::uint32_t>(h.columns) > wire::kBulkMaxColumns || h.rows < 0)
        return false;
    if (h.titles < 0 || static_cast<std::uint32_t>(h.titles) > wire::kBulkMaxColumns ||
        (!first && h.titles != 0))
        return false;
    if (!first && h.rows != q.rows) return false;
    if (q.kind != wire::kBulkListView && (h.columns != 1 || h.titles != 0)) return false;
    if (h.status == wire::kBulkDepthEnd) return false;
    // Wide texts exactly when they were asked for, and only of a list view.
    const bool wide = (q.flags & wire::kBulkWideTexts) != 0;
    if (wide != ((h.flags & wire::kBulkWideTexts) != 0) || (wide && q.kind != wire::kBulkListView))
        return false;
    return true;
}

// The rows against the request and the header: where they start, their order, `next` and the status.
bool listRowsHold(const BulkChunk& c, const wire::BulkAnswer& h, const wire::BulkRequest& q) {
    const bool every = (q.flags & wire::kBulkSelectedOnly) == 0;
    std::int64_t expected = static_cast<std::int64_t>(q.from);
    std::int64_t last = expected - 1;
    for (const BulkRow& r : c.rowList) {
        if (r.index <= last || r.index >= h.rows || (every && r.index != expected)) return false;
        last = r.index;
        expected = last + 1;
    }
    if (!c.rowList.empty() && h.next != static_cast<std::uint64_t>(last) + 1) return false;
    if (h.status == wire::kBulkMore) return !c.rowList.empty() && h.next < static_cast<std::uint64_t>(h.rows);
    if (h.status == wire::kBulkDone && every)
        return static_cast<std::uint64_t>(expected) >= static_cast<std::uint64_t>(h.rows);
    return true;
}

bool readList(const void* answer, std::size_t size, const wire::BulkRequest& q, bool first, BulkChunk* out) {
    wire::BulkAnswer h;
    if (!readHeader(answer, size, q, &h) || !listHeaderHolds(h, q, first)) return false;
    // Each row takes at least 4 bytes of index and 4 of length per cell: a count beyond that is a lie.
    const std::size_t rowBytes = 4 + 4 * static_cast<std::size_t>(h.columns);
    if (h.records > h.used / rowBytes) return false;
    Cursor c(recordsOf(answer), h.used);
    const bool wide = (h.flags & wire::kBulkWideTexts) != 0;
    auto text = [&c, wide](BulkText* t) { return wide ? c.wideText(t) : c.text(t); };
    out->titles.resize(static_cast<std::size_t>(h.titles));
    for (BulkText& t : out->titles)
        if (!text(&t)) return false;
    out->rowList.resize(h.records);
    for (BulkRow& r : out->rowList) {
        if (!c.get(&r.index)) return false;
        r.cells.resize(static_cast<std::size_t>(h.columns));
        for (BulkText& t : r.cells)
            if (!text(&t)) return false;
    }
    if (!c.atEnd() || !listRowsHold(*out, h, q)) return false;
    copyHeader(h, out);
    return true;
}

bool readTree(const void* answer, std::size_t size, const wire::BulkRequest& q, BulkChunk* out) {
    wire::BulkAnswer h;
    if (!readHeader(answer, size, q, &h)) return false;
    if (h.records > h.used / 16) return false; // handle, depth and length: 16 bytes at least
    if (h.status == wire::kBulkMore && h.records == 0) return false;
    Cursor c(recordsOf(answer), h.used);
    out->items.resize(h.records);
    for (BulkItem& item : out->items) {
        if (!c.get(&item.handle) || !c.get(&item.depth) || !c.text(&item.text)) return false;
        if (item.depth >= static_cast<std::uint32_t>(wire::kBulkMaxTreeDepth)) return false;
    }
    if (!c.atEnd() || (!out->items.empty() && h.next != out->items.back().handle)) return false;
    copyHeader(h, out);
    return true;
}

bool readAccessible(const void* answer, std::size_t size, const wire::BulkRequest& q, std::int64_t before,
                    std::uint32_t maxDepth, BulkChunk* out) {
    wire::BulkAnswer h;
    if (!readHeader(answer, size, q, &h) || h.status == wire::kBulkDepthEnd || h.rows < 0) return false;
    if (h.records > h.used / 20) return false; // depth, role, state and two lengths: 20 bytes at least
    const std::uint64_t rows = static_cast<std::uint64_t>(h.rows);
    if (q.from > rows || h.next != q.from + h.records || h.next > rows) return false;
    if (h.status == wire::kBulkMore && (h.records == 0 || h.next >= rows || h.flags != 0)) return false;
    if (h.status == wire::kBulkDone && h.next != rows) return false;
    const std::uint32_t cutBits = kAccessibleCutDepth | kAccessibleCutCount | kAccessibleCutLoop |
                                  kAccessibleCutTime | kAccessibleCutFailed;
    if ((h.flags & ~cutBits) != 0) return false;
    Cursor c(recordsOf(answer), h.used);
    out->accessible.resize(h.records);
    for (AccessibleItem& item : out->accessible) {
        if (!c.get(&item.depth) || !c.get(&item.role) || !c.get(&item.state) || !c.wide(&item.name) ||
            !c.wide(&item.value))
            return false;
        if (item.depth >= maxDepth || static_cast<std::int64_t>(item.depth) > before + 1) return false;
        before = item.depth;
    }
    if (!c.atEnd()) return false;
    copyHeader(h, out);
    return true;
}

} // namespace

bool readBulkAccessibleChunk(const void* answer, std::size_t size, const wire::BulkRequest& request,
                             std::int64_t before, std::uint32_t maxDepth, BulkChunk* out) {
    *out = BulkChunk{};
    if (readAccessible(answer, size, request, before, maxDepth, out)) return true;
    *out = BulkChunk{};
    return false;
}

bool readBulkListChunk(const void* answer, std::size_t size, const wire::BulkRequest& request, bool first,
                       BulkChunk* out) {
    *out = BulkChunk{};
    if (readList(answer, size, request, first, out)) return true;
    *out = BulkChunk{}; // nothing of a rejected answer is kept
    return false;
}

bool readBulkTreeChunk(const void* answer, std::size_t size, const wire::BulkRequest& request,
                       BulkChunk* out) {
    *out = BulkChunk{};
    if (readTree(answer, size, request, out)) return true;
    *out = BulkChunk{};
    return false;
}

} // namespace vantor
