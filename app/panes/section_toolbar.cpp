// The section toolbar and the menu-state rule: creation, adding and clearing the section buttons, and the
// enabling of the capture items (the rule itself is ui/menu_state.h).
// Threads: the user-interface thread only.
#include "app/panes/section_toolbar.h"

#include <commctrl.h>

#include <cstring>
#include <string>

#include "app/app_globals.h"
#include "app/main_window.h"
#include "app/resource.h"

namespace vantor {

HWND createSectionToolbar(HWND parent) {
    InitCommonControls();
    HWND toolbar = CreateToolbarEx(
        parent,
        // Wrapping: buttons that do not fit the width go on further rows, which the layout makes room for,
        // so every section stays one click away with its caption in view.
        WS_CHILD | WS_VISIBLE | TBSTYLE_LIST | TBSTYLE_FLAT | TBSTYLE_WRAPABLE | CCS_NODIVIDER | CCS_NORESIZE,
        IDC_SECTION_TOOLBAR, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, sizeof(TBBUTTON));
    SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    return toolbar;
}

void addSectionButton(const char* caption, int commandId) {
    if (appWindows.sectionToolbar == nullptr) return;
    // A string list of one entry: the caption, then an empty string.
    std::string list(caption);
    list.push_back('\0'); // the string's own terminator ends the list
    const LRESULT index =
        SendMessageA(appWindows.sectionToolbar, TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>(list.c_str()));
    TBBUTTON button{};
    button.iBitmap = I_IMAGENONE;
    button.idCommand = commandId;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = TBSTYLE_AUTOSIZE;
    button.dwData = 0;
    button.iString = index;
    SendMessageA(appWindows.sectionToolbar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
    layoutRightPane();
}

int sectionToolbarHeight(int minimum) {
    HWND toolbar = appWindows.sectionToolbar;
    if (toolbar == nullptr) return minimum;
    SendMessageA(toolbar, TB_AUTOSIZE, 0, 0); // lays the buttons out again for the current width
    const int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
    RECT last{};
    if (count == 0 || SendMessageA(toolbar, TB_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&last)) == 0)
        return minimum;
    return last.bottom > minimum ? static_cast<int>(last.bottom) : minimum;
}

void clearSectionButtons() {
    if (appWindows.sectionToolbar == nullptr) return;
    while (SendMessageA(appWindows.sectionToolbar, TB_DELETEBUTTON, 0, 0) != 0) {
    }
    layoutRightPane();
}

void applyMenuState(MenuState state) {
    MenuItemEnable items[kMenuStateItems];
    menuStatePattern(state, items);
    HMENU menu = GetMenu(appWindows.main);
    for (const MenuItemEnable& item : items) {
        EnableMenuItem(menu, static_cast<UINT>(item.command),
                       MF_BYCOMMAND | (item.enabled ? MF_ENABLED : MF_GRAYED));
    }
}

} // namespace vantor
