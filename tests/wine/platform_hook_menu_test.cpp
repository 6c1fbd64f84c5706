// Menus of another process through msghook.dll: this Wine refuses them to the reading process
// (GetMenuItemCount answers -1), and with the hook library loaded the Win32 window system reads the
// specimen's menu bar inside the specimen and answers from the snapshot, item by item as the menu holds
// them. A hung specimen does not answer: the request ends after its time-out, and is not repeated at once.
//
// Threads: the test thread only.
#include "tests/wine/platform_specimen.h"

#include <string>

#include "platform/win32/win32_hook.h"

namespace vantor {
namespace platformtest {
namespace {

namespace sp = specimen;

class PlatformHookMenu : public SpecimenTest {
  protected:
    void TearDown() override {
        unloadHookLibrary();
        SpecimenTest::TearDown();
    }
    static void loadLibrary() {
        std::string dir = programDirectory();
        dir.pop_back(); // no trailing backslash
        ASSERT_TRUE(loadHookLibrary(dir.c_str()));
    }
};

// The menu in pre-order, as "level:text=id" with "-" for a separator and "*" before a sub-menu's items.
std::string describe(Hmenu m, int level) {
    std::string s;
    const int count = ws().menuItemCount(m);
    for (int p = 0; p < count; ++p) {
        MenuItem item;
        if (!ws().menuItem(m, p, &item)) return s + "<unreadable>";
        if (item.separator) {
            s += std::to_string(level) + ":-\n";
            continue;
        }
        s += std::to_string(level) + ":" + item.text + "=" + std::to_string(item.id) + "\n";
        if (!isNull(item.subMenu)) s += describe(item.subMenu, level + 1);
    }
    return s;
}

std::string expectedMenu() {
    std::string s;
    for (const sp::MenuEntry& e : sp::kMenu)
        s += std::to_string(e.level) + ":" +
             (e.kind == sp::MenuKind::Separator ? std::string("-")
                                                : std::string(e.text) + "=" + std::to_string(e.id)) +
             "\n";
    return s;
}

TEST_F(PlatformHookMenu, MenuBarOfAnotherProcessComesFromInsideItThroughTheLibrary) {
    EXPECT_EQ(ws().menuItemCount(ws().menuOf(topHandle)), -1); // without the library
    loadLibrary();
    const Hmenu bar = ws().menuOf(topHandle);
    ASSERT_EQ(ws().menuItemCount(bar), sp::kMenuBarItemCount);
    EXPECT_EQ(describe(bar, 0), expectedMenu()) << hexOf(describe(bar, 0));
    MenuItem item;
    EXPECT_FALSE(ws().menuItem(bar, sp::kMenuBarItemCount, &item));
    EXPECT_FALSE(ws().menuItem(bar, -1, &item));
}

class PlatformHookMenuHung : public PlatformHookMenu {
  protected:
    std::string specimenArguments() const override { return "--hang-after 500"; }
};

TEST_F(PlatformHookMenuHung, RequestToAHungTargetEndsAfterItsTimeOutAndIsNotRepeatedAtOnce) {
    loadLibrary();
    Sleep(800); // the specimen no longer answers, and does not yet count as hung
    DWORD start = GetTickCount();
    const Hmenu bar = ws().menuOf(topHandle);
    const DWORD first = GetTickCount() - start;
    EXPECT_FALSE(isNull(bar));
    EXPECT_EQ(ws().menuItemCount(bar), -1);
    EXPECT_GE(first, kMessageTimeoutMs - 100);
    EXPECT_LE(first, kMessageTimeoutMs + 1500);
    start = GetTickCount();
    ws().menuOf(topHandle);
    EXPECT_LT(GetTickCount() - start, 500u);
}

} // namespace
} // namespace platformtest
} // namespace vantor
