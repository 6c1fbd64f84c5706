// The tray icon: adding and removing it, and its pop-up menu.
// Threads: the user-interface thread only.
#include "app/tray.h"

#include <shellapi.h>

#include <cstddef>

#include "app/commands.h"
#include "app/resource.h"
#include "platform/win32/scoped_win.h"

namespace vantor {

namespace {

// The first (shortest) layout of the record ends after the 64-byte tip: 88 bytes for 32-bit programs, 104
// for 64-bit ones, where the window and icon handles are 8 bytes wide.
constexpr UINT kFirstLayoutSize = static_cast<UINT>(offsetof(NOTIFYICONDATAA, szTip) + 64);
static_assert(sizeof(void*) == 8 ? kFirstLayoutSize == 104 : kFirstLayoutSize == 88,
              "first layout of NOTIFYICONDATAA");

void prepare(NOTIFYICONDATAA* data, HWND window, UINT id) {
    ZeroMemory(data, sizeof *data);
    data->cbSize = kFirstLayoutSize;
    data->hWnd = window;
    data->uID = id;
}

} // namespace

UINT trayRecordSize() {
    return kFirstLayoutSize;
}

bool addTrayIcon(TrayIcon* owner, HWND window, HICON icon, UINT id) {
    // The shell keeps its own copy of the icon.
    const ScopedIcon owned(icon);
    NOTIFYICONDATAA data;
    prepare(&data, window, id);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icon;
    lstrcpynA(data.szTip, "Vantor", 64);
    const bool added = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
    if (added) ++owner->iconCount;
    return added;
}

bool removeTrayIcon(TrayIcon* owner, HWND window, UINT id) {
    NOTIFYICONDATAA data;
    prepare(&data, window, id);
    const bool removed = Shell_NotifyIconA(NIM_DELETE, &data) != FALSE;
    if (removed) --owner->iconCount;
    return removed;
}

HMENU buildTrayMenu() {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) return nullptr;
    // A title line: disabled so that it cannot be chosen, but not greyed.
    AppendMenuA(menu, MF_STRING | MF_DISABLED, 0, "* Vantor *");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, CMD_SHOW, "&Show");
    AppendMenuA(menu, MF_STRING, CMD_EXIT, "E&xit");
    SetMenuDefaultItem(menu, CMD_EXIT, FALSE);
    return menu;
}

void showTrayMenu(TrayIcon*, HWND window) {
    POINT p;
    GetCursorPos(&p);
    const ScopedMenu menu(buildTrayMenu());
    if (!menu) return;
    // The owner must be the foreground window for the menu to close when the user clicks elsewhere.
    SetForegroundWindow(window);
    TrackPopupMenu(menu.get(), TPM_RIGHTALIGN | TPM_BOTTOMALIGN, p.x, p.y, 0, window, nullptr);
    PostMessageA(window, WM_NULL, 0, 0);
}

} // namespace vantor
