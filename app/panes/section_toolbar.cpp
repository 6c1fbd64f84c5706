// The section toolbar and the menu-state rule: creation, adding and clearing the section buttons, and the
// enabling of the capture items (the rule itself is ui/menu_state.h).
// Threads: the user-interface thread only.
#include "app/panes/section_toolbar.h"

#include <commctrl.h>

#include "app/app_globals.h"
#include "app/resource.h"

namespace vantor {

HWND createSectionToolbar(HWND parent) {
    InitCommonControls();
    HWND toolbar = CreateToolbarEx(
        parent, WS_CHILD | WS_VISIBLE | TBSTYLE_LIST | TBSTYLE_FLAT | CCS_NODIVIDER | CCS_NORESIZE,
        IDC_SECTION_TOOLBAR, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, sizeof(TBBUTTON));
    SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    return toolbar;
}

void addSectionButton(const char* caption, int commandId) {
    if (appWindows.sectionToolbar == nullptr) return;
    // The caption goes with the button (the toolbar copies it and frees it with the button); a string added
    // to the toolbar's string list would stay there for good, some 70 bytes per button of every capture.
    TBBUTTON button{};
    button.iBitmap = I_IMAGENONE;
    button.idCommand = commandId;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = TBSTYLE_AUTOSIZE;
    button.dwData = 0;
    button.iString = reinterpret_cast<INT_PTR>(caption);
    SendMessageA(appWindows.sectionToolbar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
}

void clearSectionButtons() {
    if (appWindows.sectionToolbar == nullptr) return;
    while (SendMessageA(appWindows.sectionToolbar, TB_DELETEBUTTON, 0, 0) != 0) {
    }
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
