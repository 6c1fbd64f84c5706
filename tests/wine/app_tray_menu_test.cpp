// The tray icon's menu as vantor.exe builds it, read in this process: this Wine cannot read another
// process's menus, so the menu-building code of app/tray.cpp is linked into the test program and its menu
// is inspected item by item before it would be tracked.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/resource.h"
#include "app/tray.h"

namespace vantor {
namespace {

struct Item {
    UINT id;
    UINT type;
    UINT state;
    std::string text;
};

Item itemAt(HMENU menu, int position) {
    char text[128] = "";
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    EXPECT_TRUE(GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) << position;
    return Item{info.wID, info.fType, info.fState, text};
}

TEST(AppTrayMenu, TitleSeparatorShowAndBoldExit) {
    HMENU menu = buildTrayMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 4);

    // The title line cannot be chosen but is not greyed either.
    const Item title = itemAt(menu, 0);
    EXPECT_EQ(title.text, "* Vantor *");
    EXPECT_EQ(title.id, 0u);
    EXPECT_EQ(GetMenuState(menu, 0, MF_BYPOSITION) & (MF_DISABLED | MF_GRAYED), UINT(MF_DISABLED));

    EXPECT_NE(itemAt(menu, 1).type & MFT_SEPARATOR, 0u);

    const Item show = itemAt(menu, 2);
    EXPECT_EQ(show.text, "&Show");
    EXPECT_EQ(show.id, UINT(CMD_SHOW));
    EXPECT_EQ(show.id, 32773u);
    EXPECT_EQ(show.state & (MFS_DISABLED | MFS_DEFAULT), 0u);

    // Exit is the default item, the one drawn bold, and the only one.
    const Item exitItem = itemAt(menu, 3);
    EXPECT_EQ(exitItem.text, "E&xit");
    EXPECT_EQ(exitItem.id, 105u);
    EXPECT_NE(exitItem.state & MFS_DEFAULT, 0u);
    EXPECT_EQ(exitItem.state & MFS_DISABLED, 0u);
    EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), 105u);
    EXPECT_EQ(title.state & MFS_DEFAULT, 0u);

    EXPECT_TRUE(DestroyMenu(menu));
}

} // namespace
} // namespace vantor
