// The Monitor dialog (resource 143): asks for the monitoring interval in units of 100 ms before monitoring
// starts; the disabled check box mirrors appendOnUpdate. The interval rule is in app/dialog_rules.h.
// Threads: the user-interface thread only.
#include "app/app_globals.h"
#include "app/dialog_rules.h"
#include "app/dialogs.h"
#include "app/resource.h"
#include "app/settings.h"

namespace vantor {

INT_PTR CALLBACK monitorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        CheckDlgButton(dialog, IDC_MON_APPEND, settings.appendOnUpdate ? BST_CHECKED : BST_UNCHECKED);
        SetDlgItemInt(dialog, IDC_MON_INTERVAL, static_cast<UINT>(settings.monitorInterval), FALSE);
        centerOnWorkArea(dialog);
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            settings.appendOnUpdate = IsDlgButtonChecked(dialog, IDC_MON_APPEND) == BST_CHECKED;
            const UINT value = GetDlgItemInt(dialog, IDC_MON_INTERVAL, nullptr, FALSE);
            settings.monitorInterval = monitorIntervalFrom(value);
            EndDialog(dialog, 1);
        } else if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 2);
        }
        break;
    default: break;
    }
    return FALSE;
}

} // namespace vantor
