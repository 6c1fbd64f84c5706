// Reading menu snapshots out of the untrusted shared section: each slot is copied once into memory of this
// process and checked whole there (header, ranges, checksum, every text), so a writer changing the bytes
// meanwhile can only make the copy fail its checks. Any thread (one SnapshotSet per thread at a time).
#include "platform/menu_snapshot.h"

#include <cstdint>
#include <cstring>

#include "platform/text.h"
#include "platform/unicode_text.h"

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

// A trail byte of a double-byte character, and a byte that stands alone, in code page 932.
bool isTrailByte(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}
bool isSingleByte(unsigned char c) {
    return (c >= 0x01 && c <= 0x7F) || (c >= 0xA1 && c <= 0xDF);
}

// An item's wide text: not recorded (and wideFirst 0), or within the wide units in use, of at most
// kSnapshotTextSize - 1 units, with no NUL unit and every surrogate paired.
bool soundWideText(const MenuSnapshot& s, const SnapshotItem& item) {
    if (item.wideCount == wire::kSnapshotNoWide) return item.wideFirst == 0;
    if (item.wideFirst > s.wideUsed || item.wideCount > s.wideUsed - item.wideFirst ||
        item.wideCount >= wire::kSnapshotTextSize)
        return false;
    return soundUtf16(s.wide + item.wideFirst, item.wideCount);
}

bool soundSnapshot(const MenuSnapshot& s) {
    if (s.menuCount == 0 || s.menuCount > wire::kSnapshotMenus || s.itemCount > wire::kSnapshotItems ||
        s.wideUsed > wire::kSnapshotWideUnits)
        return false;
    if (s.checksum != wire::snapshotChecksum(s)) return false;
    for (std::uint32_t m = 0; m < s.menuCount; ++m) {
        const SnapshotMenu& e = s.menus[m];
        if (e.first > s.itemCount || e.count > s.itemCount - e.first) return false;
    }
    for (std::uint32_t i = 0; i < s.itemCount; ++i)
        if (!soundSnapshotText(s.items[i].text, sizeof s.items[i].text) || !soundWideText(s, s.items[i]))
            return false;
    return true;
}

} // namespace

bool soundSnapshotText(const char* field, std::size_t cap) {
    std::size_t i = 0;
    while (i < cap && field[i] != '\0') {
        const auto c = static_cast<unsigned char>(field[i]);
        if (isCp932LeadByte(c)) {
            if (i + 1 >= cap || !isTrailByte(static_cast<unsigned char>(field[i + 1]))) return false;
            i += 2;
        } else if (isSingleByte(c)) {
            ++i;
        } else {
            return false;
        }
    }
    if (i >= cap) return false; // no terminator inside the field
    for (; i < cap; ++i)
        if (field[i] != '\0') return false;
    return true;
}

SnapshotSet::SnapshotSet() : copies_(new MenuSnapshot[wire::kSnapshotSlots]) {}
SnapshotSet::~SnapshotSet() = default;

void SnapshotSet::load(const void* section, std::size_t size) {
    damaged_ = 0;
    const auto* base = static_cast<const unsigned char*>(section);
    for (std::uint32_t s = 0; s < wire::kSnapshotSlots; ++s) {
        kept_[s] = false;
        const std::size_t slot = offsetof(HookSection, slots) + s * sizeof(MenuSnapshot);
        if (base == nullptr || slot + sizeof(MenuSnapshot) > size) continue;
        // The header and menu table first; the items only as far as the copied count says they are in use.
        MenuSnapshot& copy = copies_[s];
        std::memcpy(&copy, base + slot, offsetof(MenuSnapshot, items));
        if (copy.magic != wire::kSnapshotMagic) continue;
        if (copy.itemCount <= wire::kSnapshotItems)
            std::memcpy(copy.items, base + slot + offsetof(MenuSnapshot, items),
                        copy.itemCount * sizeof(SnapshotItem));
        if (copy.wideUsed <= wire::kSnapshotWideUnits)
            std::memcpy(copy.wide, base + slot + offsetof(MenuSnapshot, wide),
                        copy.wideUsed * sizeof copy.wide[0]);
        kept_[s] = soundSnapshot(copy);
        if (!kept_[s]) ++damaged_;
    }
}

const MenuSnapshot* SnapshotSet::find(Hmenu menu, const SnapshotMenu** entry) const {
    const MenuSnapshot* best = nullptr;
    if (isNull(menu)) return nullptr;
    for (std::uint32_t s = 0; s < wire::kSnapshotSlots; ++s) {
        if (!kept_[s]) continue;
        const MenuSnapshot& copy = copies_[s];
        if (best != nullptr && copy.sequence <= best->sequence) continue;
        for (std::uint32_t m = 0; m < copy.menuCount; ++m) {
            if (!sameHandle(copy.menus[m].handle, menu)) continue;
            best = &copy;
            *entry = &copy.menus[m];
            break;
        }
    }
    return best;
}

int SnapshotSet::itemCount(Hmenu menu) const {
    const SnapshotMenu* entry = nullptr;
    return find(menu, &entry) != nullptr ? static_cast<int>(entry->count) : -1;
}

bool SnapshotSet::cut(Hmenu menu) const {
    const SnapshotMenu* entry = nullptr;
    return find(menu, &entry) != nullptr && (entry->flags & wire::kSnapshotMenuCut) != 0;
}

bool SnapshotSet::item(Hmenu menu, int position, MenuItem* out) const {
    *out = MenuItem{};
    const SnapshotMenu* entry = nullptr;
    const MenuSnapshot* s = position >= 0 ? find(menu, &entry) : nullptr;
    if (s == nullptr || static_cast<std::uint32_t>(position) >= entry->count) return false;
    const SnapshotItem& it = s->items[entry->first + position];
    out->separator = (it.flags & wire::kSnapshotItemSeparator) != 0;
    out->subMenu = static_cast<Hmenu>(static_cast<std::uintptr_t>(it.subMenu));
    if (out->separator) return true;
    out->id = !isNull(out->subMenu) ? -1 : it.id;
    out->checked = (it.flags & wire::kSnapshotItemChecked) != 0;
    out->greyed = (it.flags & wire::kSnapshotItemGreyed) != 0;
    static_assert(sizeof out->text == sizeof it.text, "item text fields");
    std::memcpy(out->text, it.text, sizeof out->text); // checked: terminated inside the field
    return true;
}

bool SnapshotSet::itemTextW(Hmenu menu, int position, std::u16string* out) const {
    out->clear();
    const SnapshotMenu* entry = nullptr;
    const MenuSnapshot* s = position >= 0 ? find(menu, &entry) : nullptr;
    if (s == nullptr || static_cast<std::uint32_t>(position) >= entry->count) return false;
    const SnapshotItem& it = s->items[entry->first + position];
    if (it.wideCount == wire::kSnapshotNoWide) return false;
    for (std::uint32_t i = 0; i < it.wideCount; ++i) // checked: within the units in use
        out->push_back(static_cast<char16_t>(s->wide[it.wideFirst + i]));
    return true;
}

int snapshotMenuItemCount(const void* section, std::size_t size, Hmenu menu) {
    SnapshotSet set;
    set.load(section, size);
    return set.itemCount(menu);
}

bool snapshotMenuItem(const void* section, std::size_t size, Hmenu menu, int position, MenuItem* out) {
    SnapshotSet set;
    set.load(section, size);
    return set.item(menu, position, out);
}

bool snapshotMenuItemTextW(const void* section, std::size_t size, Hmenu menu, int position,
                           std::u16string* out) {
    SnapshotSet set;
    set.load(section, size);
    return set.itemTextW(menu, position, out);
}

} // namespace vantor
