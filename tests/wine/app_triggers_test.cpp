// vantor.exe end to end: the stop question when a capture of a hung specimen is still running (No keeps it
// running, Yes stops it and starts the new one), the tray icon's callbacks and menu, and the hot keys with
// their captures into the pane and onto the clipboard; the tray menu itself is read in-process.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "app/resource.h"
#include "app/tray.h"
#include "capture/list_view_reader.h"
#include "capture/capture_lock.h"
#include "platform/win32/win32_platform.h"
#include "tools/wine_driver/app_driver.h"

namespace vantor {
namespace apptest {
namespace {

const char kSpecimenRow[] = "Vantor Specimen [VantorSpecimen]";
const char kStopQuestion[] = "まだ解析中ですが解析を停止しますか？";

// The stop question of vantor.exe, found by its text; its caption names the window of the last capture
// ("title [class]"), which reads " []" once that window has gone.
HWND findStopQuestion(DWORD pid, std::string* caption = nullptr) {
    for (HWND box = FindWindowExA(nullptr, nullptr, "#32770", nullptr); box != nullptr;
         box = FindWindowExA(nullptr, box, "#32770", nullptr)) {
        if (processOf(box) != pid || !IsWindowVisible(box)) continue;
        for (HWND c = FindWindowExA(box, nullptr, "Static", nullptr); c != nullptr;
             c = FindWindowExA(box, c, "Static", nullptr)) {
            char text[256] = "";
            SendMessageA(c, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
            if (kStopQuestion != std::string(text)) continue;
            if (caption != nullptr) {
                char title[256] = "";
                GetWindowTextA(box, title, sizeof title);
                *caption = title;
            }
            return box;
        }
    }
    return nullptr;
}

HWND waitStopQuestion(const Vantor& v, std::string* caption = nullptr) {
    HWND box = nullptr;
    waitUntil([&] { return (box = findStopQuestion(processOf(v.main), caption)) != nullptr; }, 5000);
    return box;
}

// Answers the stop question; true once it has closed.
bool answer(HWND box, int button) {
    PostMessageA(GetDlgItem(box, button), BM_CLICK, 0, 0);
    return waitUntil([&] { return !IsWindow(box); }, 5000);
}

TEST(AppTriggers, HungSpecimenAsksBeforeAnUpdateAndNoKeepsTheCapture) {
    Specimen specimen;
    ASSERT_TRUE(specimen.start("--hang-after 400"));
    Vantor vantor;
    ASSERT_TRUE(vantor.start(makeVantorDirectory("hung")));
    const int row = vantor.rowOf(kSpecimenRow);
    ASSERT_GE(row, 0);
    Sleep(500); // the specimen no longer answers

    // Every message to the hung specimen waits for its time-out: the capture runs for a long time, and the
    // user interface answers all the while.
    ASSERT_TRUE(vantor.selectRow(row));
    for (int i = 0; i < 5; ++i) {
        DWORD_PTR result = 0;
        EXPECT_NE(SendMessageTimeoutA(vantor.main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result), 0) << i;
        EXPECT_NE(SendMessageTimeoutA(vantor.pane, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 1000, &result),
                  0)
            << i;
        Sleep(200);
    }
    for (int i = 0; i < 2; ++i) {
        vantor.pressKey(VK_F5);
        std::string caption;
        HWND box = waitStopQuestion(vantor, &caption);
        ASSERT_NE(box, nullptr) << i; // the second time: No has left the capture running
        EXPECT_EQ(caption, kSpecimenRow);
        ASSERT_TRUE(answer(box, IDNO));
    }

    // The specimen goes away: the capture ends; the update then finds its window gone, says so and
    // refreshes the list.
    TerminateProcess(specimen.program.process.get(), 1);
    WaitForSingleObject(specimen.program.process.get(), 5000);
    const std::string gone = "このウインドウは既に存在しません．\r\nウインドウリストを更新しました．";
    EXPECT_TRUE(waitUntil(
        [&] {
            HWND box = findStopQuestion(processOf(vantor.main));
            if (box != nullptr) answer(box, IDNO);
            if (vantor.paneText() == gone) return true;
            vantor.pressKey(VK_F5);
            Sleep(300);
            return false;
        },
        60000))
        << vantor.paneText().substr(0, 200);
    // The list is refreshed right after the text is shown; the pane, a control of its own thread, can be
    // read in between.
    EXPECT_TRUE(waitUntil([&] { return vantor.rowOf(kSpecimenRow) == -1; }, 5000));
    EXPECT_EQ(vantor.exitByMenu(), 0);
}

TEST(AppTriggers, YesStopsTheRunningCaptureAndStartsTheUpdate) {
    // A list view of 50,000 rows takes seconds to read; its reader checks for a stop before every query.
    Specimen specimen;
    ASSERT_TRUE(specimen.start("--rows 50000"));
    Vantor vantor;
    ASSERT_TRUE(vantor.start(makeVantorDirectory("yes")));
    const int row = vantor.rowOf(kSpecimenRow);
    ASSERT_GE(row, 0);
    ASSERT_TRUE(vantor.selectRow(row));
    ASSERT_TRUE(waitUntil([&] { return vantor.toolbarButtons().size() >= 4; }));

    vantor.pressKey(VK_F5);
    HWND box = waitStopQuestion(vantor);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(answer(box, IDYES));
    // The user interface waited for the stop and is free again; the update it then started is the capture
    // that runs now, so F5 asks once more.
    vantor.pressKey(VK_F5);
    box = waitStopQuestion(vantor);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(answer(box, IDNO));
    const std::vector<Vantor::Button> buttons = vantor.toolbarButtons();
    ASSERT_FALSE(buttons.empty());
    EXPECT_EQ(buttons[0].text, "Window");
    EXPECT_EQ(vantor.paneText().rfind("■ ウインドウの構成\n", 0), 0) << vantor.paneText().substr(0, 200);
    // Exit does not wait for the running capture.
    EXPECT_EQ(vantor.exitByMenu(), 0);
}

// Selects rows of the specimen's list view and an item of its tree view, as a user's clicks would.
void selectInSpecimen(HWND specimen, HWND* listView, HWND* treeView) {
    *listView = FindWindowExA(specimen, nullptr, "SysListView32", nullptr);
    *treeView = FindWindowExA(specimen, nullptr, "SysTreeView32", nullptr);
    DWORD pid = processOf(specimen);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    void* remote =
        VirtualAllocEx(process, nullptr, sizeof(LVITEMA), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
    SendMessageA(*listView, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(remote));
    SendMessageA(*listView, LVM_SETITEMSTATE, 3, reinterpret_cast<LPARAM>(remote));
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    const LRESULT root = SendMessageA(*treeView, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    SendMessageA(*treeView, TVM_SELECTITEM, TVGN_CARET, root);
}

// Puts the mouse cursor over the middle of window; true once that window is the one under it.
bool moveCursorOver(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    const POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    SetCursorPos(p.x, p.y);
    return waitUntil([&] { return WindowFromPoint(p) == window; }, 3000);
}

TEST(AppTriggers, TrayHotKeysAndClipboard) {
    Specimen specimen;
    ASSERT_TRUE(specimen.start());
    Vantor vantor;
    const int iconsBefore = trayIconCount();
    ASSERT_TRUE(vantor.start(makeVantorDirectory("tray")));
    EXPECT_TRUE(waitUntil([&] { return trayIconCount() == iconsBefore + 1; }, 5000));

    // The three hot keys belong to vantor.exe now: nobody else can register them.
    for (UINT key : {UINT('W'), UINT('C'), UINT('M')}) {
        const bool taken = RegisterHotKey(nullptr, 7, MOD_ALT | MOD_CONTROL, key) != FALSE;
        EXPECT_FALSE(taken) << key;
        if (taken) UnregisterHotKey(nullptr, 7); // never keep it from a later start
    }

    // Double click on the icon restores the minimised window.
    ShowWindow(vantor.main, SW_MINIMIZE);
    ASSERT_TRUE(waitUntil([&] { return IsIconic(vantor.main) != FALSE; }));
    PostMessageA(vantor.main, 1056, 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(waitUntil([&] { return IsIconic(vantor.main) == FALSE; }));

    // Ctrl+Alt+C over a list view: its selected rows, as the engine reads them, in the pane and on the
    // clipboard; over a tree view: the selected item's text on the clipboard.
    HWND listView = nullptr, treeView = nullptr;
    selectInSpecimen(specimen.window, &listView, &treeView);
    ASSERT_NE(listView, nullptr);
    ASSERT_NE(treeView, nullptr);
    engineReportOf(specimen.window); // makes the engine ready in the driver
    CaptureSession session;
    readListViewRows(session, fromNative(listView), true);
    const std::string rows = reportSnapshot(session);
    // The header line and the two selected rows (1 and 3), nothing else; the one-byte title "#" of the
    // third column counts as empty and is left out of the header line.
    ASSERT_EQ(rows, "名前\t説明\t\r\nみかん\t\t2\r\n日本語の行\t漢字とかな\t4\r\n");
    ASSERT_TRUE(moveCursorOver(listView));
    // Another program holds the clipboard open for a moment while the hot key is handled: the rows still
    // get there (before, the copy was dropped when the clipboard could not be opened at once).
    ASSERT_TRUE(OpenClipboard(nullptr));
    PostMessageA(vantor.main, WM_HOTKEY, 32788, MAKELPARAM(MOD_ALT | MOD_CONTROL, 'C'));
    Sleep(120);
    CloseClipboard();
    EXPECT_TRUE(waitUntil([&] { return clipboardText() == rows; }));
    EXPECT_EQ(vantor.paneText(), rows);
    ASSERT_TRUE(moveCursorOver(treeView));
    PostMessageA(vantor.main, WM_HOTKEY, 32788, MAKELPARAM(MOD_ALT | MOD_CONTROL, 'C'));
    EXPECT_TRUE(waitUntil([&] { return clipboardText() == "動物"; }));
    EXPECT_EQ(vantor.paneText(), rows); // the tree view's text goes to the clipboard only

    // Ctrl+Alt+W captures the foreground window.
    ASSERT_TRUE(bringToFront(specimen.window));
    const std::string expected = engineReportOf(specimen.window);
    PostMessageA(vantor.main, WM_HOTKEY, 32775, MAKELPARAM(MOD_ALT | MOD_CONTROL, 'W'));
    EXPECT_TRUE(waitUntil([&] { return vantor.paneText() == expected; }, 20000));

    // Right click on the icon: the menu; its Exit item (mnemonic x) ends the program normally.
    PostMessageA(vantor.main, 1056, 1, WM_RBUTTONUP);
    HWND menu = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        menu = FindWindowA("#32768", nullptr);
        return menu != nullptr && IsWindowVisible(menu) && processOf(menu) == processOf(vantor.main);
    }));
    PostMessageA(menu, WM_KEYDOWN, 'X', 0);
    PostMessageA(menu, WM_CHAR, 'x', 0);
    EXPECT_EQ(vantor.program.waitExit(), 0);
    EXPECT_NE(vantor.iniText().find("MultipleStartup=0"), std::string::npos);
    EXPECT_TRUE(waitUntil([&] { return trayIconCount() == iconsBefore; }, 5000)); // the icon went with it
}

// The tray menu as vantor.exe builds it, read in this process: this Wine cannot read another process's menus,
// so app/tray.cpp is linked into the test program and its menu is inspected before it would be tracked.
struct Item {
    UINT id;
    UINT type;
    UINT state;
    std::string text;
};

Item itemAt(HMENU menu, int position) {
    char text[128] = "";
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    EXPECT_TRUE(GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) << position;
    return Item{info.wID, info.fType, info.fState, text};
}

TEST(AppTriggers, RepeatedCapturesLeaveTheSectionToolbarsStringListAsItWas) {
    // The toolbar's string list only grows: a capture that added its buttons' captions to it grew vantor.exe
    // by about 0.9 KB per capture, for ever.
    Specimen specimen;
    ASSERT_TRUE(specimen.start());
    Vantor vantor;
    ASSERT_TRUE(vantor.start(makeVantorDirectory("repeated-captures")));
    const int row = vantor.rowOf(kSpecimenRow);
    ASSERT_GE(row, 0);
    const std::string tail = "段4\r\n"; // the specimen report's last line (its accessible section's)
    for (int i = 0; i < 3; ++i) {
        vantor.unselectRow(row);
        // The pane is emptied first, so that a finished report in it is this capture's.
        vantor.command(CMD_SELECT_ALL);
        vantor.command(CMD_DELETE);
        ASSERT_TRUE(waitUntil([&] { return vantor.paneText().empty(); })) << i;
        ASSERT_TRUE(vantor.selectRow(row));
        ASSERT_TRUE(waitUntil([&] {
            const std::string text = vantor.paneText();
            return text.size() > tail.size() &&
                   text.compare(text.size() - tail.size(), tail.size(), tail) == 0 &&
                   vantor.toolbarButtons().size() >= 11;
        })) << i;
    }
    // At most one capture's captions (none when each button holds its own caption).
    const int buttons = static_cast<int>(vantor.toolbarButtons().size());
    EXPECT_LE(vantor.toolbarStringCount(), buttons) << buttons;
}

TEST(AppTrayMenu, TitleSeparatorShowAndBoldExit) {
    HMENU menu = buildTrayMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 4);

    // The title line cannot be chosen but is not greyed either.
    const Item title = itemAt(menu, 0);
    EXPECT_EQ(title.text, "* Vantor *");
    EXPECT_EQ(title.id, 0u);
    EXPECT_EQ(GetMenuState(menu, 0, MF_BYPOSITION) & (MF_DISABLED | MF_GRAYED), UINT(MF_DISABLED));

    EXPECT_NE(itemAt(menu, 1).type & MFT_SEPARATOR, 0u);

    const Item show = itemAt(menu, 2);
    EXPECT_EQ(show.text, "&Show");
    EXPECT_EQ(show.id, UINT(CMD_SHOW));
    EXPECT_EQ(show.id, 32773u);
    EXPECT_EQ(show.state & (MFS_DISABLED | MFS_DEFAULT), 0u);

    // Exit is the default item, the one drawn bold, and the only one.
    const Item exitItem = itemAt(menu, 3);
    EXPECT_EQ(exitItem.text, "E&xit");
    EXPECT_EQ(exitItem.id, 105u);
    EXPECT_NE(exitItem.state & MFS_DEFAULT, 0u);
    EXPECT_EQ(exitItem.state & MFS_DISABLED, 0u);
    EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), 105u);
    EXPECT_EQ(title.state & MFS_DEFAULT, 0u);

    EXPECT_TRUE(DestroyMenu(menu));
}

} // namespace
} // namespace apptest
} // namespace vantor
