// Menus read from the snapshots msghook.dll leaves in its shared section (platform/wire.h): where the window
// system will not hand over another process's menu (Wine), the hook library reads it inside that process
// and the platform answers menuItemCount / menuItem from here.
//
// Any process of the desktop can write the section, so every byte is untrusted: each field is copied out
// once and checked before use, counts and positions are bounded, texts are cut at their field, a snapshot
// with a bad header is ignored, and nothing is read outside [section, section + size).
// Threads: any; no state.
#pragma once

#include <cstddef>

#include "platform/platform.h"

namespace vantor {

// The item count of menu in the newest well-formed snapshot that holds it; -1 when none does.
// section may be any bytes of any size (a short or damaged section simply holds no snapshot).
int snapshotMenuItemCount(const void* section, std::size_t size, Hmenu menu);
// The item at position of menu in that snapshot; false (and *out cleared) when there is none.
bool snapshotMenuItem(const void* section, std::size_t size, Hmenu menu, int position, MenuItem* out);

} // namespace vantor
