// The section toolbar and the menu-state rule: creation, adding and clearing the section buttons, the ">>"
// button and its menu of the buttons beyond the toolbar's width, and the enabling of the capture items (the
// rule itself is ui/menu_state.h).
// Threads: the user-interface thread only.
#include "app/panes/section_toolbar.h"

#include <commctrl.h>

#include <vector>

#include "app/app_globals.h"
#include "app/resource.h"
#include "platform/win32/scoped_win.h"

namespace vantor {

namespace {

// The ">>" button (appState().moreButton) at the toolbar's right end, shown while some section buttons do not
// fit: it lists them in a menu. The toolbar keeps one row, so the output pane never changes size with the
// sections (Wine's rich edit lays its whole text out again at every size change: 1.2 s for a pane of 1 MB).
const char kMoreCaption[] = ">>";
constexpr int kMoreWidth = 24;

// The first button not wholly inside the given width, or -1.
int firstClippedButton(HWND toolbar, int width) {
    const int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        RECT r{};
        if (SendMessageA(toolbar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r)) != 0 && r.right > width)
            return i;
    }
    return -1;
}

} // namespace

HWND createSectionToolbar(HWND parent) {
    InitCommonControls();
    HWND toolbar = CreateToolbarEx(
        parent, WS_CHILD | WS_VISIBLE | TBSTYLE_LIST | TBSTYLE_FLAT | CCS_NODIVIDER | CCS_NORESIZE,
        IDC_SECTION_TOOLBAR, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, sizeof(TBBUTTON));
    SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    appState().moreButton = CreateWindowExA(
        0, "BUTTON", kMoreCaption, WS_CHILD | BS_PUSHBUTTON | BS_FLAT, 0, 0, 0, 0, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_SECTION_MORE)), appState().instance, nullptr);
    return toolbar;
}

void addSectionButton(const char* caption, int commandId) {
    if (appState().windows.sectionToolbar == nullptr) return;
    // The caption goes with the button (the toolbar copies it and frees it with the button); a string added
    // to the toolbar's string list would stay there for good, some 70 bytes per button of every capture.
    TBBUTTON button{};
    button.iBitmap = I_IMAGENONE;
    button.idCommand = commandId;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = TBSTYLE_AUTOSIZE;
    button.dwData = 0;
    button.iString = reinterpret_cast<INT_PTR>(caption);
    SendMessageA(appState().windows.sectionToolbar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
    placeSectionToolbar();
}

void clearSectionButtons() {
    if (appState().windows.sectionToolbar == nullptr) return;
    while (SendMessageA(appState().windows.sectionToolbar, TB_DELETEBUTTON, 0, 0) != 0) {
    }
    placeSectionToolbar();
}

void placeSectionToolbar() {
    HWND toolbar = appState().windows.sectionToolbar;
    if (toolbar == nullptr || appState().windows.rightPane == nullptr) return;
    RECT r;
    GetClientRect(appState().windows.rightPane, &r);
    const bool overflow = firstClippedButton(toolbar, r.right) >= 0;
    const int toolbarWidth = overflow ? r.right - kMoreWidth : r.right;
    RECT now{};
    GetWindowRect(toolbar, &now);
    if (now.right - now.left != toolbarWidth || now.bottom - now.top != kSectionToolbarHeight)
        MoveWindow(toolbar, 0, 0, toolbarWidth, kSectionToolbarHeight, TRUE);
    if (appState().moreButton == nullptr) return;
    if (overflow) {
        MoveWindow(appState().moreButton, toolbarWidth, 0, kMoreWidth, kSectionToolbarHeight, TRUE);
        ShowWindow(appState().moreButton, SW_SHOWNA);
    } else {
        ShowWindow(appState().moreButton, SW_HIDE);
    }
}

bool isSectionMoreButton(HWND window) {
    return window != nullptr && window == appState().moreButton;
}

void showSectionMenu() {
    HWND toolbar = appState().windows.sectionToolbar;
    RECT r;
    GetClientRect(toolbar, &r);
    const int first = firstClippedButton(toolbar, r.right);
    if (first < 0) return;
    const int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
    const ScopedMenu menu(CreatePopupMenu());
    std::vector<int> commands;
    for (int i = first; i < count; ++i) {
        TBBUTTON button{};
        SendMessageA(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        char caption[256] = "";
        if (SendMessageA(toolbar, TB_GETBUTTONTEXTA, button.idCommand, 0) <
            static_cast<LRESULT>(sizeof caption))
            SendMessageA(toolbar, TB_GETBUTTONTEXTA, button.idCommand, reinterpret_cast<LPARAM>(caption));
        commands.push_back(button.idCommand);
        // Menu ids start at 1: TrackPopupMenu answers 0 when nothing was chosen.
        AppendMenuA(menu.get(), MF_STRING, commands.size(), caption);
    }
    RECT at;
    GetWindowRect(appState().moreButton, &at);
    const int chosen =
        static_cast<int>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTALIGN | TPM_TOPALIGN, at.right,
                                        at.bottom, 0, appState().windows.rightPane, nullptr));
    // The chosen section goes to the right pane as the button's own click would.
    if (chosen > 0)
        SendMessageA(appState().windows.rightPane, WM_COMMAND, static_cast<WPARAM>(commands[chosen - 1]),
                     reinterpret_cast<LPARAM>(toolbar));
}

void applyMenuState(MenuState state) {
    MenuItemEnable items[kMenuStateItems];
    menuStatePattern(state, items);
    HMENU menu = GetMenu(appState().windows.main);
    for (const MenuItemEnable& item : items) {
        EnableMenuItem(menu, static_cast<UINT>(item.command),
                       MF_BYCOMMAND | (item.enabled ? MF_ENABLED : MF_GRAYED));
    }
}

} // namespace vantor
