// libFuzzer target for the menu snapshot reader (platform/menu_snapshot.h): any bytes as the shared section
// must give answers within bounds, never a crash or a read outside the section (built with AddressSanitizer
// and UndefinedBehaviorSanitizer). Input: one mode byte, four bytes of menu handle, then the section.
//   mode even: the rest is the section exactly, at whatever size it has;
//   mode odd:  the rest is laid over a full-size section from its first snapshot on, each slot's magic set,
//              so that the fuzzer spends its inputs on the snapshots' counts, ranges and texts.
#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/menu_snapshot.h"
#include "platform/wire.h"

using vantor::Hmenu;
using vantor::MenuItem;
namespace wire = vantor::wire;

namespace {

void query(const void* section, std::size_t size, Hmenu menu) {
    const int n = vantor::snapshotMenuItemCount(section, size, menu);
    if (n > static_cast<int>(wire::kSnapshotItems)) __builtin_trap();
    MenuItem item;
    for (int p = -1; p <= n; ++p) {
        const bool found = vantor::snapshotMenuItem(section, size, menu, p, &item);
        if (found != (p >= 0 && p < n)) __builtin_trap();
        if (found && std::strlen(item.text) >= sizeof item.text) __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) return 0;
    const std::uint8_t mode = data[0];
    std::uint32_t handle;
    std::memcpy(&handle, data + 1, sizeof handle);
    data += 5;
    size -= 5;
    if ((mode & 1) == 0) {
        // An exact-size copy, so that AddressSanitizer sees any read past its end.
        std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[size]);
        if (size > 0) std::memcpy(copy.get(), data, size);
        query(copy.get(), size, static_cast<Hmenu>(handle));
        return 0;
    }
    std::unique_ptr<wire::HookSection> section(new wire::HookSection());
    auto* bytes = reinterpret_cast<std::uint8_t*>(section.get());
    const std::size_t room = sizeof(wire::HookSection) - offsetof(wire::HookSection, slots);
    std::memcpy(bytes + offsetof(wire::HookSection, slots), data, size < room ? size : room);
    for (wire::MenuSnapshot& slot : section->slots)
        slot.magic = wire::kSnapshotMagic;
    query(section.get(), sizeof *section, static_cast<Hmenu>(handle));
    // The handles the snapshots name are the ones worth asking for.
    for (const wire::MenuSnapshot& slot : section->slots)
        query(section.get(), sizeof *section, static_cast<Hmenu>(slot.menus[mode >> 4].handle));
    return 0;
}
