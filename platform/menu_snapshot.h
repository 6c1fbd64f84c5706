// Menus read from the snapshots msghook.dll leaves in its shared section (platform/wire.h): where the window
// system will not hand over another process's menu (Wine), the hook library reads it inside that process
// and the platform answers menuItemCount / menuItem from here.
//
// Any process of the desktop can write the section, so every byte is untrusted: each slot is copied out
// once and only the copy is read; a copy is kept only when its header and ranges are within bounds, its
// checksum (platform/wire.h, snapshotChecksum) holds over everything in use, and every item text is a
// terminated code page 932 text with nothing but zeros behind it in its field, and every wide text lies
// within the wide units in use, with no NUL unit and no unpaired surrogate. A damaged snapshot is
// therefore no snapshot: its menus read as unknown, never with altered texts. Nothing is read outside
// [section, section + size).
// Threads: a SnapshotSet belongs to one thread at a time; the free functions keep no state.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/wire.h"

namespace vantor {

// Checked copies of the snapshots of one section, as they stood at the last load.
class SnapshotSet {
  public:
    SnapshotSet();
    ~SnapshotSet();
    SnapshotSet(const SnapshotSet&) = delete;
    SnapshotSet& operator=(const SnapshotSet&) = delete;

    // Copies every slot of section (size bytes, any contents) and keeps those that check out whole.
    void load(const void* section, std::size_t size);
    // The item count of menu in the newest kept snapshot that holds it; -1 when none does.
    int itemCount(Hmenu menu) const;
    // The item at position of menu in that snapshot; false (and *out cleared) when there is none.
    bool item(Hmenu menu, int position, MenuItem* out) const;
    // The item's text as the menu's process read it wide (UTF-16); false (and *out empty) when there is no
    // such item or its wide text was not recorded.
    bool itemTextW(Hmenu menu, int position, std::u16string* out) const;
    // Whether that snapshot marks the menu as cut (items or sub-menus that did not fit).
    bool cut(Hmenu menu) const;
    // Slots that carried the snapshot magic at the last load but failed a check.
    int damaged() const { return damaged_; }

  private:
    const wire::MenuSnapshot* find(Hmenu menu, const wire::SnapshotMenu** entry) const;

    std::unique_ptr<wire::MenuSnapshot[]> copies_; // one per slot
    bool kept_[wire::kSnapshotSlots] = {};
    int damaged_ = 0;
};

// Whether the text field holds a code page 932 text of at most cap - 1 bytes, terminated, with only zeros
// after its terminator.
bool soundSnapshotText(const char* field, std::size_t cap);

// One-shot forms of the above over a section (each call loads it anew).
int snapshotMenuItemCount(const void* section, std::size_t size, Hmenu menu);
bool snapshotMenuItem(const void* section, std::size_t size, Hmenu menu, int position, MenuItem* out);
bool snapshotMenuItemTextW(const void* section, std::size_t size, Hmenu menu, int position,
                           std::u16string* out);

} // namespace vantor
