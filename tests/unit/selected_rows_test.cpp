// collectSelectedRows against fake list views: the selected indices in order, the pane refresh, and list
// views whose answers would otherwise never end the walk.
#include <vector>

#include "capture/selected_rows.h"
#include "remote_test_support.h"

namespace vantor {
namespace testing_support {
namespace {

// A list view whose LVM_GETNEXTITEM always answers row 0 (a broken control).
class StuckSelection : public fake::FakeControl {
  public:
    bool handle(fake::FakeDesktop&, fake::FakeWindow&, std::uint32_t msg, std::uintptr_t, std::intptr_t,
                std::intptr_t* result) override {
        if (msg != wire::LVM_GETNEXTITEM) return false;
        ++asked;
        *result = 0;
        return true;
    }
    int asked = 0;
};

using SelectedRowsTest = WidthTest;

TEST_P(SelectedRowsTest, SelectedIndicesInAscendingOrder) {
    std::vector<std::vector<std::string>> rows(8, std::vector<std::string>{"r"});
    Hwnd lv = fake::addListView(desktop, top, target, {"Name"}, rows, {5, 0, 2});
    {
        CaptureLock lock(session);
        lock.report().append("so far\r\n", 8);
    }
    EXPECT_EQ(collectSelectedRows(lv, &session), (std::vector<std::int32_t>{0, 2, 5}));
    // The pane shows the current report once a row is selected.
    EXPECT_EQ(ui.shown, (std::vector<std::string>{"so far\r\n"}));

    Hwnd none = fake::addListView(desktop, top, target, {"Name"}, rows);
    EXPECT_TRUE(collectSelectedRows(none, &session).empty());
    EXPECT_EQ(ui.shown.size(), 1u);
}

TEST_P(SelectedRowsTest, ListViewThatDoesNotAnswerHasNoSelection) {
    Hwnd lv = fake::addListView(desktop, top, target, {"Name"}, {{"a"}, {"b"}}, {1});
    desktop.window(lv)->hung = true;
    EXPECT_TRUE(collectSelectedRows(lv, &session).empty());
    EXPECT_TRUE(ui.shown.empty());
}

TEST_P(SelectedRowsTest, AnswerThatDoesNotMoveForwardEndsTheWalk) {
    auto control = std::make_unique<StuckSelection>();
    StuckSelection* stuck = control.get();
    Hwnd lv = desktop.addWindow(top, fake::kListViewClass, "", target, std::move(control));
    EXPECT_EQ(collectSelectedRows(lv), (std::vector<std::int32_t>{0}));
    // Counting: row 0, then the repeated 0 that ends the walk; storing: row 0, the one row counted.
    EXPECT_EQ(stuck->asked, 3);
}

INSTANTIATE_TEST_SUITE_P(Widths, SelectedRowsTest, ::testing::Values(32, 64), widthName);

} // namespace
} // namespace testing_support
} // namespace vantor
