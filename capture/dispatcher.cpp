// The capture dispatcher: classification, section headers and buttons, the readers by kind of control, the
// menu bar section and the walk over child windows; and printTextTree.
// Threads: the thread of the session's capture. Every use of the report and of the capture text tree is a
// locked region of its own, and no lock is held across a reader's messages or a user-interface call
// (capture/capture_lock.h). Added menus given to the session land only between two sections.
#include "capture/dispatcher.h"

#include <cstring>
#include <string>
#include <vector>

#include "capture/accessible_reader.h"
#include "capture/bar_readers.h"
#include "capture/capture_lock.h"
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

// The session's report length now (the end of what a section has just written).
std::size_t reportLength(CaptureSession& session) {
    CaptureLock hold(session);
    return hold.report().length();
}

// The header (and in a full capture its button), then the control read into its model, kept as the capture
// text tree where its kind says so, and its formatted text appended as one unit.
void writeSection(CaptureSession& session, Hwnd window, const ControlKindEntry& kind, const char* className,
                  bool full) {
    int line = 0;
    std::size_t start = 0;
    {
        CaptureLock hold(session);
        hold.report().appendFormat(kind.caption, className);
        line = hold.report().lineCount - 1;
        start = hold.report().length();
    }
    if (full) session.ui().addSectionButton(kind.label, line);
    SectionModel model;
    model.kind = kind.kind;
    model.control = window;
    model.className = className;
    if (kind.stream != nullptr) {
        kind.stream(session, window, session.keepModels ? &model : nullptr);
    } else {
        kind.read(window, session.readPath(), &model);
        if (kind.keepsTree) installCaptureTree(session, window, model.items);
        std::string text;
        kind.format(model, session.listSeparator(), &text);
        appendToReport(session, text);
    }
    if (session.keepModels)
        session.keep(CapturedKind::Control, std::move(model), start, reportLength(session));
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
void writeEditSection(CaptureSession& session, Hwnd window, const char* className) {
    std::string text;
    readEditText(window, &text);
    if (session.keepModels) session.keep(CapturedKind::Control, oneTextSection(window, className, text));
    text += "\r\n";
    CaptureLock hold(session);
    ReportBuffer& report = hold.report();
    report.appendFormat(kEditHeader, className);
    report.append(text.data(), text.size());
}

void writeStaticSection(CaptureSession& session, Hwnd window, const char* className) {
    char text[256] = {};
    ws().windowText(window, text, sizeof text);
    if (session.keepModels) session.keep(CapturedKind::Control, oneTextSection(window, className, text));
    CaptureLock hold(session);
    hold.report().appendFormat(kStaticSection, text);
}

// WS_CHILD: a child window's "menu" is its identifier, not a menu bar.
constexpr std::uint32_t kChildStyle = 0x40000000;

// The menu bar section. A top-level window whose menu bar exists but cannot be read (another process's menu
// that the hook library could not be asked for) gets the header and failureLine, and the reason goes to
// the menu problem observer; a bar read only in part ends with failureLine.
void writeMenuSection(CaptureSession& session, Hwnd window) {
    // A child window has no menu bar: what GetMenu gives for it is its control id, which may equal the handle
    // of a menu in a snapshot the hook library recorded for another window.
    if ((ws().windowStyle(window) & kChildStyle) != 0) return;
    const Hmenu menu = ws().menuOf(window);
    if (isNull(menu)) return;
    const int n = ws().menuItemCount(menu);
    if (n == 0) return;
    SectionModel model;
    MenuOwner owner;
    const bool found = n > 0 && readMenuSection(window, menu, true, &model, &owner);
    std::unique_ptr<TextNode> root = found ? menuTreeOf(model, owner) : nullptr;
    std::string text;
    formatMenuBar(model, &text);
    int line = 0;
    std::size_t start = 0;
    std::size_t end = 0;
    {
        CaptureLock hold(session);
        hold.report().append(kMenuHeader, std::strlen(kMenuHeader));
        line = hold.report().lineCount - 1;
        if (root != nullptr)
            hold.replaceTree(std::move(root));
        else
            hold.discardTreeItems();
        start = hold.report().length();
        hold.report().append(text.data(), text.size());
        end = hold.report().length();
    }
    if (n < 0) reportMenuProblem(window);
    session.ui().addSectionButton("Menu", line);
    if (!session.keepModels) return;
    char className[256] = {};
    ws().className(window, className, sizeof className);
    model.control = window;
    model.className = className;
    session.keep(CapturedKind::MenuBar, std::move(model), start, end);
}

// A window no other reader knows that exposes an accessible object of its own: its tree, read before the
// header is written, so that a window without one adds nothing.
constexpr char kAccessibleHeader[] = "\n■ アクセシビリティ情報 [%s]\r\n";

void writeAccessibleSection(CaptureSession& session, Hwnd window, const char* className, bool full) {
    AccessibleModel model;
    if (!readAccessible(window, session.readPath(), &model)) return;
    const std::string text = formatAccessible(model);
    int line = 0;
    std::size_t start = 0;
    std::size_t end = 0;
    {
        CaptureLock hold(session);
        hold.report().appendFormat(kAccessibleHeader, className);
        line = hold.report().lineCount - 1;
        start = hold.report().length();
        hold.report().append(text.data(), text.size());
        end = hold.report().length();
    }
    if (full) session.ui().addSectionButton("Accessible", line);
    // Where its lines are in the report, so that the UTF-8 report can write them again with the texts whole.
    if (session.keepModels)
        session.keep(CapturedKind::Accessible, accessibleSection(model, window, className), start, end);
}

} // namespace

void captureWindow(CaptureSession& session, Hwnd window, bool full) {
    if (session.stopRequested()) return;
    // Marked running while it writes, so that an added menu given meanwhile waits for a section's end.
    SessionRun run(session);
    {
        CaptureLock hold(session);
        hold.discardTreeItems();
    }
    char className[256] = {};
    ws().className(window, className, sizeof className);
    const ControlKind kind = classifyClassName(className);
    if (const ControlKindEntry* entry = controlKindEntry(kind)) {
        writeSection(session, window, *entry, className, full);
    } else if (kind == ControlKind::Edit && !full) {
        writeEditSection(session, window, className);
    } else if (kind == ControlKind::Static && !full) {
        writeStaticSection(session, window, className);
    } else if (kind == ControlKind::Other) {
        writeAccessibleSection(session, window, className, full);
    }
    session.landAdditions();
    if (!full) return;
    writeMenuSection(session, window);
    session.landAdditions();

    ChildWalk children(window);
    for (;;) {
        if (session.stopRequested()) return;
        const Hwnd child = children.next();
        if (isNull(child)) return;
        captureWindow(session, child, true);
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
