// The in-process readers: list box and combo box items into the report, the whole text of an edit control
// to the caller. Each item goes through its own page block (allocLocal), released before the next item.
// Threads: the capture worker or the monitor pass; the report is written under the capture lock, and the
// lock is never held while a message is sent (capture/capture_lock.h).
#include "capture/in_process_readers.h"

#include <string>
#include <vector>

#include "capture/bulk_session.h"
#include "capture/capture_lock.h"
#include "capture/section_format.h"
#include "platform/wire.h"

namespace vantor {

namespace {

struct ListMessages {
    std::uint32_t count;
    std::uint32_t length;
    std::uint32_t text;
    std::uint32_t ownerDrawn; // the owner-drawn styles
    std::uint32_t hasStrings;
};

constexpr ListMessages kListBoxMessages{wire::LB_GETCOUNT, wire::LB_GETTEXTLEN, wire::LB_GETTEXT,
                                        wire::LBS_OWNERDRAWFIXED | wire::LBS_OWNERDRAWVARIABLE,
                                        wire::LBS_HASSTRINGS};
constexpr ListMessages kComboBoxMessages{wire::CB_GETCOUNT, wire::CB_GETLBTEXTLEN, wire::CB_GETLBTEXT,
                                         wire::CBS_OWNERDRAWFIXED | wire::CBS_OWNERDRAWVARIABLE,
                                         wire::CBS_HASSTRINGS};

// An owner-drawn list without the has-strings style holds item data, not texts: its text message copies
// that data (often pointers), which is no text for the report.
bool holdsTexts(Hwnd w, const ListMessages& m) {
    const std::uint32_t style = ws().windowStyle(w);
    return (style & m.ownerDrawn) == 0 || (style & m.hasStrings) != 0;
}

std::intptr_t query(Hwnd w, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    std::intptr_t result = 0;
    ws().sendMessage(w, msg, wParam, lParam, &result);
    return result;
}

// Reads item i into *out; false when it is skipped (no length, no buffer).
bool readItem(Hwnd w, const ListMessages& m, std::intptr_t i, std::string* out) {
    const std::intptr_t length = query(w, m.length, static_cast<std::uintptr_t>(i), 0);
    if (length < 0) return false;
    const std::size_t size = static_cast<std::size_t>(length) + 1;
    char* buffer = static_cast<char*>(procs().allocLocal(size));
    if (buffer == nullptr) return false;
    query(w, m.text, static_cast<std::uintptr_t>(i), reinterpret_cast<std::intptr_t>(buffer));
    buffer[size - 1] = '\0'; // a control that wrote its full length leaves the terminator in place
    out->assign(buffer);
    procs().freeLocal(buffer);
    return true;
}

// The items read inside the target (capture/bulk_session.h), each asked for its length first and read whole:
// false when no first chunk came that holds up (its item count checked against the control's own), and the
// messages from here take over. Items whose length query answered an error are left out, as here. A later
// chunk that does not come or is rejected leaves *from at the first item not yet read, for the messages from
// here to go on with; *from is -1 when every item was read.
bool readItemsBulk(Hwnd w, const ListMessages& m, bool comboBox, ReadPathChoice choice,
                   std::vector<std::string>* items, std::intptr_t* from) {
    *from = -1;
    BulkSession session(w, choice);
    if (!session.open()) return false;
    const std::intptr_t own = query(w, m.count, 0, 0);
    wire::BulkRequest q{};
    q.kind = comboBox ? wire::kBulkComboBox : wire::kBulkListBox;
    BulkChunk c;
    if (!session.listChunk(q, true, &c) || c.status == wire::kBulkGone || c.rows != (own < 0 ? 0 : own))
        return false;
    q.rows = c.rows;
    std::intptr_t next = 0;
    for (;;) {
        for (const BulkRow& row : c.rowList)
            if (!row.cells[0].skipped && !row.cells[0].unchanged) items->push_back(row.cells[0].text);
        if (!c.rowList.empty()) next = static_cast<std::intptr_t>(c.next);
        if (c.status == wire::kBulkDone) return true;
        if (c.status != wire::kBulkMore) break; // gone: the rest is asked for from here
        q.from = c.next;
        if (!session.listChunk(q, false, &c)) break;
    }
    *from = next;
    return true;
}

// Reads every item into the model; a list that holds no texts is Failed without a query, one whose bulk
// read stopped holding up and that is gone meanwhile is CutShort.
void readList(Hwnd w, const ListMessages& m, ReadPathChoice choice, SectionModel* model) {
    const bool comboBox = m.count == wire::CB_GETCOUNT;
    model->kind = comboBox ? ControlKind::ComboBox : ControlKind::ListBox;
    model->control = w;
    if (!holdsTexts(w, m)) {
        // Nothing readable: no item is asked for.
        model->status = SectionStatus::Failed;
        return;
    }
    std::vector<std::string> items;
    std::intptr_t from = 0;
    const bool bulk = readItemsBulk(w, m, comboBox, choice, &items, &from);
    if (!bulk) from = 0;
    reportReadPath(w, comboBox ? "combo box" : "list box",
                   !bulk       ? ReadPath::CrossProcess
                   : from >= 0 ? ReadPath::BulkThenCrossProcess
                               : ReadPath::Bulk);
    model->path = !bulk       ? SectionPath::Messages
                  : from >= 0 ? SectionPath::BulkThenCrossProcess
                              : SectionPath::Bulk;
    // The rest of a bulk read that stopped holding up cannot be read from here when the list is gone: the
    // items read stand, followed by the failure line.
    const bool lost = bulk && from >= 0 && !ws().isWindow(w);
    if (from >= 0) {
        const std::intptr_t count = query(w, m.count, 0, 0);
        std::string item;
        for (std::intptr_t i = from; i < count; ++i)
            if (readItem(w, m, i, &item)) items.push_back(item);
    }
    for (std::string& text : items) {
        SectionItem item;
        item.text = std::move(text);
        model->items.push_back(std::move(item));
    }
    model->status = lost                   ? SectionStatus::CutShort
                    : model->items.empty() ? SectionStatus::Empty
                                           : SectionStatus::Read;
}

// Appends the formatted section of a list, all items read before the report is touched, so the lines of
// one list stay together.
void appendList(CaptureSession& session, Hwnd w, const ListMessages& m) {
    SectionModel model;
    readList(w, m, session.readPath(), &model);
    std::string text;
    formatListItems(model, &text);
    appendToReport(session, text);
}

} // namespace

void readListBoxSection(Hwnd listBox, ReadPathChoice choice, SectionModel* model) {
    readList(listBox, kListBoxMessages, choice, model);
}

void readComboBoxSection(Hwnd comboBox, ReadPathChoice choice, SectionModel* model) {
    readList(comboBox, kComboBoxMessages, choice, model);
}

void readListBox(CaptureSession& session, Hwnd listBox) {
    appendList(session, listBox, kListBoxMessages);
}

void readComboBox(CaptureSession& session, Hwnd comboBox) {
    appendList(session, comboBox, kComboBoxMessages);
}

bool readEditText(Hwnd edit, std::string* text) {
    text->clear();
    std::intptr_t n = query(edit, wire::WM_GETTEXTLENGTH, 0, 0);
    if (n < 0) n = 0;
    const std::size_t size = static_cast<std::size_t>(n) + 1;
    char* buffer = static_cast<char*>(procs().allocLocal(size));
    if (buffer == nullptr) return false;
    query(edit, wire::WM_GETTEXT, size, reinterpret_cast<std::intptr_t>(buffer));
    buffer[size - 1] = '\0';
    text->assign(buffer);
    procs().freeLocal(buffer);
    return true;
}

} // namespace vantor
