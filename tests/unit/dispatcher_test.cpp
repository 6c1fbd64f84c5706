// Unit tests of the capture dispatcher and printTextTree on the fake desktop: the two worked examples
// compared byte for byte, section buttons on their header lines, what a full capture and a single-window
// pass each leave out, the stop flag, trees of any depth, and the edit section for texts longer than one
// formatted append and for a text that could not be read.
#include "capture/dispatcher.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "capture/menu_capture.h"
#include "capture/section_json.h"
#include "capture_test_support.h"

namespace vantor {
namespace {

using namespace testing_support;

class Dispatcher : public EngineTest {
  protected:
    Hwnd topLevel(const char* cls = "NotesFrame", const char* title = "Notes") {
        return desktop.addWindow(Hwnd{}, cls, title, pid);
    }
    // Adds a node with text and value under parent and returns it.
    static TextNode* item(TextNode* parent, const char* text, int value = 0) {
        TextNode* node = appendChild(std::make_unique<TextNode>(), parent);
        node->setText(text);
        node->value = value;
        return node;
    }
    // printTextTree on the capture tree's items, under the lock as every caller does; printed tells
    // whether it wrote a line.
    std::string printTree(const char* prefix, bool withValue) {
        CaptureLock hold(session);
        printed = printTextTree(hold, hold.tree()->firstChild(), prefix, withValue);
        return hold.report().text != nullptr ? hold.report().text : "";
    }
    bool printed = false;
};

// --- printTextTree ---------------------------------------------------------------------------------------

TEST_F(Dispatcher, PrintsTopItemsAtTheMarginAndDeeperOnesIndentedWithValuesAboveZero) {
    TextNode* file = item(treeNow(), "&File", -1);
    item(file, "&Open", 100);
    TextNode* recent = item(file, "&Recent", -1);
    item(recent, "one.txt", 0);
    item(treeNow(), "&Help", 7);
    EXPECT_EQ(printTree(nullptr, true), "&File\r\n"
                                        "  + &Open [100]\r\n"
                                        "  + &Recent\r\n"
                                        "    + one.txt\r\n"
                                        "&Help [7]\r\n");
    EXPECT_TRUE(printed);
}

TEST_F(Dispatcher, WithoutValuesNoNumberIsWrittenAndAPrefixMarksEveryLevel) {
    TextNode* a = item(treeNow(), "Alpha", 3);
    item(a, "Beta", 4);
    EXPECT_EQ(printTree(">", false), ">+ Alpha\r\n>  + Beta\r\n");
}

TEST_F(Dispatcher, ShortTextsAreWrittenOnlyWhenTheyHaveChildrenSoTheChildrenKeepTheirParent) {
    item(treeNow(), "Top", 0);
    TextNode* blank = item(treeNow(), "x", 1);
    item(blank, "child", 2);
    item(blank, "y", 3);
    TextNode* empty = item(treeNow(), "", 0);
    item(empty, "ab", 0);
    EXPECT_EQ(printTree(nullptr, true), "Top\r\nx [1]\r\n  + child [2]\r\n\r\n  + ab\r\n");
}

TEST_F(Dispatcher, TreeOfOnlyShortLeavesWritesNothingAndLeavesTextSeenClear) {
    item(treeNow(), "a");
    item(treeNow(), "");
    EXPECT_EQ(printTree(nullptr, true), "");
    EXPECT_FALSE(printed);
}

TEST_F(Dispatcher, TwoHundredLevelsAreIndentedInFullWithoutOverflow) {
    // A fixed 256-byte prefix would stop at 127 levels; the printed indentation must keep growing.
    const std::string longText(255, 'T');
    TextNode* parent = treeNow();
    std::string expected;
    for (int depth = 0; depth <= 200; ++depth) {
        parent = item(parent, longText.c_str(), depth);
        expected += depth == 0 ? "" : std::string(2 * static_cast<std::size_t>(depth), ' ') + "+ ";
        expected += longText + (depth > 0 ? " [" + std::to_string(depth) + "]" : "") + "\r\n";
    }
    item(treeNow(), "after");
    expected += "after\r\n";
    EXPECT_EQ(printTree(nullptr, true), expected);
}

// --- captureWindow: the worked examples --------------------------------------------------------------------

TEST_F(Dispatcher, FullCaptureWorkedExample) {
    Hwnd frame = topLevel();
    Hmenu bar = desktop.addMenu();
    Hmenu file = desktop.addMenu();
    Hmenu help = desktop.addMenu();
    desktop.addMenuItem(file, "&Open\tCtrl+O", 100);
    desktop.addMenuItem(file, "", 0, Hmenu{}, true);
    desktop.addMenuItem(file, "E&xit", 101);
    desktop.addMenuItem(help, "&About", 200);
    desktop.addMenuItem(bar, "&File", 0, file);
    desktop.addMenuItem(bar, "&Help", 0, help);
    desktop.setMenu(frame, bar);
    fake::addListBox(desktop, frame, pid, {"alpha", "b", "gamma"});
    fake::addEdit(desktop, frame, pid, "notes");
    desktop.addWindow(frame, "Button", "OK", pid);
    reportNow().append("structure\n", 10); // the structure report ends with a line feed

    captureWindow(frame, true);

    EXPECT_EQ(reportText(), "structure\n"
                            "\r\n"
                            "■ メニュー情報\r\n"
                            "&File\r\n"
                            "  + &Open [100]\r\n"
                            "  + E&xit [101]\r\n"
                            "&Help\r\n"
                            "  + &About [200]\r\n"
                            "\n"
                            "■ リストボックス情報 [ListBox]\r\n"
                            "alpha\r\n"
                            "gamma\r\n");
    ASSERT_EQ(ui.buttons.size(), 2u);
    EXPECT_EQ(ui.buttons[0], std::make_pair(std::string("Menu"), 2));
    EXPECT_EQ(ui.buttons[1], std::make_pair(std::string("ListBox"), 9));
    EXPECT_EQ(lineOf(reportText(), 2), "■ メニュー情報");
    EXPECT_EQ(lineOf(reportText(), 9), "■ リストボックス情報 [ListBox]");
}

// A capture given a session writes the same report and keeps each section's model in report order; a second
// session run after it starts from nothing. Its JSON document holds what the report drops.
TEST_F(Dispatcher, SessionKeepsTheSectionsInReportOrderAndTheReportIsUnchanged) {
    Hwnd frame = topLevel();
    Hmenu bar = desktop.addMenu();
    Hmenu file = desktop.addMenu();
    desktop.addMenuItem(file, "&Open\tCtrl+O", 100);
    desktop.addMenuItem(file, "", 0, Hmenu{}, true);
    desktop.addMenuItem(bar, "&File", 0, file);
    desktop.setMenu(frame, bar);
    Hwnd box = fake::addListBox(desktop, frame, pid, {"alpha", "b"});
    captureWindow(frame, true);
    const std::string plain = reportText();
    for (int run = 0; run < 2; ++run) {
        reportNow().clear();
        CaptureSession session(&ui);
        session.keepModels = true;
        readOutline(frame, &session.outline);
        vantor::captureWindow(session, frame, true);
        EXPECT_EQ(reportSnapshot(session), plain);
        ASSERT_EQ(session.sections.size(), 2u);
        EXPECT_EQ(session.sections[0].kind, CapturedKind::MenuBar);
        EXPECT_EQ(session.sections[1].kind, CapturedKind::Control);
        char handles[64];
        std::snprintf(handles, sizeof handles, "0x%" PRIXPTR "|0x%" PRIXPTR,
                      static_cast<std::uintptr_t>(frame), static_cast<std::uintptr_t>(box));
        const std::string f = std::string(handles).substr(0, std::string(handles).find('|'));
        const std::string b = std::string(handles).substr(std::string(handles).find('|') + 1);
        const std::string menuItem = R"(,"depth":1,"greyed":false,"id":)";
        EXPECT_EQ(
            captureJson(session),
            R"({"format":"vantor-capture","sections":[)"
            R"({"class":"NotesFrame","handle":")" +
                f +
                R"(","items":[)"
                R"({"checked":false,"depth":0,"greyed":false,"id":0,"separator":false,"sub_menu":true,"text":"&File"},)"
                R"({"checked":false)" +
                menuItem +
                R"(100,"separator":false,"sub_menu":false,"text":"&Open"},)"
                R"({"checked":false)" +
                menuItem +
                R"(0,"separator":true,"sub_menu":false,"text":""}],)"
                R"("kind":"menu_bar","path":"messages","status":"read"},)"
                R"({"class":"ListBox","handle":")" +
                b +
                R"(","items":["alpha","b"],"kind":"list_box",)"
                R"("path":"messages","status":"read"}],"version":1,"window":{"children":[)"
                R"({"children":[],"class":"ListBox","control_id":0,"handle":")" +
                b +
                R"(","title":""}],)"
                R"("class":"NotesFrame","control_id":0,"handle":")" +
                f +
                R"(","title":"Notes"}})"
                "\n");
    }
}

TEST_F(Dispatcher, SingleWindowPassesWorkedExample) {
    Hwnd frame = topLevel();
    Hwnd edit = fake::addEdit(desktop, frame, pid, "Hello\r\nWorld");
    Hwnd label = fake::addStatic(desktop, frame, pid, "Name:");
    reportNow().append("2026/12/07 09:30:15", 19); // the monitor's timestamp line, without a line break

    captureWindow(edit, false);
    captureWindow(label, false);

    EXPECT_EQ(reportText(), "2026/12/07 09:30:15\r\n"
                            "■ エディットコントロール [Edit]\r\n"
                            "Hello\r\n"
                            "World\r\n"
                            "\r\n"
                            "■ スタティックコントロール\r\n"
                            "Name:\r\n");
    EXPECT_TRUE(ui.buttons.empty());
}

// --- captureWindow: edge cases
// ------------------------------------------------------------------------------

TEST_F(Dispatcher, StopRequestedAppendsNothing) {
    Hwnd frame = topLevel();
    fake::addListBox(desktop, frame, pid, {"alpha"});
    session.requestStop();
    captureWindow(frame, true);
    EXPECT_EQ(reportNow().text, nullptr);
    EXPECT_TRUE(ui.buttons.empty());
}

TEST_F(Dispatcher, StopRequestedDuringTheWalkKeepsWhatWasWrittenAndVisitsNoFurtherWindow) {
    Hwnd frame = topLevel();
    Hwnd first = fake::addListBox(desktop, frame, pid, {"first"});
    fake::addListBox(desktop, frame, pid, {"second"});
    desktop.beforeMessage = [&](Hwnd w, std::uint32_t msg) {
        if (w == first && msg == wire::LB_GETTEXT) session.requestStop();
    };
    captureWindow(frame, true);
    desktop.beforeMessage = nullptr;
    EXPECT_EQ(reportText(), "\n■ リストボックス情報 [ListBox]\r\nfirst\r\n");
}

TEST_F(Dispatcher, WindowOfKindOtherWithoutMenuOrChildrenAppendsNothing) {
    captureWindow(topLevel(), true);
    captureWindow(topLevel(), false);
    EXPECT_EQ(reportNow().text, nullptr);
    EXPECT_TRUE(ui.buttons.empty());
}

TEST_F(Dispatcher, TreeViewWithoutItemsGetsItsHeaderAndTheFailureLineInBothKindsOfPass) {
    Hwnd frame = topLevel();
    Hwnd tree = fake::addTreeView(desktop, frame, pid, {});
    // An earlier reader's items must not be printed for this tree view.
    item(treeNow(), "stale item");
    captureWindow(tree, true);
    captureWindow(tree, false);
    const std::string section = std::string("\n■ ツリーコントロール情報 [SysTreeView32]\r\n") + kFailureText;
    EXPECT_EQ(reportText(), section + section);
    ASSERT_EQ(ui.buttons.size(), 1u);
    EXPECT_EQ(ui.buttons[0], std::make_pair(std::string("TreeView"), 1));
}

TEST_F(Dispatcher, TwoCapturesOneAfterTheOtherCarryNothingOver) {
    Hwnd first = topLevel();
    fake::addTreeView(desktop, first, pid, {{"Kept tree item", {}}});
    fake::addStatusBar(desktop, first, pid, {"Kept part"});
    captureWindow(first, true);
    ASSERT_EQ(reportText(), "\n■ ツリーコントロール情報 [SysTreeView32]\r\nKept tree item\r\n"
                            "\n■ ステータスバー情報 [msctls_statusbar32]\r\nKept part\r\n");
    reportNow().clear();
    // The same kinds with nothing to read: each section says so, none shows what the first capture read.
    Hwnd second = topLevel("OtherFrame", "Other");
    fake::addTreeView(desktop, second, pid, {});
    fake::addStatusBar(desktop, second, pid, {});
    fake::addToolbar(desktop, second, pid, {});
    captureWindow(second, true);
    EXPECT_EQ(reportText(), std::string("\n■ ツリーコントロール情報 [SysTreeView32]\r\n") + kFailureText +
                                "\n■ ステータスバー情報 [msctls_statusbar32]\r\n" + kFailureText +
                                "\n■ ツールバー情報 [ToolbarWindow32]\r\n" + kFailureText);
}

TEST_F(Dispatcher, TreeViewItemsArePrintedWithoutValues) {
    Hwnd frame = topLevel();
    fake::addTreeView(desktop, frame, pid, {{"Root", {{"Leaf", {}}, {"x", {{"Deep", {}}}}}}, {"Other", {}}});
    captureWindow(frame, true);
    EXPECT_EQ(reportText(), "\n■ ツリーコントロール情報 [SysTreeView32]\r\n"
                            "Root\r\n"
                            "  + Leaf\r\n"
                            "  + x\r\n"
                            "    + Deep\r\n"
                            "Other\r\n");
}

TEST_F(Dispatcher, MenuItemWithCommandZeroIsWrittenWithoutANumber) {
    Hwnd frame = topLevel();
    Hmenu bar = desktop.addMenu();
    desktop.addMenuItem(bar, "&Zero", 0);
    desktop.addMenuItem(bar, "&Five", 5);
    desktop.setMenu(frame, bar);
    captureWindow(frame, true);
    EXPECT_EQ(reportText(), "\r\n■ メニュー情報\r\n&Zero\r\n&Five [5]\r\n");
}

TEST_F(Dispatcher, MenuBarOfOnlyShortTextsGetsTheFailureLine) {
    Hwnd frame = topLevel();
    Hmenu bar = desktop.addMenu();
    desktop.addMenuItem(bar, "x", 5);
    desktop.setMenu(frame, bar);
    captureWindow(frame, true);
    EXPECT_EQ(reportText(), std::string("\r\n■ メニュー情報\r\n") + kFailureText);
}

// A child's "menu" is its control id; a menu that happens to have that handle (here one with items) is not
// the child's menu bar, so the child gets no menu section.
TEST_F(Dispatcher, ChildWhoseIdIsAMenusHandleGetsNoMenuSection) {
    Hwnd frame = topLevel();
    Hmenu other = desktop.addMenu();
    desktop.addMenuItem(other, "元のサイズに戻す(&R)", 61728);
    Hwnd child = desktop.addWindow(frame, "Panel", "", pid);
    desktop.setMenu(child, other);
    desktop.window(child)->style = 0x40000000; // WS_CHILD
    captureWindow(child, true);
    EXPECT_EQ(reportText(), "");
}

// A top-level window's menu bar that exists but cannot be read (the hook library could not be asked) is
// not left out silently: header, failureLine, and the reason to the observer. A child's "menu" (its id) is
// no menu bar. A bar read only in part ends with failureLine.
std::vector<std::string> menuProblems;
void noteMenuProblem(Hwnd, const char* reason) {
    menuProblems.push_back(reason);
}

TEST_F(Dispatcher, MenuBarThatCannotBeReadOrIsCutEndsWithTheFailureLine) {
    Hwnd frame = topLevel();
    desktop.setMenu(frame, static_cast<Hmenu>(0x777)); // a handle that no menu answers to
    Hwnd child = desktop.addWindow(frame, "Panel", "", pid);
    desktop.setMenu(child, static_cast<Hmenu>(0x778));
    desktop.window(child)->style = 0x40000000; // WS_CHILD
    menuProblems.clear();
    setMenuProblemObserver(&noteMenuProblem);
    captureWindow(frame, true);
    setMenuProblemObserver(nullptr);
    EXPECT_EQ(reportText(), std::string("\r\n■ メニュー情報\r\n") + kFailureText);
    EXPECT_EQ(menuProblems, (std::vector<std::string>{"the menu's items could not be read"}));

    CaptureLock(session).report().clear();
    Hwnd other = topLevel();
    Hmenu bar = desktop.addMenu();
    Hmenu file = desktop.addMenu();
    desktop.addMenuItem(file, "&Open", 101);
    desktop.addMenuItem(bar, "&File", 0, file);
    desktop.setMenu(other, bar);
    desktop.cutMenus.insert(file);
    captureWindow(other, true);
    EXPECT_EQ(reportText(), std::string("\r\n■ メニュー情報\r\n&File\r\n  + &Open [101]\r\n") + kFailureText);
}

TEST_F(Dispatcher, SingleWindowStaticShowsItsOwnTextCutTo255Bytes) {
    Hwnd label = fake::addStatic(desktop, topLevel(), pid, std::string(300, 's'));
    captureWindow(label, false);
    EXPECT_EQ(reportText(), "\r\n■ スタティックコントロール\r\n" + std::string(255, 's') + "\r\n");
}

TEST_F(Dispatcher, FullCaptureWritesNoEditOrStaticSectionButVisitsTheirChildren) {
    Hwnd frame = topLevel();
    Hwnd edit = fake::addEdit(desktop, frame, pid, "text");
    fake::addStatic(desktop, frame, pid, "label");
    fake::addListBox(desktop, edit, pid, {"inside"});
    captureWindow(frame, true);
    EXPECT_EQ(reportText(), "\n■ リストボックス情報 [ListBox]\r\ninside\r\n");
}

TEST_F(Dispatcher, SingleWindowPassWritesNoMenuNoChildrenAndNoButtons) {
    Hwnd list = fake::addListBox(desktop, topLevel(), pid, {"alpha"});
    Hmenu bar = desktop.addMenu();
    desktop.addMenuItem(bar, "&File", 1);
    desktop.setMenu(list, bar);
    fake::addListBox(desktop, list, pid, {"child"});
    captureWindow(list, false);
    EXPECT_EQ(reportText(), "\n■ リストボックス情報 [ListBox]\r\nalpha\r\n");
    EXPECT_TRUE(ui.buttons.empty());
}

TEST_F(Dispatcher, EveryKindGetsItsHeaderAndButtonLabel) {
    Hwnd frame = topLevel();
    fake::addListView(desktop, frame, pid, {"Name"}, {{"row"}});
    fake::addListBox(desktop, frame, pid, {"lb"});
    fake::addComboBox(desktop, frame, pid, {"cb"}, "");
    fake::addTreeView(desktop, frame, pid, {{"tv", {}}});
    fake::addTabControl(desktop, frame, pid, {"tab"});
    fake::addToolbar(desktop, frame, pid, {{7, "tb"}});
    fake::addStatusBar(desktop, frame, pid, {"sb"});
    desktop.addWindow(frame, "msctls_updown32", "", pid);
    desktop.addWindow(frame, "TCheckBox", "check", pid);
    desktop.addWindow(frame, "TRadioBox", "radio", pid);
    desktop.addWindow(frame, "Button", "button", pid);
    captureWindow(frame, true);
    EXPECT_EQ(reportText(), "\n■ リストコントロール情報 [SysListView32]\r\nName\r\nrow\r\n"
                            "\n■ リストボックス情報 [ListBox]\r\nlb\r\n"
                            "\n■ コンボボックスコントロール情報 [ComboBox]\r\ncb\r\n"
                            "\n■ ツリーコントロール情報 [SysTreeView32]\r\ntv\r\n"
                            "\n■ タブコントロール情報 [SysTabControl32]\r\ntab\r\n"
                            "\n■ ツールバー情報 [ToolbarWindow32]\r\ntb\r\n"
                            "\n■ ステータスバー情報 [msctls_statusbar32]\r\nsb\r\n");
    const std::vector<std::pair<std::string, int>> expected = {
        {"ListView", 1}, {"ListBox", 5},  {"ComboBox", 8},   {"TreeView", 11},
        {"TabCtrl", 14}, {"Toolbar", 17}, {"StatusBar", 20},
    };
    EXPECT_EQ(ui.buttons, expected);
}

TEST_F(Dispatcher, EditTextLongerThanOneFormattedAppendIsWrittenWhole) {
    std::string text(70000, 'a');
    text.replace(100, 2, "\r\n");
    text.replace(69990, 3, "end");
    Hwnd edit = fake::addEdit(desktop, topLevel(), pid, text);
    captureWindow(edit, false);
    EXPECT_EQ(reportText(), "\r\n■ エディットコントロール [Edit]\r\n" + text + "\r\n");
}

TEST_F(Dispatcher, EmptyEditGetsAnEmptyContentLine) {
    captureWindow(fake::addEdit(desktop, topLevel(), pid, ""), false);
    EXPECT_EQ(reportText(), "\r\n■ エディットコントロール [Edit]\r\n\r\n");
}

TEST_F(Dispatcher, EditWhoseTextCannotBeReadKeepsItsHeaderAndAnEmptyContentLine) {
    Hwnd edit = fake::addEdit(desktop, topLevel(), pid, "unreadable");
    desktop.failLocalAlloc = true;
    captureWindow(edit, false);
    desktop.failLocalAlloc = false;
    EXPECT_EQ(reportText(), "\r\n■ エディットコントロール [Edit]\r\n\r\n");
}

TEST_F(Dispatcher, WindowVanishingDuringTheWalkReadsAsOtherAndTheWalkGoesOn) {
    Hwnd frame = topLevel();
    Hwnd doomed = fake::addListBox(desktop, frame, pid, {"never"});
    fake::addListBox(desktop, doomed, pid, {"inner"});
    fake::addListBox(desktop, frame, pid, {"after"});
    bool gone = false;
    desktop.beforeMessage = [&](Hwnd w, std::uint32_t msg) {
        if (!gone && w == doomed && msg == wire::LB_GETCOUNT) {
            gone = true;
            desktop.destroyWindow(doomed);
        }
    };
    captureWindow(frame, true);
    desktop.beforeMessage = nullptr;
    // The vanished list box's section has its header and the failure line; nothing below it is read, and
    // its next sibling still is, although the window system cannot continue the walk after a gone window.
    EXPECT_EQ(reportText(), std::string("\n■ リストボックス情報 [ListBox]\r\n") + kFailureText +
                                "\n■ リストボックス情報 [ListBox]\r\nafter\r\n");
}

} // namespace
} // namespace vantor
