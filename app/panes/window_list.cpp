// The window list pane: host window, list view, refill from the window tree, row format and the handling of
// the list's notifications (a newly focused and selected row starts a window capture; a header click
// refreshes the list). Threads: the user-interface thread.
#include "app/panes/window_list.h"

#include <commctrl.h>

#include "app/app_globals.h"
#include "app/resource.h"
#include "app/settings.h"
#include "inventory/window_tree.h"
#include "triggers/monitoring.h"
#include "app/capture_thread.h"
#include "app/panes/pane_rules.h"
#include "triggers/capture_commands.h"

namespace vantor {

namespace {

int listClientWidth(HWND listView) {
    RECT r;
    GetClientRect(listView, &r);
    return r.right - r.left;
}

void recreateColumn(HWND listView) {
    SendMessageA(listView, LVM_DELETECOLUMN, 0, 0);
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = listClientWidth(listView);
    char title[] = "Window List"; // the column takes a non-const text
    column.pszText = title;
    SendMessageA(listView, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
}

LRESULT onCreate(HWND host) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    appState().windows.windowList = createWindowListView(host);
    appState().listFont.reset(createFixedPitchFont(settings.listFontFace, settings.listFontHeight));
    SendMessageA(appState().windows.windowList, WM_SETFONT,
                 reinterpret_cast<WPARAM>(appState().listFont.get()), TRUE);
    fillWindowList(appState().windows.windowList, nullptr);
    return 0;
}

void onSize(LPARAM lParam) {
    if (appState().windows.windowList == nullptr) return;
    MoveWindow(appState().windows.windowList, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    recreateColumn(appState().windows.windowList);
}

void setRowState(HWND listView, int row, UINT state) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = state;
    SendMessageA(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// Selects and focuses the row of the last captured window, the one the pane shows; no row when it is not
// listed.
void selectTargetRow(HWND listView) {
    const Hwnd target = captureController().currentTarget;
    const int count = static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
    appState().restoringSelection = true;
    setRowState(listView, -1, 0);
    for (int row = 0; row < count && !isNull(target); ++row) {
        if (windowOfListRow(row, captureController()) == target) {
            setRowState(listView, row, LVIS_SELECTED | LVIS_FOCUSED);
            SendMessageA(listView, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
            break;
        }
    }
    appState().restoringSelection = false;
}

LRESULT onNotify(HWND host, WPARAM wParam, LPARAM lParam) {
    if (wParam != IDC_WINDOW_LIST) return 0;
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    switch (header->code) {
    case LVN_ITEMACTIVATE: return 0;
    case LVN_COLUMNCLICK:
        if (!captureController().monitoring)
            SendMessageA(appState().windows.main, WM_COMMAND, CMD_REFRESH_LIST, 0);
        return 0;
    case LVN_ITEMCHANGED: {
        const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if (!appState().restoringSelection && !captureController().monitoring &&
            change->uNewState == (LVIS_FOCUSED | LVIS_SELECTED)) {
            // The user kept the running capture: the selection goes back to the window the pane shows.
            if (!updateWindowInfo(toNative(windowOfListRow(change->iItem, captureController()))))
                selectTargetRow(header->hwndFrom);
        }
        return 0;
    }
    default: return DefWindowProcA(host, WM_NOTIFY, IDC_WINDOW_LIST, lParam);
    }
}

} // namespace

LRESULT CALLBACK listHostProc(HWND host, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return onCreate(host);
    case WM_SIZE: onSize(lParam); return 0;
    case WM_NOTIFY: return onNotify(host, wParam, lParam);
    case WM_COMMAND: return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        appState().listFont.reset();
        return 0;
    default: return DefWindowProcA(host, message, wParam, lParam);
    }
}

HWND createWindowListView(HWND host) {
    HWND listView =
        CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 0, 0, host,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_WINDOW_LIST)),
                        reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(host, GWLP_HINSTANCE)), nullptr);
    const LRESULT style = SendMessageA(listView, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    SendMessageA(listView, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    return listView;
}

void fillWindowList(HWND listView, const WindowNode* root) {
    const int top = static_cast<int>(SendMessageA(listView, LVM_GETTOPINDEX, 0, 0));
    const int perPage = static_cast<int>(SendMessageA(listView, LVM_GETCOUNTPERPAGE, 0, 0));
    SendMessageA(listView, LVM_DELETEALLITEMS, 0, 0);
    recreateColumn(listView);
    if (root == nullptr) return;
    int i = 0;
    for (const TextNode* child = root->firstChild(); child != nullptr; child = child->next(), ++i) {
        const WindowNode* node = static_cast<const WindowNode*>(child);
        insertRow(listView, i, node->title, node->className);
    }
    const int count = static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
    const int keep = rowToKeepVisible(top, perPage, count);
    if (keep >= 0) SendMessageA(listView, LVM_ENSUREVISIBLE, keep, FALSE);
}

void insertRow(HWND listView, int index, const char* first, const char* second) {
    char text[1024];
    formatRowText(first, second, text, sizeof text);
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.iSubItem = 0;
    item.pszText = text;
    SendMessageA(listView, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void refreshWindowList() {
    refreshWindowList([](WindowNode* root) { fillWindowList(appState().windows.windowList, root); });
}

} // namespace vantor
