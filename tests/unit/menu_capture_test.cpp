// Unit tests of the menu capture on the fake desktop: the menu walk into the capture text tree (tabs,
// separators, sub-menus, the fallback to an ancestor's menu bar), and the added-menu section with its
// worked example, its button line, its filters against repeated and own menus, and its pane refresh.
#include "capture/menu_capture.h"

#include <string>

#include "capture/dispatcher.h"
#include "capture_test_support.h"

namespace vantor {
namespace {

using namespace testing_support;

const char kSeparatorLine[] =
    "----------------------------------------------------------------------------\r\n";

class MenuCapture : public EngineTest {
  protected:
    Hwnd app(const char* title = "Editor", const char* cls = "EditorFrame") {
        return desktop.addWindow(Hwnd{}, cls, title, pid);
    }
    Hmenu contextMenu() {
        Hmenu m = desktop.addMenu();
        desktop.addMenuItem(m, "&Copy", 10);
        desktop.addMenuItem(m, "", 0, Hmenu{}, true);
        desktop.addMenuItem(m, "&Paste", 11);
        return m;
    }
    // The items of the capture tree as "text=value" in depth-first order, children in parentheses.
    static std::string describe(const TextNode* node) {
        std::string s;
        for (; node != nullptr; node = node->next()) {
            s += std::string(node->text) + "=" + std::to_string(node->value);
            if (node->firstChild() != nullptr) s += "(" + describe(node->firstChild()) + ")";
            if (node->next() != nullptr) s += " ";
        }
        return s;
    }
};

// --- The menu walk -----------------------------------------------------------------------------------------

TEST_F(MenuCapture, MenuBarBecomesTheTreeWithTabsCutSeparatorsSkippedAndSubMenusNested) {
    Hwnd w = app();
    Hmenu bar = desktop.addMenu();
    Hmenu file = desktop.addMenu();
    Hmenu recent = desktop.addMenu();
    desktop.addMenuItem(recent, "one.txt", 501);
    desktop.addMenuItem(file, "&Save\tCtrl+S", 3);
    desktop.addMenuItem(file, "", 0, Hmenu{}, true);
    desktop.addMenuItem(file, "&Recent", 0, recent);
    desktop.addMenuItem(bar, "&File", 0, file);
    desktop.addMenuItem(bar, "&Quit", 0);
    desktop.setMenu(w, bar);

    captureMenuBar(w);

    EXPECT_STREQ(treeNow()->text, "Editor");
    EXPECT_EQ(treeNow()->window, w);
    EXPECT_EQ(describe(treeNow()->firstChild()), "&File=-1(&Save=3 &Recent=-1(one.txt=501)) &Quit=0");
    EXPECT_EQ(reportNow().text, nullptr);
}

TEST_F(MenuCapture, RootTextIsTheClassNameWhenTheTitleIsEmpty) {
    Hwnd w = app("", "UntitledFrame");
    Hmenu m = contextMenu();
    buildMenuTree(w, m);
    EXPECT_STREQ(treeNow()->text, "UntitledFrame");
}

TEST_F(MenuCapture, MenuWithoutItemsFallsBackToTheNearestAncestorWithAMenuBar) {
    Hwnd top = app("Top");
    Hwnd middle = desktop.addWindow(top, "Panel", "Middle", pid);
    Hwnd control = desktop.addWindow(middle, "Canvas", "Control", pid);
    Hmenu bar = desktop.addMenu();
    desktop.addMenuItem(bar, "&View", 1);
    desktop.setMenu(top, bar);
    Hmenu gone = desktop.addMenu();
    desktop.destroyMenu(gone); // a handle that no longer denotes a menu

    buildMenuTree(control, gone);

    EXPECT_STREQ(treeNow()->text, "Top");
    EXPECT_EQ(treeNow()->window, top);
    EXPECT_EQ(describe(treeNow()->firstChild()), "&View=1");
}

TEST_F(MenuCapture, NoMenuAnywhereOrNoWindowLeavesTheTreeUnchanged) {
    Hwnd top = app();
    Hwnd child = desktop.addWindow(top, "Panel", "", pid);
    TextNode* before = treeNow();
    appendChild(std::make_unique<TextNode>(), treeNow())->setText("kept");
    buildMenuTree(child, Hmenu{});
    buildMenuTree(Hwnd{}, contextMenu());
    EXPECT_EQ(treeNow(), before);
    EXPECT_EQ(describe(treeNow()->firstChild()), "kept=0");
}

TEST_F(MenuCapture, MenuOfOnlyASeparatorAndAOneByteItemGivesOneNode) {
    Hwnd w = app();
    Hmenu m = desktop.addMenu();
    desktop.addMenuItem(m, "", 0, Hmenu{}, true);
    desktop.addMenuItem(m, "x", 5);
    captureAddedMenu(w, m);
    EXPECT_EQ(describe(treeNow()->firstChild()), "x=5");
    // One-byte texts are not written; the tree has an item, so no failure line either.
    EXPECT_EQ(reportText(), "■ 追加メニュー\r\n");
}

TEST_F(MenuCapture, SubMenuThatContainsItselfIsNotWalkedForever) {
    Hwnd w = app();
    Hmenu bar = desktop.addMenu();
    Hmenu loop = desktop.addMenu();
    desktop.addMenuItem(loop, "&Again", 0, loop);
    desktop.addMenuItem(loop, "&Leaf", 9);
    desktop.addMenuItem(bar, "&Loop", 0, loop);
    desktop.setMenu(w, bar);
    captureMenuBar(w);
    EXPECT_EQ(describe(treeNow()->firstChild()), "&Loop=-1(&Again=-1 &Leaf=9)");
}

TEST_F(MenuCapture, AddMenuItemsAppendsBelowTheGivenNodeOnly) {
    Hmenu m = contextMenu();
    TextNode parent;
    addMenuItems(m, &parent);
    addMenuItems(m, nullptr);
    addMenuItems(Hmenu{}, &parent);
    EXPECT_EQ(describe(parent.firstChild()), "&Copy=10 &Paste=11");
    destroyChildren(&parent);
}

// --- The added-menu section
// ---------------------------------------------------------------------------------

TEST_F(MenuCapture, AddedMenuAfterAnEarlierCaptureWorkedExample) {
    reportNow().append("earlier capture\r\n", 17);
    Hwnd w = app();
    captureAddedMenu(w, contextMenu());
    EXPECT_EQ(reportText(), std::string("earlier capture\r\n") + kSeparatorLine +
                                "■ 追加メニュー\r\n"
                                "&Copy [10]\r\n"
                                "&Paste [11]\r\n");
    ASSERT_EQ(ui.buttons.size(), 1u);
    EXPECT_EQ(ui.buttons[0], std::make_pair(std::string("Menu"), 2));
    EXPECT_EQ(lineOf(reportText(), 2), "■ 追加メニュー");
    // The pane shows the whole report, then the main window comes up.
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0], reportText());
    EXPECT_EQ(ui.mainWindowShown, 1);
}

TEST_F(MenuCapture, AddedMenuOnAnEmptyReportStartsWithItsHeaderOnLineZero) {
    captureAddedMenu(app(), contextMenu());
    EXPECT_EQ(reportText(), "■ 追加メニュー\r\n&Copy [10]\r\n&Paste [11]\r\n");
    ASSERT_EQ(ui.buttons.size(), 1u);
    EXPECT_EQ(ui.buttons[0].second, 0);
}

TEST_F(MenuCapture, SubMenuItemsFollowTheirItemIndentedWithoutANumber) {
    Hmenu m = desktop.addMenu();
    Hmenu sub = desktop.addMenu();
    desktop.addMenuItem(sub, "&Deep", 0);
    desktop.addMenuItem(sub, "&Deeper", 12);
    desktop.addMenuItem(m, "&More", 0, sub);
    captureAddedMenu(app(), m);
    EXPECT_EQ(reportText(), "■ 追加メニュー\r\n&More\r\n  + &Deep\r\n  + &Deeper [12]\r\n");
}

TEST_F(MenuCapture, SectionWithoutAnyMenuHasTheFailureLineAndEmptiesTheTree) {
    appendChild(std::make_unique<TextNode>(), treeNow())->setText("stale");
    captureAddedMenu(app(), Hmenu{static_cast<Hmenu>(0x77)});
    EXPECT_EQ(reportText(), std::string("■ 追加メニュー\r\n") + kFailureText);
    EXPECT_EQ(treeNow()->firstChild(), nullptr);
}

TEST_F(MenuCapture, TwoEventsFromTheSameWindowGiveOneSection) {
    Hwnd w = app();
    captureAddedMenu(w, contextMenu());
    captureAddedMenu(w, contextMenu());
    EXPECT_EQ(reportText(), "■ 追加メニュー\r\n&Copy [10]\r\n&Paste [11]\r\n");
    EXPECT_EQ(lastAddedMenuWindow(), w);
}

TEST_F(MenuCapture, TwoEventsWithTheSameMenuFromDifferentWindowsGiveOneSection) {
    Hmenu m = contextMenu();
    captureAddedMenu(app("One"), m);
    captureAddedMenu(app("Two"), m);
    EXPECT_EQ(ui.buttons.size(), 1u);
}

TEST_F(MenuCapture, AnotherWindowInBetweenLetsTheFirstWindowInAgain) {
    Hwnd a = app("A");
    Hwnd b = app("B");
    Hmenu ma = contextMenu();
    Hmenu mb = contextMenu();
    captureAddedMenu(a, ma);
    captureAddedMenu(b, mb);
    captureAddedMenu(a, contextMenu());
    EXPECT_EQ(ui.buttons.size(), 3u);
    EXPECT_EQ(lastAddedMenuWindow(), a);
}

TEST_F(MenuCapture, MenusOfTheProgramsOwnWindowsProduceNothing) {
    Hwnd main = app("Vantor", "Vantor [Quellin]");
    Hwnd pane = desktop.addWindow(main, "SplitBase Class", "", pid);
    Hwnd deep = desktop.addWindow(pane, "list view", "", pid);
    ui.main = main;
    captureAddedMenu(main, contextMenu());
    captureAddedMenu(deep, contextMenu());
    EXPECT_EQ(reportNow().text, nullptr);
    EXPECT_TRUE(ui.buttons.empty());
    EXPECT_TRUE(ui.shown.empty());
    // An ignored event does not count as the last added menu.
    EXPECT_TRUE(isNull(lastAddedMenuWindow()));
}

TEST_F(MenuCapture, AddedMenuEmptiesTheTreeOfAnEarlierReaderBeforeItsOwnItems) {
    appendChild(std::make_unique<TextNode>(), treeNow())->setText("old item");
    captureAddedMenu(app(), contextMenu());
    EXPECT_EQ(describe(treeNow()->firstChild()), "&Copy=10 &Paste=11");
}

} // namespace
} // namespace vantor

namespace vantor {
namespace {

// A sub-menu that cannot be read, or a menu read only in part (a snapshot too small for it), is written
// as far as it was read and the section ends with the failure line: nothing goes missing silently.
TEST_F(MenuCapture, MenuReadOnlyInPartEndsItsSectionWithTheFailureLine) {
    Hwnd w = app();
    Hmenu bar = desktop.addMenu();
    Hmenu file = desktop.addMenu();
    desktop.addMenuItem(bar, "&File", 0, file);
    desktop.addMenuItem(bar, "&Quit", 9);
    desktop.destroyMenu(file);
    captureAddedMenu(w, bar);
    EXPECT_EQ(reportText(), std::string("■ 追加メニュー\r\n&File\r\n&Quit [9]\r\n") + kFailureText);

    Hwnd other = app("Other");
    Hmenu popup = contextMenu();
    desktop.cutMenus.insert(popup);
    captureAddedMenu(other, popup);
    EXPECT_EQ(reportText(), std::string("■ 追加メニュー\r\n&File\r\n&Quit [9]\r\n") + kFailureText +
                                kSeparatorLine + "■ 追加メニュー\r\n&Copy [10]\r\n&Paste [11]\r\n" +
                                kFailureText);
}

// The added-menu capture runs on the user-interface thread: a stale menu handle falls back to the nearest
// menu bar only as far as it is known without asking the window's thread (menuOf would wait for it).
TEST_F(MenuCapture, AddedMenuFallsBackToAMenuBarWithoutAskingTheWindowsThread) {
    Hwnd top = app("Top");
    Hwnd control = desktop.addWindow(top, "Canvas", "Control", pid);
    Hmenu bar = desktop.addMenu();
    desktop.addMenuItem(bar, "&View", 1);
    desktop.setMenu(top, bar);
    Hmenu gone = desktop.addMenu();
    desktop.destroyMenu(gone);
    desktop.menuOfCalls = 0;
    captureAddedMenu(control, gone);
    EXPECT_EQ(reportText(), "■ 追加メニュー\r\n&View [1]\r\n");
    EXPECT_EQ(desktop.menuOfCalls, 0);
}

} // namespace
} // namespace vantor
