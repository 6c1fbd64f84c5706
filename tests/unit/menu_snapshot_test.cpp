// Unit tests of the menu snapshot reader: menus found in the newest well-formed snapshot, items with
// separators and sub-menus, and a section written by anyone: bad headers, counts and ranges past their
// bounds, a checksum that does not hold, texts that are not whole code page 932 texts and sections cut
// short all give "no such menu", never altered texts or a read outside; the cut mark of a menu.
#include "platform/menu_snapshot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "platform/wire.h"

namespace vantor {
namespace {

using wire::HookSection;
using wire::MenuSnapshot;

constexpr std::uint64_t kBar = 0x20050;
constexpr std::uint64_t kFile = 0x20052;

class MenuSnapshotReader : public ::testing::Test {
  protected:
    void SetUp() override { std::memset(section.get(), 0, sizeof(HookSection)); }

    // A snapshot in slot s: the bar with "&File" (sub-menu kFile) and "&Help" [9]; kFile with "&Open" [101],
    // a separator and "E&xit" [104].
    MenuSnapshot& writeBar(int s, std::uint32_t sequence) {
        MenuSnapshot& m = section->slots[s];
        m.magic = wire::kSnapshotMagic;
        m.sequence = sequence;
        m.window = 0x1005e;
        m.menuCount = 2;
        m.itemCount = 5;
        m.menus[0] = {kBar, 0, 2, 0, 0};
        m.menus[1] = {kFile, 2, 3, 0, 0};
        item(m, 0, "&File", 0, kFile);
        item(m, 1, "&Help", 9);
        item(m, 2, "&Open", 101);
        item(m, 3, "", 0, 0, wire::kSnapshotItemSeparator);
        item(m, 4, "E&xit", 104);
        seal(m);
        return m;
    }
    static void seal(MenuSnapshot& m) { m.checksum = wire::snapshotChecksum(m); }
    static void item(MenuSnapshot& m, int i, const char* text, std::int32_t id, std::uint64_t sub = 0,
                     std::uint32_t flags = 0) {
        m.items[i].subMenu = sub;
        m.items[i].id = id;
        m.items[i].flags = flags;
        m.items[i].wideFirst = 0;
        m.items[i].wideCount = 0;
        std::memset(m.items[i].text, 0, sizeof m.items[i].text);
        std::strncpy(m.items[i].text, text, sizeof m.items[i].text);
        seal(m);
    }
    int count(std::uint64_t menu, std::size_t size = sizeof(HookSection)) {
        return snapshotMenuItemCount(section.get(), size, static_cast<Hmenu>(menu));
    }
    std::string text(std::uint64_t menu, int position) {
        MenuItem out;
        if (!snapshotMenuItem(section.get(), sizeof(HookSection), static_cast<Hmenu>(menu), position, &out))
            return "<none>";
        return out.text;
    }

    std::unique_ptr<HookSection> section{new HookSection};
};

TEST_F(MenuSnapshotReader, MenuAndSubMenuReadWithIdsSeparatorsAndSubMenuHandles) {
    writeBar(3, 1);
    EXPECT_EQ(count(kBar), 2);
    EXPECT_EQ(count(kFile), 3);
    MenuItem out;
    ASSERT_TRUE(snapshotMenuItem(section.get(), sizeof(HookSection), static_cast<Hmenu>(kBar), 0, &out));
    EXPECT_STREQ(out.text, "&File");
    EXPECT_EQ(out.id, -1);
    EXPECT_EQ(out.subMenu, static_cast<Hmenu>(kFile));
    EXPECT_FALSE(out.separator);
    ASSERT_TRUE(snapshotMenuItem(section.get(), sizeof(HookSection), static_cast<Hmenu>(kFile), 1, &out));
    EXPECT_TRUE(out.separator);
    EXPECT_STREQ(out.text, "");
    ASSERT_TRUE(snapshotMenuItem(section.get(), sizeof(HookSection), static_cast<Hmenu>(kFile), 2, &out));
    EXPECT_STREQ(out.text, "E&xit");
    EXPECT_EQ(out.id, 104);
    EXPECT_EQ(text(kFile, 3), "<none>");
    EXPECT_EQ(text(kFile, -1), "<none>");
    EXPECT_EQ(count(0x999), -1);
    EXPECT_EQ(count(0), -1);
}

TEST_F(MenuSnapshotReader, NewestSnapshotOfAMenuWinsAndHandlesCompareInTheirLow32Bits) {
    writeBar(0, 7);
    item(writeBar(5, 6), 1, "&Old", 9);
    EXPECT_EQ(text(kBar, 1), "&Help");
    item(writeBar(2, 8), 1, "&New", 9);
    EXPECT_EQ(text(kBar, 1), "&New");
    // A handle sign-extended from its 32 bits is the same menu.
    section->slots[2].menus[0].handle = 0xFFFFFFFF80000010ull;
    seal(section->slots[2]);
    EXPECT_EQ(count(0x80000010ull), 2);
}

TEST_F(MenuSnapshotReader, SnapshotsWithBadHeadersOrRangesAreIgnored) {
    writeBar(0, 1).magic = 0x12345678;
    EXPECT_EQ(count(kBar), -1);
    writeBar(1, 2).menuCount = wire::kSnapshotMenus + 1;
    EXPECT_EQ(count(kBar), -1);
    writeBar(2, 3).itemCount = wire::kSnapshotItems + 1;
    EXPECT_EQ(count(kBar), -1);
    // A menu whose items run past the snapshot's item count, or start past it, also under a sound checksum.
    MenuSnapshot& overlong = writeBar(3, 4);
    overlong.menus[1].count = 4;
    overlong.menus[0].first = 0xFFFFFFFF;
    seal(overlong);
    EXPECT_EQ(count(kFile), -1);
    EXPECT_EQ(count(kBar), -1);
    // A sound snapshot beside them is still found.
    writeBar(4, 1);
    EXPECT_EQ(count(kFile), 3);
}

// Damage anywhere in what the snapshot holds (one flipped bit of a text, a count, a handle) fails the
// checksum: the menu is unknown and no altered text comes out. An older sound snapshot still answers.
TEST_F(MenuSnapshotReader, AnyChangedByteMakesTheSnapshotUnknownNeverAlteredText) {
    const std::size_t fileText =
        offsetof(MenuSnapshot, items) + 0 * sizeof(wire::SnapshotItem) + offsetof(wire::SnapshotItem, text);
    for (std::size_t at :
         {std::size_t{offsetof(MenuSnapshot, sequence)}, std::size_t{offsetof(MenuSnapshot, window)},
          std::size_t{offsetof(MenuSnapshot, menus) + 8}, fileText, fileText + 3,
          std::size_t{offsetof(MenuSnapshot, items) + 4 * sizeof(wire::SnapshotItem) + 20}}) {
        MenuSnapshot& m = writeBar(1, 2);
        reinterpret_cast<unsigned char*>(&m)[at] ^= 0x04;
        EXPECT_EQ(count(kBar), -1) << at;
        EXPECT_EQ(text(kFile, 2), "<none>") << at;
    }
    writeBar(6, 1);
    EXPECT_EQ(text(kFile, 2), "E&xit");
}

// Under a checksum that holds (a writer that seals whatever it wrote), a text that is no whole code page 932
// text, or bytes behind a text's terminator, still make the snapshot unknown.
TEST_F(MenuSnapshotReader, TextsThatAreNotWholeCodePage932TextsMakeTheSnapshotUnknown) {
    const char* bad[] = {"\x83\x74\x83", // a lead byte without its trail byte ("フ" and half a character)
                         "\x83\x0a",     // a lead byte followed by a line feed
                         "ab\xfd",       // a byte that is no character
                         "\x80x"};
    for (const char* t : bad) {
        MenuSnapshot& m = writeBar(0, 1);
        item(m, 2, t, 101);
        EXPECT_EQ(count(kFile), -1) << t;
    }
    MenuSnapshot& tail = writeBar(0, 1);
    tail.items[4].text[200] = 'x'; // behind "E&xit"'s terminator
    seal(tail);
    EXPECT_EQ(count(kFile), -1);
    MenuSnapshot& full = writeBar(0, 1);
    std::memset(full.items[2].text, 'A', sizeof full.items[2].text); // no terminator in the field
    seal(full);
    EXPECT_EQ(count(kFile), -1);
    // Double-byte and half-width texts are sound.
    MenuSnapshot& good = writeBar(0, 1);
    item(good, 2, "\x83\x74\x83\x40\x83\x43\x83\x8b(&F) \xb1", 101);
    EXPECT_EQ(text(kFile, 0), "\x83\x74\x83\x40\x83\x43\x83\x8b(&F) \xb1");
}

// Wide texts: read as recorded; a text not recorded answers false. Under a checksum that holds, a range
// past the units in use, a NUL unit, an unpaired surrogate, a text as long as the field, units in use past
// the capacity, or "not recorded" with a start make the snapshot unknown.
TEST_F(MenuSnapshotReader, WideTextsAreReadWhenSoundAndOtherwiseMakeTheSnapshotUnknown) {
    auto withWide = [this](std::u16string units, std::uint32_t first, std::uint32_t count,
                           std::uint32_t used) -> MenuSnapshot& {
        MenuSnapshot& m = writeBar(0, 1);
        for (std::size_t i = 0; i < units.size(); ++i)
            m.wide[i] = units[i];
        m.wideUsed = used;
        m.items[2].wideFirst = first;
        m.items[2].wideCount = count;
        m.items[4].wideCount = wire::kSnapshotNoWide;
        seal(m);
        return m;
    };
    SnapshotSet set;
    std::u16string out;
    withWide(u"xCaf\u00e9 \U0001F600", 1, 7, 8);
    set.load(section.get(), sizeof(HookSection));
    ASSERT_TRUE(set.itemTextW(static_cast<Hmenu>(kFile), 0, &out));
    EXPECT_EQ(out, u"Caf\u00e9 \U0001F600");
    EXPECT_FALSE(set.itemTextW(static_cast<Hmenu>(kFile), 2, &out));
    EXPECT_FALSE(set.itemTextW(static_cast<Hmenu>(kFile), 3, &out));
    EXPECT_TRUE(set.itemTextW(static_cast<Hmenu>(kBar), 1, &out)); // zeroed: recorded empty
    EXPECT_EQ(out, u"");

    const struct {
        std::u16string units;
        std::uint32_t first, count, used;
    } bad[] = {{u"abcd", 1, 3, 3},
               {u"abc", 4, 0, 3},
               {std::u16string(u"a\0c", 3), 0, 3, 3},
               {u"a\xD83D", 0, 2, 2},
               {u"a\xDE00"
                u"b",
                0, 3, 3},
               {u"\xD83D\xDE00", 0, 1, 2},
               {u"", 0, 0, wire::kSnapshotWideUnits + 1},
               {std::u16string(300, u'a'), 0, wire::kSnapshotTextSize, 300}};
    for (const auto& b : bad) {
        withWide(b.units, b.first, b.count, b.used);
        EXPECT_EQ(count(kFile), -1) << b.first << " " << b.count;
    }
    MenuSnapshot& stray = withWide(u"", 0, 0, 0);
    stray.items[4].wideFirst = 1;
    seal(stray);
    EXPECT_EQ(count(kFile), -1);
    // A range past the units in use is refused even where the copy still holds units behind them.
    withWide(u"abcd", 0, 4, 4);
    set.load(section.get(), sizeof(HookSection));
    withWide(u"abcd", 1, 3, 3);
    set.load(section.get(), sizeof(HookSection));
    EXPECT_EQ(set.itemCount(static_cast<Hmenu>(kFile)), -1);
    // A changed wide unit in use fails the checksum.
    withWide(u"Caf\u00e9", 0, 4, 4).wide[3] ^= 1;
    EXPECT_EQ(count(kFile), -1);
}

TEST_F(MenuSnapshotReader, CutMarkBelongsToItsMenuOnly) {
    SnapshotSet set;
    MenuSnapshot& m = writeBar(0, 1);
    m.menus[1].flags = wire::kSnapshotMenuCut;
    seal(m);
    set.load(section.get(), sizeof(HookSection));
    EXPECT_TRUE(set.cut(static_cast<Hmenu>(kFile)));
    EXPECT_FALSE(set.cut(static_cast<Hmenu>(kBar)));
    EXPECT_EQ(set.itemCount(static_cast<Hmenu>(kFile)), 3);
    EXPECT_EQ(set.damaged(), 0);
    m.window ^= 1;
    set.load(section.get(), sizeof(HookSection));
    EXPECT_EQ(set.damaged(), 1);
}

TEST_F(MenuSnapshotReader, SectionCutShortHoldsOnlyTheSlotsThatFitWhole) {
    writeBar(0, 1);
    writeBar(1, 2);
    const std::size_t slot1End = offsetof(HookSection, slots) + 2 * sizeof(MenuSnapshot);
    // Copies of the section's first bytes in blocks of exactly that size, so that the sanitizers see any read
    // past them.
    for (std::size_t size : {std::size_t{0}, std::size_t{10}, slot1End - 1, slot1End}) {
        std::unique_ptr<unsigned char[]> copy(new unsigned char[size + 1]);
        std::memcpy(copy.get(), section.get(), size);
        const int n = snapshotMenuItemCount(copy.get(), size, static_cast<Hmenu>(kBar));
        EXPECT_EQ(n, size >= offsetof(HookSection, slots) + sizeof(MenuSnapshot) ? 2 : -1) << size;
    }
    EXPECT_EQ(snapshotMenuItemCount(nullptr, 0, static_cast<Hmenu>(kBar)), -1);
}

} // namespace
} // namespace vantor
