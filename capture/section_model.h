// The section model: what a reader read from one control, before it becomes report text. Readers fill it,
// one formatter per kind of control turns it into the report's lines (capture/section_format.h), and every
// other output of a capture reads the same values. Texts are kept whole: one-byte and empty texts, separators
// and unreadable items stay in the model, and only a formatter decides what the report leaves out.
// Plain values: a model is owned by whoever made it and shared with no other thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "inventory/classify.h"
#include "platform/platform.h"

namespace vantor {

// How the reading of a control ended.
enum class SectionStatus {
    Read,     // the control answered and gave at least one text
    Empty,    // it answered but gave nothing (no items, or only texts the report drops)
    Failed,   // nothing could be read: no process handle, no block, no menu, no texts held
    CutShort, // part was read, the rest could not be (a silent control, a menu read only in part)
    Stopped,  // the user's stop request ended the reading; what was read is kept
};

// Which way the control was read.
enum class SectionPath {
    None,                 // not read (not known, or nothing to read)
    Messages,             // messages whose texts the window system copies (list box, combo box, edit, static)
    CrossProcess,         // exchanges through a block in the target's memory
    Bulk,                 // inside the target through the hook library
    BulkThenCrossProcess, // the bulk path, its rest across processes after its answers stopped holding up
};

// One item of a list, a tree, a tab control, a toolbar, a status bar or a menu.
struct SectionItem {
    std::string text;          // whole, as the control gave it (a menu item's cut at its first tab)
    int depth = 0;             // 0 for a top-level item; a child is one deeper than the item before it
    std::int32_t id = 0;       // menu command id, toolbar button command id, tab index, status part index
    std::uintptr_t handle = 0; // tree-view item handle (0 elsewhere)
    std::string value;         // an accessible item's value (its text is its name); empty elsewhere
    bool separator = false;    // a menu separator (no text)
    bool subMenu = false;      // a menu item that opens a sub-menu (its items follow, one deeper)
    bool checked = false;      // a menu item with a check mark, where the platform tells it
    bool greyed = false;       // a greyed menu item, where the platform tells it
    // A menu item: the menu that holds it and its position there, so that its text can be read again wide.
    Hmenu menu{};
    int position = -1;
    // The size the report's one-byte rule judges the text by when it is not the text's own: a text read
    // again wide (UTF-8) is judged by what the ANSI read gave, so that the report keeps the same lines.
    int judgedBytes = -1;
};

// The byte count the report's rules judge an item's text by.
inline std::size_t judgedSize(const SectionItem& item) {
    return item.judgedBytes >= 0 ? static_cast<std::size_t>(item.judgedBytes) : item.text.size();
}

// One list-view row: its cells from column 0 on. A row with fewer cells than the list has columns was cut
// short by a stop request.
struct SectionRow {
    std::vector<std::string> cells;
};

struct SectionModel {
    ControlKind kind = ControlKind::Other;
    SectionStatus status = SectionStatus::Empty;
    SectionPath path = SectionPath::None;
    Hwnd control{};
    std::string className;
    // Item, row and header texts already UTF-8 (read as UTF-16, as the accessible reader does); otherwise,
    // and always for the class name, code page 932.
    bool textsUtf8 = false;
    // List view: the column titles when the list has a header (one per column, empty ones included).
    bool hasHeader = false;
    std::vector<std::string> header;
    // The header titles' judged sizes (as SectionItem::judgedBytes) once the titles were read again wide.
    std::vector<int> headerJudgedBytes;
    int columns = 1;
    std::vector<SectionRow> rows;
    // List box and combo box items, status bar parts, tabs, toolbar buttons, tree-view and menu items.
    std::vector<SectionItem> items;
};

} // namespace vantor
