// The specimen's top-level window (class "VantorSpecimen"): creates its menu bar and all its child windows
// in the fixed order documented in specimen_contents.h, lays them out at fixed positions, and carries out
// --hang-after with a timer whose handler never returns, --context-menu-after with a timer that opens the
// context menu (filled further while it is initialised) and another that closes it, and --change-every with a
// timer that gives status bar part 1 and list-view cell (row 0, column 1) the text "変化 N", N counting the
// ticks from 1.
//
// Threads: the user-interface thread only (window procedure and creation).
#include "specimen.h"
#include "specimen_contents.h"

#include <commctrl.h>

#include "platform/win32/scoped_win.h"

namespace vantor {
namespace specimen {

namespace {

constexpr UINT_PTR kHangTimer = 1;
constexpr UINT_PTR kContextMenuTimer = 2;
constexpr UINT_PTR kContextMenuCloseTimer = 3;
constexpr UINT_PTR kChangeTimer = 4;
constexpr int kClientWidth = 1000;
constexpr int kClientHeight = 640;
constexpr int kStatusHeight = 24;

struct Box {
    int x, y, w, h;
};

// Fixed places of the children (client coordinates); the status bars sit at the bottom, see layoutStatus.
constexpr Box kToolbarBox = {0, 0, 500, 30};
constexpr Box kAppsToolbarBox = {500, 0, 500, 30};
constexpr Box kListViewBox = {8, 36, 480, 170};
constexpr Box kListBoxBox = {496, 36, 150, 84};
constexpr Box kComboBoxBox = {496, 128, 150, 160};
constexpr Box kTreeViewBox = {654, 36, 338, 170};
constexpr Box kTabBox = {8, 214, 480, 60};
constexpr Box kEditBox = {496, 214, 496, 96};
constexpr Box kStaticBox = {8, 284, 200, 22};
constexpr Box kButtonBox = {216, 282, 100, 28};
constexpr Box kFrameBox = {8, 320, 984, 250};
constexpr Box kOwnerDrawnBox = {324, 278, 164, 36};
constexpr Box kGridBox = {8, 572, 300, 18};

HWND createChild(HWND parent, DWORD exStyle, const char* className, const char* text, DWORD style, Box box,
                 int id) {
    HWND child = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, box.x, box.y, box.w,
                                 box.h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
    if (child != nullptr) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(guiFont()), FALSE);
    return child;
}

// Toolbars and status bars are placed by hand, so they must not align themselves to the parent.
constexpr DWORD kBarStyle = CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;

bool createBars(HWND window) {
    HWND toolbar = createChild(window, 0, TOOLBARCLASSNAMEA, "", kBarStyle | TBSTYLE_FLAT | TBSTYLE_LIST,
                               kToolbarBox, kIdToolbar);
    HWND apps = createChild(window, 0, TOOLBARCLASSNAMEA, kAppsToolbarText,
                            kBarStyle | TBSTYLE_FLAT | TBSTYLE_LIST, kAppsToolbarBox, kIdAppsToolbar);
    if (toolbar == nullptr || apps == nullptr) return false;
    fillToolbar(toolbar, state().options.toolbarButtons);
    fillAppsToolbar(apps);
    return true;
}

bool createLists(HWND window) {
    HWND listView = createChild(window, WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", LVS_REPORT | LVS_SHOWSELALWAYS,
                                kListViewBox, kIdListView);
    HWND listBox = createChild(window, WS_EX_CLIENTEDGE, "ListBox", "", WS_VSCROLL | LBS_NOTIFY, kListBoxBox,
                               kIdListBox);
    HWND combo = createChild(window, 0, "ComboBox", "", CBS_DROPDOWN | WS_VSCROLL, kComboBoxBox, kIdComboBox);
    HWND tree = createChild(window, WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                            TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_NOTOOLTIPS, kTreeViewBox,
                            kIdTreeView);
    HWND tabs = createChild(window, 0, WC_TABCONTROLA, "", WS_CLIPSIBLINGS, kTabBox, kIdTabControl);
    if (listView == nullptr || listBox == nullptr || combo == nullptr || tree == nullptr || tabs == nullptr) {
        return false;
    }
    fillListView(listView, state().options.rows, state().options.columns);
    fillListBox(listBox);
    fillComboBox(combo);
    fillTreeView(tree, state().options.treeItems);
    fillTabs(tabs);
    return true;
}

bool createPlainControls(HWND window) {
    HWND edit = createChild(window, WS_EX_CLIENTEDGE, "Edit", kEditText,
                            ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL, kEditBox, kIdEdit);
    HWND label = createChild(window, 0, "Static", kStaticText, SS_LEFT, kStaticBox, kIdStatic);
    HWND button = createChild(window, 0, "Button", kButtonText, BS_PUSHBUTTON, kButtonBox, kIdButton);
    HWND frame = createChild(window, 0, kFrameClass, kFrameText, WS_BORDER, kFrameBox, kIdFrame);
    return edit != nullptr && label != nullptr && button != nullptr && frame != nullptr;
}

bool createStatusBars(HWND window) {
    Box box = {0, kClientHeight - 2 * kStatusHeight, kClientWidth, kStatusHeight};
    HWND status = createChild(window, 0, STATUSCLASSNAMEA, "", kBarStyle, box, kIdStatusBar);
    box.y += kStatusHeight;
    HWND longStatus = createChild(window, 0, STATUSCLASSNAMEA, "", kBarStyle, box, kIdLongStatusBar);
    if (status == nullptr || longStatus == nullptr) return false;
    fillStatusBar(status, kStatusParts, kStatusPartCount);
    fillLongStatusBar(longStatus);
    return true;
}

// The self-drawn control with its accessible objects, after the status bars.
bool createGrid(HWND window) {
    return createChild(window, WS_EX_CLIENTEDGE, kGridClass, "", 0, kGridBox, kIdGrid) != nullptr;
}

// Only with --owner-drawn: the last child, so that the others keep their places in the z-order.
bool createOwnerDrawnList(HWND window) {
    if (state().options.ownerDrawnItems <= 0) return true;
    HWND list = createChild(window, WS_EX_CLIENTEDGE, "ListBox", "", WS_VSCROLL | LBS_OWNERDRAWFIXED,
                            kOwnerDrawnBox, kIdOwnerDrawnList);
    if (list == nullptr) return false;
    fillOwnerDrawnList(list, state().options.ownerDrawnItems);
    return true;
}

LRESULT onCreate(HWND window) {
    // The order of these calls is the z-order of the children (see specimen_contents.h).
    if (!createBars(window) || !createLists(window) || !createPlainControls(window) ||
        !createStatusBars(window) || !createGrid(window) || !createOwnerDrawnList(window)) {
        return -1;
    }
    if (state().options.hangAfterMs >= 0)
        SetTimer(window, kHangTimer, static_cast<UINT>(state().options.hangAfterMs), nullptr);
    if (state().options.contextMenuAfterMs >= 0)
        SetTimer(window, kContextMenuTimer, static_cast<UINT>(state().options.contextMenuAfterMs), nullptr);
    if (state().options.changeEveryMs > 0)
        SetTimer(window, kChangeTimer, static_cast<UINT>(state().options.changeEveryMs), nullptr);
    return 0;
}

// Shows the context menu at the window's top left until kContextMenuShownMs have passed (the close timer
// runs inside the menu loop), then destroys it.
void showContextMenu(HWND window) {
    KillTimer(window, kContextMenuTimer);
    const vantor::ScopedMenu menu(buildContextMenu());
    if (!menu) return;
    state().contextMenu = menu.get();
    POINT at = {40, 40};
    ClientToScreen(window, &at);
    SetForegroundWindow(window);
    SetTimer(window, kContextMenuCloseTimer, kContextMenuShownMs, nullptr);
    TrackPopupMenu(state().contextMenu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, at.x, at.y, 0, window,
                   nullptr);
    KillTimer(window, kContextMenuCloseTimer);
    state().contextMenu = nullptr;
}

// The application fills its context menu as it opens: the added item comes last, once.
void onInitMenuPopup(HMENU menu) {
    if (menu == nullptr || menu != state().contextMenu ||
        GetMenuState(menu, kIdContextAdded, MF_BYCOMMAND) != 0xFFFFFFFF)
        return;
    AppendMenuA(menu, MF_STRING, kIdContextAdded, kContextMenuAdded);
}

void changeTexts(HWND window) {
    char text[32];
    wsprintfA(text, "変化 %d", ++state().changeTicks);
    SendMessageA(GetDlgItem(window, kIdStatusBar), SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(text));
    LVITEMA item = {};
    item.iSubItem = 1;
    item.pszText = text;
    SendMessageA(GetDlgItem(window, kIdListView), LVM_SETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&item));
}

void onTimer(HWND window, UINT_PTR id) {
    if (id == kContextMenuTimer) return showContextMenu(window);
    if (id == kChangeTimer) return changeTexts(window);
    if (id == kContextMenuCloseTimer) {
        KillTimer(window, kContextMenuCloseTimer);
        EndMenu();
        return;
    }
    if (id != kHangTimer) return;
    KillTimer(window, kHangTimer);
    // From here on the user-interface thread answers no message: the window counts as hung.
    for (;;)
        Sleep(INFINITE);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: return onCreate(window);
    case WM_TIMER: onTimer(window, wParam); return 0;
    case WM_MEASUREITEM: measureOwnerDrawnItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)); return TRUE;
    case WM_DRAWITEM: drawOwnerDrawnItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_INITMENUPOPUP: onInitMenuPopup(reinterpret_cast<HMENU>(wParam)); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(window, msg, wParam, lParam);
    }
}

} // namespace

HFONT guiFont() {
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

bool registerMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = mainWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    return RegisterClassExA(&wc) != 0;
}

HWND createMainWindow(HINSTANCE instance) {
    vantor::ScopedMenu menu(buildMenuBar());
    if (!menu) return nullptr;
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT rect = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&rect, style, TRUE, 0);
    // Created without its title: the window can be found (and is read) while WM_CREATE still fills its
    // children, so it takes its title only once everything is in place.
    HWND window = CreateWindowExA(0, kWindowClass, "", style, 0, 0, rect.right - rect.left,
                                  rect.bottom - rect.top, nullptr, menu.get(), instance, nullptr);
    // A menu that was not attached to a window is not destroyed with it; an attached one goes with the
    // window.
    if (window == nullptr) return nullptr;
    menu.take();
    SetWindowTextA(window, state().options.title);
    return window;
}

} // namespace specimen
} // namespace vantor
