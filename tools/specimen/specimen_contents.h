// The known contents of the specimen application (tools/specimen): every text, count, identifier and the
// order of its windows, so that tests can compare what a capture reads against what the specimen shows.
// The specimen builds its windows from these tables; the native fake-desktop tests may build the same
// desktop from them.
//
// Header-only and portable: no <windows.h>, plain constants and a few small formatting helpers. The source
// is UTF-8; both builds compile it with -fexec-charset=CP932, so every Japanese text is code page 932 (two
// bytes per character) on both sides. A build without that option would keep UTF-8 (three bytes per
// character); ASCII texts, all counts and all identifiers are the same either way.
//
// Threads: constants and pure functions only; any thread.
//
// Windows of the specimen, in z-order (the order FindWindowEx returns the children, which is the order the
// specimen creates them; each row's parent is the window of the row marked as its parent):
//
//   top-level  "VantorSpecimen"        title kWindowTitle (or --title), menu bar kMenu
//   1  ToolbarWindow32        kIdToolbar        buttons kToolbarButtons (or --toolbar-buttons N)
//   2  ToolbarWindow32        kIdAppsToolbar    window text kAppsToolbarText, buttons kAppsToolbarButtons
//   3  SysListView32          kIdListView       report view, kListViewColumns (a fourth column
//                                               kListViewExtraColumn with --columns 4), rows by
//                                               listViewCell()
//      +- SysHeader32         (the list view's own header)
//   4  ListBox                kIdListBox        kListBoxItems
//   5  ComboBox              kIdComboBox       drop-down, kComboItems, edit text kComboEditText
//      +- Edit                (the combo box's own edit field, id 1001 as the system gives it, text
//                              kComboEditText)
//   6  SysTreeView32          kIdTreeView       items by treeItemLevel()/treeItemText()
//   7  SysTabControl32        kIdTabControl     kTabLabels
//   8  Edit                   kIdEdit           multi-line, kEditText
//   9  Static                 kIdStatic         kStaticText
//  10  Button                 kIdButton         push button, kButtonText
//  11  kFrameClass            kIdFrame          window text kFrameText
//      +- kPanelClass         kIdPanel          window text kPanelText
//         +- msctls_statusbar32  kIdPanelStatusBar  parts kPanelStatusParts
//  12  msctls_statusbar32     kIdStatusBar      parts kStatusParts
//  13  msctls_statusbar32     kIdLongStatusBar  part 0 by longStatusPart(), part 1 kLongStatusTail
//  14  kGridClass             kIdGrid           draws its items itself, no child windows; its accessible
//                                               objects hold kAccessibleTree (see there)
//  15  ListBox                kIdOwnerDrawnList only with --owner-drawn N (N > 0): owner-drawn without
//                                               LBS_HASSTRINGS, N items whose item data point at the
//                                               records of kOwnerDrawnItems it draws
//
// The list view, tree view and toolbar create no tool-tip windows (styles chosen so), so these are all the
// windows the specimen owns.
//
// The top-level window takes its title only after all children exist and are filled (with large counts that
// takes seconds): a test that finds the window by its title finds it complete. Found by class alone it may
// still be empty.
#pragma once

#include <cstddef>
#include <cstdio>

namespace vantor {
namespace specimen {

constexpr char kWindowTitle[] = "Vantor Specimen";
constexpr char kWindowClass[] = "VantorSpecimen";
constexpr char kFrameClass[] = "VantorSpecimenFrame";
constexpr char kPanelClass[] = "VantorSpecimenPanel";
constexpr char kGridClass[] = "VantorSpecimenGrid";

// Child window identifiers (GetDlgCtrlID).
constexpr int kIdToolbar = 1001;
constexpr int kIdAppsToolbar = 1002;
constexpr int kIdListView = 1003;
constexpr int kIdListBox = 1004;
constexpr int kIdComboBox = 1005;
constexpr int kIdTreeView = 1006;
constexpr int kIdTabControl = 1007;
constexpr int kIdEdit = 1008;
constexpr int kIdStatic = 1009;
constexpr int kIdButton = 1010;
constexpr int kIdFrame = 1011;
constexpr int kIdPanel = 1012;
constexpr int kIdPanelStatusBar = 1013;
constexpr int kIdStatusBar = 1014;
constexpr int kIdLongStatusBar = 1015;
constexpr int kIdOwnerDrawnList = 1016;
constexpr int kIdGrid = 1017;

// The direct children of the top-level window, in z-order.
struct ChildWindow {
    int id;
    const char* className;
};
constexpr ChildWindow kChildren[] = {
    {kIdToolbar, "ToolbarWindow32"},
    {kIdAppsToolbar, "ToolbarWindow32"},
    {kIdListView, "SysListView32"},
    {kIdListBox, "ListBox"},
    {kIdComboBox, "ComboBox"},
    {kIdTreeView, "SysTreeView32"},
    {kIdTabControl, "SysTabControl32"},
    {kIdEdit, "Edit"},
    {kIdStatic, "Static"},
    {kIdButton, "Button"},
    {kIdFrame, kFrameClass},
    {kIdStatusBar, "msctls_statusbar32"},
    {kIdLongStatusBar, "msctls_statusbar32"},
    {kIdGrid, kGridClass},
};
constexpr int kChildCount = static_cast<int>(sizeof(kChildren) / sizeof(kChildren[0]));

// ---- The self-drawn control's accessible objects ---------------------------------------------------------
// Pre-order list of the items below the control's own object (level 0: its children), UTF-16 texts: groups
// with items, Japanese names, a value, an empty name, a text outside code page 932 (U+1F600) and a deep
// branch. --accessible-items N adds a group kAccessibleManyGroup with N items "項目 1" to "項目 N";
// --accessible-mode kAccessibleLoop gives the deepest item the first group as a child again (the tree
// loops), kAccessibleBadAnswer answers WM_GETOBJECT with a value that is no object, kAccessibleHung stops
// the user-interface thread at the first question about an item.
struct AccessibleEntry {
    int level;
    const char16_t* name;
    const char16_t* value;
};
// One item per line, as the tree reads.
// clang-format off
constexpr AccessibleEntry kAccessibleTree[] = {
    {0, u"果物", u""},
    {1, u"りんご", u""},
    {1, u"みかん", u""},
    {1, u"数量", u"3"},
    {1, u"", u""},
    {1, u"笑顔 \U0001F600", u""},
    {0, u"野菜", u""},
    {1, u"にんじん", u""},
    {0, u"深い枝", u""},
    {1, u"段1", u""},
    {2, u"段2", u""},
    {3, u"段3", u""},
    {4, u"段4", u""},
};
// clang-format on
constexpr int kAccessibleEntryCount = static_cast<int>(sizeof(kAccessibleTree) / sizeof(kAccessibleTree[0]));
constexpr char16_t kAccessibleManyGroup[] = u"多数";
constexpr int kAccessibleNormal = 0;
constexpr int kAccessibleLoop = 1;
constexpr int kAccessibleBadAnswer = 2;
constexpr int kAccessibleHung = 3;

// ---- Menu bar -------------------------------------------------------------------------------------------
// Pre-order list: an entry of kind Popup opens a pop-up that holds the following entries of level + 1.
// Item texts are stored as the menu holds them (mnemonic marks, accelerator text after a tab).
enum class MenuKind { Item, Popup, Separator };
struct MenuEntry {
    int level; // 0 = on the menu bar
    MenuKind kind;
    const char* text; // empty for a separator
    int id;           // command identifier; -1 for a pop-up, 0 for a separator (and for kIdMenuNoCommand)
    bool checked = false;
    bool greyed = false;
};
constexpr int kIdMenuOpen = 101;
constexpr int kIdMenuSave = 102;
constexpr int kIdMenuRecent = 111;
constexpr int kIdMenuDeep = 121;
constexpr int kIdMenuOneByte = 103;
constexpr int kIdMenuExit = 104;
constexpr int kIdMenuUndo = 201;
constexpr int kIdMenuNoCommand = 0;
constexpr int kIdMenuAbout = 301;
constexpr MenuEntry kMenu[] = {
    {0, MenuKind::Popup, "ファイル(&F)", -1},
    {1, MenuKind::Item, "開く(&O)...\tCtrl+O", kIdMenuOpen},
    {1, MenuKind::Item, "上書き保存(&S)\tCtrl+S", kIdMenuSave},
    {1, MenuKind::Separator, "", 0},
    {1, MenuKind::Popup, "最近使ったファイル(&R)", -1},
    {2, MenuKind::Item, "memo.txt", kIdMenuRecent, true}, // checked
    {2, MenuKind::Popup, "その他", -1},
    {3, MenuKind::Item, "深い項目", kIdMenuDeep},
    {1, MenuKind::Item, "x", kIdMenuOneByte},
    {1, MenuKind::Separator, "", 0},
    {1, MenuKind::Item, "終了(&X)", kIdMenuExit},
    {0, MenuKind::Popup, "編集(&E)", -1},
    {1, MenuKind::Item, "元に戻す(&U)\tCtrl+Z", kIdMenuUndo},
    {1, MenuKind::Item, "コマンドなし", kIdMenuNoCommand, false, true}, // greyed
    {0, MenuKind::Popup, "ヘルプ(&H)", -1},
    {1, MenuKind::Item, "バージョン情報(&A)", kIdMenuAbout},
};
constexpr int kMenuEntryCount = static_cast<int>(sizeof(kMenu) / sizeof(kMenu[0]));
constexpr int kMenuBarItemCount = 3;

// ---- Context menu (--context-menu-after MS) -------------------------------------------------------------
// Opened with TrackPopupMenu over the top-level window MS milliseconds after start and closed again after
// kContextMenuShownMs. kContextMenu is what the menu holds when it is built (level 1 is the sub-menu); while
// the menu itself is being initialised (WM_INITMENUPOPUP) the specimen appends kContextMenuAdded, so a
// reader sees the menu as the application filled it, with that item last.
constexpr int kContextMenuShownMs = 4000;
constexpr int kIdContextCopy = 401;
constexpr int kIdContextPaste = 402; // greyed
constexpr int kIdContextDetail = 411;
constexpr int kIdContextAdded = 421;
constexpr MenuEntry kContextMenu[] = {
    {0, MenuKind::Item, "コピー(&C)\tCtrl+C", kIdContextCopy}, {0, MenuKind::Separator, "", 0},
    {0, MenuKind::Item, "貼り付け(&P)", kIdContextPaste},      {0, MenuKind::Popup, "その他(&M)", -1},
    {1, MenuKind::Item, "詳細(&D)", kIdContextDetail},
};
constexpr int kContextMenuEntryCount = static_cast<int>(sizeof(kContextMenu) / sizeof(kContextMenu[0]));
constexpr char kContextMenuAdded[] = "追加項目(&A)";

// ---- List view (report view, three columns; four with --columns 4) ---------------------------------------
// The third column's title is one byte long. kListViewColumnCount is the default layout, the one every
// expected report is written for; --columns 4 adds kListViewExtraColumn after it (benchmarks of wide lists).
constexpr int kListViewColumnCount = 3;
constexpr int kListViewMaxColumns = 4;
constexpr const char* kListViewColumns[kListViewColumnCount] = {"名前", "説明", "#"};
constexpr const char* kListViewExtraColumn = "備考";
// The first rows are fixed (row 1 has an empty middle cell); rows from kListViewFixedRows on are generated
// by listViewCell(). Without --rows the list holds kListViewDefaultRows rows.
constexpr int kListViewFixedRows = 5;
constexpr int kListViewDefaultRows = 5;
constexpr const char* kListViewFixedCells[kListViewFixedRows][kListViewColumnCount] = {
    {"りんご", "赤い果物", "1"},       {"みかん", "", "2"},        {"apple", "red fruit", "3"},
    {"日本語の行", "漢字とかな", "4"}, {"x", "一文字の名前", "5"},
};

// Writes the text of cell (row, column) into out (cap bytes, always NUL-terminated when cap > 0); the same
// for any row count. Generated rows: "item <row>", "値<row>", "<row>". The fourth column (--columns 4) is
// generated for every row, fixed ones included: "メモ<row>-<row % 7>".
inline void listViewCell(int row, int column, char* out, std::size_t cap) {
    if (cap == 0) return;
    out[0] = '\0';
    if (row < 0 || column < 0 || column >= kListViewMaxColumns) return;
    if (column == kListViewColumnCount) {
        std::snprintf(out, cap, "メモ%d-%d", row, row % 7);
    } else if (row < kListViewFixedRows) {
        std::snprintf(out, cap, "%s", kListViewFixedCells[row][column]);
    } else if (column == 0) {
        std::snprintf(out, cap, "item %d", row);
    } else if (column == 1) {
        std::snprintf(out, cap, "値%d", row);
    } else {
        std::snprintf(out, cap, "%d", row);
    }
}

// ---- List box and combo box -----------------------------------------------------------------------------
constexpr int kListBoxItemCount = 3;
constexpr const char* kListBoxItems[kListBoxItemCount] = {"alpha", "b", "gamma"};
// A drop-down combo box (with an edit field) whose edit text is not among its list items.
constexpr int kComboItemCount = 3;
constexpr const char* kComboItems[kComboItemCount] = {"東京", "大阪", "Kyoto"};
constexpr char kComboEditText[] = "名古屋";
// The owner-drawn list box of --owner-drawn N (as a file manager keeps one record per row): item k's data is
// the address of a record holding kOwnerDrawnItems[k % kOwnerDrawnItemCount], which the list box draws. The
// list box keeps no texts, so its text messages copy the addresses.
constexpr int kOwnerDrawnItemCount = 3;
constexpr const char* kOwnerDrawnItems[kOwnerDrawnItemCount] = {"報告書.txt", "image01.png", "メモ"};

// ---- Tree view ------------------------------------------------------------------------------------------
// Fixed items in pre-order with their depth: three levels, one item with an empty text, and a one-byte item
// ("x") that has a child. Without --tree-items the tree holds kTreeDefaultItems items; with --tree-items N
// it holds N items: the first min(N, kTreeFixedItems) fixed ones, then generated ones.
struct TreeEntry {
    int level;
    const char* text;
};
constexpr int kTreeFixedItems = 8;
constexpr int kTreeDefaultItems = kTreeFixedItems;
constexpr TreeEntry kTreeItems[kTreeFixedItems] = {
    {0, "動物"}, {1, "哺乳類"}, {2, "ねこ"}, {2, "いぬ"}, {1, ""}, {0, "植物"}, {1, "x"}, {2, "さくら"},
};
// Depth of item k (pre-order index). Generated items come in groups of ten: one top-level item followed by
// nine children of it.
inline int treeItemLevel(int k) {
    if (k < kTreeFixedItems) return kTreeItems[k].level;
    return (k - kTreeFixedItems) % 10 == 0 ? 0 : 1;
}
// Text of item k; generated items read "node <k>".
inline void treeItemText(int k, char* out, std::size_t cap) {
    if (cap == 0) return;
    if (k < kTreeFixedItems) {
        std::snprintf(out, cap, "%s", kTreeItems[k].text);
    } else {
        std::snprintf(out, cap, "node %d", k);
    }
}

// ---- Tab control ----------------------------------------------------------------------------------------
constexpr int kTabCount = 3;
constexpr const char* kTabLabels[kTabCount] = {"全般", "詳細設定", "Advanced"};

// ---- Toolbars -------------------------------------------------------------------------------------------
struct ToolbarButton {
    int id; // idCommand; 0 for a separator
    const char* text;
    bool separator;
};
// The first toolbar: text buttons, one separator, one button with a one-byte text. With --toolbar-buttons N
// it holds N buttons: the first min(N, kToolbarFixedButtons) below, then generated ones (toolbarButton()).
constexpr int kToolbarFixedButtons = 5;
constexpr int kToolbarDefaultButtons = kToolbarFixedButtons;
constexpr ToolbarButton kToolbarButtons[kToolbarFixedButtons] = {
    {401, "新規", false}, {402, "開く", false}, {0, "", true}, {403, "保存", false}, {404, "x", false},
};
// Button k of the first toolbar; generated buttons have id 1000 + k and the text "button <k>". text is
// written into out (cap bytes).
inline ToolbarButton toolbarButton(int k, char* out, std::size_t cap) {
    if (k < kToolbarFixedButtons) {
        if (cap > 0) std::snprintf(out, cap, "%s", kToolbarButtons[k].text);
        return ToolbarButton{kToolbarButtons[k].id, out, kToolbarButtons[k].separator};
    }
    if (cap > 0) std::snprintf(out, cap, "button %d", k);
    return ToolbarButton{1000 + k, out, false};
}
// The second toolbar carries the window text that makes a reader take only the buttons at odd indices
// (1, 3, ...): of these five buttons it reads kAppsToolbarButtons[1] and [3].
constexpr char kAppsToolbarText[] = "実行中のアプリケーション";
constexpr int kAppsToolbarButtonCount = 5;
constexpr ToolbarButton kAppsToolbarButtons[kAppsToolbarButtonCount] = {
    {501, "ウィンドウ0", false}, {502, "メモ帳", false},   {503, "ウィンドウ2", false},
    {504, "電卓", false},        {505, "ペイント", false},
};

// ---- Status bars ----------------------------------------------------------------------------------------
// The main status bar: "Ready", an empty part, a one-letter part, then a part never given a text (null
// here) between two texts: asked for its text, the status bar writes nothing into the caller's buffer.
constexpr int kStatusPartCount = 6;
constexpr const char* kStatusParts[kStatusPartCount] = {"Ready", "", "x", "接続", nullptr, "完了"};
// The long status bar: part 0 is kLongStatusPartLength bytes of ASCII (longer than any 260-byte buffer),
// part 1 is kLongStatusTail.
constexpr int kLongStatusPartCount = 2;
constexpr int kLongStatusPartLength = 1000;
constexpr char kLongStatusTail[] = "末尾";
// Writes part 0 of the long status bar: "L0000-" then letters a..z repeated, kLongStatusPartLength bytes in
// all; out must hold kLongStatusPartLength + 1 bytes.
inline void longStatusPart(char* out) {
    std::snprintf(out, 7, "L%04d-", kLongStatusPartLength);
    for (int i = 6; i < kLongStatusPartLength; ++i)
        out[i] = static_cast<char>('a' + (i - 6) % 26);
    out[kLongStatusPartLength] = '\0';
}
// The status bar three levels down (frame -> panel -> status bar).
constexpr int kPanelStatusPartCount = 2;
constexpr const char* kPanelStatusParts[kPanelStatusPartCount] = {"パネルの状態", "OK"};

// ---- Plain controls -------------------------------------------------------------------------------------
constexpr char kEditText[] = "こんにちは、世界\r\n二行目のテキスト\r\nthird line";
constexpr char kStaticText[] = "名前:";
constexpr char kButtonText[] = "実行";
constexpr char kFrameText[] = "枠";
constexpr char kPanelText[] = "パネル";

} // namespace specimen
} // namespace vantor
