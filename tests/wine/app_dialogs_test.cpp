// vantor.exe end to end: the Option dialog's rules as the user sees them on reopening the dialog, the About
// box's closing rules, the settings file those choices leave, and several instances side by side once
// multiple start-up is allowed.
#include <gtest/gtest.h>

#include <string>

#include "tools/wine_driver/app_driver.h"

namespace vantor {
namespace apptest {
namespace {

HWND openDialog(const Vantor& v, int command, const char* title) {
    v.command(command);
    HWND dialog = nullptr;
    waitUntil([&] { return (dialog = findDialog(processOf(v.main), title)) != nullptr; });
    return dialog;
}

bool checked(HWND dialog, int id) {
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void click(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

std::string itemText(HWND dialog, int id) {
    char text[256] = "";
    SendMessageA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

bool closes(HWND dialog) {
    return waitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5000);
}

TEST(AppDialogs, OptionRulesAboutBoxAndTheSettingsTheyLeave) {
    Vantor vantor;
    ASSERT_TRUE(vantor.start(makeVantorDirectory("dialogs")));

    // Opened with the defaults.
    HWND option = openDialog(vantor, 32789, "Option");
    ASSERT_NE(option, nullptr);
    EXPECT_TRUE(checked(option, 1004));
    for (int id : {1002, 1003, 1005, 1006, 1007, 1008})
        EXPECT_FALSE(checked(option, id)) << id;
    EXPECT_EQ(itemText(option, 1009), "");
    // A separator takes effect when clicked, a check box only on OK: click both, then Cancel.
    click(option, 1005);
    click(option, 1002);
    click(option, IDCANCEL);
    EXPECT_TRUE(closes(option));

    option = openDialog(vantor, 32789, "Option");
    ASSERT_NE(option, nullptr);
    EXPECT_TRUE(checked(option, 1005));
    EXPECT_FALSE(checked(option, 1004));
    EXPECT_FALSE(checked(option, 1002));
    // Other with twelve characters typed keeps nine; multiple start-up on OK.
    SendMessageA(GetDlgItem(option, 1009), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("123456789012"));
    click(option, 1008);
    click(option, 1003);
    click(option, IDOK);
    EXPECT_TRUE(closes(option));

    option = openDialog(vantor, 32789, "Option");
    ASSERT_NE(option, nullptr);
    EXPECT_TRUE(checked(option, 1008));
    EXPECT_TRUE(checked(option, 1003));
    EXPECT_EQ(itemText(option, 1009), "123456789");
    click(option, IDCANCEL);
    EXPECT_TRUE(closes(option));

    // About: the version text; Escape (IDCANCEL) leaves it open, Enter (IDOK) and the close box close it.
    HWND about = openDialog(vantor, 104, "About");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(itemText(about, 1030), "version 0.12 [2003/08/21]");
    EXPECT_FALSE(itemText(about, 1034).empty());
    EXPECT_FALSE(itemText(about, 1033).empty());
    SendMessageA(about, WM_COMMAND, IDCANCEL, 0);
    Sleep(100);
    EXPECT_TRUE(IsWindow(about) && IsWindowVisible(about));
    PostMessageA(about, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(closes(about));
    about = openDialog(vantor, 104, "About");
    ASSERT_NE(about, nullptr);
    PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(closes(about));

    // Dragging the bar between the panes 100 pixels to the right widens the list to 300 pixels.
    HWND leftPane = GetParent(GetParent(vantor.listView));
    RECT r;
    GetClientRect(leftPane, &r);
    ASSERT_EQ(r.right, 200);
    POINT origin{0, 0};
    ClientToScreen(leftPane, &origin);
    PostMessageA(leftPane, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(199, 100));
    Sleep(100);
    // The pane holds the mouse capture now: moving the pointer itself gives it the drag's mouse moves.
    SetCursorPos(origin.x + 299, origin.y + 100);
    Sleep(100);
    PostMessageA(leftPane, WM_LBUTTONUP, 0, MAKELPARAM(299, 100));
    EXPECT_TRUE(waitUntil([&] { return GetClientRect(leftPane, &r) && r.right == 300; }));

    EXPECT_EQ(vantor.exitByMenu(), 0);
    const std::string ini = vantor.iniText();
    EXPECT_NE(ini.find("\r\nListSeparator=123456789\r\nCaptureContextMenu=0\r\nMultipleStartup=1\r\n"),
              std::string::npos)
        << ini;
    EXPECT_NE(ini.find("\r\nListWidth=300\r\n"), std::string::npos) << ini;

    // That file lets a second instance run beside the first.
    Vantor first, second;
    ASSERT_TRUE(first.start(vantor.directory));
    ASSERT_TRUE(second.start(vantor.directory));
    EXPECT_NE(first.main, second.main);
    // Each opens with the list width the last run left.
    RECT r2;
    GetClientRect(GetParent(GetParent(second.listView)), &r2);
    EXPECT_EQ(r2.right, 300);
    EXPECT_EQ(second.exitByMenu(), 0);
    EXPECT_EQ(first.exitByMenu(), 0);
}

} // namespace
} // namespace apptest
} // namespace vantor
