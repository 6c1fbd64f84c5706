// Capture sessions on the fake desktop: two captures one after the other share nothing, an added menu given
// to a running capture lands after the section being written, and one capture's stop request reaches no
// other capture.
#include "capture/capture_session.h"

#include <memory>
#include <string>

#include "capture_test_support.h"
#include "triggers/capture_commands.h"

namespace vantor {
namespace {

using testing_support::EngineTest;

class SessionTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        frame = desktop.addWindow(Hwnd{}, "Frame", "Orders", pid);
        list = fake::addListView(desktop, frame, pid, {"Name", "No"}, {{"a", "1"}, {"b", "2"}});
        fake::addTreeView(desktop, frame, pid, {{"Tree item", {}}});
        menuWindow = desktop.addWindow(Hwnd{}, "OtherApp", "Other", pid);
        menu = desktop.addMenu();
        desktop.addMenuItem(menu, "&Copy", 10);
    }

    Hwnd frame{}, list{}, menuWindow{};
    Hmenu menu{};
};

TEST_F(SessionTest, TwoSessionsOneAfterTheOtherCarryNothingOver) {
    CaptureSession first(&ui, ";");
    vantor::captureWindow(first, frame, true);
    vantor::captureAddedMenu(first, menuWindow, menu);
    first.requestStop();
    EXPECT_EQ(reportSnapshot(first),
              "\n■ リストコントロール情報 [SysListView32]\r\nName;No\r\na;1\r\nb;2\r\n"
              "\n■ ツリーコントロール情報 [SysTreeView32]\r\nTree item\r\n"
              "----------------------------------------------------------------------------"
              "\r\n■ 追加メニュー\r\n&Copy [10]\r\n");

    // The next capture: its own separator, an empty report and tree to start from, no stop request.
    CaptureSession second(&ui, "\t");
    EXPECT_FALSE(second.stopRequested());
    EXPECT_EQ(reportSnapshot(second), "");
    EXPECT_EQ(CaptureLock(second).tree()->firstChild(), nullptr);
    vantor::captureWindow(second, list, false);
    EXPECT_EQ(reportSnapshot(second),
              "\n■ リストコントロール情報 [SysListView32]\r\nName\tNo\r\na\t1\r\nb\t2\r\n");
}

TEST_F(SessionTest, AddedMenuDuringARunningCaptureLandsAfterTheSectionBeingWritten) {
    fake::addListBox(desktop, frame, pid, {"alpha"});
    int cells = 0;
    // The menu comes while the list view's rows are read.
    desktop.beforeMessage = [&](Hwnd w, std::uint32_t msg) {
        if (w == list && msg == wire::LVM_GETITEMA && ++cells == 2) captureAddedMenu(menuWindow, menu);
    };
    captureWindow(frame, true);
    desktop.beforeMessage = nullptr;
    ASSERT_EQ(cells, 4);
    const std::string text = reportText();
    EXPECT_EQ(text, "\n■ リストコントロール情報 [SysListView32]\r\nName\tNo\r\na\t1\r\nb\t2\r\n"
                    "----------------------------------------------------------------------------"
                    "\r\n■ 追加メニュー\r\n&Copy [10]\r\n"
                    "\n■ ツリーコントロール情報 [SysTreeView32]\r\nTree item\r\n"
                    "\n■ リストボックス情報 [ListBox]\r\nalpha\r\n");
    ASSERT_EQ(ui.buttons.size(), 4u);
    EXPECT_EQ(ui.buttons[1].first, "Menu");
    EXPECT_EQ(lineOf(text, ui.buttons[1].second), "■ 追加メニュー");
    // Not running any more: the next menu lands at once.
    captureAddedMenu(desktop.addWindow(Hwnd{}, "OtherApp", "Third", pid), desktop.addMenu());
    EXPECT_EQ(reportText(), text +
                                "----------------------------------------------------------------------------"
                                "\r\n■ 追加メニュー\r\n" +
                                testing_support::kFailureText);
}

TEST_F(SessionTest, TheStopRequestOfOneSessionStopsNoOther) {
    CaptureSession stopped(&ui);
    stopped.requestStop();
    vantor::captureWindow(stopped, list, false);
    EXPECT_EQ(reportSnapshot(stopped), "");
    captureWindow(list, false);
    EXPECT_EQ(reportText(), "\n■ リストコントロール情報 [SysListView32]\r\nName\tNo\r\na\t1\r\nb\t2\r\n");

    // Through the controller: a stop asked of one capture is not the next capture's.
    CaptureController controller;
    const std::shared_ptr<CaptureSession> one = controller.startSession("\t");
    controller.requestStop();
    one->end();
    const std::shared_ptr<CaptureSession> two = controller.startSession("\t");
    EXPECT_TRUE(one->stopRequested());
    EXPECT_FALSE(two->stopRequested());
    EXPECT_TRUE(controller.captureRunning());
    two->end();
    EXPECT_FALSE(controller.captureRunning());
}

TEST_F(SessionTest, TheControllersFirstSessionShowsThroughTheInterfaceGivenLater) {
    // The application's controller makes its first session before the application gives it its interface.
    CaptureController controller;
    controller.setUi(&ui);
    controller.shown().addMenuSection("&Copy [10]\r\n");
    ASSERT_EQ(ui.buttons.size(), 1u);
    EXPECT_EQ(ui.shown, std::vector<std::string>{"■ 追加メニュー\r\n&Copy [10]\r\n"});
}

} // namespace
} // namespace vantor
