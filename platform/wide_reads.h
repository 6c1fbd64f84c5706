// Reads of single texts of a Unicode target window as UTF-16, with the wide messages: the window text and
// list box / combo box items (marshalled by the window system), and the texts of the common controls
// through W records in the target's memory (list-view cells, header titles, tab labels, tree items, status
// bar parts, toolbar button texts). The records and the 260-unit text buffer mirror the ANSI readers, so a
// text is cut where theirs is (in characters, never inside a surrogate pair).
//
// Each function returns false when the control did not answer or the item does not exist; *out is then
// empty. Window-system free: everything goes through ws(), procs() and wideWindows().
//
// Threads: any; a WideRemoteReader belongs to one thread.
#pragma once

#include <cstddef>
#include <string>

#include "platform/platform.h"

namespace vantor {

// WM_GETTEXTLENGTH then WM_GETTEXT, both wide.
bool readWindowTextW(Hwnd w, std::u16string* out);
// LB_GETTEXTLEN / LB_GETTEXT (CB_ for a combo box), both wide.
bool readListItemW(Hwnd w, bool comboBox, int index, std::u16string* out);
// The menu item's string through GetMenuItemInfoW.
bool readMenuItemW(Hmenu m, int position, std::u16string* out);

// The common controls of one target: its process opened once, one block for a record and its text buffer.
class WideRemoteReader {
  public:
    explicit WideRemoteReader(Hwnd control);
    ~WideRemoteReader();
    WideRemoteReader(const WideRemoteReader&) = delete;
    WideRemoteReader& operator=(const WideRemoteReader&) = delete;

    // False when the process or the block could not be had, or a query went unanswered (nothing more is
    // sent then, so a hung control costs one time-out).
    bool usable() const { return answering_; }

    bool listViewCell(int row, int column, std::u16string* out);
    // control is the header window (LVM_GETHEADER of the list view).
    bool headerTitle(int index, std::u16string* out);
    bool tabLabel(int index, std::u16string* out);
    // item is the tree item's handle in the target (TVM_GETNEXTITEM).
    bool treeItem(RemoteAddr item, std::u16string* out);
    bool statusPart(int part, std::u16string* out);
    bool toolbarButtonText(int commandId, std::u16string* out);

  private:
    template <class Rec>
    bool recordQuery(std::uint32_t msg, std::uintptr_t wParam, Rec record, std::u16string* out);
    bool unboundedQuery(std::uint32_t lengthMsg, std::uint32_t textMsg, std::uintptr_t wParam, bool lowWord,
                        std::u16string* out);
    bool send(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t* result);
    bool readUnits(RemoteAddr at, std::size_t units, std::u16string* out);

    Hwnd control_{};
    Hproc process_{};
    RemoteAddr block_ = 0;
    bool is64_ = true;
    bool answering_ = false;
};

} // namespace vantor
