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

// Invalid UTF-8 cannot arise from the conversions above; replace rather than fail should it ever.
std::string dumpOf(const json& value) {
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

// A UTF-8 text as a JSON string, escaped as nlohmann-json escapes it (quote, backslash, control
// characters; every other byte as it is). The rows of a long list view are written with it straight into
// the document: a tree of one node per cell costs more than the capture itself.
void appendJsonString(const std::string& text, std::string* out) {
    out->push_back('"');
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        switch (c) {
        case '"': *out += "\\\""; break;
        case '\\': *out += "\\\\"; break;
        case '\b': *out += "\\b"; break;
        case '\f': *out += "\\f"; break;
        case '\n': *out += "\\n"; break;
        case '\r': *out += "\\r"; break;
        case '\t': *out += "\\t"; break;
        default:
            if (u < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", u);
                *out += escape;
            } else {
                out->push_back(c);
            }
        }
    }
    out->push_back('"');
}

// The members every section has, and the content of every kind but a list view's rows.
json sectionHead(const SectionModel& model, const char* kind) {
    json section{{"kind", kind},
                 {"handle", handleText(model.control)},
                 {"class", utf8FromAnsi(model.className)},
                 {"path", pathName(model.path)},
                 {"status", statusName(model.status)}};
    if (model.kind == ControlKind::ListView && !isMenu(kind)) {
        if (model.hasHeader) section["header"] = texts(model, model.header);
        section["columns"] = model.columns;
        return section;
    }
    json items = json::array();
    for (const SectionItem& item : model.items)
        items.push_back(itemJson(model, item, kind));
    section["items"] = items;
    return section;
}

// A section into the document; a list view's rows written straight in, between "path" and "status".
void appendSection(const SectionModel& model, const char* kind, std::string* out) {
    json head = sectionHead(model, kind);
    if (model.kind != ControlKind::ListView || isMenu(kind)) {
        *out += dumpOf(head);
        return;
    }
    head.erase("status");
    std::string text = dumpOf(head);
    text.pop_back(); // its closing brace
    *out += text;
    *out += ",\"rows\":[";
    for (std::size_t r = 0; r < model.rows.size(); ++r) {
        if (r > 0) out->push_back(',');
        out->push_back('[');
        const std::vector<std::string>& cells = model.rows[r].cells;
        for (std::size_t k = 0; k < cells.size(); ++k) {
            if (k > 0) out->push_back(',');
            appendJsonString(utf8Of(model, cells[k]), out);
        }
        out->push_back(']');
    }
    *out += "],\"status\":";
    *out += dumpOf(json(statusName(model.status)));
    out->push_back('}');
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
                {"title", window.titleUtf8 ? window.title : utf8FromAnsi(window.title)},
                {"control_id", window.controlId},
                {"children", children}};
}

json sectionJson(const SectionModel& model, const char* kind) {
    json section = sectionHead(model, kind);
    if (model.kind == ControlKind::ListView && !isMenu(kind)) {
        json rows = json::array();
        for (const SectionRow& row : model.rows)
            rows.push_back(texts(model, row.cells));
        section["rows"] = rows;
    }
    return section;
}

std::string captureJson(const JsonWindow& window, const std::vector<JsonSection>& sections) {
    // The members in the order nlohmann-json writes an object's (alphabetical), so that the document reads
    // the same as one dumped whole.
    std::string out = "{\"format\":";
    out += dumpOf(json(kCaptureJsonFormat));
    out += ",\"sections\":";
    out += sectionsJson(sections);
    out += ",\"version\":";
    out += std::to_string(kCaptureJsonVersion);
    out += ",\"window\":";
    out += dumpOf(windowJson(window));
    out += "}\n";
    return out;
}

std::string sectionsJson(const std::vector<JsonSection>& sections) {
    std::string out = "[";
    for (std::size_t i = 0; i < sections.size(); ++i) {
        if (i > 0) out += ',';
        appendSection(*sections[i].model, sections[i].kind, &out);
    }
    out += ']';
    return out;
}

const char* capturedKindName(const CapturedSection& section) {
    switch (section.kind) {
    case CapturedKind::MenuBar: return "menu_bar";
    case CapturedKind::AddedMenu: return "added_menu";
    case CapturedKind::Accessible: return "accessible";
    case CapturedKind::Control: break;
    }
    return kindName(section.model.kind);
}

std::string captureJson(const CaptureSession& session) {
    std::vector<JsonSection> sections;
    for (const CapturedSection& s : session.sections)
        sections.push_back({&s.model, capturedKindName(s)});
    return captureJson(session.outline, sections);
}

} // namespace vantor
