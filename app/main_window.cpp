// The main window: class registration, creation with its panes, the layout of the right pane, the window
// procedure, and the window helpers shared by the dialogs and panes.
// Threads: the user-interface thread only.
#include "app/main_window.h"

#include <richedit.h>
#include <shellapi.h>

#include "app/app_globals.h"
#include "app/commands.h"
#include "app/monitor_host.h"
#include "app/resource.h"
#include "app/settings.h"
#include "app/tray.h"
#include "app/window_placement.h"
#include "app/panes/output_pane.h"
#include "app/panes/pane_rules.h"
#include "app/panes/section_toolbar.h"
#include "app/panes/split_pane.h"
#include "app/panes/window_list.h"

namespace vantor {

namespace {

const char kListHostClass[] = "list view";

LRESULT onCreate(HWND window) {
    appState().windows.main = window;
    PanePlacement left{}, right{};
    if (createSplitPanes(window, settings.listWidth, &left, &right) == 0) return -1;
    registerPaneClass(appState().instance, listHostProc, kListHostClass);
    appState().windows.listHost = createPaneContent(left, kListHostClass);
    if (appState().windows.listHost == nullptr) return -1;
    appState().windows.sectionToolbar = createSectionToolbar(appState().windows.rightPane);
    appState().windows.outputPane = createOutputPane();
    SendMessageA(window, WM_COMMAND, CMD_REFRESH_LIST, 0);
    return 0;
}

void onSize(HWND window) {
    layoutSplitPanes(window, -1);
    layoutRightPane();
}

void onDestroy(HWND window) {
    // The normal rectangle, also when the window is closed minimised (from the taskbar or the tray).
    settings.windowRect = restoredWindowRect(window);
    PostQuitMessage(0);
}

void onTrayNotify(HWND window, LPARAM lParam) {
    switch (lParam) {
    case WM_LBUTTONDBLCLK: dispatchCommand(window, WM_COMMAND, CMD_SHOW, 0); break;
    case WM_RBUTTONUP: showTrayMenu(&appState().tray, window); break;
    default: break;
    }
}

static_assert(kEnLink == EN_LINK && kLeftButtonDown == WM_LBUTTONDOWN, "link notification values");

// A Ctrl-click on a link that the output pane detected opens it; every other link event is left to the pane.
LRESULT onNotify(const NMHDR* header) {
    if (header->idFrom != IDC_OUTPUT_PANE || header->code != EN_LINK) return 0;
    const ENLINK* link = reinterpret_cast<const ENLINK*>(header);
    const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (!linkClickOpens(header->code, link->msg, control, link->chrg.cpMin, link->chrg.cpMax)) return 0;
    CHARRANGE range = link->chrg;
    SendMessageA(appState().windows.outputPane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    char text[kLinkTextBuffer] = "";
    SendMessageA(appState().windows.outputPane, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(text));
    ShellExecuteA(appState().windows.outputPane, "open", text, nullptr, nullptr, SW_SHOWNORMAL);
    return 1; // the press is consumed: no caret move or selection by the pane
}

} // namespace

void registerMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW;
    wc.lpfnWndProc = mainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_LARGE_ICON));
    wc.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SMALL_ICON));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
    wc.lpszClassName = appState().mainClassName;
    RegisterClassExA(&wc);
}

ATOM registerPaneClass(HINSTANCE instance, WNDPROC procedure, const char* className) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_LARGE_ICON));
    wc.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SMALL_ICON));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
    wc.lpszClassName = className;
    appState().instance = instance;
    return static_cast<ATOM>(RegisterClassExA(&wc) & 0xFFFF);
}

bool createMainWindow(HINSTANCE instance) {
    const Rect32& r = settings.windowRect;
    HWND window =
        CreateWindowExA(0, appState().mainClassName, appState().programName, WS_OVERLAPPEDWINDOW, r.left,
                        r.top, r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return false;
    appState().windows.main = window;
    centerOnWorkArea(window);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    for (const HotKey& key : kHotKeys) {
        RegisterHotKey(window, key.id, kHotKeyModifiers, key.virtualKey);
    }
    return true;
}

void layoutRightPane() {
    if (appState().windows.rightPane == nullptr) return;
    RECT r;
    GetClientRect(appState().windows.rightPane, &r);
    placeSectionToolbar();
    MoveWindow(appState().windows.outputPane, r.left, r.top + kSectionToolbarHeight, r.right,
               r.bottom - kSectionToolbarHeight, TRUE);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return onCreate(window);
    case WM_DESTROY: onDestroy(window); return 0;
    case WM_SIZE: onSize(window); return 0;
    case WM_NOTIFY: return onNotify(reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND:
    case WM_HOTKEY:
        if (!dispatchCommand(window, message, wParam, lParam))
            DefWindowProcA(window, message, wParam, lParam);
        return 0;
    case WM_TIMER: onMonitorTick(); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: return 0;
    case kTrayCallbackMessage: onTrayNotify(window, lParam); return 0;
    case kCaptureUiMessage: return runCaptureUiRequest(lParam);
    case kMonitorRequestMessage: return runMonitorRequest(wParam, lParam);
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

void centerOnWorkArea(HWND window) {
    RECT work, r;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(window, &r);
    int x = 0, y = 0;
    centeredOrigin(work.left, work.top, work.right, work.bottom, r.right - r.left, r.bottom - r.top, &x, &y);
    SetWindowPos(window, HWND_TOP, x, y, 0, 0, SWP_NOSIZE);
}

HFONT createFixedPitchFont(const char* face, int height) {
    return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FIXED_PITCH | FF_MODERN, face);
}

} // namespace vantor
