// Unit tests of the hook intake against a fake hook library on the fake desktop: the setting that discards
// records, batches taken until the library answers 0 and handled in order, negative and oversized answers,
// the WM_ENTERIDLE filter, menu events reaching the added-menu section, and the WM_CREATE debug line; every
// menu loop recorded, menus held while a capture runs, and the bounds against forged records.
#include "triggers/hook_intake.h"

#include <string>
#include <vector>

#include "triggers/capture_commands.h"
#include "capture_test_support.h"
#include "platform/fake/fake_hook_library.h"
#include "platform/hook_library.h"

namespace vantor {
namespace {

using testing_support::EngineTest;

using fake::FakeHookLibrary;

std::uint64_t fakeNow = 1000;
std::uint64_t fakeClock() {
    return fakeNow;
}

const char kSeparator[] = "----------------------------------------------------------------------------\r\n";

wire::HookRecord created(std::uint32_t window) {
    return wire::HookRecord{window, wire::WM_CREATE, 0, 0};
}

std::string createdLine(const char* window) {
    return std::string("hWnd = ") + window + " Msg = create window wParam = 00000000 lParam = 00000000\n";
}

class HookIntake : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        setHookLibrary(&library);
        captureMenus = true;
        fakeNow = 1000;
        resetHookIntake(&fakeClock);
        controller.setUi(&ui);
        controller.show(sharedSession());
    }
    void TearDown() override {
        resetHookIntake();
        setHookLibrary(nullptr);
        EngineTest::TearDown();
    }
    bool captureMenus = true;     // the user's setting given to the intake
    CaptureController controller; // shows the test's session
    // A top-level window of another application with a menu bar "&View [1]".
    Hwnd appWithMenuBar(const char* title) {
        Hwnd w = desktop.addWindow(Hwnd{}, "Frame", title, pid);
        Hmenu bar = desktop.addMenu();
        desktop.addMenuItem(bar, "&View", 1);
        desktop.setMenu(w, bar);
        return w;
    }
    static std::uint32_t low(Hwnd w) { return static_cast<std::uint32_t>(static_cast<std::uintptr_t>(w)); }
    static std::uint32_t low(Hmenu m) { return static_cast<std::uint32_t>(static_cast<std::uintptr_t>(m)); }

    FakeHookLibrary library;
};

// Records taken while the setting is off are dropped: none waits to become a stale section later.
TEST_F(HookIntake, SettingOffTakesTheRecordsOutAndDropsThem) {
    captureMenus = false;
    Hwnd w = appWithMenuBar("Editor");
    library.batches.push_back({2, {created(0x10), wire::HookRecord{low(w), wire::WM_INITMENU, 0, 0}}});
    EXPECT_EQ(drainHookMessages(captureMenus, controller), kIntakeIdle);
    EXPECT_EQ(library.capacities, (std::vector<int>{10, 10}));
    EXPECT_TRUE(library.batches.empty());
    EXPECT_TRUE(library.debug.empty());
    captureMenus = true;
    drainHookMessages(captureMenus, controller);
    EXPECT_EQ(reportText(), "");
}

TEST_F(HookIntake, BatchesOfTenAndThreeThenZeroAreAllHandledInOrderInOneCall) {
    FakeHookLibrary::Batch ten{10, {}};
    for (std::uint32_t w = 1; w <= 10; ++w)
        ten.records.push_back(created(w));
    library.batches.push_back(ten);
    library.batches.push_back({3, {created(11), created(12), created(13)}});

    drainHookMessages(captureMenus, controller);

    EXPECT_EQ(library.capacities, (std::vector<int>{10, 10, 10}));
    ASSERT_EQ(library.debug.size(), 13u);
    EXPECT_EQ(library.debug[0], createdLine("       1"));
    EXPECT_EQ(library.debug[9], createdLine("       A"));
    EXPECT_EQ(library.debug[12], createdLine("       D"));
}

TEST_F(HookIntake, CreateRecordGivesTheDebugLineWithBlankAndZeroPadding) {
    library.batches.push_back({1, {wire::HookRecord{0x1A2B, wire::WM_CREATE, 0x40, 0}}});
    drainHookMessages(captureMenus, controller);
    ASSERT_EQ(library.debug.size(), 1u);
    EXPECT_EQ(library.debug[0], "hWnd =     1A2B Msg = create window wParam = 00000000 lParam = 00000040\n");
    EXPECT_EQ(reportText(), "");
}

// A negative answer (the queue's lock is held elsewhere) ends the call at once, asking to be called again
// after a short while, and nothing of that answer is handled; the next call takes the rest.
TEST_F(HookIntake, NegativeCountEndsTheCallAndAsksToBeCalledAgain) {
    library.batches.push_back({-1, {created(7)}});
    library.batches.push_back({1, {created(8)}});
    EXPECT_EQ(drainHookMessages(captureMenus, controller), 100u);
    EXPECT_EQ(library.capacities.size(), 1u);
    EXPECT_TRUE(library.debug.empty());
    EXPECT_EQ(drainHookMessages(captureMenus, controller), kIntakeIdle);
    EXPECT_EQ(library.debug, (std::vector<std::string>{createdLine("       8")}));
}

TEST_F(HookIntake, RecordsTakenInOneCallAreBoundedAndTheRestFollowsInTheNextCall) {
    for (std::uint32_t b = 0; b < 15; ++b) {
        FakeHookLibrary::Batch ten{10, {}};
        for (std::uint32_t w = 1; w <= 10; ++w)
            ten.records.push_back(created(b * 10 + w));
        library.batches.push_back(ten);
    }
    EXPECT_EQ(drainHookMessages(captureMenus, controller), 0u);
    EXPECT_EQ(library.debug.size(), 100u);
    EXPECT_EQ(drainHookMessages(captureMenus, controller), kIntakeIdle);
    EXPECT_EQ(library.debug.size(), 150u);
}

TEST_F(HookIntake, LibraryThatOnlyAnswersNegativeDoesNotHoldTheLoopForEver) {
    for (int i = 0; i < 100; ++i)
        library.batches.push_back({-5, {}});
    drainHookMessages(captureMenus, controller);
    EXPECT_LT(library.capacities.size(), 100u);
    EXPECT_TRUE(library.debug.empty());
}

TEST_F(HookIntake, CountBeyondTheBufferIsCutToTheBuffer) {
    FakeHookLibrary::Batch big{50, {}};
    for (std::uint32_t w = 1; w <= 10; ++w)
        big.records.push_back(created(w));
    library.batches.push_back(big);
    drainHookMessages(captureMenus, controller);
    EXPECT_EQ(library.debug.size(), 10u);
}

TEST_F(HookIntake, EnterIdleFromADialogIsIgnoredFromAMenuLoopFallsBackToTheMenuBar) {
    // Controls of frames with menu bars: the value 2 is no menu, so the capture falls back to the parent's.
    Hwnd dialogOwner = desktop.addWindow(appWithMenuBar("Dialog frame"), "Canvas", "", pid);
    Hwnd menuOwner = desktop.addWindow(appWithMenuBar("Menu frame"), "Canvas", "", pid);
    library.batches.push_back({2,
                               {wire::HookRecord{low(menuOwner), wire::WM_ENTERIDLE, 0, wire::MSGF_MENU},
                                wire::HookRecord{low(dialogOwner), wire::WM_ENTERIDLE, 0, 0}}});

    drainHookMessages(captureMenus, controller);

    EXPECT_EQ(reportText(), "■ 追加メニュー\r\n&View [1]\r\n");
    EXPECT_EQ(lastAddedMenuWindow(), menuOwner);
    EXPECT_EQ(lastAddedMenu(), static_cast<Hmenu>(2));
}

TEST_F(HookIntake, MenuEventsReachTheAddedMenuSectionOtherMessagesDoNot) {
    Hwnd w = desktop.addWindow(Hwnd{}, "Frame", "Editor", pid);
    Hmenu popup = desktop.addMenu();
    desktop.addMenuItem(popup, "&Copy", 10);
    Hwnd other = desktop.addWindow(Hwnd{}, "Frame", "Other", pid);
    Hmenu bar = desktop.addMenu();
    desktop.addMenuItem(bar, "&File", 20);
    library.batches.push_back({3,
                               {wire::HookRecord{low(w), 0x0111 /* WM_COMMAND */, 0, low(popup)},
                                wire::HookRecord{low(w), wire::WM_INITMENUPOPUP, 0, low(popup)},
                                wire::HookRecord{low(other), wire::WM_INITMENU, 0, low(bar)}}});

    drainHookMessages(captureMenus, controller);

    EXPECT_EQ(reportText(), "■ 追加メニュー\r\n&Copy [10]\r\n"
                            "----------------------------------------------------------------------------\r\n"
                            "■ 追加メニュー\r\n&File [20]\r\n");
    ASSERT_EQ(ui.buttons.size(), 2u);
    EXPECT_EQ(ui.buttons[0], std::make_pair(std::string("Menu"), 0));
    EXPECT_EQ(ui.buttons[1], std::make_pair(std::string("Menu"), 3));
}

// The program's own menus (its main window's, and a pop-up of one of its children) are not recorded: the
// controller's user interface names the main window.
TEST_F(HookIntake, MenusOfTheProgramsOwnWindowsAreNotTaken) {
    ui.main = desktop.addWindow(Hwnd{}, "VantorMain", "Vantor", pid);
    Hwnd pane = desktop.addWindow(ui.main, "RichEdit20A", "", pid);
    Hmenu popup = desktop.addMenu();
    desktop.addMenuItem(popup, "&Copy", 10);
    library.batches.push_back({2,
                               {wire::HookRecord{low(ui.main), wire::WM_INITMENU, 0, low(popup)},
                                wire::HookRecord{low(pane), wire::WM_INITMENU, 0, low(popup)}}});
    drainHookMessages(captureMenus, controller);
    EXPECT_EQ(reportText(), "");
}

// Two menu loops of one window (its context menu, then its File menu): each loop's WM_INITMENU starts the
// loop anew, so both are recorded; the loop's own WM_INITMENUPOPUP adds nothing more.
TEST_F(HookIntake, EveryMenuLoopOfTheSameWindowIsRecorded) {
    Hwnd w = desktop.addWindow(Hwnd{}, "Frame", "Editor", pid);
    Hmenu context = desktop.addMenu();
    desktop.addMenuItem(context, "&Copy", 10);
    Hmenu file = desktop.addMenu();
    desktop.addMenuItem(file, "&Open", 20);
    library.batches.push_back({2,
                               {wire::HookRecord{low(w), wire::WM_INITMENU, 0, low(context)},
                                wire::HookRecord{low(w), wire::WM_INITMENUPOPUP, 0, low(context)}}});
    library.batches.push_back({2,
                               {wire::HookRecord{low(w), wire::WM_INITMENU, 0, low(file)},
                                wire::HookRecord{low(w), wire::WM_INITMENUPOPUP, 0, low(file)}}});
    drainHookMessages(captureMenus, controller);
    EXPECT_EQ(reportText(), std::string("■ 追加メニュー\r\n&Copy [10]\r\n") + kSeparator +
                                "■ 追加メニュー\r\n&Open [20]\r\n");
}

// A menu opened while a capture runs is read at once (what it showed then) and written after the capture,
// not between two of its sections; the intake asks to be called again meanwhile.
TEST_F(HookIntake, MenuDuringACaptureIsHeldAndWrittenOnceTheCaptureHasEnded) {
    Hwnd w = desktop.addWindow(Hwnd{}, "Frame", "Editor", pid);
    Hmenu popup = desktop.addMenu();
    desktop.addMenuItem(popup, "&Copy", 10);
    {
        CaptureLock hold(session);
        hold.report().append("■ first section\r\n", std::strlen("■ first section\r\n"));
    }
    std::shared_ptr<CaptureSession> running = controller.startSession("\t");
    library.batches.push_back({1, {wire::HookRecord{low(w), wire::WM_INITMENU, 0, low(popup)}}});
    EXPECT_EQ(drainHookMessages(captureMenus, controller), 100u);
    EXPECT_EQ(reportText(), "■ first section\r\n");
    EXPECT_TRUE(ui.buttons.empty());
    desktop.destroyMenu(popup); // the menu has closed by the time the capture ends
    {
        CaptureLock hold(session);
        hold.report().append("rows\r\n", 6);
    }
    EXPECT_EQ(drainHookMessages(captureMenus, controller), 100u);
    running->end();
    EXPECT_EQ(drainHookMessages(captureMenus, controller), kIntakeIdle);
    EXPECT_EQ(reportText(),
              std::string("■ first section\r\nrows\r\n") + kSeparator + "■ 追加メニュー\r\n&Copy [10]\r\n");
    ASSERT_EQ(ui.buttons.size(), 1u);
    EXPECT_EQ(ui.buttons[0], std::make_pair(std::string("Menu"), 3));
}

// Forged records: a menu no longer shown adds nothing, an equal record within a second is dropped, and
// more than ten sections within a second are not taken.
TEST_F(HookIntake, RecordsOfMenusNotShownRepeatsAndFloodsAreBounded) {
    Hwnd closed = appWithMenuBar("Closed");
    desktop.menusClosed.insert(closed);
    library.batches.push_back({1, {wire::HookRecord{low(closed), wire::WM_INITMENU, 0, 0}}});
    drainHookMessages(captureMenus, controller);
    EXPECT_EQ(reportText(), "");

    Hwnd a = appWithMenuBar("A");
    const wire::HookRecord again{low(a), wire::WM_INITMENU, 0, 0};
    library.batches.push_back({2, {again, again}});
    drainHookMessages(captureMenus, controller);
    fakeNow += 999;
    library.batches.push_back({1, {again}});
    drainHookMessages(captureMenus, controller);
    EXPECT_EQ(reportText(), std::string("■ 追加メニュー\r\n") + testing_support::kFailureText);
    fakeNow += 1;
    library.batches.push_back({1, {again}});
    drainHookMessages(captureMenus, controller);
    EXPECT_EQ(ui.buttons.size(), 2u);

    fakeNow += 5000;
    std::vector<Hwnd> windows;
    for (int i = 0; i < 14; ++i)
        windows.push_back(appWithMenuBar("Flood"));
    for (Hwnd w : windows)
        library.batches.push_back({1, {wire::HookRecord{low(w), wire::WM_INITMENU, 0, 0}}});
    drainHookMessages(captureMenus, controller);
    EXPECT_EQ(ui.buttons.size(), 2u + 10u);
    fakeNow += 999;
    library.batches.push_back({1, {wire::HookRecord{low(windows[12]), wire::WM_INITMENU, 0, 1}}});
    drainHookMessages(captureMenus, controller);
    EXPECT_EQ(ui.buttons.size(), 12u);
    fakeNow += 1;
    library.batches.push_back({1, {wire::HookRecord{low(windows[13]), wire::WM_INITMENU, 0, 1}}});
    drainHookMessages(captureMenus, controller);
    EXPECT_EQ(ui.buttons.size(), 13u);
}

} // namespace
} // namespace vantor
