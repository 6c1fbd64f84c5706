// RFC 4180 records and the tables of list views, list boxes and combo boxes.
#include "capture/section_csv.h"

#include <cinttypes>
#include <cstdio>

#include "platform/wide_text.h"

namespace vantor {

namespace {

bool needsQuotes(const std::string& field) {
    return field.find_first_of(",\"\r\n") != std::string::npos;
}

std::string handleText(Hwnd w) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%" PRIXPTR, static_cast<std::uintptr_t>(w));
    return text;
}

std::string utf8Of(const SectionModel& model, const std::string& text) {
    return model.textsUtf8 ? text : utf8FromAnsi(text);
}

const char* tableKind(ControlKind kind) {
    switch (kind) {
    case ControlKind::ListView: return "list_view";
    case ControlKind::ListBox: return "list_box";
    case ControlKind::ComboBox: return "combo_box";
    default: return nullptr;
    }
}

} // namespace

void appendCsvRecord(const std::vector<std::string>& fields, std::string* out) {
    // A record of one empty field is quoted: a bare empty line would read as no record at all.
    if (fields.size() == 1 && fields[0].empty()) {
        out->append("\"\"\r\n");
        return;
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out->push_back(',');
        const std::string& field = fields[i];
        if (!needsQuotes(field)) {
            out->append(field);
            continue;
        }
        out->push_back('"');
        for (char c : field) {
            if (c == '"') out->push_back('"');
            out->push_back(c);
        }
        out->push_back('"');
    }
    out->append("\r\n");
}

bool hasCsvTable(const SectionModel& model) {
    return tableKind(model.kind) != nullptr;
}

void appendCsvTable(const SectionModel& model, int tableIndex, std::string* out) {
    const char* kind = tableKind(model.kind);
    if (kind == nullptr) return;
    if (tableIndex > 0) out->append("\r\n");
    appendCsvRecord({"control", kind, handleText(model.control), utf8FromAnsi(model.className)}, out);
    std::vector<std::string> fields;
    if (model.kind == ControlKind::ListView) {
        if (model.hasHeader) {
            for (const std::string& title : model.header)
                fields.push_back(utf8Of(model, title));
            appendCsvRecord(fields, out);
        }
        for (const SectionRow& row : model.rows) {
            fields.clear();
            for (const std::string& cell : row.cells)
                fields.push_back(utf8Of(model, cell));
            appendCsvRecord(fields, out);
        }
        return;
    }
    for (const SectionItem& item : model.items)
        appendCsvRecord({utf8Of(model, item.text)}, out);
}

} // namespace vantor

namespace vantor {

std::string captureCsv(const CaptureSession& session) {
    std::string out;
    int tables = 0;
    for (const CapturedSection& s : session.sections) {
        if (s.kind != CapturedKind::Control || !hasCsvTable(s.model)) continue;
        appendCsvTable(s.model, tables++, &out);
    }
    return out;
}

} // namespace vantor
