// Unit tests of the window tree on the fake desktop: which top-level windows are listed and in which
// order, how deep a readable control may hide, texts cut to 254 bytes, repeated refreshes, the callback
// that fills the list, and the child walk that survives a window vanishing under it.
#include "inventory/window_tree.h"

#include <string>
#include <vector>

#include "capture_test_support.h"

namespace vantor {
namespace {

using testing_support::EngineTest;

class WindowInventory : public EngineTest {
  protected:
    // "title|class" of every child of windowRoot, in order, checking each node's window and links.
    static std::vector<std::string> listed() {
        std::vector<std::string> rows;
        const TextNode* prev = nullptr;
        for (const TextNode* n = windowRoot->firstChild(); n != nullptr; n = n->next()) {
            EXPECT_EQ(n->parent(), windowRoot.get());
            EXPECT_EQ(n->prev(), prev);
            EXPECT_STREQ(n->text, "");
            const WindowNode* w = static_cast<const WindowNode*>(n);
            rows.push_back(std::string(w->title) + "|" + w->className);
            prev = n;
        }
        return rows;
    }
};

TEST_F(WindowInventory, DesktopWithoutReadableWindowsGivesNoChildrenButStillFillsTheList) {
    desktop.addWindow(Hwnd{}, "Plain", "Nothing here", pid);
    Hwnd panel = desktop.addWindow(Hwnd{}, "Plain", "Panel", pid);
    desktop.addWindow(panel, "Canvas", "", pid);
    int fills = 0;
    refreshWindowList([&](WindowNode* root) {
        ++fills;
        EXPECT_EQ(root, windowRoot.get());
    });
    EXPECT_EQ(fills, 1);
    EXPECT_EQ(windowRoot->firstChild(), nullptr);
    EXPECT_STREQ(windowRoot->title, "Root Window");
}

TEST_F(WindowInventory, ListsQualifyingWindowsInZOrderWithTitleAndClass) {
    Hwnd menuOnly = desktop.addWindow(Hwnd{}, "MenuFrame", "With menu", pid);
    Hmenu bar = desktop.addMenu();
    desktop.addMenuItem(bar, "&File", 1);
    desktop.setMenu(menuOnly, bar);
    desktop.addWindow(Hwnd{}, "Plain", "Skipped", pid);
    desktop.addWindow(Hwnd{}, "SysListView32", "Itself a control", pid);
    Hwnd emptyMenu = desktop.addWindow(Hwnd{}, "EmptyMenuFrame", "Empty menu", pid);
    desktop.setMenu(emptyMenu, desktop.addMenu());
    Hwnd untitled = desktop.addWindow(Hwnd{}, "Untitled", "", pid);
    fake::addEdit(desktop, untitled, pid, "x");

    refreshWindowList(nullptr);

    const std::vector<std::string> expected = {"With menu|MenuFrame", "Itself a control|SysListView32",
                                               "|Untitled"};
    EXPECT_EQ(listed(), expected);
    EXPECT_EQ(windowRoot->firstChild()->window, menuOnly);
}

TEST_F(WindowInventory, ReadableControlSeveralLevelsDeepQualifiesItsTopLevelWindow) {
    Hwnd frame = desktop.addWindow(Hwnd{}, "Frame", "Deep", pid);
    Hwnd panel = desktop.addWindow(frame, "Panel", "", pid);
    Hwnd inner = desktop.addWindow(panel, "Panel", "", pid);
    Hwnd emptyPanel = desktop.addWindow(panel, "Panel", "", pid);
    fake::addStatusBar(desktop, inner, pid, {"Ready"});
    EXPECT_FALSE(hasReadableContent(frame));
    EXPECT_TRUE(hasReadableContentInTree(frame));
    EXPECT_FALSE(hasReadableContentInTree(emptyPanel));
    rebuildWindowTree();
    EXPECT_EQ(listed(), std::vector<std::string>{"Deep|Frame"});
}

TEST_F(WindowInventory, TitleAndClassNameAreCutTo254Bytes) {
    const std::string title(300, 't');
    const std::string cls(300, 'c');
    Hwnd w = desktop.addWindow(Hwnd{}, cls.c_str(), title.c_str(), pid);
    Hmenu bar = desktop.addMenu();
    desktop.addMenuItem(bar, "&File", 1);
    desktop.setMenu(w, bar);
    rebuildWindowTree();
    EXPECT_EQ(listed(), std::vector<std::string>{std::string(254, 't') + "|" + std::string(254, 'c')});
}

TEST_F(WindowInventory, RefreshesReplaceTheChildrenSoEachWindowHasOneNode) {
    fake::addListBox(desktop, desktop.addWindow(Hwnd{}, "Frame", "One", pid), pid, {"a"});
    rebuildWindowTree();
    fake::addListBox(desktop, desktop.addWindow(Hwnd{}, "Frame", "Two", pid), pid, {"b"});
    rebuildWindowTree();
    rebuildWindowTree();
    const std::vector<std::string> expected = {"One|Frame", "Two|Frame"};
    EXPECT_EQ(listed(), expected);
}

TEST_F(WindowInventory, ChildWalkContinuesAfterAWindowThatVanishedUnderIt) {
    Hwnd frame = desktop.addWindow(Hwnd{}, "Frame", "", pid);
    Hwnd a = desktop.addWindow(frame, "A", "", pid);
    Hwnd b = desktop.addWindow(frame, "B", "", pid);
    Hwnd c = desktop.addWindow(frame, "C", "", pid);
    ChildWalk walk(frame);
    EXPECT_EQ(walk.next(), a);
    EXPECT_EQ(walk.next(), b);
    desktop.destroyWindow(b);
    EXPECT_EQ(walk.next(), c);
    EXPECT_TRUE(isNull(walk.next()));

    ChildWalk again(frame);
    EXPECT_EQ(again.next(), a);
    desktop.destroyWindow(a);
    EXPECT_EQ(again.next(), c);
    EXPECT_TRUE(isNull(again.next()));
}

} // namespace
} // namespace vantor
