// The capture dispatcher: classification, section headers and buttons, the readers by kind of control, the
// menu bar section and the walk over child windows; and printTextTree.
// Threads: the capture worker or the monitor pass. Every use of the report and of the capture text tree is
// a locked region of its own, and no lock is held across a reader's messages or a user-interface call
// (capture/capture_lock.h). The dispatcher claims the tree while its window's sections use it, so that an
// added-menu capture in between cannot replace what a reader has just read.
#include "capture/dispatcher.h"

#include <cstring>
#include <string>
#include <vector>

#include "capture/accessible_reader.h"
#include "capture/bar_readers.h"
#include "capture/capture_lock.h"
#include "capture/capture_state.h"
#include "capture/capture_ui.h"
#include "capture/control_kinds.h"
#include "capture/in_process_readers.h"
#include "capture/menu_capture.h"
#include "capture/report_buffer.h"
#include "capture/section_format.h"
#include "capture/section_tree.h"
#include "inventory/classify.h"
#include "inventory/window_tree.h"

namespace vantor {

namespace {

constexpr char kMenuHeader[] = "\r\n■ メニュー情報\r\n";
constexpr char kEditHeader[] = "\r\n■ エディットコントロール [%s]\r\n";
constexpr char kStaticSection[] = "\r\n■ スタティックコントロール\r\n%s\r\n";

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

// The report's length now (the end of what a section has just written).
std::size_t reportLength() {
    CaptureLock hold;
    return hold.report().length();
}

// The header (and in a full capture its button), then the control read into its model, kept as the capture
// text tree where its kind says so, and its formatted text appended as one unit.
void writeSection(Hwnd window, const ControlKindEntry& kind, const char* className, bool full,
                  CaptureSession* session) {
    int line = 0;
    std::string separator;
    std::size_t start = 0;
    {
        CaptureLock hold;
        hold.report().appendFormat(kind.caption, className);
        line = hold.report().lineCount - 1;
        separator = hold.listSeparator();
        start = hold.report().length();
    }
    if (full) captureUi().addSectionButton(kind.label, line);
    SectionModel model;
    model.kind = kind.kind;
    model.control = window;
    model.className = className;
    if (kind.stream != nullptr) {
        kind.stream(window, session != nullptr ? &model : nullptr);
    } else {
        kind.read(window, &model);
        if (kind.keepsTree) installCaptureTree(window, model.items);
        std::string text;
        kind.format(model, separator, &text);
        appendToReport(text);
    }
    if (session != nullptr) session->keep(CapturedKind::Control, std::move(model), start, reportLength());
}

// The model of an edit or static control's section: its one text.
SectionModel oneTextSection(Hwnd window, const char* className, const std::string& text) {
    SectionModel model;
    model.kind = classifyClassName(className);
    model.control = window;
    model.className = className;
    model.path = SectionPath::Messages;
    model.status = text.empty() ? SectionStatus::Empty : SectionStatus::Read;
    model.items.push_back(SectionItem{});
    model.items.back().text = text;
    return model;
}

// Monitoring pass over an edit control: header, the whole text however long, closing line break. A text
// that could not be read leaves an empty content line.
void writeEditSection(Hwnd window, const char* className, CaptureSession* session) {
    std::string text;
    readEditText(window, &text);
    if (session != nullptr) session->keep(CapturedKind::Control, oneTextSection(window, className, text));
    text += "\r\n";
    CaptureLock hold;
    ReportBuffer& report = hold.report();
    report.appendFormat(kEditHeader, className);
    report.append(text.data(), text.size());
}

void writeStaticSection(Hwnd window, const char* className, CaptureSession* session) {
    char text[256] = {};
    ws().windowText(window, text, sizeof text);
    if (session != nullptr) session->keep(CapturedKind::Control, oneTextSection(window, className, text));
    CaptureLock hold;
    hold.report().appendFormat(kStaticSection, text);
}

// WS_CHILD: a child window's "menu" is its identifier, not a menu bar.
constexpr std::uint32_t kChildStyle = 0x40000000;

// The menu bar section. A top-level window whose menu bar exists but cannot be read (another process's menu
// that the hook library could not be asked for) gets the header and failureLine, and the reason goes to
// the menu problem observer; a bar read only in part ends with failureLine.
void writeMenuSection(Hwnd window, CaptureSession* session) {
    const Hmenu menu = ws().menuOf(window);
    if (isNull(menu)) return;
    const int n = ws().menuItemCount(menu);
    if (n == 0 || (n < 0 && (ws().windowStyle(window) & kChildStyle) != 0)) return;
    SectionModel model;
    MenuOwner owner;
    const bool found = n > 0 && readMenuSection(window, menu, true, &model, &owner);
    TextNode* root = found ? menuTreeOf(model, owner) : nullptr;
    std::string text;
    formatMenuBar(model, &text);
    int line = 0;
    std::size_t start = 0;
    std::size_t end = 0;
    {
        CaptureLock hold;
        hold.report().append(kMenuHeader, std::strlen(kMenuHeader));
        line = hold.report().lineCount - 1;
        if (root != nullptr)
            hold.replaceTree(root);
        else
            hold.discardTreeItems();
        start = hold.report().length();
        hold.report().append(text.data(), text.size());
        end = hold.report().length();
    }
    if (n < 0) reportMenuProblem(window);
    captureUi().addSectionButton("Menu", line);
    if (session == nullptr) return;
    char className[256] = {};
    ws().className(window, className, sizeof className);
    model.control = window;
    model.className = className;
    session->keep(CapturedKind::MenuBar, std::move(model), start, end);
}

// A window no other reader knows that exposes an accessible object of its own: its tree, read before the
// header is written, so that a window without one adds nothing.
constexpr char kAccessibleHeader[] = "\n■ アクセシビリティ情報 [%s]\r\n";

void writeAccessibleSection(Hwnd window, const char* className, bool full, CaptureSession* session) {
    AccessibleModel model;
    if (!readAccessible(window, &model)) return;
    const std::string text = formatAccessible(model);
    if (session != nullptr)
        session->keep(CapturedKind::Accessible, accessibleSection(model, window, className));
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

void captureWindow(Hwnd window, bool full, CaptureSession* session) {
    if (stopRequested) return;
    TreeClaim claim;
    char className[256] = {};
    ws().className(window, className, sizeof className);
    const ControlKind kind = classifyClassName(className);
    if (const ControlKindEntry* entry = controlKindEntry(kind)) {
        writeSection(window, *entry, className, full, session);
    } else if (kind == ControlKind::Edit && !full) {
        writeEditSection(window, className, session);
    } else if (kind == ControlKind::Static && !full) {
        writeStaticSection(window, className, session);
    } else if (kind == ControlKind::Other) {
        writeAccessibleSection(window, className, full, session);
    }
    if (!full) return;
    writeMenuSection(window, session);
    claim.release();

    ChildWalk children(window);
    for (;;) {
        if (stopRequested) return;
        const Hwnd child = children.next();
        if (isNull(child)) return;
        captureWindow(child, true, session);
    }
}

bool printTextTree(CaptureLock& hold, const TextNode* first, const char* prefix, bool withValue) {
    std::vector<SectionItem> items;
    itemsOfNodes(first, &items);
    std::string text;
    const bool written = formatItemTree(items, prefix, withValue, &text);
    hold.report().append(text.data(), text.size());
    return written;
}

} // namespace vantor
