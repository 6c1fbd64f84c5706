// User journeys with menus that other applications open while vantor.exe runs (CaptureContextMenu), driven
// as a user does: the specimen's context menu opened by its timer, its File menu by the keyboard (Alt+F,
// then Esc), captures started by selecting the specimen's row. Two menus of the same window, one after the
// other, are both recorded, and so is the same context menu opened twice; menus opened while the setting is
// off leave nothing behind for a later start with it on; a menu opened in the middle of a long capture lands
// after the capture's report.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tools/wine_driver/app_driver.h"

namespace vantor {
namespace apptest {
namespace {

const char kSeparator[] = "----------------------------------------------------------------------------\r\n";
// The specimen's context menu, and its menu bar as the added-menu section of its File menu gives it
// (WM_INITMENU names the bar), written out from the specimen's contents.
const char kContextMenu[] = "■ 追加メニュー\r\n"
                            "コピー(&C) [401]\r\n"
                            "貼り付け(&P) [402]\r\n"
                            "その他(&M)\r\n"
                            "  + 詳細(&D) [411]\r\n"
                            "追加項目(&A) [421]\r\n";
const char kMenuBar[] = "■ 追加メニュー\r\n"
                        "ファイル(&F)\r\n"
                        "  + 開く(&O)... [101]\r\n"
                        "  + 上書き保存(&S) [102]\r\n"
                        "  + 最近使ったファイル(&R)\r\n"
                        "    + memo.txt [111]\r\n"
                        "    + その他\r\n"
                        "      + 深い項目 [121]\r\n"
                        "  + 終了(&X) [104]\r\n"
                        "編集(&E)\r\n"
                        "  + 元に戻す(&U) [201]\r\n"
                        "  + コマンドなし\r\n"
                        "ヘルプ(&H)\r\n"
                        "  + バージョン情報(&A) [301]\r\n";
const char kSpecimenRow[] = "Vantor Specimen [VantorSpecimen]";
// The specimen's context menu stays open this long (kContextMenuShownMs).
constexpr int kMenuShownMs = 4000;

// Key presses as the keyboard gives them, to the foreground window.
void key(WORD virtualKey, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = virtualKey;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}
void altAnd(WORD virtualKey) {
    key(VK_MENU, false);
    key(virtualKey, false);
    key(virtualKey, true);
    key(VK_MENU, true);
}
void press(WORD virtualKey) {
    key(virtualKey, false);
    key(virtualKey, true);
}

// A shown pop-up menu window of the window's thread.
bool menuShownBy(HWND window) {
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    for (HWND popup = FindWindowExA(nullptr, nullptr, "#32768", nullptr); popup != nullptr;
         popup = FindWindowExA(nullptr, popup, "#32768", nullptr))
        if (GetWindowThreadProcessId(popup, nullptr) == thread && IsWindowVisible(popup)) return true;
    return false;
}

int occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

TEST(AppJourneysMenus, TwoMenusOpenedOneAfterTheOtherFromTheSameWindowAreBothRecorded) {
    Vantor vantor;
    ASSERT_TRUE(vantor.start(makeVantorDirectory("journey-two-menus"), "CaptureContextMenu=1\r\n"));
    Specimen specimen;
    ASSERT_TRUE(specimen.start("--context-menu-after 800"));
    EXPECT_TRUE(waitUntil([&] { return vantor.paneText() == kContextMenu; }, 10000)) << vantor.paneText();
    EXPECT_TRUE(waitUntil([&] { return !menuShownBy(specimen.window); }, kMenuShownMs + 3000));

    // Then the same window's File menu, from the keyboard.
    ASSERT_TRUE(bringToFront(specimen.window));
    altAnd('F');
    const std::string both = std::string(kContextMenu) + kSeparator + kMenuBar;
    EXPECT_TRUE(waitUntil([&] { return vantor.paneText() == both; }, 10000)) << vantor.paneText();
    EXPECT_TRUE(menuShownBy(specimen.window));
    press(VK_ESCAPE);
    press(VK_ESCAPE);
    EXPECT_TRUE(waitUntil([&] { return !menuShownBy(specimen.window); }, 3000));
    Sleep(500);
    EXPECT_EQ(vantor.paneText(), both);
    EXPECT_EQ(vantor.exitByMenu(), 0);
}

// The same context menu opened twice by the application (its timer fired again): each TrackPopupMenu loop
// of the thread is a loop of its own, reported with WM_INITMENU, and so recorded.
TEST(AppJourneysMenus, TheSameContextMenuOpenedAgainIsRecordedAgain) {
    Vantor vantor;
    ASSERT_TRUE(vantor.start(makeVantorDirectory("journey-menu-again"), "CaptureContextMenu=1\r\n"));
    Specimen specimen;
    ASSERT_TRUE(specimen.start("--context-menu-after 300"));
    EXPECT_TRUE(waitUntil([&] { return vantor.paneText() == kContextMenu; }, 10000)) << vantor.paneText();
    EXPECT_TRUE(waitUntil([&] { return !menuShownBy(specimen.window); }, kMenuShownMs + 3000));
    Sleep(1100); // past the intake's repeat bound
    PostMessageA(specimen.window, WM_TIMER, 2 /* the specimen's context menu timer */, 0);
    const std::string twice = std::string(kContextMenu) + kSeparator + kContextMenu;
    EXPECT_TRUE(waitUntil([&] { return vantor.paneText() == twice; }, 10000)) << vantor.paneText();
    EXPECT_TRUE(waitUntil([&] { return !menuShownBy(specimen.window); }, kMenuShownMs + 3000));
    EXPECT_EQ(vantor.paneText(), twice);
    EXPECT_EQ(vantor.exitByMenu(), 0);
}

TEST(AppJourneysMenus, MenusWhileTheSettingIsOffLeaveNothingBehind) {
    {
        Vantor off;
        ASSERT_TRUE(off.start(makeVantorDirectory("journey-off"), "CaptureContextMenu=0\r\n"));
        Specimen specimen;
        ASSERT_TRUE(specimen.start("--context-menu-after 300"));
        EXPECT_TRUE(waitUntil([&] { return menuShownBy(specimen.window); }, 5000));
        EXPECT_TRUE(waitUntil([&] { return !menuShownBy(specimen.window); }, kMenuShownMs + 3000));
        EXPECT_EQ(off.paneText(), "");
        EXPECT_EQ(off.exitByMenu(), 0);
    }
    // A later start with the setting on, and another application creating windows (which signals the
    // program): no stale menu of the earlier run turns up.
    Vantor on;
    ASSERT_TRUE(on.start(makeVantorDirectory("journey-off-then-on"), "CaptureContextMenu=1\r\n"));
    Specimen other;
    ASSERT_TRUE(other.start());
    Sleep(1500);
    EXPECT_EQ(on.paneText(), "");
    EXPECT_EQ(on.exitByMenu(), 0);
}

TEST(AppJourneysMenus, MenuOpenedDuringALongCaptureLandsAfterIt) {
    Specimen specimen;
    ASSERT_TRUE(specimen.start("--rows 6000"));
    Vantor vantor;
    ASSERT_TRUE(vantor.start(makeVantorDirectory("journey-long-capture"),
                             "CaptureContextMenu=1\r\nForceCrossProcess=1\r\n"));
    const int row = vantor.rowOf(kSpecimenRow);
    ASSERT_GE(row, 0);
    ASSERT_TRUE(vantor.selectRow(row));
    // Once the capture shows its first section, the application opens its context menu (its timer fires).
    ASSERT_TRUE(
        waitUntil([&] { return vantor.paneText().find("■ ウインドウの構成") != std::string::npos; }, 10000));
    PostMessageA(specimen.window, WM_TIMER, 2 /* the specimen's context menu timer */, 0);
    ASSERT_TRUE(waitUntil([&] { return menuShownBy(specimen.window); }, 10000));
    // The capture is still running when the menu opens: its last section is not there yet.
    ASSERT_EQ(vantor.paneText().find("■ ステータスバー情報"), std::string::npos)
        << "the capture ended before the menu opened";
    EXPECT_TRUE(waitUntil([&] { return occurrences(vantor.paneText(), "■ 追加メニュー") == 1; }, 90000));
    EXPECT_TRUE(waitUntil([&] { return !menuShownBy(specimen.window); }, kMenuShownMs + 3000));
    const std::string expected = engineReportOf(specimen.window) + kSeparator + kContextMenu;
    EXPECT_EQ(vantor.paneText(), expected);
    EXPECT_EQ(vantor.exitByMenu(), 0);
}

} // namespace
} // namespace apptest
} // namespace vantor
