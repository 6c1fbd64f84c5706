// The UTF-8 report: the structure report and the control sections of a Unicode window rebuilt with wide
// texts, the accessible sections of any window from their kept wide texts, the rest of the report converted.
#include "capture/utf8_report.h"

#include <vector>

#include "capture/control_kinds.h"
#include "capture/section_format.h"
#include "capture/structure_report.h"
#include "capture/wide_sections.h"
#include "platform/unicode_text.h"
#include "platform/wide_reads.h"
#include "platform/wide_text.h"

namespace vantor {

namespace {

void formatStructure(const std::vector<WindowOutlineEntry>& entries, const std::string& header,
                     std::string* out) {
    for (const WindowOutlineEntry& entry : entries) {
        if (entry.depth == 0) *out += header;
        formatStructureLine(entry, nullptr, out);
    }
}

// The structure report at the start of the report, rebuilt with wide titles and edit texts: its UTF-8 text
// and its length in the report, or false when the window's outline no longer gives the report's bytes.
bool structureWide(Hwnd window, const std::string& report, std::string* out, std::size_t* length) {
    std::vector<WindowOutlineEntry> entries;
    readWindowOutline(window, true, true, &entries);
    std::string ansi;
    formatStructure(entries, kStructureHeader, &ansi);
    if (report.compare(0, ansi.size(), ansi) != 0) return false;
    std::u16string wide;
    for (WindowOutlineEntry& entry : entries) {
        // Only a title the ANSI read found, as in the structured output's outline.
        entry.title = !entry.title.empty() && readWindowTextW(entry.window, &wide)
                          ? utf8FromUtf16(wide)
                          : utf8FromAnsi(entry.title);
        entry.className = utf8FromAnsi(entry.className);
        if (entry.editLike)
            entry.text = !entry.text.empty() && readWindowTextW(entry.window, &wide)
                             ? utf8FromUtf16(wide)
                             : utf8FromAnsi(entry.text);
    }
    formatStructure(entries, utf8FromAnsi(kStructureHeader), out);
    *length = ansi.size();
    return true;
}

// A section's text by its kind's formatter; false for a kind this report does not rebuild.
bool formatSection(CapturedKind kind, const SectionModel& model, const std::string& separator,
                   std::string* out) {
    if (kind == CapturedKind::MenuBar) {
        formatMenuBar(model, out);
        return true;
    }
    if (kind != CapturedKind::Control) return false;
    if (model.kind == ControlKind::ListView) {
        formatListView(model, separator, out);
        return true;
    }
    const ControlKindEntry* entry = controlKindEntry(model.kind);
    if (entry == nullptr || entry->format == nullptr) return false;
    entry->format(model, separator, out);
    return true;
}

// A list view read wide on the bulk path (its texts UTF-8) as the report wrote it: each text as the system
// converts it to code page 932.
SectionModel ansiModel(const SectionModel& model) {
    SectionModel ansi = model;
    auto convert = [](std::string* text) {
        if (!text->empty()) *text = wideWindows()->toAnsi(utf16FromUtf8(*text));
    };
    for (std::string& title : ansi.header)
        convert(&title);
    ansi.headerJudgedBytes.clear();
    for (SectionRow& row : ansi.rows)
        for (std::string& cell : row.cells)
            convert(&cell);
    for (SectionItem& item : ansi.items) {
        convert(&item.text);
        item.judgedBytes = -1;
    }
    return ansi;
}

// An accessible section's kept model (texts UTF-8) as the reader gave it.
AccessibleModel accessibleModelOf(const SectionModel& model) {
    AccessibleModel out;
    for (const SectionItem& item : model.items) {
        AccessibleItem a;
        a.depth = static_cast<std::uint32_t>(item.depth);
        a.name = utf16FromUtf8(item.text);
        a.value = utf16FromUtf8(item.value);
        out.tree.items.push_back(std::move(a));
    }
    out.tree.cut = model.status == SectionStatus::CutShort ? 1u : 0u;
    return out;
}

} // namespace

std::string utf8ReportOf(Hwnd window, CaptureSession* session, const std::string& report,
                         const std::string& separator) {
    const bool unicode = isUnicodeCapture(window);
    std::string text;
    std::size_t done = 0;
    // A structure report that cannot be rebuilt is converted with the rest.
    if (unicode) structureWide(window, report, &text, &done);
    const std::string wideSeparator = utf8FromAnsi(separator);
    for (CapturedSection& section : session->sections) {
        SectionModel& model = section.model;
        if (section.reportStart < done || section.reportEnd < section.reportStart ||
            section.reportEnd > report.size())
            continue;
        // Accessible texts are wide whatever the window: written again wherever the report holds them as
        // the kept model gives them.
        if (section.kind == CapturedKind::Accessible) {
            const AccessibleModel accessible = accessibleModelOf(model);
            if (report.compare(section.reportStart, section.reportEnd - section.reportStart,
                               formatAccessible(accessible)) != 0)
                continue;
            text += utf8FromAnsi(report.substr(done, section.reportStart - done));
            text += formatAccessible(accessible, true);
            done = section.reportEnd;
            continue;
        }
        if (!unicode) continue;
        std::string ansi;
        if (!formatSection(section.kind, model.textsUtf8 ? ansiModel(model) : model, separator, &ansi) ||
            report.compare(section.reportStart, section.reportEnd - section.reportStart, ansi) != 0)
            continue;
        if (section.kind == CapturedKind::MenuBar)
            readMenuTextsWide(&model);
        else
            readSectionTextsWide(&model);
        text += utf8FromAnsi(report.substr(done, section.reportStart - done));
        formatSection(section.kind, model, wideSeparator, &text);
        done = section.reportEnd;
    }
    text += utf8FromAnsi(report.substr(done));
    return text;
}

} // namespace vantor
