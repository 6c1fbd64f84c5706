// The specimen's Unicode window (class "VantorSpecimenUnicode", title "Vantor Specimen Unicode"), made only
// with --unicode-window. Every window here is created and filled through the W API, so each one is a
// Unicode window and holds its texts in UTF-16:
//   list view:  columns "名前", "언어"; rows "café – naïve" | "français", "한국어" | "조선말", "简体" |
//   "中文",
//               "😀 emoji" | ""
//   list box:   "café – naïve", "한국어", "简体", "😀"
//   combo box:  items "简体", "한국어"; edit text "naïve ☕"
//   tree view:  "한국어" > "简体" > "😀", then "café"
//   tabs:       "café – naïve", "한국어", "简体"
//   edit:       "café – naïve" CR LF "한국어 简体 😀"; static: "한국어"; button: "OK – ✓"
//   status bar: "简体", "😀 ready"
//   toolbar:    buttons 901 "naïve" and 902 "한국어"
//   menu bar:   "Café(&C)" > (911 "한국어" TAB "Ctrl+K", a separator, 912 "😀 emoji", "简体" > 913 "naïve –
//   ✓"),
//               then 914 "é"
// With --unicode-list-rows N, the window "Vantor Specimen Unicode List" holds one list view of N rows of
// four such cells, for measuring the wide reads of a large list.
// The window takes its title last, once every child is filled, so a test that finds it by its title reads
// complete controls.
//
// Threads: the user-interface thread only.
#include "specimen.h"
#include "specimen_unicode.h"

#include <commctrl.h>

#include <initializer_list>

namespace vantor {
namespace specimen {

namespace {

constexpr wchar_t kClassW[] = L"VantorSpecimenUnicode";
constexpr wchar_t kTitleW[] = L"Vantor Specimen Unicode";

HWND childW(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int x, int y, int w,
            int h, int id) {
    HWND child = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                 nullptr);
    if (child != nullptr) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(guiFont()), FALSE);
    return child;
}

void fillListViewW(HWND list) {
    const wchar_t* const columns[] = {L"名前", L"언어"};
    const wchar_t* const cells[][2] = {
        {L"café – naïve", L"français"}, {L"한국어", L"조선말"}, {L"简体", L"中文"}, {L"😀 emoji", L""}};
    for (int c = 0; c < 2; ++c) {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 140;
        column.pszText = const_cast<wchar_t*>(columns[c]);
        SendMessageW(list, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    }
    for (int r = 0; r < 4; ++r) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = r;
        item.pszText = const_cast<wchar_t*>(cells[r][0]);
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        item.iSubItem = 1;
        item.pszText = const_cast<wchar_t*>(cells[r][1]);
        SendMessageW(list, LVM_SETITEMTEXTW, r, reinterpret_cast<LPARAM>(&item));
    }
}

HTREEITEM addTreeItem(HWND tree, HTREEITEM parent, const wchar_t* text) {
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(text);
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void fillTreeViewW(HWND tree) {
    HTREEITEM korean = addTreeItem(tree, TVI_ROOT, L"한국어");
    addTreeItem(tree, addTreeItem(tree, korean, L"简体"), L"😀");
    addTreeItem(tree, TVI_ROOT, L"café");
}

void fillToolbarW(HWND toolbar) {
    SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    const wchar_t* const texts[] = {L"naïve", L"한국어"};
    TBBUTTON buttons[2] = {};
    for (int i = 0; i < 2; ++i) {
        buttons[i].iBitmap = I_IMAGENONE;
        buttons[i].idCommand = kUnicodeToolbarFirstCommand + i;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = BTNS_BUTTON | BTNS_SHOWTEXT;
        buttons[i].iString = reinterpret_cast<INT_PTR>(texts[i]);
    }
    SendMessageW(toolbar, TB_ADDBUTTONSW, 2, reinterpret_cast<LPARAM>(buttons));
}

bool fillWindow(HWND window) {
    constexpr DWORD kBar = CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
    HWND toolbar = childW(window, TOOLBARCLASSNAMEW, L"", kBar | TBSTYLE_FLAT | TBSTYLE_LIST, 0, 0, 600, 30,
                          kIdUnicodeToolbar);
    HWND list =
        childW(window, WC_LISTVIEWW, L"", LVS_REPORT | WS_BORDER, 8, 36, 300, 120, kIdUnicodeListView);
    HWND box = childW(window, L"ListBox", L"", WS_BORDER | WS_VSCROLL, 316, 36, 140, 80, kIdUnicodeListBox);
    HWND combo =
        childW(window, L"ComboBox", L"", CBS_DROPDOWN | WS_VSCROLL, 316, 124, 140, 120, kIdUnicodeComboBox);
    HWND tree = childW(window, WC_TREEVIEWW, L"", TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | WS_BORDER,
                       464, 36, 180, 120, kIdUnicodeTreeView);
    HWND tabs = childW(window, WC_TABCONTROLW, L"", WS_CLIPSIBLINGS, 8, 164, 300, 40, kIdUnicodeTabs);
    HWND edit = childW(window, L"Edit", L"café – naïve\r\n한국어 简体 😀", ES_MULTILINE | WS_BORDER, 316, 164,
                       328, 60, kIdUnicodeEdit);
    HWND label = childW(window, L"Static", L"한국어", SS_LEFT, 8, 212, 140, 22, kIdUnicodeStatic);
    HWND button = childW(window, L"Button", L"OK – ✓", BS_PUSHBUTTON, 156, 210, 100, 28, kIdUnicodeButton);
    HWND status = childW(window, STATUSCLASSNAMEW, L"", kBar, 0, 240, 650, 24, kIdUnicodeStatusBar);
    if (toolbar == nullptr || list == nullptr || box == nullptr || combo == nullptr || tree == nullptr ||
        tabs == nullptr || edit == nullptr || label == nullptr || button == nullptr || status == nullptr)
        return false;
    fillToolbarW(toolbar);
    fillListViewW(list);
    for (const wchar_t* item : {L"café – naïve", L"한국어", L"简体", L"😀"})
        SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    for (const wchar_t* item : {L"简体", L"한국어"})
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SetWindowTextW(combo, L"naïve ☕");
    fillTreeViewW(tree);
    const wchar_t* const labels[] = {L"café – naïve", L"한국어", L"简体"};
    for (int i = 0; i < 3; ++i) {
        TCITEMW tab = {};
        tab.mask = TCIF_TEXT;
        tab.pszText = const_cast<wchar_t*>(labels[i]);
        SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&tab));
    }
    int edges[2] = {200, -1};
    SendMessageW(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
    SendMessageW(status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L"简体"));
    SendMessageW(status, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(L"😀 ready"));
    return true;
}

LRESULT CALLBACK unicodeWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: return fillWindow(window) ? 0 : -1;
    default: return DefWindowProcW(window, msg, wParam, lParam);
    }
}

// A Unicode window class of the specimen's look.
bool registerClass(HINSTANCE instance, WNDPROC proc, const wchar_t* name) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0;
}

// The menu bar, its texts given wide (AppendMenuW), so that the menu holds what code page 932 lacks.
HMENU unicodeMenuBar() {
    HMENU bar = CreateMenu();
    HMENU cafe = CreatePopupMenu();
    HMENU simplified = CreatePopupMenu();
    if (bar == nullptr || cafe == nullptr || simplified == nullptr) return nullptr;
    AppendMenuW(simplified, MF_STRING | MF_CHECKED, 913, L"naïve – ✓");
    AppendMenuW(cafe, MF_STRING, 911, L"한국어\tCtrl+K");
    AppendMenuW(cafe, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(cafe, MF_STRING, 912, L"😀 emoji");
    AppendMenuW(cafe, MF_POPUP, reinterpret_cast<UINT_PTR>(simplified), L"简体");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(cafe), L"Café(&C)");
    AppendMenuW(bar, MF_STRING, 914, L"é");
    return bar;
}

} // namespace

HWND createUnicodeWindow(HINSTANCE instance) {
    if (!registerClass(instance, unicodeWindowProc, kClassW)) return nullptr;
    HWND window = CreateWindowExW(0, kClassW, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40, 40, 680, 320,
                                  nullptr, unicodeMenuBar(), instance, nullptr);
    if (window == nullptr) return nullptr;
    SetWindowTextW(window, kTitleW);
    ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

HWND createUnicodeListWindow(HINSTANCE instance, int rows) {
    constexpr wchar_t kListClassW[] = L"VantorSpecimenUnicodeList";
    if (!registerClass(instance, DefWindowProcW, kListClassW)) return nullptr;
    HWND window = CreateWindowExW(0, kListClassW, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 60, 60, 640,
                                  400, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return nullptr;
    HWND list = childW(window, WC_LISTVIEWW, L"", LVS_REPORT | WS_BORDER, 0, 0, 620, 360, kIdUnicodeListView);
    if (list == nullptr) return nullptr;
    const wchar_t* const titles[] = {L"名前", L"언어", L"简体", L"café"};
    for (int c = 0; c < 4; ++c) {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 150;
        column.pszText = const_cast<wchar_t*>(titles[c]);
        SendMessageW(list, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    }
    // One call sizes the list, so that inserting rows does not grow it row by row.
    SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(rows), 0);
    const wchar_t* const words[] = {L"café – naïve", L"한국어", L"简体 中文", L"😀 emoji"};
    wchar_t text[64];
    for (int r = 0; r < rows; ++r) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = r;
        item.pszText = text;
        for (int c = 0; c < 4; ++c) {
            item.iSubItem = c;
            wsprintfW(text, L"%s %d", words[c], r);
            SendMessageW(list, c == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, r,
                         reinterpret_cast<LPARAM>(&item));
        }
    }
    SetWindowTextW(window, L"Vantor Specimen Unicode List");
    ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

} // namespace specimen
} // namespace vantor
