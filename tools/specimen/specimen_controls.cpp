// Fills the specimen's menu bar and controls from the tables and generators of specimen_contents.h, with the
// ANSI messages of each control, so that every text is stored in code page 932 exactly as the tables give it.
//
// Threads: the user-interface thread only (called while the windows are created).
#include "specimen.h"
#include "specimen_contents.h"

#include <commctrl.h>
#include <string>
#include <vector>

namespace vantor {
namespace specimen {

namespace {

constexpr int kMaxDepth = 8;
constexpr int kTextCap = 64;

// A toolbar's buttons gathered before they are added: all texts as one string list, then all buttons, in two
// messages (a message per button lays the toolbar out anew each time, seconds for hundreds of buttons).
struct ToolbarBatch {
    std::string strings; // texts, each ended by a zero byte
    int stringCount = 0;
    std::vector<TBBUTTON> buttons;
};

void addToBatch(ToolbarBatch& batch, const ToolbarButton& button) {
    TBBUTTON tb = {};
    tb.iBitmap = I_IMAGENONE;
    tb.idCommand = button.id;
    // -1 (no text) and not 0 for a button without text: string 0 is the first button's text, which a text
    // query for this button would return. An empty text cannot go into the list: it would end it.
    tb.iString = -1;
    if (button.separator) {
        tb.fsStyle = BTNS_SEP;
    } else {
        tb.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE;
        tb.fsState = TBSTATE_ENABLED;
        if (button.text[0] != '\0') {
            batch.strings.append(button.text).push_back('\0');
            tb.iString = batch.stringCount++;
        }
    }
    batch.buttons.push_back(tb);
}

void addBatch(HWND toolbar, ToolbarBatch& batch) {
    SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    if (batch.stringCount > 0) {
        batch.strings.push_back('\0'); // the list ends with two zero bytes
        INT_PTR first =
            SendMessageA(toolbar, TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>(batch.strings.data()));
        for (TBBUTTON& tb : batch.buttons) {
            if (tb.iString >= 0) tb.iString += first;
        }
    }
    if (!batch.buttons.empty()) {
        SendMessageA(toolbar, TB_ADDBUTTONSA, batch.buttons.size(),
                     reinterpret_cast<LPARAM>(batch.buttons.data()));
    }
}

} // namespace

namespace {

// Fills root with the entries; open[level] is the menu that receives the entries of that level.
HMENU fillMenu(HMENU root, const MenuEntry* entries, int count) {
    HMENU open[kMaxDepth] = {};
    open[0] = root;
    if (root == nullptr) return nullptr;
    for (int i = 0; i < count; ++i) {
        const MenuEntry& entry = entries[i];
        HMENU into = open[entry.level];
        switch (entry.kind) {
        case MenuKind::Separator: AppendMenuA(into, MF_SEPARATOR, 0, nullptr); break;
        case MenuKind::Item:
            AppendMenuA(into, MF_STRING | (entry.checked ? MF_CHECKED : 0u) | (entry.greyed ? MF_GRAYED : 0u),
                        static_cast<UINT_PTR>(entry.id), entry.text);
            break;
        case MenuKind::Popup: {
            HMENU popup = CreatePopupMenu();
            AppendMenuA(into, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(popup), entry.text);
            open[entry.level + 1] = popup;
            break;
        }
        }
    }
    return root;
}

} // namespace

HMENU buildMenuBar() {
    return fillMenu(CreateMenu(), kMenu, kMenuEntryCount);
}

HMENU buildContextMenu() {
    HMENU menu = fillMenu(CreatePopupMenu(), kContextMenu, kContextMenuEntryCount);
    if (menu != nullptr) EnableMenuItem(menu, kIdContextPaste, MF_BYCOMMAND | MF_GRAYED);
    return menu;
}

void fillListView(HWND listView, int rows, int columns) {
    SendMessageA(listView, WM_SETREDRAW, FALSE, 0);
    static const int kWidths[kListViewMaxColumns] = {150, 220, 80, 120};
    for (int c = 0; c < columns; ++c) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.cx = kWidths[c];
        column.pszText =
            const_cast<char*>(c < kListViewColumnCount ? kListViewColumns[c] : kListViewExtraColumn);
        column.iSubItem = c;
        SendMessageA(listView, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
    }
    char text[kTextCap];
    for (int row = 0; row < rows; ++row) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = row;
        item.lParam = row;
        listViewCell(row, 0, text, sizeof(text));
        item.pszText = text;
        int index =
            static_cast<int>(SendMessageA(listView, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        for (int c = 1; c < columns; ++c) {
            LVITEMA cell = {};
            cell.iSubItem = c;
            listViewCell(row, c, text, sizeof(text));
            cell.pszText = text;
            SendMessageA(listView, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&cell));
        }
    }
    SendMessageA(listView, WM_SETREDRAW, TRUE, 0);
}

void fillTreeView(HWND treeView, int items) {
    SendMessageA(treeView, WM_SETREDRAW, FALSE, 0);
    // parents[level] is the last item inserted at that level; items of level + 1 go below it.
    HTREEITEM parents[kMaxDepth] = {};
    char text[kTextCap];
    for (int k = 0; k < items; ++k) {
        int level = treeItemLevel(k);
        treeItemText(k, text, sizeof(text));
        TVINSERTSTRUCTA insert = {};
        insert.hParent = level == 0 ? TVI_ROOT : parents[level - 1];
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        insert.item.pszText = text;
        insert.item.lParam = k;
        parents[level] = reinterpret_cast<HTREEITEM>(
            SendMessageA(treeView, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
        if (level > 0 && k < kTreeFixedItems)
            SendMessageA(treeView, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parents[level - 1]));
    }
    SendMessageA(treeView, WM_SETREDRAW, TRUE, 0);
}

void fillTabs(HWND tabControl) {
    for (int i = 0; i < kTabCount; ++i) {
        TCITEMA tab = {};
        tab.mask = TCIF_TEXT;
        tab.pszText = const_cast<char*>(kTabLabels[i]);
        SendMessageA(tabControl, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&tab));
    }
}

void fillToolbar(HWND toolbar, int buttons) {
    ToolbarBatch batch;
    char text[kTextCap];
    for (int k = 0; k < buttons; ++k)
        addToBatch(batch, toolbarButton(k, text, sizeof(text)));
    addBatch(toolbar, batch);
}

void fillAppsToolbar(HWND toolbar) {
    ToolbarBatch batch;
    for (const ToolbarButton& button : kAppsToolbarButtons)
        addToBatch(batch, button);
    addBatch(toolbar, batch);
}

void fillListBox(HWND listBox) {
    for (const char* item : kListBoxItems)
        SendMessageA(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
}

namespace {
// The records the owner-drawn list box's item data point at.
struct OwnerDrawnRecord {
    const char* name;
};
const OwnerDrawnRecord kOwnerDrawnRecords[kOwnerDrawnItemCount] = {
    {kOwnerDrawnItems[0]}, {kOwnerDrawnItems[1]}, {kOwnerDrawnItems[2]}};
} // namespace

void fillOwnerDrawnList(HWND listBox, int items) {
    // Without LBS_HASSTRINGS, LB_ADDSTRING stores lParam as the item's data.
    for (int k = 0; k < items; ++k)
        SendMessageA(listBox, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(&kOwnerDrawnRecords[k % kOwnerDrawnItemCount]));
}

void measureOwnerDrawnItem(MEASUREITEMSTRUCT* measure) {
    measure->itemHeight = 16;
}

void drawOwnerDrawnItem(const DRAWITEMSTRUCT* draw) {
    const bool selected = (draw->itemState & ODS_SELECTED) != 0;
    FillRect(draw->hDC, &draw->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (draw->itemID == static_cast<UINT>(-1) || draw->itemData == 0) return;
    const auto* record = reinterpret_cast<const OwnerDrawnRecord*>(draw->itemData);
    SetBkMode(draw->hDC, TRANSPARENT);
    SetTextColor(draw->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT text = draw->rcItem;
    text.left += 2;
    DrawTextA(draw->hDC, record->name, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void fillComboBox(HWND comboBox) {
    for (const char* item : kComboItems)
        SendMessageA(comboBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SetWindowTextA(comboBox, kComboEditText);
}

void fillStatusBar(HWND statusBar, const char* const* parts, int count) {
    RECT client;
    GetClientRect(statusBar, &client);
    // Equal widths; the last part reaches the right edge.
    int edges[8];
    for (int i = 0; i < count && i < 8; ++i)
        edges[i] = (i + 1 == count) ? -1 : client.right * (i + 1) / count;
    SendMessageA(statusBar, SB_SETPARTS, count, reinterpret_cast<LPARAM>(edges));
    for (int i = 0; i < count; ++i)
        if (parts[i] != nullptr) SendMessageA(statusBar, SB_SETTEXTA, i, reinterpret_cast<LPARAM>(parts[i]));
}

void fillLongStatusBar(HWND statusBar) {
    char longPart[kLongStatusPartLength + 1]; // the status bar keeps its own copy
    longStatusPart(longPart);
    const char* parts[kLongStatusPartCount] = {longPart, kLongStatusTail};
    fillStatusBar(statusBar, parts, kLongStatusPartCount);
}

} // namespace specimen
} // namespace vantor
