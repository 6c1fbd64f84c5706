// Fake controls for the fake desktop: each factory makes a FakeControl that answers the query messages of
// one real Win32 control class the way that control does, and each add* helper also creates the window
// with the real class name (and, for a list view, its header child).
//
// Standard controls (list box, combo box, edit, static) take local buffers: lParam is a pointer in the
// caller's process, which the window system copies across. When that pointer lies in a block from
// FakeDesktop::allocLocal the control checks the write fits, and records a fault when it does not.
//
// Common controls (list view, header, status bar, toolbar, tab control, tree view) take addresses in their
// own process and read and write the records of platform/wire.h in that process's pointer width. A record
// or text pointer outside the process's live blocks, a text capacity larger than its block or a write past
// a block is recorded with FakeDesktop::fault.
//
// Threads: build the desktop on one thread; the controls then run under the desktop's lock.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_desktop.h"

namespace vantor {
namespace fake {

// Class names as the real controls register them.
constexpr char kListBoxClass[] = "ListBox";
constexpr char kComboBoxClass[] = "ComboBox";
constexpr char kEditClass[] = "Edit";
constexpr char kStaticClass[] = "Static";
constexpr char kListViewClass[] = "SysListView32";
constexpr char kHeaderClass[] = "SysHeader32";
constexpr char kStatusBarClass[] = "msctls_statusbar32";
constexpr char kToolbarClass[] = "ToolbarWindow32";
constexpr char kTabControlClass[] = "SysTabControl32";
constexpr char kTreeViewClass[] = "SysTreeView32";

// A text of a common control that its query does not write: the list-view cell, header title, tab label or
// tree item answers FALSE and leaves the caller's buffer as it was; the status bar part answers length 0 and
// writes nothing (as a part never given a text); the toolbar button answers TB_GETBUTTON FALSE without
// writing its record.
constexpr char kWritesNothing[] = "\x7f(writes nothing)";

// ---- Standard controls (local buffers) -----------------------------------------------------------------

// LB_GETCOUNT, LB_GETTEXTLEN (LB_ERR for a bad index), LB_GETTEXT (item + NUL into lParam, returns the
// length; LB_ERR and nothing written for a bad index).
std::unique_ptr<FakeControl> makeListBox(std::vector<std::string> items);
// CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT as the list box (CB_ERR for a bad index); WM_GETTEXT,
// WM_GETTEXTLENGTH and WM_SETTEXT work on the edit text.
std::unique_ptr<FakeControl> makeComboBox(std::vector<std::string> items, std::string editText);
// WM_GETTEXT (at most wParam - 1 bytes + NUL, returns the count copied), WM_GETTEXTLENGTH, WM_SETTEXT.
std::unique_ptr<FakeControl> makeEdit(std::string text);
// The same text messages as an edit control.
std::unique_ptr<FakeControl> makeStatic(std::string text);

// Window of class "ListBox" (empty title) under parent in process pid, with the window style given. With
// an owner-drawn style and no LBS_HASSTRINGS the items are item data: each item string stands for its bytes
// (at most the pointer width of the process, little-endian), which LB_GETTEXT copies as a real list box
// copies its item data (LB_GETTEXTLEN answers the pointer width).
Hwnd addListBox(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::vector<std::string> items,
                std::uint32_t style = 0);
// Window of class "ComboBox" with window text editText; with editChild it also gets the child "Edit" window
// a drop-down combo box has (showing editText). Owner-drawn without CBS_HASSTRINGS: item data as for the
// list box.
Hwnd addComboBox(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::vector<std::string> items,
                 std::string editText, bool editChild = false, std::uint32_t style = 0);
// Windows of class "Edit" / "Static" whose window text is text.
Hwnd addEdit(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::string text);
Hwnd addStatic(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::string text);

// ---- Common controls (remote memory of their own process) -----------------------------------------------

struct ListViewOptions {
    // LVM_GETITEMA answers by pointing pszText at the list view's own copy of the text (a block in its
    // process) instead of filling the caller's buffer, as a real list view may.
    bool ownBuffer = false;
    // LVM_GETHEADER returns no window.
    bool noHeader = false;
    // The LVIF_PARAM value of each row; rows without one get their index.
    std::vector<std::int64_t> rowParams;
    // With ownBuffer: one buffer of the list view's for every answer, holding the last text asked for.
    bool sharedBuffer = false;
    // LVM_GETITEMCOUNT answers this instead of the number of rows when not negative (rows removed while
    // the list is read: queries past the end answer FALSE and write nothing).
    int reportedRows = -1;
};

// LVM_GETITEMCOUNT, LVM_GETHEADER (the header child, created on first use unless addListView made it),
// LVM_GETNEXTITEM (LVNI_SELECTED or all, starting after wParam, -1 for none), LVM_GETITEMA (LVIF_TEXT:
// cell text into pszText, at most cchTextMax - 1 bytes + NUL; LVIF_PARAM; FALSE for a bad row or column).
// A row shorter than columns has empty cells for the rest; selected lists row indices.
std::unique_ptr<FakeControl> makeListView(std::vector<std::string> columns,
                                          std::vector<std::vector<std::string>> rows,
                                          std::vector<int> selected,
                                          ListViewOptions options = ListViewOptions());
// Window of class "SysListView32" with its "SysHeader32" child already created.
Hwnd addListView(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::vector<std::string> columns,
                 std::vector<std::vector<std::string>> rows, std::vector<int> selected = {},
                 ListViewOptions options = ListViewOptions());

// HDM_GETITEMCOUNT, HDM_GETITEMA (HDI_TEXT truncated to cchTextMax - 1 bytes + NUL; HDI_LPARAM = column
// index; FALSE for a bad index).
std::unique_ptr<FakeControl> makeHeader(std::vector<std::string> titles);

// SB_GETPARTS (the part count; with lParam, right edges as 32-bit ints in the control's process),
// SB_GETTEXTA (whole text + NUL with no capacity; returns LOWORD length | HIWORD type; a write that does not
// fit its block is a fault), SB_GETTEXTLENGTHA, WM_GETTEXT / WM_GETTEXTLENGTH (part 0). types gives the
// SBT_* drawing type of each part (0 when missing).
std::unique_ptr<FakeControl> makeStatusBar(std::vector<std::string> parts,
                                           std::vector<std::uint16_t> types = {});
Hwnd addStatusBar(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::vector<std::string> parts);

constexpr std::uint8_t kTbStateEnabled = 0x04;
constexpr std::uint8_t kTbStyleSep = 0x01;
struct FakeButton {
    std::int32_t idCommand = 0;
    std::string text;
    std::uint8_t fsStyle = 0; // kTbStyleSep for a separator
    std::uint8_t fsState = kTbStateEnabled;
    std::int32_t iBitmap = 0;
    std::uint64_t dwData = 0;
};
// TB_BUTTONCOUNT, TB_GETBUTTON (a TBBUTTON of the process's width at lParam; FALSE for a bad index),
// TB_GETBUTTONTEXTA by command id (-1 for an unknown id; lParam 0: the length; else text + NUL with no
// capacity, a fault when it does not fit its block). The window title is the toolbar's window text.
std::unique_ptr<FakeControl> makeToolbar(std::vector<FakeButton> buttons);
Hwnd addToolbar(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::vector<FakeButton> buttons,
                const char* title = "");

// TCM_GETITEMCOUNT, TCM_GETITEMA (TCIF_TEXT truncated to cchTextMax - 1 bytes + NUL; TCIF_PARAM = 0;
// FALSE for a bad index).
std::unique_ptr<FakeControl> makeTabControl(std::vector<std::string> labels);
Hwnd addTabControl(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::vector<std::string> labels);

struct FakeTreeItem {
    std::string text;
    std::vector<FakeTreeItem> children;
};
struct TreeViewOptions {
    // TVM_GETITEMA answers by pointing pszText at the tree view's own copy of the text.
    bool ownBuffer = false;
    // The selected item (TVGN_CARET) as its index in depth-first order; -1 for none.
    int caret = -1;
    // A faulty tree: the last item in depth-first order answers TVGN_CHILD with the item of this index,
    // leading back to an item already visited; -1 for none.
    int loopBackTo = -1;
};
// TVM_GETNEXTITEM (TVGN_ROOT, TVGN_NEXT, TVGN_CHILD, TVGN_CARET; 0 for none), TVM_GETITEMA (TVIF_TEXT
// truncated to cchTextMax - 1 bytes + NUL, TVIF_PARAM = depth-first index). Item handles do not fit in 32
// bits in a 64-bit process; a handle the tree does not hold is a fault.
std::unique_ptr<FakeControl> makeTreeView(std::vector<FakeTreeItem> roots,
                                          TreeViewOptions options = TreeViewOptions());
Hwnd addTreeView(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::vector<FakeTreeItem> roots,
                 TreeViewOptions options = TreeViewOptions());

} // namespace fake
} // namespace vantor
