// The About box (resource 159): version text, home page and e-mail links with visited colours, the hand
// cursor borrowed from the help viewer, and Enter or the close box (not Escape) to close it.
// Threads: the user-interface thread only.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>

#include "app/app_globals.h"
#include "app/dialog_rules.h"
#include "app/dialogs.h"
#include "app/resource.h"
#include "platform/win32/scoped_win.h"

namespace vantor {

namespace {

void onInit(HWND dialog) {
    char version[128];
    formatVersionText(version, sizeof version);
    SetDlgItemTextA(dialog, IDC_ABOUT_VERSION, version);
    SetDlgItemTextA(dialog, IDC_ABOUT_HOME, kHomePageAddress);
    SetDlgItemTextA(dialog, IDC_ABOUT_MAIL, kMailAddress);
    centerOnWorkArea(dialog);
}

// The help viewer's hand cursor (resource 106), or the arrow when the viewer cannot be loaded. A copy is
// taken each time; it is released with the dialog's next cursor change.
HCURSOR linkCursor() {
    char path[MAX_PATH + 16];
    const UINT n = GetWindowsDirectoryA(path, 248);
    lstrcpyA(path + (n < 248 ? n : 0), "\\winhlp32.exe");
    const ScopedLibrary viewer(LoadLibraryA(path));
    if (!viewer) return LoadCursorA(nullptr, IDC_ARROW);
    HCURSOR hand = LoadCursorA(viewer.get(), MAKEINTRESOURCEA(106));
    HCURSOR copy = hand != nullptr ? CopyCursor(hand) : nullptr;
    if (copy == nullptr) return LoadCursorA(nullptr, IDC_ARROW);
    appState().linkCursor.reset(copy); // the copy taken before goes
    return copy;
}

INT_PTR onSetCursor(HWND dialog, WPARAM wParam) {
    HWND over = reinterpret_cast<HWND>(wParam);
    if (over != GetDlgItem(dialog, IDC_ABOUT_HOME) && over != GetDlgItem(dialog, IDC_ABOUT_MAIL))
        return FALSE;
    SetCursor(linkCursor());
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 1);
    return TRUE;
}

INT_PTR onCommand(HWND dialog, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case IDOK: EndDialog(dialog, 1); return FALSE;
    case IDC_ABOUT_MAIL: {
        appState().mailVisited = true;
        char link[300];
        std::snprintf(link, sizeof link, "mailto:%s", kMailAddress);
        ShellExecuteA(nullptr, "open", link, nullptr, nullptr, SW_SHOWNORMAL);
        return TRUE;
    }
    case IDC_ABOUT_HOME: {
        appState().homePageVisited = true;
        char link[256];
        GetDlgItemTextA(dialog, IDC_ABOUT_HOME, link, sizeof link);
        ShellExecuteA(nullptr, "open", link, nullptr, nullptr, SW_SHOWNORMAL);
        InvalidateRect(GetDlgItem(dialog, IDC_ABOUT_HOME), nullptr, FALSE);
        return TRUE;
    }
    default: return FALSE; // IDCANCEL included: Escape leaves the box open
    }
}

INT_PTR onColorStatic(HWND dialog, HDC dc, HWND control) {
    const int id = GetDlgCtrlID(control);
    SetBkMode(dc, TRANSPARENT);
    if (id == IDC_ABOUT_HOME || id == IDC_ABOUT_MAIL || id == IDC_ABOUT_VERSION) {
        std::uint32_t colour = kVersionColour;
        if (id == IDC_ABOUT_HOME) colour = linkColour(appState().homePageVisited);
        if (id == IDC_ABOUT_MAIL) colour = linkColour(appState().mailVisited);
        SetTextColor(dc, colour);
        return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
    }
    (void)dialog;
    return static_cast<INT_PTR>(COLOR_BTNFACE + 1);
}

} // namespace

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: onInit(dialog); return TRUE;
    case WM_SETCURSOR: return onSetCursor(dialog, wParam);
    case WM_COMMAND: return onCommand(dialog, wParam);
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            EndDialog(dialog, 1);
            return TRUE;
        }
        return FALSE;
    case WM_CTLCOLORSTATIC:
        return onColorStatic(dialog, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    default: return FALSE;
    }
}

} // namespace vantor
