// Wide reads of single texts: the marshalled text messages through wideWindows(), the common controls'
// W records through a block in the target's memory (the record at its start, the text buffer behind it).
#include "platform/wide_reads.h"

#include <cstring>
#include <vector>

#include "platform/unicode_text.h"
#include "platform/wide_text.h"
#include "platform/wire_wide.h"

namespace vantor {

namespace {

constexpr std::size_t kTextUnits = wire::kRemoteTextSize;
constexpr std::size_t kTextOffset = 64; // past the largest record (HdItem64)
constexpr std::size_t kBlockSize = kTextOffset + kTextUnits * sizeof(char16_t);
static_assert(sizeof(wire::HdItem64) <= kTextOffset && sizeof(wire::LvItem64) <= kTextOffset &&
                  sizeof(wire::TvItem64) <= kTextOffset && sizeof(wire::TcItem64) <= kTextOffset,
              "records fit before the text buffer");

// Length, then text; both wide. False (and *out empty) when unanswered or the answer is an error.
bool lengthThenText(Hwnd w, std::uint32_t lengthMsg, std::uint32_t textMsg, std::uintptr_t index,
                    bool textTakesCapacity, std::u16string* out) {
    out->clear();
    WideWindowSystem* wide = wideWindows();
    if (wide == nullptr) return false;
    std::intptr_t units = 0;
    if (!wide->sendMessageW(w, lengthMsg, index, 0, &units) || units < 0) return false;
    std::vector<char16_t> buffer(static_cast<std::size_t>(units) + 1, u'\0');
    std::intptr_t got = 0;
    const std::uintptr_t wParam = textTakesCapacity ? buffer.size() : index;
    if (!wide->sendMessageW(w, textMsg, wParam, reinterpret_cast<std::intptr_t>(buffer.data()), &got) ||
        got < 0)
        return false;
    if (static_cast<std::size_t>(got) > static_cast<std::size_t>(units)) got = units; // grew in between
    out->assign(buffer.data(), static_cast<std::size_t>(got));
    return true;
}

} // namespace

bool readWindowTextW(Hwnd w, std::u16string* out) {
    return lengthThenText(w, wire::WM_GETTEXTLENGTH, wire::WM_GETTEXT, 0, true, out);
}

bool readListItemW(Hwnd w, bool comboBox, int index, std::u16string* out) {
    out->clear();
    // An owner-drawn list without strings keeps item data, which its text message copies: no text.
    const std::uint32_t style = ws().windowStyle(w);
    const bool itemData = comboBox
                              ? (style & (wire::CBS_OWNERDRAWFIXED | wire::CBS_OWNERDRAWVARIABLE)) != 0 &&
                                    (style & wire::CBS_HASSTRINGS) == 0
                              : (style & (wire::LBS_OWNERDRAWFIXED | wire::LBS_OWNERDRAWVARIABLE)) != 0 &&
                                    (style & wire::LBS_HASSTRINGS) == 0;
    if (index < 0 || itemData) return false;
    return comboBox ? lengthThenText(w, wire::CB_GETLBTEXTLEN, wire::CB_GETLBTEXT,
                                     static_cast<std::uintptr_t>(index), false, out)
                    : lengthThenText(w, wire::LB_GETTEXTLEN, wire::LB_GETTEXT,
                                     static_cast<std::uintptr_t>(index), false, out);
}

bool readMenuItemW(Hmenu m, int position, std::u16string* out) {
    out->clear();
    WideWindowSystem* wide = wideWindows();
    return wide != nullptr && wide->menuItemTextW(m, position, out);
}

WideRemoteReader::WideRemoteReader(Hwnd control) : control_(control) {
    std::uint32_t pid = 0;
    if (ws().windowThreadProcessId(control, &pid) == 0 || !procs().openProcess(pid, &process_)) return;
    const int bits = procs().pointerBits(process_);
    is64_ = bits == 64;
    if ((bits == 32 || bits == 64) && procs().allocRemote(process_, kBlockSize, &block_)) answering_ = true;
}

WideRemoteReader::~WideRemoteReader() {
    if (block_ != 0) {
        // A query that went unanswered may still be answered into the block: it stays the target's.
        if (answering_) {
            procs().freeRemote(process_, block_);
        } else {
            procs().abandonRemote(process_, block_);
        }
    }
    if (!isNull(process_)) procs().closeProcess(process_);
}

bool WideRemoteReader::send(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                            std::intptr_t* result) {
    *result = 0;
    if (!answering_) return false;
    if (!ws().sendMessage(control_, msg, wParam, lParam, result)) answering_ = false;
    return answering_;
}

// Up to `units` units at `at` in the target, up to the first NUL. A text at another address than the
// block (a control answering with its own copy) is read unit by unit, so as never to read past it.
bool WideRemoteReader::readUnits(RemoteAddr at, std::size_t units, std::u16string* out) {
    out->clear();
    if (at >= block_ && at + units * sizeof(char16_t) <= block_ + kBlockSize) {
        std::vector<char16_t> text(units, u'\0');
        if (!procs().readRemote(process_, at, text.data(), units * sizeof(char16_t))) return false;
        std::size_t n = 0;
        while (n < units && text[n] != u'\0')
            ++n;
        out->assign(text.data(), n);
        return true;
    }
    for (std::size_t i = 0; i < units; ++i) {
        char16_t c = 0;
        if (!procs().readRemote(process_, at + i * sizeof(char16_t), &c, sizeof c)) return false;
        if (c == u'\0') break;
        out->push_back(c);
    }
    return true;
}

// Writes the record and an empty text buffer, sends the query with the block's address and reads the text
// the record points at afterwards. A FALSE answer is an item that does not exist.
template <class Rec>
bool WideRemoteReader::recordQuery(std::uint32_t msg, std::uintptr_t wParam, Rec record,
                                   std::u16string* out) {
    out->clear();
    if (!answering_) return false;
    record.pszText = static_cast<decltype(record.pszText)>(block_ + kTextOffset);
    record.cchTextMax = static_cast<std::int32_t>(kTextUnits);
    std::vector<std::uint8_t> local(kBlockSize, 0);
    std::memcpy(local.data(), &record, sizeof record);
    if (!procs().writeRemote(process_, block_, local.data(), local.size())) return answering_ = false;
    std::intptr_t result = 0;
    if (!send(msg, wParam, static_cast<std::intptr_t>(block_), &result) || result == 0) return false;
    if (!procs().readRemote(process_, block_, &record, sizeof record)) return answering_ = false;
    if (!readUnits(static_cast<RemoteAddr>(record.pszText), kTextUnits, out)) return false;
    out->resize(utf16CutLength(*out, kTextUnits - 1));
    return true;
}

bool WideRemoteReader::listViewCell(int row, int column, std::u16string* out) {
    if (is64_) {
        wire::LvItem64 r{};
        r.mask = wire::LVIF_TEXT, r.iItem = row, r.iSubItem = column;
        return recordQuery(wire::LVM_GETITEMW, 0, r, out);
    }
    wire::LvItem32 r{};
    r.mask = wire::LVIF_TEXT, r.iItem = row, r.iSubItem = column;
    return recordQuery(wire::LVM_GETITEMW, 0, r, out);
}

bool WideRemoteReader::headerTitle(int index, std::u16string* out) {
    const auto wParam = static_cast<std::uintptr_t>(index);
    if (is64_) {
        wire::HdItem64 r{};
        r.mask = wire::HDI_TEXT;
        return recordQuery(wire::HDM_GETITEMW, wParam, r, out);
    }
    wire::HdItem32 r{};
    r.mask = wire::HDI_TEXT;
    return recordQuery(wire::HDM_GETITEMW, wParam, r, out);
}

bool WideRemoteReader::tabLabel(int index, std::u16string* out) {
    const auto wParam = static_cast<std::uintptr_t>(index);
    if (is64_) {
        wire::TcItem64 r{};
        r.mask = wire::TCIF_TEXT;
        return recordQuery(wire::TCM_GETITEMW, wParam, r, out);
    }
    wire::TcItem32 r{};
    r.mask = wire::TCIF_TEXT;
    return recordQuery(wire::TCM_GETITEMW, wParam, r, out);
}

bool WideRemoteReader::treeItem(RemoteAddr item, std::u16string* out) {
    if (is64_) {
        wire::TvItem64 r{};
        r.mask = wire::TVIF_TEXT, r.hItem = item;
        return recordQuery(wire::TVM_GETITEMW, 0, r, out);
    }
    wire::TvItem32 r{};
    r.mask = wire::TVIF_TEXT, r.hItem = static_cast<std::uint32_t>(item);
    return recordQuery(wire::TVM_GETITEMW, 0, r, out);
}

// A query without a capacity: the length first, then the text into a block of its own of that size.
bool WideRemoteReader::unboundedQuery(std::uint32_t lengthMsg, std::uint32_t textMsg, std::uintptr_t wParam,
                                      bool lowWord, std::u16string* out) {
    out->clear();
    std::intptr_t length = 0;
    if (!send(lengthMsg, wParam, 0, &length) || length < 0) return false;
    if (lowWord) length &= 0xFFFF;
    const std::size_t units = static_cast<std::size_t>(length) + 1;
    RemoteAddr text = 0;
    if (!procs().allocRemote(process_, units * sizeof(char16_t), &text)) return false;
    std::intptr_t result = 0;
    const bool answered = send(textMsg, wParam, static_cast<std::intptr_t>(text), &result);
    bool read = false;
    if (answered) {
        std::vector<char16_t> buffer(units, u'\0');
        read = procs().readRemote(process_, text, buffer.data(), units * sizeof(char16_t));
        std::size_t n = 0;
        while (read && n + 1 < units && buffer[n] != u'\0')
            ++n;
        if (read) out->assign(buffer.data(), n);
        procs().freeRemote(process_, text);
    } else {
        procs().abandonRemote(process_, text);
    }
    return read;
}

bool WideRemoteReader::statusPart(int part, std::u16string* out) {
    // The answer's low word is the length; the high word is the part's drawing type.
    return unboundedQuery(wire::SB_GETTEXTLENGTHW, wire::SB_GETTEXTW, static_cast<std::uintptr_t>(part), true,
                          out);
}

bool WideRemoteReader::toolbarButtonText(int commandId, std::u16string* out) {
    // TB_GETBUTTONTEXTW with no buffer answers the length (-1 for an unknown command).
    return unboundedQuery(wire::TB_GETBUTTONTEXTW, wire::TB_GETBUTTONTEXTW,
                          static_cast<std::uintptr_t>(commandId), false, out);
}

} // namespace vantor
