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

// Window of class "ListBox" (empty title) under parent in process pid.
Hwnd addListBox(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::vector<std::string> items);
// Window of class "ComboBox" with window text editText; with editChild it also gets the child "Edit" window
// a drop-down combo box has (showing editText).
Hwnd addComboBox(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::vector<std::string> items,
                 std::string editText, bool editChild = false);
// Windows of class "Edit" / "Static" whose window text is text.
Hwnd addEdit(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::string text);
Hwnd addStatic(FakeDesktop& d, Hwnd parent, std::uint32_t pid, std::string text);

} // namespace fake
} // namespace vantor
