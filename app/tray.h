// The notification-area icon with the tip "Vantor" and its small menu ("&Show", "E&xit").
// Threads: the user-interface thread only.
#pragma once

#include <windows.h>

namespace vantor {

struct TrayIcon {
    int iconCount = 0; // icons currently added through this owner
    HINSTANCE instance = nullptr;
};

// Adds the icon (the handle is destroyed here whatever the result); true when the system accepted it.
bool addTrayIcon(TrayIcon* owner, HWND window, HICON icon, UINT id);
bool removeTrayIcon(TrayIcon* owner, HWND window, UINT id);
// The tray menu, unshown: "* Vantor *", a separator, "&Show", "E&xit" (the default item); the caller destroys
// it. Kept apart from showing it so that it can be read in-process by tests.
HMENU buildTrayMenu();
// The pop-up menu at the cursor, bottom-right corner at the cursor; the choice reaches window as WM_COMMAND.
void showTrayMenu(TrayIcon* owner, HWND window);
// The record size used: the first layout of NOTIFYICONDATAA for the pointer width built for.
UINT trayRecordSize();

} // namespace vantor
