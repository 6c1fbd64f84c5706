// The outline of a captured window and the accessible section's model for a capture session.
#include "capture/capture_session.h"

#include "inventory/window_tree.h"
#include "platform/unicode_text.h"

namespace vantor {

namespace {

// WS_CHILD: a child window's "menu" is its identifier.
constexpr std::uint32_t kChildStyle = 0x40000000;

void readOutlineWindow(Hwnd window, OutlineWindow* out) {
    char text[256] = {};
    ws().className(window, text, sizeof text);
    out->handle = window;
    out->className = text;
    text[0] = '\0';
    ws().windowText(window, text, sizeof text);
    out->title = text;
    if ((ws().windowStyle(window) & kChildStyle) != 0)
        out->controlId = static_cast<int>(static_cast<std::uintptr_t>(ws().menuOf(window)));
    ChildWalk children(window);
    for (Hwnd child = children.next(); !isNull(child); child = children.next()) {
        out->children.emplace_back();
        readOutlineWindow(child, &out->children.back());
    }
}

} // namespace

void readOutline(Hwnd window, OutlineWindow* out) {
    *out = OutlineWindow{};
    readOutlineWindow(window, out);
}

SectionModel accessibleSection(const AccessibleModel& accessible, Hwnd window, const std::string& className) {
    SectionModel model;
    model.control = window;
    model.className = className;
    model.textsUtf8 = true;
    // The accessible reader does not say which way it went (inside the target or across processes).
    model.path = SectionPath::None;
    for (const AccessibleItem& item : accessible.tree.items) {
        SectionItem out;
        out.text = utf8FromUtf16(item.name);
        out.value = utf8FromUtf16(item.value);
        out.depth = static_cast<int>(item.depth);
        model.items.push_back(std::move(out));
    }
    model.status = accessible.tree.cut != 0 ? SectionStatus::CutShort
                   : model.items.empty()    ? SectionStatus::Empty
                                            : SectionStatus::Read;
    return model;
}

} // namespace vantor
