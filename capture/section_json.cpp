// The capture's JSON document: window tree and sections as data (see section_json.h for the shapes).
#include "capture/section_json.h"

#include <cinttypes>
#include <cstdio>

#include "platform/wide_text.h"

namespace vantor {

namespace {

using nlohmann::json;

std::string handleText(Hwnd w) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%" PRIXPTR, static_cast<std::uintptr_t>(w));
    return text;
}

const char* statusName(SectionStatus status) {
    switch (status) {
    case SectionStatus::Read: return "read";
    case SectionStatus::Empty: return "empty";
    case SectionStatus::Failed: return "failed";
    case SectionStatus::CutShort: return "cut_short";
    case SectionStatus::Stopped: return "stopped";
    }
    return "failed";
}

const char* pathName(SectionPath path) {
    switch (path) {
    case SectionPath::None: return "none";
    case SectionPath::Messages: return "messages";
    case SectionPath::CrossProcess: return "cross_process";
    case SectionPath::Bulk: return "bulk";
    case SectionPath::BulkThenCrossProcess: return "bulk_then_cross_process";
    }
    return "none";
}

std::string utf8Of(const SectionModel& model, const std::string& text) {
    return model.textsUtf8 ? text : utf8FromAnsi(text);
}

json texts(const SectionModel& model, const std::vector<std::string>& list) {
    json out = json::array();
    for (const std::string& text : list)
        out.push_back(utf8Of(model, text));
    return out;
}

bool isMenu(const char* kind) {
    const std::string k = kind;
    return k == "menu_bar" || k == "added_menu";
}

// One item in the shape its kind gives it.
json itemJson(const SectionModel& model, const SectionItem& item, const std::string& kind) {
    const std::string text = utf8Of(model, item.text);
    if (kind == "accessible")
        return json{{"text", text}, {"value", utf8Of(model, item.value)}, {"depth", item.depth}};
    if (isMenu(kind.c_str()))
        return json{{"text", text},
                    {"id", item.id},
                    {"depth", item.depth},
                    {"separator", item.separator},
                    {"sub_menu", item.subMenu},
                    {"checked", item.checked},
                    {"greyed", item.greyed}};
    switch (model.kind) {
    case ControlKind::ListBox:
    case ControlKind::ComboBox: return text;
    case ControlKind::TreeView: return json{{"text", text}, {"depth", item.depth}};
    case ControlKind::TabControl: return json{{"text", text}, {"index", item.id}};
    case ControlKind::Toolbar: return json{{"text", text}, {"id", item.id}};
    case ControlKind::StatusBar: return json{{"text", text}, {"part", item.id}};
    default: return json{{"text", text}};
    }
}

} // namespace

const char* kindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::ListView: return "list_view";
    case ControlKind::ListBox: return "list_box";
    case ControlKind::ComboBox: return "combo_box";
    case ControlKind::TreeView: return "tree_view";
    case ControlKind::TabControl: return "tab_control";
    case ControlKind::Toolbar: return "toolbar";
    case ControlKind::StatusBar: return "status_bar";
    case ControlKind::UpDown: return "up_down";
    case ControlKind::Edit: return "edit";
    case ControlKind::Static: return "static";
    case ControlKind::RadioBox: return "radio_box";
    case ControlKind::CheckBox: return "check_box";
    case ControlKind::Button: return "button";
    case ControlKind::Other: return "other";
    }
    return "other";
}

json windowJson(const JsonWindow& window) {
    json children = json::array();
    for (const JsonWindow& child : window.children)
        children.push_back(windowJson(child));
    return json{{"handle", handleText(window.handle)},
                {"class", utf8FromAnsi(window.className)},
                {"title", utf8FromAnsi(window.title)},
                {"control_id", window.controlId},
                {"children", children}};
}

json sectionJson(const SectionModel& model, const char* kind) {
    json section{{"kind", kind},
                 {"handle", handleText(model.control)},
                 {"class", utf8FromAnsi(model.className)},
                 {"path", pathName(model.path)},
                 {"status", statusName(model.status)}};
    if (model.kind == ControlKind::ListView && !isMenu(kind)) {
        if (model.hasHeader) section["header"] = texts(model, model.header);
        section["columns"] = model.columns;
        json rows = json::array();
        for (const SectionRow& row : model.rows)
            rows.push_back(texts(model, row.cells));
        section["rows"] = rows;
        return section;
    }
    json items = json::array();
    for (const SectionItem& item : model.items)
        items.push_back(itemJson(model, item, kind));
    section["items"] = items;
    return section;
}

std::string captureJson(const JsonWindow& window, const std::vector<JsonSection>& sections) {
    json list = json::array();
    for (const JsonSection& s : sections)
        list.push_back(sectionJson(*s.model, s.kind));
    const json document{{"format", kCaptureJsonFormat},
                        {"version", kCaptureJsonVersion},
                        {"window", windowJson(window)},
                        {"sections", list}};
    // Invalid UTF-8 cannot arise from the conversions above; replace rather than fail should it ever.
    return document.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

} // namespace vantor

namespace vantor {

std::string captureJson(const CaptureSession& session) {
    std::vector<JsonSection> sections;
    for (const CapturedSection& s : session.sections) {
        const char* kind = s.kind == CapturedKind::MenuBar      ? "menu_bar"
                           : s.kind == CapturedKind::AddedMenu  ? "added_menu"
                           : s.kind == CapturedKind::Accessible ? "accessible"
                                                                : kindName(s.model.kind);
        sections.push_back({&s.model, kind});
    }
    return captureJson(session.outline, sections);
}

} // namespace vantor
