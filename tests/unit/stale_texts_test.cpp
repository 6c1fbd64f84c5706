// Queries that write nothing: a status bar part never given a text, a tab label, header title, list-view
// cell or tree item answered FALSE, a toolbar button whose record is not given, a button without text in a
// block that held records before. Each must read as an empty text, never as what the block held from the
// query before. The fake controls leave the caller's buffer as it was, as the real ones do.
#include <string>
#include <vector>

#include "capture/bar_readers.h"
#include "capture/list_view_reader.h"
#include "remote_test_support.h"

namespace vantor {
namespace testing_support {
namespace {

using fake::FakeButton;
using fake::kWritesNothing;

class StaleTextTest : public WidthTest {
  protected:
    std::string items() {
        CaptureLock lock(session);
        std::string out;
        for (const TextNode* n = lock.tree()->firstChild(); n != nullptr; n = n->next()) {
            out += std::string(n->text) + "\n";
            for (const TextNode* c = n->firstChild(); c != nullptr; c = c->next())
                out += std::string("  ") + c->text + "\n";
        }
        return out;
    }
};

TEST_P(StaleTextTest, StatusBarPartNeverGivenATextIsEmpty) {
    Hwnd sb = fake::addStatusBar(desktop, top, target, {"Ready", kWritesNothing, "Done", kWritesNothing});
    readStatusBar(sb);
    EXPECT_EQ(reportText(), "Ready\r\nDone\r\n");
}

TEST_P(StaleTextTest, TabLabelAndTreeItemAnsweredFalseAreEmpty) {
    Hwnd tabs = fake::addTabControl(desktop, top, target, {"General", kWritesNothing, "Advanced"});
    readTabControl(tabs);
    EXPECT_EQ(items(), "General\n\nAdvanced\n");

    Hwnd tree = fake::addTreeView(desktop, top, target,
                                  {fake::FakeTreeItem{"Root", {fake::FakeTreeItem{kWritesNothing, {}}}},
                                   fake::FakeTreeItem{kWritesNothing, {}}});
    readTreeView(tree);
    EXPECT_EQ(items(), "Root\n  \n\n");
}

TEST_P(StaleTextTest, HeaderTitleAndCellAnsweredFalseAreEmpty) {
    Hwnd lv = fake::addListView(desktop, top, target, {"Name", kWritesNothing, "Type"},
                                {{"alpha", "1", "a"}, {kWritesNothing, "2", kWritesNothing}});
    readListViewRows(lv, false);
    EXPECT_EQ(reportText(), "Name\t\tType\r\nalpha\t1\ta\r\n\t2\t\r\n");
}

TEST_P(StaleTextTest, ToolbarButtonWithoutRecordOrTextIsEmpty) {
    // A button whose TB_GETBUTTON answers FALSE gets no command id of the button before it, and no text.
    std::vector<FakeButton> buttons(3);
    buttons[0].idCommand = 100;
    buttons[0].text = "Open";
    buttons[1].idCommand = 101;
    buttons[1].text = kWritesNothing;
    buttons[2].idCommand = 102;
    buttons[2].text = "Save";
    Hwnd tb = fake::addToolbar(desktop, top, target, buttons);
    readToolbar(tb);
    EXPECT_EQ(items(), "Open\n\nSave\n");
    CaptureLock lock(session);
    EXPECT_EQ(lock.tree()->firstChild()->next()->value, 0);
}

TEST_P(StaleTextTest, ButtonTextSlotsDoNotShowTheRecordsTheBlockHeld) {
    // 900 records take more than the 16 KB text block: the texts are asked into the records' block. Button
    // 1 has no text (the toolbar writes nothing for it); its slot lies over record 0's command id "AAAA".
    std::vector<FakeButton> buttons(900);
    for (int i = 0; i < 900; ++i) {
        buttons[static_cast<std::size_t>(i)].idCommand = 0x41414141 + i;
        buttons[static_cast<std::size_t>(i)].text = i == 0 ? "abc" : i == 1 ? "" : "b" + std::to_string(i);
    }
    Hwnd tb = fake::addToolbar(desktop, top, target, buttons);
    readToolbar(tb);
    CaptureLock lock(session);
    const TextNode* second = lock.tree()->firstChild()->next();
    EXPECT_STREQ(second->text, "");
    EXPECT_STREQ(second->next()->text, "b2");
}

INSTANTIATE_TEST_SUITE_P(Widths, StaleTextTest, ::testing::Values(32, 64), widthName);

} // namespace
} // namespace testing_support
} // namespace vantor
