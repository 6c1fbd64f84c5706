// How many exchanges the cross-process readers make, in both pointer widths: list-view cells in batches
// (one write, one message per cell, one read), one process handle and one block per tree view and toolbar,
// and that the batched answers are byte for byte those of one query per cell (texts left by a FALSE answer,
// a list view that reuses one buffer, stop requests and refreshes in their places). Also the blocks kept for
// late answers after a time-out, and the bounds of a tree walk.
#include <algorithm>
#include <string>
#include <vector>

#include "capture/bar_readers.h"
#include "capture/list_view_reader.h"
#include "capture/remote_parking.h"
#include "remote_test_support.h"

namespace vantor {
namespace testing_support {
namespace {

using fake::FakeTreeItem;
using Rows = std::vector<std::vector<std::string>>;

class ExchangeBatchTest : public WidthTest {
  protected:
    Hwnd list(std::vector<std::string> columns, Rows rows, fake::ListViewOptions options = {}) {
        return fake::addListView(desktop, top, target, std::move(columns), std::move(rows), {},
                                 std::move(options));
    }
    Hwnd headerOf(Hwnd lv) {
        std::intptr_t h = 0;
        desktop.sendMessage(lv, wire::LVM_GETHEADER, 0, 0, &h);
        return static_cast<Hwnd>(static_cast<std::uintptr_t>(h));
    }
    int opens() const {
        return static_cast<int>(std::count(access.calls.begin(), access.calls.end(), "openProcess"));
    }
    std::string items() {
        CaptureLock lock(session);
        std::string out;
        print(lock.tree()->firstChild(), 0, &out);
        return out;
    }
    static void print(const TextNode* n, int depth, std::string* out) {
        for (; n != nullptr; n = n->next()) {
            *out += std::string(static_cast<std::size_t>(depth) * 2, ' ') + n->text + "\n";
            print(n->firstChild(), depth + 1, out);
        }
    }
};

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

Rows numberedRows(int count) {
    Rows rows;
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        rows.push_back({"name" + n, n + " KB", "type" + n, "2026-12-" + n});
    }
    return rows;
}

// ---- List views ------------------------------------------------------------------------------------------

TEST_P(ExchangeBatchTest, ThousandRowsOfFourColumnsInTenWritesAndReads) {
    Hwnd lv = list({"Name", "Size", "Type", "Date"}, numberedRows(1000));
    Hwnd header = headerOf(lv);
    readListViewRows(lv, false);

    std::string expected = "Name\tSize\tType\tDate\r\n";
    for (int i = 0; i < 1000; ++i) {
        const std::string n = std::to_string(i);
        expected += "name" + n + "\t" + n + " KB\ttype" + n + "\t2026-12-" + n + "\r\n";
    }
    EXPECT_EQ(reportText(), expected);

    // Row 0 alone, rows 1-200 (the pane is refreshed after row 200), then 100 rows at a time.
    const auto cells = desktop.exchangesWith(lv);
    EXPECT_EQ(cells.writes, 10);
    EXPECT_EQ(cells.reads, 10);
    EXPECT_EQ(cells.count(wire::LVM_GETITEMA), 4000);
    // Plus LVM_GETHEADER (once by this test, twice by the readers) and LVM_GETITEMCOUNT.
    EXPECT_EQ(cells.messages, 4000 + 3 + 1);
    // The header: one exchange per title.
    const auto titles = desktop.exchangesWith(header);
    EXPECT_EQ(titles.writes, 4);
    EXPECT_EQ(titles.reads, 4);
    EXPECT_EQ(titles.count(wire::HDM_GETITEMA), 4);
    EXPECT_EQ(opens(), 2);
    EXPECT_EQ(ui.shown.size(), 8u); // after rows 200, 300, ..., 900
}

TEST_P(ExchangeBatchTest, RefreshAndStopKeepTheirPlacesInsideABatch) {
    Hwnd lv = list({"Name", "Size", "Type", "Date"}, numberedRows(320));
    int cells = 0;
    // Row 250, column 2 is the 1003rd cell: the stop comes before it.
    desktop.beforeMessage = [this, &cells](Hwnd, std::uint32_t m) {
        if (m == wire::LVM_GETITEMA && ++cells == 1002) session.requestStop();
    };
    readListViewRows(lv, false);
    const std::string text = reportText();
    EXPECT_TRUE(endsWith(text, "\r\nname249\t249 KB\ttype249\t2026-12-249\r\nname250\t250 KB"));
    EXPECT_EQ(cells, 1002);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_TRUE(endsWith(ui.shown[0], "2026-12-199\r\nname200\t200 KB\ttype200\t2026-12-200\r\n"));
}

TEST_P(ExchangeBatchTest, SelectedRowsAreBatchedInRowOrder) {
    Rows rows = numberedRows(400);
    Hwnd lv = fake::addListView(desktop, top, target, {"Name", "Size"}, rows, {3, 150, 201, 399});
    readListViewRows(lv, true);
    EXPECT_EQ(reportText(), "Name\tSize\r\n"
                            "name3\t3 KB\r\n"
                            "name150\t150 KB\r\n"
                            "name201\t201 KB\r\n"
                            "name399\t399 KB\r\n");
    EXPECT_EQ(desktop.exchangesWith(lv).count(wire::LVM_GETITEMA), 8);
    EXPECT_EQ(desktop.exchangesWith(lv).writes, 1);
}

TEST_P(ExchangeBatchTest, FalseAnswerIsAnEmptyTextNotThePreviousOne) {
    // The list view says 4 rows but holds 2: the cells of rows 2 and 3 are answered FALSE and written
    // nothing; each text buffer went out empty, so they are empty, not the text of an earlier cell.
    fake::ListViewOptions shrunk;
    shrunk.reportedRows = 4;
    Hwnd lv = list({"Name", "Size"}, {{"alpha", "1"}, {"beta", "22"}}, shrunk);
    readListViewRows(lv, false);
    EXPECT_EQ(reportText(), "Name\tSize\r\nalpha\t1\r\nbeta\t22\r\n\t\r\n\t\r\n");
}

TEST_P(ExchangeBatchTest, ListViewThatReusesOneBufferIsAskedAgainCellByCell) {
    fake::ListViewOptions shared;
    shared.ownBuffer = true;
    shared.sharedBuffer = true;
    Hwnd lv = list({"Name", "Size"}, {{"a", "1"}, {"bb", "22"}, {"ccc", "333"}}, shared);
    readListViewRows(lv, false);
    EXPECT_EQ(reportText(), "Name\tSize\r\na\t1\r\nbb\t22\r\nccc\t333\r\n");
    // Every batch's cells came back pointing at one place: each was asked again on its own.
    EXPECT_EQ(desktop.exchangesWith(lv).count(wire::LVM_GETITEMA), 6 + 6);
}

// ---- Blocks kept for late answers ----------------------------------------------------------------------

TEST_P(ExchangeBatchTest, BlockOfAnUnansweredQueryIsKeptUntilTheLateAnswerCame) {
    Hwnd lv = list({"Name", "Size"}, numberedRows(5));
    int cells = 0;
    desktop.beforeMessage = [&](Hwnd w, std::uint32_t m) {
        if (w == lv && m == wire::LVM_GETITEMA && ++cells == 5) desktop.window(lv)->hung = true;
    };
    readListViewRows(lv, false);
    EXPECT_EQ(reportText(), "Name\tSize\r\nname0\t0 KB\r\nname1\t1 KB\r\n\t\r\n" + failureText());
    // The list view's block stays (with its process handle); the header's is freed.
    EXPECT_EQ(parkedBlocks(), 1);
    EXPECT_EQ(desktop.remoteBlocks(), 1);
    EXPECT_EQ(desktop.openProcessHandles(), 1);

    // While it is still hung, a second capture sends nothing through a new block: still one block.
    desktop.beforeMessage = nullptr;
    reportNow().clear();
    readListViewRows(lv, false);
    EXPECT_EQ(desktop.remoteBlocks(), 1);
    EXPECT_EQ(desktop.exchangesWith(lv).count(wire::LVM_GETITEMA), 5);

    // The late answer writes into the kept block: no fault. Afterwards the block is freed and the list view
    // read again as usual.
    desktop.wake(lv);
    EXPECT_EQ(desktop.faults(), std::vector<std::string>{});
    reportNow().clear();
    readListViewRows(lv, false);
    EXPECT_EQ(parkedBlocks(), 0);
    EXPECT_EQ(lineOf(reportText(), 5), "name4\t4 KB");
    EXPECT_EQ(desktop.remoteBlocks(), 0);
}

TEST_P(ExchangeBatchTest, BlockStillAtRiskAtTheEndIsLeftToTheTarget) {
    Hwnd tv = fake::addTreeView(desktop, top, target, {FakeTreeItem{"A", {}}});
    desktop.window(tv)->hung = false;
    desktop.beforeMessage = [&](Hwnd w, std::uint32_t m) {
        if (w == tv && m == wire::TVM_GETITEMA) desktop.window(tv)->hung = true;
    };
    readTreeView(tv);
    desktop.beforeMessage = nullptr;
    EXPECT_EQ(parkedBlocks(), 1);
    settleAllParkedBlocks();
    EXPECT_EQ(parkedBlocks(), 0);
    EXPECT_EQ(desktop.abandonedBlocks(), 1);
    EXPECT_EQ(desktop.openProcessHandles(), 0);
    // Answering late is harmless: the block is still there.
    desktop.wake(tv);
    EXPECT_EQ(desktop.faults(), std::vector<std::string>{});
}

TEST_P(ExchangeBatchTest, BlockOfAControlDestroyedMeanwhileIsFreedAtTheEnd) {
    Hwnd tv = fake::addTreeView(desktop, top, target, {FakeTreeItem{"A", {}}});
    desktop.beforeMessage = [&](Hwnd w, std::uint32_t m) {
        if (w == tv && m == wire::TVM_GETITEMA) desktop.window(tv)->hung = true;
    };
    readTreeView(tv);
    desktop.beforeMessage = nullptr;
    EXPECT_EQ(parkedBlocks(), 1);
    // A window that is gone can answer no more: its block is freed, not left to the target.
    desktop.destroyWindow(tv);
    settleAllParkedBlocks();
    EXPECT_EQ(parkedBlocks(), 0);
    EXPECT_EQ(desktop.abandonedBlocks(), 0);
    EXPECT_EQ(desktop.remoteBlocks(), 0);
}

TEST_P(ExchangeBatchTest, AnotherControlsReadLeavesAParkedBlockAlone) {
    Hwnd hung = fake::addTreeView(desktop, top, target, {FakeTreeItem{"A", {}}});
    Hwnd other = fake::addTreeView(desktop, top, target, {FakeTreeItem{"B", {}}});
    desktop.beforeMessage = [&](Hwnd w, std::uint32_t m) {
        if (w == hung && m == wire::TVM_GETITEMA) desktop.window(hung)->hung = true;
    };
    readTreeView(hung);
    desktop.beforeMessage = nullptr;
    readTreeView(other);
    EXPECT_EQ(parkedBlocks(), 1);
    // The late answer finds its block still there.
    desktop.wake(hung);
    EXPECT_EQ(desktop.faults(), std::vector<std::string>{});
}

TEST_P(ExchangeBatchTest, BlockOfAnEndedProcessIsFreedAtOnce) {
    Hwnd lv = list({"Name", "Size"}, numberedRows(3));
    int cells = 0;
    desktop.beforeMessage = [&](Hwnd w, std::uint32_t m) {
        if (w == lv && m == wire::LVM_GETITEMA && ++cells == 3) desktop.process(target)->ended = true;
    };
    readListViewRows(lv, false);
    EXPECT_EQ(parkedBlocks(), 0);
    EXPECT_EQ(desktop.remoteBlocks(), 0);
}

// ---- Tree views and toolbars ------------------------------------------------------------------------------

TEST_P(ExchangeBatchTest, TreeViewWalkedThroughOneBuffer) {
    std::vector<FakeTreeItem> roots;
    for (int i = 0; i < 30; ++i) {
        FakeTreeItem folder{"folder" + std::to_string(i), {}};
        for (int k = 0; k < 19; ++k)
            folder.children.push_back(FakeTreeItem{"file" + std::to_string(i) + "." + std::to_string(k), {}});
        roots.push_back(folder);
    }
    Hwnd tv = fake::addTreeView(desktop, top, target, roots);
    readTreeView(tv);
    const std::string text = items();
    EXPECT_EQ(text.substr(0, 38), "folder0\n  file0.0\n  file0.1\n  file0.2\n");
    EXPECT_TRUE(endsWith(text, "\nfolder29\n  file29.0\n  file29.1\n"
                               "  file29.2\n  file29.3\n  file29.4\n  file29.5\n  file29.6\n  file29.7\n"
                               "  file29.8\n  file29.9\n  file29.10\n  file29.11\n  file29.12\n  file29.13\n"
                               "  file29.14\n  file29.15\n  file29.16\n  file29.17\n  file29.18\n"));
    const auto e = desktop.exchangesWith(tv);
    EXPECT_EQ(e.count(wire::TVM_GETITEMA), 600);
    EXPECT_EQ(e.writes, 600);
    EXPECT_EQ(e.reads, 3); // 256 + 256 + 88 texts
    EXPECT_EQ(opens(), 1);
}

TEST_P(ExchangeBatchTest, TreeThatLeadsBackEndsAtTheItemSeenAgain) {
    fake::TreeViewOptions looping;
    looping.loopBackTo = 0; // B's child is A again
    Hwnd tv = fake::addTreeView(
        desktop, top, target, {FakeTreeItem{"A", {FakeTreeItem{"A1", {}}}}, FakeTreeItem{"B", {}}}, looping);
    readTreeView(tv);
    EXPECT_EQ(items(), "A\n  A1\nB\n");
    EXPECT_EQ(desktop.exchangesWith(tv).count(wire::TVM_GETITEMA), 3);
}

TEST_P(ExchangeBatchTest, TreeDeeperThanTheBoundEndsThere) {
    FakeTreeItem deep{"level600", {}};
    for (int level = 599; level >= 1; --level)
        deep = FakeTreeItem{"level" + std::to_string(level), {deep}};
    Hwnd tv = fake::addTreeView(desktop, top, target, {deep});
    readTreeView(tv);
    const std::string text = items();
    // 512 levels are copied, the 513th and below are not.
    EXPECT_NE(text.find(std::string(511 * 2, ' ') + "level512\n"), std::string::npos);
    EXPECT_EQ(text.find("level513"), std::string::npos);
    EXPECT_EQ(desktop.exchangesWith(tv).count(wire::TVM_GETITEMA), 512);
}

TEST_P(ExchangeBatchTest, ToolbarReadThroughOneBuffer) {
    std::vector<fake::FakeButton> buttons;
    for (int i = 0; i < 200; ++i) {
        fake::FakeButton b;
        b.idCommand = 1000 + i;
        b.text = i == 7 ? std::string(2000, 'w') : "button" + std::to_string(i);
        buttons.push_back(b);
    }
    Hwnd tb = fake::addToolbar(desktop, top, target, buttons);
    readToolbar(tb);
    const std::string text = items();
    EXPECT_EQ(text.substr(0, 24), "button0\nbutton1\nbutton2\n");
    EXPECT_NE(text.find("\n" + std::string(2000, 'w') + "\nbutton8\n"), std::string::npos);
    EXPECT_TRUE(endsWith(text, "\nbutton197\nbutton198\nbutton199\n"));
    const auto e = desktop.exchangesWith(tb);
    EXPECT_EQ(e.count(wire::TB_GETBUTTON), 200);
    EXPECT_EQ(e.count(wire::TB_GETBUTTONTEXTA), 400); // length and text of each
    EXPECT_EQ(e.writes, 1 + 1);                       // the emptied record slots, then the emptied text block
    EXPECT_EQ(e.reads, 1 + 1);                        // all records in one block, then all texts in another
    EXPECT_EQ(opens(), 1);
}

TEST_P(ExchangeBatchTest, SingleItemReadersKeepTheirOwnBuffer) {
    Hwnd tv = fake::addTreeView(desktop, top, target, {FakeTreeItem{"only", {}}});
    std::intptr_t item = 0;
    ASSERT_TRUE(desktop.sendMessage(tv, wire::TVM_GETNEXTITEM, wire::TVGN_ROOT, 0, &item));
    std::string text;
    ASSERT_TRUE(readTreeItemText(tv, static_cast<std::uintptr_t>(item), &text));
    EXPECT_EQ(text, "only");
    std::vector<fake::FakeButton> one(1);
    one[0].idCommand = 5;
    one[0].text = "Five";
    Hwnd tb = fake::addToolbar(desktop, top, target, one);
    ASSERT_TRUE(readToolbarButtonText(tb, 5, &text));
    EXPECT_EQ(text, "Five");
    EXPECT_EQ(opens(), 2);
    EXPECT_EQ(desktop.remoteBlocks(), 0);
}

INSTANTIATE_TEST_SUITE_P(Widths, ExchangeBatchTest, ::testing::Values(32, 64), widthName);

} // namespace
} // namespace testing_support
} // namespace vantor
