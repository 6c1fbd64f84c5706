// Reading menu snapshots out of the untrusted shared section: every field is copied into a local with
// memcpy and checked there, never read twice, so a writer changing the bytes meanwhile cannot lead the
// reader outside the section. Any thread.
#include "platform/menu_snapshot.h"

#include <cstdint>
#include <cstring>

#include "platform/wire.h"

namespace vantor {

namespace {

using wire::HookSection;
using wire::MenuSnapshot;
using wire::SnapshotItem;
using wire::SnapshotMenu;

// Handles are compared in their low 32 bits, the part a user handle carries (see HookRecord).
bool sameHandle(std::uint64_t stored, Hmenu menu) {
    return static_cast<std::uint32_t>(stored) ==
           static_cast<std::uint32_t>(static_cast<std::uintptr_t>(menu));
}

template <typename T> T readAt(const unsigned char* base, std::size_t offset) {
    T value;
    std::memcpy(&value, base + offset, sizeof value);
    return value;
}

// Where a menu was found: the slot's offset in the section, and the menu's items within the slot.
struct Found {
    std::size_t slot;
    std::uint32_t first;
    std::uint32_t count;
};

// The newest slot whose header is sound and which lists menu with an item range inside the slot.
bool findMenu(const unsigned char* base, std::size_t size, Hmenu menu, Found* out) {
    if (base == nullptr || isNull(menu)) return false;
    bool found = false;
    std::uint32_t best = 0;
    for (std::uint32_t s = 0; s < wire::kSnapshotSlots; ++s) {
        const std::size_t slot = offsetof(HookSection, slots) + s * sizeof(MenuSnapshot);
        if (slot + sizeof(MenuSnapshot) > size) break;
        if (readAt<std::uint32_t>(base, slot + offsetof(MenuSnapshot, magic)) != wire::kSnapshotMagic)
            continue;
        const auto sequence = readAt<std::uint32_t>(base, slot + offsetof(MenuSnapshot, sequence));
        const auto menuCount = readAt<std::uint32_t>(base, slot + offsetof(MenuSnapshot, menuCount));
        const auto itemCount = readAt<std::uint32_t>(base, slot + offsetof(MenuSnapshot, itemCount));
        if (menuCount > wire::kSnapshotMenus || itemCount > wire::kSnapshotItems) continue;
        if (found && sequence <= best) continue;
        for (std::uint32_t m = 0; m < menuCount; ++m) {
            const auto entry =
                readAt<SnapshotMenu>(base, slot + offsetof(MenuSnapshot, menus) + m * sizeof(SnapshotMenu));
            if (!sameHandle(entry.handle, menu)) continue;
            if (entry.first > itemCount || entry.count > itemCount - entry.first) break;
            *out = Found{slot, entry.first, entry.count};
            best = sequence;
            found = true;
            break;
        }
    }
    return found;
}

} // namespace

int snapshotMenuItemCount(const void* section, std::size_t size, Hmenu menu) {
    Found f;
    if (!findMenu(static_cast<const unsigned char*>(section), size, menu, &f)) return -1;
    return static_cast<int>(f.count);
}

bool snapshotMenuItem(const void* section, std::size_t size, Hmenu menu, int position, MenuItem* out) {
    *out = MenuItem{};
    const auto* base = static_cast<const unsigned char*>(section);
    Found f;
    if (position < 0 || !findMenu(base, size, menu, &f)) return false;
    if (static_cast<std::uint32_t>(position) >= f.count) return false;
    const std::size_t at =
        f.slot + offsetof(MenuSnapshot, items) + (f.first + position) * sizeof(SnapshotItem);
    const auto subMenu = readAt<std::uint64_t>(base, at + offsetof(SnapshotItem, subMenu));
    const auto id = readAt<std::int32_t>(base, at + offsetof(SnapshotItem, id));
    const auto flags = readAt<std::uint32_t>(base, at + offsetof(SnapshotItem, flags));
    out->separator = (flags & wire::kSnapshotItemSeparator) != 0;
    out->subMenu = static_cast<Hmenu>(static_cast<std::uintptr_t>(subMenu));
    if (out->separator) return true;
    out->id = !isNull(out->subMenu) ? -1 : id;
    // The text is cut at its field: at most 255 bytes, always terminated.
    std::memcpy(out->text, base + at + offsetof(SnapshotItem, text), sizeof out->text - 1);
    out->text[sizeof out->text - 1] = '\0';
    return true;
}

} // namespace vantor
