// The Option dialog (resource 142): the two check boxes take effect on OK, a separator radio button at the
// moment it is clicked (even if the dialog is then cancelled); the rules are in app/dialog_rules.h.
// Threads: the user-interface thread only.
#include "app/app_globals.h"
#include "app/dialog_rules.h"
#include "app/dialogs.h"
#include "app/resource.h"
#include "app/settings.h"

namespace vantor {

namespace {

// The edit's text, at most 9 characters are used; room for more so that the cut happens in one place.
void separatorEditText(HWND dialog, char* out, int cap) {
    GetDlgItemTextA(dialog, IDC_OPT_SEP_TEXT, out, cap);
}

void onInit(HWND dialog) {
    CheckDlgButton(dialog, IDC_OPT_CONTEXT_MENU, settings.captureContextMenu ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_OPT_MULTIPLE_STARTUP, settings.multipleStartup ? BST_CHECKED : BST_UNCHECKED);
    const int checked = checkedSeparatorButton(settings);
    for (int id = IDC_OPT_SEP_TAB; id <= IDC_OPT_SEP_OTHER; ++id) {
        CheckDlgButton(dialog, id, id == checked ? BST_CHECKED : BST_UNCHECKED);
    }
    if (settings.separatorKind == SeparatorKind::Other)
        SetDlgItemTextA(dialog, IDC_OPT_SEP_TEXT, settings.listSeparator);
    centerOnWorkArea(dialog);
}

void onCommand(HWND dialog, WPARAM wParam) {
    char text[256];
    const int id = LOWORD(wParam);
    switch (id) {
    case IDOK:
        separatorEditText(dialog, text, sizeof text);
        applyOptionOk(&settings, IsDlgButtonChecked(dialog, IDC_OPT_CONTEXT_MENU) == BST_CHECKED,
                      IsDlgButtonChecked(dialog, IDC_OPT_MULTIPLE_STARTUP) == BST_CHECKED, text);
        EndDialog(dialog, 1);
        break;
    case IDCANCEL: EndDialog(dialog, 2); break;
    case IDC_OPT_SEP_TAB:
    case IDC_OPT_SEP_SEMICOLON:
    case IDC_OPT_SEP_COMMA:
    case IDC_OPT_SEP_SPACE:
    case IDC_OPT_SEP_OTHER:
        separatorEditText(dialog, text, sizeof text);
        applySeparatorButton(&settings, id, text);
        break;
    default: break; // the edit's notifications among them
    }
}

} // namespace

INT_PTR CALLBACK optionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: onInit(dialog); break;
    case WM_COMMAND: onCommand(dialog, wParam); break;
    default: break;
    }
    return FALSE;
}

} // namespace vantor
