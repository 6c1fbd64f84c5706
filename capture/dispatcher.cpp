// The capture dispatcher: classification, section headers and buttons, the readers by kind of control, the
// menu bar section and the walk over child windows; and printTextTree.
// Threads: the capture worker or the monitor pass. Every use of the report and of the capture text tree is
// a locked region of its own, and no lock is held across a reader's messages or a user-interface call
// (capture/capture_lock.h). The dispatcher claims the tree while its window's sections use it, so that an
// added-menu capture in between cannot replace what a reader has just read.
#include "capture/dispatcher.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "capture/accessible_reader.h"
#include "capture/bar_readers.h"
#include "capture/capture_lock.h"
#include "capture/capture_state.h"
#include "capture/capture_ui.h"
#include "inventory/classify.h"
#include "capture/in_process_readers.h"
#include "capture/list_view_reader.h"
#include "capture/menu_capture.h"
#include "capture/report_buffer.h"
#include "inventory/window_tree.h"

namespace vantor {

namespace {

constexpr char kMenuHeader[] = "\r\n■ メニュー情報\r\n";
constexpr char kEditHeader[] = "\r\n■ エディットコントロール [%s]\r\n";
constexpr char kStaticSection[] = "\r\n■ スタティックコントロール\r\n%s\r\n";

// A section written for a kind of control in every capture: its header, its button label and its reader.
struct Section {
    ControlKind kind;
    const char* header; // one %s: the class name
    const char* label;
    void (*reader)(Hwnd);
    bool printsTree; // the reader fills the capture text tree, which the dispatcher prints
};

void readAllListViewRows(Hwnd w) {
    readListViewRows(w, false);
}

const Section kSections[] = {
    {ControlKind::ListView, "\n■ リストコントロール情報 [%s]\r\n", "ListView", readAllListViewRows, false},
    {ControlKind::ListBox, "\n■ リストボックス情報 [%s]\r\n", "ListBox", readListBox, false},
    {ControlKind::ComboBox, "\n■ コンボボックスコントロール情報 [%s]\r\n", "ComboBox", readComboBox, false},
    {ControlKind::TreeView, "\n■ ツリーコントロール情報 [%s]\r\n", "TreeView", readTreeView, true},
    {ControlKind::TabControl, "\n■ タブコントロール情報 [%s]\r\n", "TabCtrl", readTabControl, true},
    {ControlKind::Toolbar, "\n■ ツールバー情報 [%s]\r\n", "Toolbar", readToolbar, true},
    {ControlKind::StatusBar, "\n■ ステータスバー情報 [%s]\r\n", "StatusBar", readStatusBar, false},
};

const Section* sectionFor(ControlKind kind) {
    for (const Section& s : kSections)
        if (s.kind == kind) return &s;
    return nullptr;
}

// Prints the tree's items; the failure line when none has text.
void printTreeSection(CaptureLock& hold, bool withValue) {
    if (!printTextTree(hold, hold.tree()->firstChild, nullptr, withValue))
        hold.report().append(kFailureLine, std::strlen(kFailureLine));
}

// Owns the capture text tree for the sections of one window: empties it on entry, releases it on exit.
class TreeClaim {
  public:
    TreeClaim() {
        CaptureLock hold;
        hold.discardTreeItems();
        hold.setTreeClaimed(true);
    }
    ~TreeClaim() { release(); }
    void release() {
        if (!held) return;
        CaptureLock hold;
        hold.setTreeClaimed(false);
        held = false;
    }

  private:
    bool held = true;
};

void writeSection(Hwnd window, const Section& s, const char* className, bool full) {
    int line = 0;
    {
        CaptureLock hold;
        hold.report().appendFormat(s.header, className);
        line = hold.report().lineCount - 1;
    }
    if (full) captureUi().addSectionButton(s.label, line);
    s.reader(window);
    if (s.printsTree) {
        CaptureLock hold;
        printTreeSection(hold, false);
    }
}

// Monitoring pass over an edit control: header, the whole text however long, closing line break. A text
// that could not be read leaves an empty content line.
void writeEditSection(Hwnd window, const char* className) {
    char* text = readEditText(window);
    {
        CaptureLock hold;
        ReportBuffer& report = hold.report();
        report.appendFormat(kEditHeader, className);
        if (text != nullptr) report.append(text, std::strlen(text));
        report.append("\r\n", 2);
    }
    delete[] text;
}

void writeStaticSection(Hwnd window) {
    char text[256] = {};
    ws().windowText(window, text, sizeof text);
    CaptureLock hold;
    hold.report().appendFormat(kStaticSection, text);
}

// WS_CHILD: a child window's "menu" is its identifier, not a menu bar.
constexpr std::uint32_t kChildStyle = 0x40000000;

// The menu bar section. A top-level window whose menu bar exists but cannot be read (another process's menu
// that the hook library could not be asked for) gets the header and failureLine, and the reason goes to
// the menu problem observer; a bar read only in part ends with failureLine.
void writeMenuSection(Hwnd window) {
    const Hmenu menu = ws().menuOf(window);
    if (isNull(menu)) return;
    const int n = ws().menuItemCount(menu);
    if (n == 0 || (n < 0 && (ws().windowStyle(window) & kChildStyle) != 0)) return;
    bool cut = false;
    TextNode* root = n > 0 ? readMenuTree(window, menu, &cut) : nullptr;
    int line = 0;
    {
        CaptureLock hold;
        hold.report().append(kMenuHeader, std::strlen(kMenuHeader));
        line = hold.report().lineCount - 1;
        if (root != nullptr)
            hold.replaceTree(root);
        else
            hold.discardTreeItems();
        printTreeSection(hold, true);
        if (cut && root != nullptr) hold.report().append(kFailureLine, std::strlen(kFailureLine));
    }
    if (n < 0) reportMenuProblem(window);
    captureUi().addSectionButton("Menu", line);
}

// A window no other reader knows that exposes an accessible object of its own: its tree, read before the
// header is written, so that a window without one adds nothing.
constexpr char kAccessibleHeader[] = "\n■ アクセシビリティ情報 [%s]\r\n";

void writeAccessibleSection(Hwnd window, const char* className, bool full) {
    AccessibleModel model;
    if (!readAccessible(window, &model)) return;
    const std::string text = formatAccessible(model);
    int line = 0;
    {
        CaptureLock hold;
        hold.report().appendFormat(kAccessibleHeader, className);
        line = hold.report().lineCount - 1;
        hold.report().append(text.data(), text.size());
    }
    if (full) captureUi().addSectionButton("Accessible", line);
}

} // namespace

void captureWindow(Hwnd window, bool full) {
    if (stopRequested) return;
    TreeClaim claim;
    char className[256] = {};
    ws().className(window, className, sizeof className);
    const ControlKind kind = classifyClassName(className);
    if (const Section* s = sectionFor(kind)) {
        writeSection(window, *s, className, full);
    } else if (kind == ControlKind::Edit && !full) {
        writeEditSection(window, className);
    } else if (kind == ControlKind::Static && !full) {
        writeStaticSection(window);
    } else if (kind == ControlKind::Other) {
        writeAccessibleSection(window, className, full);
    }
    if (!full) return;
    writeMenuSection(window);
    claim.release();

    ChildWalk children(window);
    for (;;) {
        if (stopRequested) return;
        const Hwnd child = children.next();
        if (isNull(child)) return;
        captureWindow(child, true);
    }
}

bool printTextTree(CaptureLock& hold, const TextNode* first, const char* prefix, bool withValue) {
    bool written = false;
    // Walks the tree without recursion: the indentation grows by two spaces per level going down and
    // shrinks going up, so any depth fits.
    std::string indent = prefix != nullptr ? prefix : "";
    const bool markTop = prefix != nullptr;
    std::string line;
    int depth = 0;
    const TextNode* node = first;
    while (node != nullptr) {
        const std::size_t length = std::strlen(node->text);
        // A text shorter than two bytes is not written, unless the item has children: they would otherwise
        // appear under the item before it.
        if (length >= 2 || node->firstChild != nullptr) {
            written = true;
            line.clear();
            if (depth > 0 || markTop) {
                line += indent;
                line += "+ ";
            }
            line.append(node->text, length);
            if (withValue && node->value > 0) {
                char number[16];
                std::snprintf(number, sizeof number, " [%d]", static_cast<int>(node->value));
                line += number;
            }
            line += "\r\n";
            hold.report().append(line.data(), line.size());
        }
        if (node->firstChild != nullptr) {
            indent += "  ";
            ++depth;
            node = node->firstChild;
            continue;
        }
        while (depth > 0 && node->next == nullptr) {
            node = node->parent;
            --depth;
            indent.resize(indent.size() - 2);
        }
        node = node->next;
    }
    return written;
}

} // namespace vantor
