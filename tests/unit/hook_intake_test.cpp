// Unit tests of the hook intake against a fake hook library on the fake desktop: the setting that keeps
// records queued, batches taken until the library answers 0 and handled in order, negative and oversized
// answers, the WM_ENTERIDLE filter, menu events reaching the added-menu section, and the WM_CREATE debug
// line.
#include "triggers/hook_intake.h"

#include <string>
#include <vector>

#include "capture_test_support.h"
#include "platform/fake/fake_hook_library.h"
#include "platform/hook_library.h"

namespace vantor {
namespace {

using testing_support::EngineTest;

using fake::FakeHookLibrary;

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
    }
    void TearDown() override {
        setHookLibrary(nullptr);
        EngineTest::TearDown();
    }
    bool captureMenus = true; // the user's setting given to the intake
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

TEST_F(HookIntake, SettingOffTakesNoRecordOutOfTheLibrary) {
    captureMenus = false;
    library.batches.push_back({1, {created(0x10)}});
    drainHookMessages(captureMenus);
    EXPECT_TRUE(library.capacities.empty());
    EXPECT_EQ(library.batches.size(), 1u);
    EXPECT_TRUE(library.debug.empty());
}

TEST_F(HookIntake, BatchesOfTenAndThreeThenZeroAreAllHandledInOrderInOneCall) {
    FakeHookLibrary::Batch ten{10, {}};
    for (std::uint32_t w = 1; w <= 10; ++w)
        ten.records.push_back(created(w));
    library.batches.push_back(ten);
    library.batches.push_back({3, {created(11), created(12), created(13)}});

    drainHookMessages(captureMenus);

    EXPECT_EQ(library.capacities, (std::vector<int>{10, 10, 10}));
    ASSERT_EQ(library.debug.size(), 13u);
    EXPECT_EQ(library.debug[0], createdLine("       1"));
    EXPECT_EQ(library.debug[9], createdLine("       A"));
    EXPECT_EQ(library.debug[12], createdLine("       D"));
}

TEST_F(HookIntake, CreateRecordGivesTheDebugLineWithBlankAndZeroPadding) {
    library.batches.push_back({1, {wire::HookRecord{0x1A2B, wire::WM_CREATE, 0x40, 0}}});
    drainHookMessages(captureMenus);
    ASSERT_EQ(library.debug.size(), 1u);
    EXPECT_EQ(library.debug[0], "hWnd =     1A2B Msg = create window wParam = 00000000 lParam = 00000040\n");
    EXPECT_EQ(reportText(), "");
}

TEST_F(HookIntake, NegativeCountIsAnEmptyBatchAndTheLibraryIsAskedAgain) {
    library.batches.push_back({-1, {created(7)}});
    library.batches.push_back({1, {created(8)}});
    drainHookMessages(captureMenus);
    EXPECT_EQ(library.capacities.size(), 3u);
    EXPECT_EQ(library.debug, (std::vector<std::string>{createdLine("       8")}));
}

TEST_F(HookIntake, LibraryThatOnlyAnswersNegativeDoesNotHoldTheLoopForEver) {
    for (int i = 0; i < 100; ++i)
        library.batches.push_back({-5, {}});
    drainHookMessages(captureMenus);
    EXPECT_LT(library.capacities.size(), 100u);
    EXPECT_TRUE(library.debug.empty());
}

TEST_F(HookIntake, CountBeyondTheBufferIsCutToTheBuffer) {
    FakeHookLibrary::Batch big{50, {}};
    for (std::uint32_t w = 1; w <= 10; ++w)
        big.records.push_back(created(w));
    library.batches.push_back(big);
    drainHookMessages(captureMenus);
    EXPECT_EQ(library.debug.size(), 10u);
}

TEST_F(HookIntake, EnterIdleFromADialogIsIgnoredFromAMenuLoopFallsBackToTheMenuBar) {
    // Controls of frames with menu bars: the value 2 is no menu, so the capture falls back to the parent's.
    Hwnd dialogOwner = desktop.addWindow(appWithMenuBar("Dialog frame"), "Canvas", "", pid);
    Hwnd menuOwner = desktop.addWindow(appWithMenuBar("Menu frame"), "Canvas", "", pid);
    library.batches.push_back({2,
                               {wire::HookRecord{low(menuOwner), wire::WM_ENTERIDLE, 0, wire::MSGF_MENU},
                                wire::HookRecord{low(dialogOwner), wire::WM_ENTERIDLE, 0, 0}}});

    drainHookMessages(captureMenus);

    EXPECT_EQ(reportText(), "■ 追加メニュー\r\n&View [1]\r\n");
    EXPECT_EQ(lastAddedMenuWindow, menuOwner);
    EXPECT_EQ(lastAddedMenu, static_cast<Hmenu>(2));
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

    drainHookMessages(captureMenus);

    EXPECT_EQ(reportText(), "■ 追加メニュー\r\n&Copy [10]\r\n"
                            "----------------------------------------------------------------------------\r\n"
                            "■ 追加メニュー\r\n&File [20]\r\n");
    ASSERT_EQ(ui.buttons.size(), 2u);
    EXPECT_EQ(ui.buttons[0], std::make_pair(std::string("Menu"), 0));
    EXPECT_EQ(ui.buttons[1], std::make_pair(std::string("Menu"), 3));
}

} // namespace
} // namespace vantor
