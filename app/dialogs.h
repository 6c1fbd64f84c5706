// The three modal dialogs: About (159), Option (142) and Monitor (143). Their rules without windows are in
// app/dialog_rules.h. Threads: the user-interface thread.
#pragma once

#include <windows.h>

namespace vantor {

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK optionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK monitorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace vantor
