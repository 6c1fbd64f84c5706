// Menus through the Win32 window system, on menus of this process (this Wine cannot read another
// process's menus: GetMenuItemCount answers -1 for them): item texts in code page 932 with mnemonic marks
// and accelerator texts as the menu holds them, identifiers, sub-menus, separators, the cut of long texts,
// and a window's menu bar.
//
// Threads: the test thread only.
#include "tests/wine/platform_specimen.h"

#include <cstring>
#include <string>

namespace vantor {
namespace platformtest {
namespace {

namespace sp = specimen;

// Builds the specimen's menu bar from its contents table, as the specimen does, in this process.
HMENU buildSpecimenMenu() {
    HMENU open[8] = {CreateMenu()};
    for (const sp::MenuEntry& e : sp::kMenu) {
        HMENU into = open[e.level];
        if (e.kind == sp::MenuKind::Popup) {
            HMENU sub = CreatePopupMenu();
            AppendMenuA(into, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), e.text);
            open[e.level + 1] = sub;
        } else if (e.kind == sp::MenuKind::Separator) {
            AppendMenuA(into, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuA(into, MF_STRING, static_cast<UINT_PTR>(e.id), e.text);
        }
    }
    return open[0];
}

class PlatformMenu : public ::testing::Test {
  protected:
    void SetUp() override {
        installWin32Platform();
        menu = buildSpecimenMenu();
    }
    void TearDown() override { DestroyMenu(menu); }
    HMENU menu = nullptr;
};

// Walks the menu in pre-order as the table lists it and compares every item.
void expectEntries(Hmenu m, int level, int* next) {
    const int count = ws().menuItemCount(m);
    for (int position = 0; position < count; ++position) {
        ASSERT_LT(*next, sp::kMenuEntryCount);
        const sp::MenuEntry& e = sp::kMenu[*next];
        ++*next;
        MenuItem item;
        ASSERT_TRUE(ws().menuItem(m, position, &item)) << "position " << position;
        EXPECT_EQ(e.level, level) << e.text;
        EXPECT_EQ(std::string(item.text), e.text) << hexOf(item.text);
        EXPECT_EQ(item.id, e.id) << e.text;
        EXPECT_EQ(item.separator, e.kind == sp::MenuKind::Separator) << e.text;
        EXPECT_EQ(isNull(item.subMenu), e.kind != sp::MenuKind::Popup) << e.text;
        if (!isNull(item.subMenu)) expectEntries(item.subMenu, level + 1, next);
    }
}

TEST_F(PlatformMenu, ItemsComeAsTheMenuHoldsThem) {
    ASSERT_EQ(GetACP(), 932u) << "run under LC_ALL=ja_JP.UTF-8";
    EXPECT_EQ(ws().menuItemCount(fromNative(menu)), sp::kMenuBarItemCount);
    int next = 0;
    expectEntries(fromNative(menu), 0, &next);
    EXPECT_EQ(next, sp::kMenuEntryCount);
}

TEST_F(PlatformMenu, PositionsOutsideTheMenuAndDestroyedMenusGiveNothing) {
    MenuItem item;
    EXPECT_FALSE(ws().menuItem(fromNative(menu), sp::kMenuBarItemCount, &item));
    EXPECT_FALSE(ws().menuItem(fromNative(menu), -1, &item));
    HMENU gone = CreatePopupMenu();
    AppendMenuA(gone, MF_STRING, 5, "x");
    DestroyMenu(gone);
    EXPECT_EQ(ws().menuItemCount(fromNative(gone)), -1);
    EXPECT_FALSE(ws().menuItem(fromNative(gone), 0, &item));
}

// Texts longer than 255 bytes are cut to 255 bytes, or to 254 where the 255th byte would split a
// double-byte character.
TEST_F(PlatformMenu, LongTextsAreCutTo255BytesOfWholeCharacters) {
    HMENU popup = CreatePopupMenu();
    const std::string ascii(300, 'a');
    std::string japanese;
    for (int i = 0; i < 150; ++i)
        japanese += "あ"; // two bytes each: 300 bytes
    const std::string oddStart = "a" + japanese;
    AppendMenuA(popup, MF_STRING, 1, ascii.c_str());
    AppendMenuA(popup, MF_STRING, 2, japanese.c_str());
    AppendMenuA(popup, MF_STRING, 3, oddStart.c_str());
    MenuItem item;
    ASSERT_TRUE(ws().menuItem(fromNative(popup), 0, &item));
    EXPECT_EQ(std::string(item.text), ascii.substr(0, 255));
    ASSERT_TRUE(ws().menuItem(fromNative(popup), 1, &item));
    EXPECT_EQ(std::string(item.text), japanese.substr(0, 254));
    ASSERT_TRUE(ws().menuItem(fromNative(popup), 2, &item));
    EXPECT_EQ(std::string(item.text), oddStart.substr(0, 255));
    EXPECT_EQ(item.id, 3);
    DestroyMenu(popup);
}

TEST_F(PlatformMenu, MenuBarOfAWindow) {
    HWND window = CreateWindowExA(0, "STATIC", "menu owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                  menu, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ws().menuOf(fromNative(window)), fromNative(menu));
    HWND plain = CreateWindowExA(0, "STATIC", "no menu", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    EXPECT_TRUE(isNull(ws().menuOf(fromNative(plain))));
    DestroyWindow(plain);
    SetMenu(window, nullptr); // the menu stays the fixture's to destroy
    DestroyWindow(window);
}

} // namespace
} // namespace platformtest
} // namespace vantor
