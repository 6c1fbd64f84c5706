// libFuzzer target for the readers of the hook library's untrusted sections: the menu snapshot reader
// (platform/menu_snapshot.h) and the bulk answer reader (platform/bulk_format.h). Any bytes must give
// answers within bounds, never a crash or a read outside the bytes (built with AddressSanitizer and
// UndefinedBehaviorSanitizer). Input: a mode byte, four bytes of menu handle, three bytes of section
// length, then the bytes that are spread over the snapshots.
//   The section is a block of exactly its length (full size when mode bit 0 is set, else the length given,
//   up to a little more than full size), zero-filled, so that AddressSanitizer sees any read past its end.
//   The remaining input is cut into one piece per snapshot slot and each piece laid over its slot's start
//   (header, menu table and the first items), as far as the section reaches; with mode bit 1 each slot that
//   fits gets its magic and a checksum that holds, so that the fuzzer spends its inputs on counts, ranges
//   and texts (the wide texts' ranges among them; their units lie at the slot's end and stay zero).
//   The bytes after the prefix are also read as a bulk answer of exactly their length, for request number
//   = the menu handle, as a first and a later list-view chunk and as a tree-view chunk; with mode bit 2 the
//   answer gets its magic and sequence, with mode bit 3 also `used` = the bytes behind the header and their
//   checksum, so that the fuzzer gets past the header to the records.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "platform/bulk_format.h"
#include "platform/menu_snapshot.h"
#include "platform/wire.h"

using vantor::Hmenu;
using vantor::MenuItem;
namespace wire = vantor::wire;

namespace {

constexpr std::size_t kFullSize = sizeof(wire::HookSection);

std::size_t slotStart(std::uint32_t s) {
    return offsetof(wire::HookSection, slots) + s * sizeof(wire::MenuSnapshot);
}

void query(const vantor::SnapshotSet& set, Hmenu menu) {
    const int n = set.itemCount(menu);
    if (n > static_cast<int>(wire::kSnapshotItems)) __builtin_trap();
    MenuItem item;
    for (int p = -1; p <= n; ++p) {
        const bool found = set.item(menu, p, &item);
        if (found != (p >= 0 && p < n)) __builtin_trap();
        if (found && !vantor::soundSnapshotText(item.text, sizeof item.text)) __builtin_trap();
        // A wide text only for an item there is, shorter than the field, without a NUL unit.
        std::u16string wide;
        const bool wideFound = set.itemTextW(menu, p, &wide);
        if ((wideFound && !found) || wide.size() >= wire::kSnapshotTextSize ||
            wide.find(u'\0') != std::u16string::npos)
            __builtin_trap();
    }
}

// What an accepted answer holds must be within its bounds; a rejected one leaves nothing.
void checkChunk(bool ok, const vantor::BulkChunk& c, std::size_t size) {
    if (!ok) {
        if (!c.rowList.empty() || !c.titles.empty() || !c.items.empty()) __builtin_trap();
        return;
    }
    std::size_t bytes = 0;
    if (c.titles.size() > wire::kBulkMaxColumns) __builtin_trap();
    for (const vantor::BulkText& t : c.titles)
        bytes += t.text.size();
    for (const vantor::BulkRow& r : c.rowList) {
        if (r.index < 0 || r.cells.size() != static_cast<std::size_t>(c.columns)) __builtin_trap();
        for (const vantor::BulkText& t : r.cells)
            bytes += t.text.size();
    }
    for (const vantor::BulkItem& item : c.items) {
        if (item.depth >= static_cast<std::uint32_t>(wire::kBulkMaxTreeDepth)) __builtin_trap();
        bytes += item.text.text.size();
    }
    if (bytes > size) __builtin_trap();
}

// An accepted accessible chunk: depths below the bound, none more than one below the item before, texts
// within the answer's bytes.
void checkAccessible(bool ok, const vantor::BulkChunk& c, std::size_t size) {
    if (!ok) {
        if (!c.accessible.empty()) __builtin_trap();
        return;
    }
    std::int64_t before = -1;
    std::size_t bytes = 0;
    for (const vantor::AccessibleItem& item : c.accessible) {
        if (item.depth >= 64 || static_cast<std::int64_t>(item.depth) > before + 1) __builtin_trap();
        before = item.depth;
        bytes += 2 * (item.name.size() + item.value.size());
    }
    if (bytes > size) __builtin_trap();
}

void bulk(std::uint8_t mode, std::uint32_t sequence, const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<std::uint8_t[]> answer(new std::uint8_t[size > 0 ? size : 1]);
    if (size > 0) std::memcpy(answer.get(), data, size);
    wire::BulkRequest q{};
    q.sequence = sequence;
    q.kind = (mode & 16) != 0 ? wire::kBulkListBox : wire::kBulkListView;
    q.flags = (mode & 32) != 0 ? wire::kBulkSelectedOnly : 0;
    if ((mode & 4) != 0 && size >= sizeof(wire::BulkAnswer)) {
        std::memcpy(answer.get() + offsetof(wire::BulkAnswer, magic), &wire::kBulkMagic, 4);
        std::memcpy(answer.get() + offsetof(wire::BulkAnswer, sequence), &sequence, 4);
        if ((mode & 8) != 0) {
            const auto used = static_cast<std::uint32_t>(size - sizeof(wire::BulkAnswer));
            std::memcpy(answer.get() + offsetof(wire::BulkAnswer, used), &used, 4);
            wire::BulkAnswer a;
            std::memcpy(&a, answer.get(), sizeof a);
            const std::uint32_t sum =
                vantor::bulkAnswerChecksum(q, a, answer.get() + sizeof(wire::BulkAnswer));
            std::memcpy(answer.get() + offsetof(wire::BulkAnswer, checksum), &sum, 4);
        }
    }
    vantor::BulkChunk c;
    checkChunk(vantor::readBulkListChunk(answer.get(), size, q, true, &c), c, size);
    checkChunk(vantor::readBulkListChunk(answer.get(), size, q, false, &c), c, size);
    q.kind = wire::kBulkTreeView;
    checkChunk(vantor::readBulkTreeChunk(answer.get(), size, q, &c), c, size);
    // The accessible reader, with the answer sealed for its own request when the mode asks for a seal.
    q.kind = wire::kBulkAccessible;
    if ((mode & 12) == 12 && size >= sizeof(wire::BulkAnswer)) { // `used` was set to the bytes there are
        wire::BulkAnswer a;
        std::memcpy(&a, answer.get(), sizeof a);
        const std::uint32_t sum = vantor::bulkAnswerChecksum(q, a, answer.get() + sizeof(wire::BulkAnswer));
        std::memcpy(answer.get() + offsetof(wire::BulkAnswer, checksum), &sum, 4);
    }
    checkAccessible(vantor::readBulkAccessibleChunk(answer.get(), size, q, -1, 64, &c), c, size);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8) return 0;
    const std::uint8_t mode = data[0];
    std::uint32_t handle;
    std::memcpy(&handle, data + 1, sizeof handle);
    const std::size_t given = data[5] | (data[6] << 8) | (data[7] << 16);
    data += 8;
    size -= 8;
    bulk(mode, handle, data, size);
    const std::size_t length = (mode & 1) != 0 ? kFullSize : given % (kFullSize + 64);
    std::unique_ptr<std::uint8_t[]> section(new std::uint8_t[length]());
    std::uint8_t* bytes = section.get();
    const std::size_t piece = size / wire::kSnapshotSlots;
    for (std::uint32_t s = 0; s < wire::kSnapshotSlots; ++s) {
        const std::size_t at = slotStart(s);
        if (at >= length) break;
        const std::size_t n = piece < length - at ? piece : length - at;
        std::memcpy(bytes + at, data + s * piece, n);
        if ((mode & 2) != 0 && at + sizeof(wire::MenuSnapshot) <= length) {
            // The magic and a checksum that holds over what the bytes say is in use.
            std::unique_ptr<wire::MenuSnapshot> slot(new wire::MenuSnapshot);
            std::memcpy(slot.get(), bytes + at, sizeof *slot);
            slot->magic = wire::kSnapshotMagic;
            slot->checksum = wire::snapshotChecksum(*slot);
            std::memcpy(bytes + at, slot.get(), sizeof *slot);
        }
    }
    static vantor::SnapshotSet set; // one set, loaded anew for each input (a set is large)
    set.load(bytes, length);
    query(set, static_cast<Hmenu>(handle));
    // The handles the snapshots name are the ones worth asking for.
    const std::size_t entry = (mode >> 4) % wire::kSnapshotMenus;
    for (std::uint32_t s = 0; s < wire::kSnapshotSlots; ++s) {
        const std::size_t at =
            slotStart(s) + offsetof(wire::MenuSnapshot, menus) + entry * sizeof(wire::SnapshotMenu);
        if (at + sizeof(std::uint64_t) > length) break;
        std::uint64_t h;
        std::memcpy(&h, bytes + at, sizeof h);
        query(set, static_cast<Hmenu>(h));
    }
    return 0;
}
