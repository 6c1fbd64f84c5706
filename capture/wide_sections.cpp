// The second, wide read of a capture session's Unicode windows (platform/wide_reads.h).
#include "capture/wide_sections.h"

#include "inventory/window_tree.h"
#include "platform/unicode_text.h"
#include "platform/wide_reads.h"
#include "platform/wide_text.h"
#include "platform/wire.h"

namespace vantor {

namespace {

// The model's texts from code page 932 to UTF-8, so that wide texts can replace them one by one; each
// keeps its code page 932 size for the report's one-byte rule.
void convertToUtf8(SectionModel* model) {
    if (model->textsUtf8) return;
    model->headerJudgedBytes.clear();
    for (std::string& title : model->header) {
        model->headerJudgedBytes.push_back(static_cast<int>(title.size()));
        title = utf8FromAnsi(title);
    }
    for (SectionRow& row : model->rows)
        for (std::string& cell : row.cells)
            cell = utf8FromAnsi(cell);
    for (SectionItem& item : model->items) {
        item.judgedBytes = static_cast<int>(item.text.size());
        item.text = utf8FromAnsi(item.text);
    }
    model->textsUtf8 = true;
}

void replace(bool read, const std::u16string& wide, std::string* text) {
    if (read) *text = utf8FromUtf16(wide);
}

void readCells(SectionModel* model, std::size_t fromRow) {
    std::u16string wide;
    WideRemoteReader cells(model->control);
    for (std::size_t r = fromRow; r < model->rows.size() && cells.usable(); ++r)
        for (std::size_t k = 0; k < model->rows[r].cells.size() && cells.usable(); ++k)
            replace(cells.listViewCell(static_cast<int>(r), static_cast<int>(k), &wide), wide,
                    &model->rows[r].cells[k]);
}

void readListView(SectionModel* model) {
    std::u16string wide;
    readCells(model, 0);
    std::intptr_t header = 0;
    if (!model->hasHeader || !ws().sendMessage(model->control, wire::LVM_GETHEADER, 0, 0, &header)) return;
    WideRemoteReader titles(static_cast<Hwnd>(static_cast<std::uintptr_t>(header)));
    for (std::size_t i = 0; i < model->header.size() && titles.usable(); ++i)
        replace(titles.headerTitle(static_cast<int>(i), &wide), wide, &model->header[i]);
}

void readItems(SectionModel* model) {
    std::u16string wide;
    const ControlKind kind = model->kind;
    if (kind == ControlKind::ListBox || kind == ControlKind::ComboBox) {
        for (std::size_t i = 0; i < model->items.size(); ++i)
            replace(readListItemW(model->control, kind == ControlKind::ComboBox, static_cast<int>(i), &wide),
                    wide, &model->items[i].text);
        return;
    }
    WideRemoteReader reader(model->control);
    for (SectionItem& item : model->items) {
        if (!reader.usable()) return;
        bool read = false;
        switch (kind) {
        case ControlKind::TabControl: read = reader.tabLabel(item.id, &wide); break;
        case ControlKind::StatusBar: read = reader.statusPart(item.id, &wide); break;
        case ControlKind::Toolbar: read = item.id != 0 && reader.toolbarButtonText(item.id, &wide); break;
        case ControlKind::TreeView:
            read = reader.treeItem(static_cast<RemoteAddr>(item.handle), &wide);
            break;
        default: return;
        }
        replace(read, wide, &item.text);
    }
}

// Only a title the ANSI read found: a control's WM_GETTEXT may answer what is not its title (a status bar
// its first part).
void readTitles(OutlineWindow* window) {
    std::u16string wide;
    if (!window->title.empty() && readWindowTextW(window->handle, &wide)) {
        window->title = utf8FromUtf16(wide);
        window->titleUtf8 = true;
    }
    for (OutlineWindow& child : window->children)
        readTitles(&child);
}

} // namespace

bool isUnicodeCapture(Hwnd window) {
    // The common controls are Unicode windows in every program, so the control itself tells nothing; a
    // program whose own top-level window is an ANSI window gives its controls code page 932 texts, which the
    // ANSI reads already had whole (and a long list is not read twice).
    return wideWindows() != nullptr && wideWindows()->isUnicodeWindow(topLevelAncestor(window));
}

void readSectionTextsWide(SectionModel* model) {
    if (model->textsUtf8) return;
    convertToUtf8(model);
    if (model->kind == ControlKind::ListView)
        readListView(model);
    else
        readItems(model);
}

void readMenuTextsWide(SectionModel* model) {
    if (model->textsUtf8) return;
    convertToUtf8(model);
    std::u16string wide;
    for (SectionItem& item : model->items) {
        if (item.separator || isNull(item.menu) || !readMenuItemW(item.menu, item.position, &wide)) continue;
        const std::size_t tab = wide.find(u'\t');
        if (tab != std::u16string::npos) wide.resize(tab);
        item.text = utf8FromUtf16(wide);
    }
}

void readListViewRowsWide(SectionModel* model, std::size_t fromRow) {
    for (std::size_t r = fromRow; r < model->rows.size(); ++r)
        for (std::string& cell : model->rows[r].cells)
            cell = utf8FromAnsi(cell);
    readCells(model, fromRow);
}

void readUnicodeTexts(CaptureSession* session) {
    if (!isUnicodeCapture(session->outline.handle)) return;
    readTitles(&session->outline);
    for (CapturedSection& section : session->sections) {
        if (section.kind == CapturedKind::Control) readSectionTextsWide(&section.model);
        if (section.kind == CapturedKind::MenuBar) readMenuTextsWide(&section.model);
    }
}

} // namespace vantor
