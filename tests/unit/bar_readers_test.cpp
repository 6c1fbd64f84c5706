// The status bar, tab control, toolbar and tree view readers against fake controls in 32-bit and 64-bit
// processes: report lines and capture trees, the records and blocks sent to the target, long texts, texts
// in the control's own buffer, and the failure and time-out paths.
#include <algorithm>
#include <string>
#include <vector>

#include "capture/bar_readers.h"
#include "remote_test_support.h"

namespace vantor {
namespace testing_support {
namespace {

using fake::FakeButton;
using fake::FakeTreeItem;

// The items of a tree, one line each: indentation by depth, text, value and (when asked) whether the
// node carries an item handle.
std::string treeLines(const TextNode* first, int depth = 0) {
    std::string out;
    for (const TextNode* n = first; n != nullptr; n = n->next()) {
        out += std::string(static_cast<std::size_t>(depth) * 2, ' ') + n->text + " [" +
               std::to_string(n->value) + "]\n";
        out += treeLines(n->firstChild(), depth + 1);
    }
    return out;
}

class BarReaderTest : public WidthTest {
  protected:
    // A capture tree with one item, to see whether a reader replaced it.
    TextNode* presetTree() {
        CaptureLock lock(session);
        appendChild(std::make_unique<TextNode>(), lock.tree())->setText("keep");
        return lock.tree();
    }
    void expectPresetKept(TextNode* preset) {
        CaptureLock lock(session);
        EXPECT_EQ(lock.tree(), preset);
        EXPECT_EQ(treeLines(lock.tree()->firstChild()), "keep [0]\n");
    }
    std::string items() {
        CaptureLock lock(session);
        return treeLines(lock.tree()->firstChild());
    }
    // Counts the messages carrying a block address that reach the target.
    void countBlockQueries(int* n) {
        desktop.beforeMessage = [n](Hwnd, std::uint32_t m) {
            if (m == wire::SB_GETTEXTA || m == wire::TCM_GETITEMA || m == wire::TB_GETBUTTON ||
                m == wire::TB_GETBUTTONTEXTA || m == wire::TVM_GETITEMA)
                ++*n;
        };
    }
};

// ---- Status bar ------------------------------------------------------------------------------------------

TEST_P(BarReaderTest, StatusBarWritesPartsOfTwoBytesOrMore) {
    Hwnd sb = fake::addStatusBar(desktop, top, target, {"Ready", "", "X"});
    readStatusBar(sb);
    EXPECT_EQ(reportText(), "Ready\r\n");
    EXPECT_EQ(access.remoteSizes, (std::vector<std::size_t>{260}));
    // Before each part the block's first byte goes out NUL: a part the bar does not write reads empty.
    ASSERT_EQ(access.writes.size(), 3u);
    for (const auto& w : access.writes)
        EXPECT_EQ(w.bytes, std::vector<std::uint8_t>{0});

    reportNow().clear();
    Hwnd shortOnly = fake::addStatusBar(desktop, top, target, {"", "X"});
    readStatusBar(shortOnly);
    EXPECT_EQ(reportText(), failureText());

    reportNow().clear();
    Hwnd noParts = fake::addStatusBar(desktop, top, target, {});
    readStatusBar(noParts);
    EXPECT_EQ(reportText(), failureText());
}

TEST_P(BarReaderTest, StatusBarLongPartIsReadWholeThroughALargerBlock) {
    std::string big(1000, 'x');
    Hwnd sb = fake::addStatusBar(desktop, top, target, {"Ready", big, "Done"});
    readStatusBar(sb);
    EXPECT_EQ(reportText(), "Ready\r\n" + big + "\r\nDone\r\n");
    EXPECT_EQ(access.remoteSizes, (std::vector<std::size_t>{260, 1001}));
}

TEST_P(BarReaderTest, StatusBarTextAtTheBlockBoundary) {
    Hwnd fits = fake::addStatusBar(desktop, top, target, {std::string(259, 'a')});
    readStatusBar(fits);
    EXPECT_EQ(reportText(), std::string(259, 'a') + "\r\n");
    EXPECT_EQ(access.remoteSizes, (std::vector<std::size_t>{260}));

    reportNow().clear();
    access.remoteSizes.clear();
    Hwnd oneMore = fake::addStatusBar(desktop, top, target, {std::string(260, 'b')});
    readStatusBar(oneMore);
    EXPECT_EQ(reportText(), std::string(260, 'b') + "\r\n");
    EXPECT_EQ(access.remoteSizes, (std::vector<std::size_t>{260, 261}));
}

TEST_P(BarReaderTest, StatusBarOfUnreadableProcessGivesFailureLineWithoutQuery) {
    Hwnd sb = fake::addStatusBar(desktop, top, target, {"Ready"});
    int queries = 0;
    countBlockQueries(&queries);
    desktop.process(target)->allocatable = false;
    readStatusBar(sb);
    EXPECT_EQ(reportText(), failureText());
    EXPECT_EQ(queries, 0);
}

TEST_P(BarReaderTest, StatusBarThatStopsAnsweringKeepsWhatWasRead) {
    Hwnd sb = fake::addStatusBar(desktop, top, target, {"Ready", "Line 1", "Col 2"});
    int lengths = 0;
    int afterHang = 0;
    desktop.beforeMessage = [&](Hwnd w, std::uint32_t m) {
        if (desktop.window(sb)->hung) ++afterHang;
        if (w == sb && m == wire::SB_GETTEXTLENGTHA && ++lengths == 2) desktop.window(sb)->hung = true;
    };
    readStatusBar(sb);
    EXPECT_EQ(reportText(), "Ready\r\n");
    EXPECT_EQ(afterHang, 0);
}

// ---- Tab control -----------------------------------------------------------------------------------------

TEST_P(BarReaderTest, TabControlBuildsOneNodePerTab) {
    Hwnd dialog = desktop.addWindow(top, "#32770", "Options", target);
    Hwnd tab = fake::addTabControl(desktop, dialog, target, {"General", "Advanced"});
    readTabControl(tab);
    CaptureLock lock(session);
    EXPECT_EQ(lock.tree()->text, std::string("Main Window")); // the top-level ancestor's text
    EXPECT_EQ(lock.tree()->window, tab);
    EXPECT_EQ(treeLines(lock.tree()->firstChild()), "General [0]\nAdvanced [1]\n");
}

TEST_P(BarReaderTest, TabControlRecordsInTheTargetsWidth) {
    Hwnd tab = fake::addTabControl(desktop, top, target, {"General", "Advanced"});
    readTabControl(tab);
    const std::size_t block = is64() ? 40 + 260 : 288;
    EXPECT_EQ(access.remoteSizes, (std::vector<std::size_t>{block}));
    ASSERT_EQ(access.writes.size(), 2u);
    for (const auto& w : access.writes) {
        ASSERT_EQ(w.bytes.size(), block);
        EXPECT_EQ(fieldAt<std::uint32_t>(w.bytes, 0), 1u); // TCIF_TEXT
        if (is64()) {
            EXPECT_EQ(fieldAt<std::uint64_t>(w.bytes, 16), w.at + 40);
            EXPECT_EQ(fieldAt<std::int32_t>(w.bytes, 24), 260);
        } else {
            EXPECT_EQ(fieldAt<std::uint32_t>(w.bytes, 12), w.at + 28);
            EXPECT_EQ(fieldAt<std::int32_t>(w.bytes, 16), 260);
        }
    }
    EXPECT_EQ(items(), "General [0]\nAdvanced [1]\n");
}

TEST_P(BarReaderTest, TabControlWithoutTabsOrUnreadableLeavesTheTree) {
    TextNode* preset = presetTree();
    Hwnd empty = fake::addTabControl(desktop, top, target, {});
    readTabControl(empty);
    expectPresetKept(preset);

    Hwnd tab = fake::addTabControl(desktop, top, target, {"General"});
    int queries = 0;
    countBlockQueries(&queries);
    desktop.process(target)->openable = false;
    readTabControl(tab);
    expectPresetKept(preset);
    EXPECT_EQ(queries, 0);
}

// ---- Toolbar ---------------------------------------------------------------------------------------------

std::vector<FakeButton> buttons(std::vector<std::pair<int, std::string>> spec) {
    std::vector<FakeButton> out;
    for (auto& s : spec) {
        FakeButton b;
        b.idCommand = s.first;
        b.text = s.second;
        out.push_back(b);
    }
    return out;
}

TEST_P(BarReaderTest, ToolbarBuildsOneNodePerButtonWithItsText) {
    Hwnd tb = fake::addToolbar(desktop, top, target, buttons({{100, "Open"}, {0, ""}, {101, "Save"}}));
    readToolbar(tb);
    EXPECT_EQ(items(), "Open [100]\n [0]\nSave [101]\n");
    // One process handle and one block at a time for the whole toolbar: first one record, then the three
    // records together, then a larger block for all the texts.
    const std::size_t record = is64() ? 32 : 20;
    EXPECT_EQ(access.remoteSizes, (std::vector<std::size_t>{record, 3 * record, 16384}));
    EXPECT_EQ(std::count(access.calls.begin(), access.calls.end(), "openProcess"), 1);
    // Each block is emptied once before its queries: the record slots and the text block.
    EXPECT_EQ(access.writes.size(), 2u);
    CaptureLock lock(session);
    EXPECT_EQ(lock.tree()->text, std::string("Main Window"));
    EXPECT_EQ(lock.tree()->window, tb);
}

TEST_P(BarReaderTest, RunningApplicationsToolbarReadsEverySecondButton) {
    auto four = buttons({{10, "a0"}, {11, "a1"}, {12, "a2"}, {13, "a3"}});
    Hwnd tb4 = fake::addToolbar(desktop, top, target, four, "実行中のアプリケーション");
    readToolbar(tb4);
    EXPECT_EQ(items(), "a1 [11]\na3 [13]\n");

    auto five = buttons({{10, "a0"}, {11, "a1"}, {12, "a2"}, {13, "a3"}, {14, "a4"}});
    Hwnd tb5 = fake::addToolbar(desktop, top, target, five, "実行中のアプリケーション");
    readToolbar(tb5);
    EXPECT_EQ(items(), "a1 [11]\na3 [13]\n");
}

TEST_P(BarReaderTest, ToolbarButtonTexts) {
    std::string longText(600, 'L');
    Hwnd tb = fake::addToolbar(desktop, top, target, buttons({{7, longText}, {8, "Short"}}));
    std::string text;
    ASSERT_TRUE(readToolbarButtonText(tb, 7, &text));
    EXPECT_EQ(text, longText); // read whole, through a block of 601 bytes
    EXPECT_EQ(access.remoteSizes, (std::vector<std::size_t>{260, 601}));

    ASSERT_TRUE(readToolbarButtonText(tb, 99, &text)); // a command the toolbar does not know
    EXPECT_EQ(text, "");

    desktop.process(target)->openable = false;
    EXPECT_FALSE(readToolbarButtonText(tb, 8, &text));
}

TEST_P(BarReaderTest, ToolbarWithoutButtonsOrUnreadableLeavesTheTree) {
    TextNode* preset = presetTree();
    Hwnd empty = fake::addToolbar(desktop, top, target, {});
    readToolbar(empty);
    expectPresetKept(preset);

    // The process ends during the text pass, after button 1's text was asked (so it cannot be read back),
    // or no block for the texts can be had in it.
    Hwnd tb = fake::addToolbar(desktop, top, target, buttons({{1, "One"}, {2, "Two"}}));
    int got = 0;
    desktop.beforeMessage = [&](Hwnd, std::uint32_t m) {
        if (m == wire::TB_GETBUTTONTEXTA && ++got == 3) desktop.process(target)->ended = true;
    };
    readToolbar(tb);
    expectPresetKept(preset);
    desktop.process(target)->ended = false;
    got = 0;
    desktop.beforeMessage = [&](Hwnd, std::uint32_t m) {
        if (m == wire::TB_GETBUTTON && ++got == 2) desktop.process(target)->allocatable = false;
    };
    readToolbar(tb);
    expectPresetKept(preset);
}

TEST_P(BarReaderTest, ToolbarThatStopsAnsweringDuringTheTextPass) {
    Hwnd tb = fake::addToolbar(desktop, top, target, buttons({{1, "One"}, {2, "Two"}, {3, "Three"}}));
    int texts = 0;
    int afterHang = 0;
    desktop.beforeMessage = [&](Hwnd w, std::uint32_t m) {
        if (desktop.window(tb)->hung) ++afterHang;
        if (w == tb && m == wire::TB_GETBUTTONTEXTA && ++texts == 3) desktop.window(tb)->hung = true;
    };
    readToolbar(tb);
    // Length and text of button 1, then the length query of button 2 times out.
    EXPECT_EQ(items(), "One [1]\n [2]\n [3]\n");
    EXPECT_EQ(afterHang, 0);
}

// ---- Tree view -------------------------------------------------------------------------------------------

std::vector<FakeTreeItem> sampleTree() {
    return {FakeTreeItem{"A", {FakeTreeItem{"A1", {}}, FakeTreeItem{"A2", {}}}}, FakeTreeItem{"B", {}}};
}

TEST_P(BarReaderTest, TreeViewCopiedDepthFirstWithItemHandles) {
    Hwnd tv = fake::addTreeView(desktop, top, target, sampleTree());
    readTreeView(tv);
    EXPECT_EQ(items(), "A [0]\n  A1 [0]\n  A2 [0]\nB [0]\n");
    std::intptr_t rootItem = 0;
    ASSERT_TRUE(desktop.sendMessage(tv, wire::TVM_GETNEXTITEM, wire::TVGN_ROOT, 0, &rootItem));
    CaptureLock lock(session);
    EXPECT_EQ(lock.tree()->window, tv);
    EXPECT_EQ(lock.tree()->text, std::string("Main Window"));
    EXPECT_EQ(lock.tree()->firstChild()->item, static_cast<std::uintptr_t>(rootItem));
    // Handles of a 64-bit tree keep their high bits (the fake's handles have them).
    if (is64()) {
        EXPECT_GT(lock.tree()->firstChild()->firstChild()->item, 0xFFFFFFFFull);
    }
}

TEST_P(BarReaderTest, TreeItemWithEmptyTextKeepsItAndItsChildren) {
    Hwnd tv = fake::addTreeView(desktop, top, target, {FakeTreeItem{"", {FakeTreeItem{"child", {}}}}});
    readTreeView(tv);
    EXPECT_EQ(items(), " [0]\n  child [0]\n");
}

TEST_P(BarReaderTest, TreeTextsFromTheTreeViewsOwnBuffer) {
    fake::TreeViewOptions own;
    own.ownBuffer = true;
    std::vector<FakeTreeItem> roots = sampleTree();
    roots.push_back(FakeTreeItem{std::string(400, 'w'), {}});
    Hwnd tv = fake::addTreeView(desktop, top, target, roots, own);
    readTreeView(tv);
    EXPECT_EQ(items(), "A [0]\n  A1 [0]\n  A2 [0]\nB [0]\n" + std::string(259, 'w') + " [0]\n");
}

TEST_P(BarReaderTest, TreeItemRecordInTheTargetsWidth) {
    Hwnd tv = fake::addTreeView(desktop, top, target, {FakeTreeItem{std::string(300, 't'), {}}});
    std::intptr_t item = 0;
    ASSERT_TRUE(desktop.sendMessage(tv, wire::TVM_GETNEXTITEM, wire::TVGN_ROOT, 0, &item));
    std::string text;
    ASSERT_TRUE(readTreeItemText(tv, static_cast<std::uintptr_t>(item), &text));
    EXPECT_EQ(text, std::string(259, 't'));
    const std::size_t block = is64() ? 56 + 260 : 300;
    EXPECT_EQ(access.remoteSizes, (std::vector<std::size_t>{block}));
    ASSERT_EQ(access.writes.size(), 1u);
    const auto& w = access.writes[0];
    ASSERT_EQ(w.bytes.size(), block);
    EXPECT_EQ(fieldAt<std::uint32_t>(w.bytes, 0), 0x0005u); // TVIF_TEXT | TVIF_PARAM
    if (is64()) {
        EXPECT_EQ(fieldAt<std::uint64_t>(w.bytes, 8), static_cast<std::uint64_t>(item));
        EXPECT_EQ(fieldAt<std::uint64_t>(w.bytes, 24), w.at + 56);
        EXPECT_EQ(fieldAt<std::int32_t>(w.bytes, 32), 260);
    } else {
        EXPECT_EQ(fieldAt<std::uint32_t>(w.bytes, 4), static_cast<std::uint32_t>(item));
        EXPECT_EQ(fieldAt<std::uint32_t>(w.bytes, 16), w.at + 40);
        EXPECT_EQ(fieldAt<std::int32_t>(w.bytes, 20), 260);
    }
}

TEST_P(BarReaderTest, TreeViewWithoutItemsOrUnreadableLeavesTheTree) {
    TextNode* preset = presetTree();
    Hwnd empty = fake::addTreeView(desktop, top, target, {});
    readTreeView(empty);
    expectPresetKept(preset);

    Hwnd tv = fake::addTreeView(desktop, top, target, sampleTree());
    int queries = 0;
    countBlockQueries(&queries);
    desktop.process(target)->openable = false;
    readTreeView(tv);
    expectPresetKept(preset);
    std::intptr_t item = 0;
    ASSERT_TRUE(desktop.sendMessage(tv, wire::TVM_GETNEXTITEM, wire::TVGN_ROOT, 0, &item));
    std::string text;
    EXPECT_FALSE(readTreeItemText(tv, static_cast<std::uintptr_t>(item), &text));

    desktop.process(target)->openable = true;
    desktop.process(target)->allocatable = false;
    readTreeView(tv);
    expectPresetKept(preset);
    EXPECT_EQ(queries, 0);
}

TEST_P(BarReaderTest, TreeViewThatStopsAnsweringIsAskedNoFurther) {
    Hwnd tv = fake::addTreeView(desktop, top, target, sampleTree());
    int texts = 0;
    int afterHang = 0;
    desktop.beforeMessage = [&](Hwnd w, std::uint32_t m) {
        if (desktop.window(tv)->hung) ++afterHang;
        if (w == tv && m == wire::TVM_GETITEMA && ++texts == 2) desktop.window(tv)->hung = true;
    };
    readTreeView(tv);
    // A1's text timed out: it stays, empty; nothing more is asked.
    EXPECT_EQ(items(), "A [0]\n   [0]\n");
    EXPECT_EQ(afterHang, 0);
}

TEST_P(BarReaderTest, TreeChildrenAppendUnderTheGivenNode) {
    Hwnd tv = fake::addTreeView(desktop, top, target, sampleTree());
    std::intptr_t first = 0;
    ASSERT_TRUE(desktop.sendMessage(tv, wire::TVM_GETNEXTITEM, wire::TVGN_ROOT, 0, &first));
    TextNode parent;
    readTreeChildren(tv, static_cast<std::uintptr_t>(first), &parent);
    EXPECT_EQ(treeLines(parent.firstChild()), "A1 [0]\nA2 [0]\n");
    destroyChildren(&parent);
}

TEST_P(BarReaderTest, NoLockHeldAcrossMessages) {
    Hwnd sb = fake::addStatusBar(desktop, top, target, {"Ready"});
    Hwnd tab = fake::addTabControl(desktop, top, target, {"General"});
    Hwnd tb = fake::addToolbar(desktop, top, target, buttons({{1, "One"}}));
    Hwnd tv = fake::addTreeView(desktop, top, target, sampleTree());
    bool held = false;
    desktop.beforeMessage = [&held](Hwnd, std::uint32_t) { held = held || captureLockHeldByThisThread(); };
    readStatusBar(sb);
    readTabControl(tab);
    readToolbar(tb);
    readTreeView(tv);
    EXPECT_FALSE(held);
    EXPECT_EQ(items(), "A [0]\n  A1 [0]\n  A2 [0]\nB [0]\n");
}

INSTANTIATE_TEST_SUITE_P(Widths, BarReaderTest, ::testing::Values(32, 64), widthName);

} // namespace
} // namespace testing_support
} // namespace vantor
