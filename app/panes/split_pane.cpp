// The splitter panes: class "SplitBase Class", the drag of the 2-pixel bar, the content window that follows
// a pane's size, and the routing of the section toolbar's commands (the toolbar is a child of the right
// pane). The arithmetic is in ui/pane_rules.h.
// Threads: the user-interface thread only.
#include "app/panes/split_pane.h"

#include "app/panes/section_toolbar.h"

#include "app/app_globals.h"
#include "app/resource.h"
#include "app/settings.h"
#include "capture/capture_lock.h"
#include "app/capture_thread.h"
#include "triggers/capture_commands.h"
#include "app/panes/output_pane.h"
#include "app/panes/pane_rules.h"

namespace vantor {

namespace {

const char kSplitPaneClass[] = "SplitBase Class";

PaneLinks* linksOf(HWND pane) {
    return reinterpret_cast<PaneLinks*>(GetWindowLongPtrA(pane, GWLP_USERDATA));
}

HWND createPane(HWND frame, int x, int y, int w, int h) {
    return CreateWindowExA(0, kSplitPaneClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y, w, h, frame,
                           nullptr, reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(frame, GWLP_HINSTANCE)),
                           nullptr);
}

void onSize(HWND pane, LPARAM lParam) {
    PaneLinks* links = linksOf(pane);
    if (links == nullptr) return; // a size message before the links were stored
    if (links->content != nullptr) {
        int cw = 0, ch = 0;
        contentSize(LOWORD(lParam), HIWORD(lParam), links->rightNeighbour != nullptr,
                    links->bottomNeighbour != nullptr, &cw, &ch);
        SetWindowPos(links->content, nullptr, 0, 0, cw, ch, SWP_NOZORDER);
    }
    UpdateWindow(appState().windows.main);
}

void onSetCursor(HWND pane) {
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(pane, &p);
    RECT client;
    GetClientRect(pane, &client);
    SetCursor(LoadCursorA(nullptr, inBottomCursorZone(p.y, client.bottom) ? IDC_SIZENS : IDC_SIZEWE));
}

void onButtonDown(HWND pane, LPARAM lParam) {
    PaneLinks* links = linksOf(pane);
    if (links == nullptr) return;
    RECT client;
    GetClientRect(pane, &client);
    const int x = static_cast<short>(LOWORD(lParam));
    const int y = static_cast<short>(HIWORD(lParam));
    appState().dragMode =
        dragModeForPress(x, y, client.right, client.bottom, links->rightNeighbour != nullptr,
                         links->bottomNeighbour != nullptr, &appState().dragOffset);
    if (appState().dragMode != DragMode::None) SetCapture(pane);
}

void onMouseMove(HWND pane, LPARAM lParam) {
    POINT cursor;
    GetCursorPos(&cursor);
    if (cursor.x == appState().lastCursorPos.x && cursor.y == appState().lastCursorPos.y) return;
    appState().lastCursorPos = cursor;
    PaneLinks* links = linksOf(pane);
    if (appState().dragMode == DragMode::None || links == nullptr) return;
    RECT p;
    GetWindowRect(pane, &p);
    POINT origin{p.left, p.top};
    ScreenToClient(links->frame, &origin);
    HWND neighbour =
        appState().dragMode == DragMode::RightEdge ? links->rightNeighbour : links->bottomNeighbour;
    if (neighbour == nullptr) return;
    RECT n;
    GetWindowRect(neighbour, &n);
    int paneX = origin.x, paneY = origin.y, paneW, paneH, nX, nY, nW, nH;
    if (appState().dragMode == DragMode::RightEdge) {
        const DragSizes s =
            dragStep(static_cast<short>(LOWORD(lParam)), appState().dragOffset, p.left, n.right);
        paneW = s.pane;
        paneH = p.bottom - p.top;
        nX = origin.x + s.pane;
        nY = origin.y;
        nW = s.neighbour;
        nH = paneH;
    } else {
        const DragSizes s =
            dragStep(static_cast<short>(HIWORD(lParam)), appState().dragOffset, p.top, n.bottom);
        paneW = p.right - p.left;
        paneH = s.pane;
        nX = origin.x;
        nY = origin.y + s.pane;
        nW = paneW;
        nH = s.neighbour;
    }
    LockWindowUpdate(appState().windows.main);
    SetWindowPos(pane, nullptr, paneX, paneY, paneW, paneH, SWP_NOZORDER);
    SetWindowPos(neighbour, nullptr, nX, nY, nW, nH, SWP_NOZORDER);
    SendMessageA(appState().windows.main, WM_SIZE, 0, 0);
    LockWindowUpdate(nullptr);
    UpdateWindow(links->frame);
}

void onCommand(WPARAM wParam, LPARAM lParam) {
    if (isSectionMoreButton(reinterpret_cast<HWND>(lParam))) {
        showSectionMenu();
        return;
    }
    int line = 0;
    int lineCount = 0;
    {
        CaptureLock hold(captureController().shown());
        lineCount = hold.report().lineCount;
    }
    switch (routePaneCommand(wParam, captureController().monitoring, lineCount, CMD_STOP_MONITOR, &line)) {
    // Posted: the stop removes the "終了" button, which must not happen while the toolbar is still inside
    // the click of that very button (the toolbar would go on with the deleted button).
    case PaneCommand::ForwardStop: PostMessageA(appState().windows.main, WM_COMMAND, wParam, lParam); break;
    case PaneCommand::ScrollTo: scrollOutputToLine(line); break;
    case PaneCommand::None: break;
    }
}

LRESULT CALLBACK splitPaneProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
    case WM_DESTROY: return 0;
    case WM_SIZE: onSize(pane, lParam); return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(pane, &ps);
        EndPaint(pane, &ps);
        return 0;
    }
    case WM_SETCURSOR: onSetCursor(pane); return 0;
    case WM_LBUTTONDOWN: onButtonDown(pane, lParam); break;
    case WM_MOUSEMOVE: onMouseMove(pane, lParam); break;
    case WM_LBUTTONUP:
        if (appState().dragMode != DragMode::None) {
            ReleaseCapture();
            appState().dragMode = DragMode::None;
        }
        break;
    case WM_COMMAND: onCommand(wParam, lParam); break;
    case WM_NOTIFY:
        // The output pane's link notifications go on to the main window, which opens a Ctrl-clicked link.
        if (wParam == IDC_OUTPUT_PANE)
            return SendMessageA(appState().windows.main, WM_NOTIFY, wParam, lParam);
        break;
    default: break;
    }
    return DefWindowProcA(pane, message, wParam, lParam);
}

} // namespace

ATOM registerSplitPaneClass(HINSTANCE instance) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = splitPaneProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kSplitPaneClass;
    return RegisterClassExA(&wc);
}

int createSplitPanes(HWND frame, int leftWidth, PanePlacement* left, PanePlacement* right) {
    RECT client;
    GetClientRect(frame, &client);
    const int w = client.right - client.left, h = client.bottom - client.top;
    appState().windows.leftPane = createPane(frame, 0, 0, leftWidth, h);
    if (appState().windows.leftPane == nullptr) return 0;
    appState().windows.rightPane = createPane(frame, leftWidth, 0, w - leftWidth, h);
    if (appState().windows.rightPane == nullptr) return 0;
    appState().leftLinks =
        PaneLinks{appState().windows.leftPane, frame, nullptr, appState().windows.rightPane, nullptr};
    appState().rightLinks = PaneLinks{appState().windows.rightPane, frame, nullptr, nullptr, nullptr};
    SetWindowLongPtrA(appState().windows.leftPane, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(&appState().leftLinks));
    SetWindowLongPtrA(appState().windows.rightPane, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(&appState().rightLinks));
    *left = PanePlacement{appState().windows.leftPane, RECT{0, 0, leftWidth - kSplitBarWidth, h}};
    *right = PanePlacement{appState().windows.rightPane, RECT{0, 0, w - leftWidth, h}};
    return 1;
}

HWND createPaneContent(const PanePlacement& placement, const char* className) {
    const RECT& r = placement.content;
    HWND content = CreateWindowExA(
        WS_EX_CLIENTEDGE, className, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, r.left, r.top,
        r.right - r.left, r.bottom - r.top, placement.pane,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LIST_HOST)),
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(placement.pane, GWLP_HINSTANCE)), nullptr);
    if (content != nullptr) {
        PaneLinks* links = linksOf(placement.pane);
        if (links != nullptr) links->content = content;
    }
    return content;
}

void layoutSplitPanes(HWND frame, int leftWidth) {
    RECT client, left;
    GetClientRect(frame, &client);
    GetWindowRect(appState().windows.leftPane, &left);
    if (leftWidth < 0) leftWidth = left.right - left.left;
    const int height = client.bottom - client.top;
    SetWindowPos(appState().windows.leftPane, nullptr, 0, 0, leftWidth, height, SWP_NOZORDER);
    SetWindowPos(appState().windows.rightPane, nullptr, leftWidth, 0, rightPaneWidth(client.right, leftWidth),
                 height, SWP_NOZORDER);
    settings.listWidth = leftWidth;
}

} // namespace vantor
