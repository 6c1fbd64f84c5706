// Bulk answers inside the target (see hook/bulk_answer.h). wire.h comes before <windows.h>: it names its
// constants like the SDK's macros, which are used below.
#include "hook/bulk_answer.h"

#include "platform/bulk_format.h"
#include "platform/wire.h"

#include <windows.h>
#include <commctrl.h>

namespace vantor {
namespace hook {

namespace {

// A chunk ends when its records fill the block or after this long, so that the program gets to check its
// stop request and to show progress while a slow control is read.
constexpr DWORD kChunkMs = 200;
// The text buffer of each query: the capacity the cross-process readers give, so the texts are the same.
constexpr int kTextCapacity = static_cast<int>(wire::kRemoteTextSize);

// The text buffer of each query, with one byte more that stays NUL: Wine's controls fill all 260 bytes
// without a terminating NUL when a double-byte text's conversion just fills them.
char textBuffer[wire::kRemoteTextSize + 1];

// The same for the wide queries, in UTF-16 units.
wchar_t wideBuffer[wire::kRemoteTextSize + 1];

int countOf(LRESULT n) {
    return n < 0 ? 0 : n > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(n);
}

// The row count a chunk reads up to: the control's own count, and for a later chunk no more than the
// request's (a list that shrank answers its own count, which the program then refuses).
int chunkRows(bool first, std::int32_t requested, LRESULT own) {
    const int count = countOf(own);
    if (first) return count;
    return requested < 0 ? 0 : requested < count ? requested : count;
}

// The first row a chunk reads: the request's, at most `rows`.
int chunkFrom(std::uint64_t from, int rows) {
    return from >= static_cast<std::uint64_t>(rows) ? rows : static_cast<int>(from);
}

// One text query's result for the writer, taken as the cross-process readers take it: from the buffer at
// most its 260 bytes, from a pointer of the control's own at most 259 bytes; "unchanged" when the control
// answered FALSE (the program takes that as an empty text).
bool putText(BulkWriter& w, LRESULT answered, const char* text) {
    if (answered == 0) return w.unchanged();
    if (text == nullptr) return w.text("", 0);
    const std::uint32_t limit = text == textBuffer ? kTextCapacity : kTextCapacity - 1;
    std::uint32_t n = 0;
    while (n < limit && text[n] != '\0')
        ++n;
    return w.text(text, n);
}

bool isHigh(wchar_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool isLow(wchar_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// A wide query's result, taken as the wide cross-process reads take it: at most 259 units, a cut never
// ending on the first half of a surrogate pair. A surrogate the control holds unpaired is sent as U+FFFD,
// so that every wide text of an answer is valid UTF-16.
bool putWideText(BulkWriter& w, LRESULT answered, const wchar_t* text) {
    if (answered == 0) return w.unchanged();
    if (text == nullptr) return w.wideText(L"", 0);
    const std::uint32_t limit = kTextCapacity - 1;
    std::uint32_t n = 0;
    while (n < limit && text[n] != L'\0')
        ++n;
    if (n > 0 && isHigh(text[n - 1])) --n;
    // UTF-16 units whatever the width of wchar_t where this is built.
    std::uint16_t units[wire::kRemoteTextSize];
    for (std::uint32_t i = 0; i < n; ++i) {
        const bool pair = isHigh(text[i]) && i + 1 < n && isLow(text[i + 1]);
        if (pair) {
            units[i] = static_cast<std::uint16_t>(text[i]);
            units[i + 1] = static_cast<std::uint16_t>(text[i + 1]);
            ++i;
            continue;
        }
        const bool lone = isHigh(text[i]) || isLow(text[i]);
        units[i] = lone ? 0xFFFD : static_cast<std::uint16_t>(text[i]);
    }
    return w.wideText(units, n);
}

// A header title, wide or not as the request asks.
bool putTitle(BulkWriter& w, HWND header, int index, bool wide) {
    if (wide) {
        HDITEMW item{};
        item.mask = HDI_TEXT | HDI_LPARAM;
        item.pszText = wideBuffer;
        item.cchTextMax = kTextCapacity;
        wideBuffer[0] = L'\0';
        const LRESULT r =
            SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        return putWideText(w, r, item.pszText);
    }
    HDITEMA item{};
    item.mask = HDI_TEXT | HDI_LPARAM;
    item.pszText = textBuffer;
    item.cchTextMax = kTextCapacity;
    textBuffer[0] = '\0'; // a title the header does not write is empty, not the one before
    const LRESULT r =
        SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return putText(w, r, item.pszText);
}

LRESULT sendGetItem(HWND listView, LVITEMA* item) {
    return SendMessageA(listView, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(item));
}
LRESULT sendGetItem(HWND listView, LVITEMW* item) {
    return SendMessageW(listView, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(item));
}

// A cell's text into buffer, ANSI or wide by the record (LVITEMA, LVITEMW); the buffer is cleared first, so
// that a text the control does not write is empty, not the one before.
template <class Item, class Char>
LRESULT itemText(HWND listView, int row, int column, Char* buffer, const Char** text) {
    Item item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = kTextCapacity;
    buffer[0] = Char{};
    const LRESULT r = sendGetItem(listView, &item);
    *text = item.pszText;
    return r;
}

// The next row to read from `row` on (row itself included, 0 <= row): every row, or the next selected one;
// -1 when none is left below `rows`.
int nextRow(HWND listView, int row, int rows, bool selectedOnly) {
    if (row < 0 || row >= rows) return -1;
    if (!selectedOnly) return row;
    // The search starts after wParam; -1 starts at the first row.
    const WPARAM after = row == 0 ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(row - 1);
    const LRESULT r = SendMessageA(listView, LVM_GETNEXTITEM, after, LVNI_SELECTED);
    return r >= row && r < rows ? static_cast<int>(r) : -1;
}

// Header titles (first chunk) and whole rows, until the rows end, the block is full or kChunkMs passed.
void answerListView(HWND listView, const wire::BulkRequest& q, wire::BulkAnswer* a, BulkWriter& w) {
    char* const buffer = textBuffer;
    const bool first = q.from == 0;
    const bool selectedOnly = (q.flags & wire::kBulkSelectedOnly) != 0;
    const bool wide = (q.flags & wire::kBulkWideTexts) != 0;
    if (wide) a->flags |= wire::kBulkWideTexts;
    const HWND header = reinterpret_cast<HWND>(SendMessageA(listView, LVM_GETHEADER, 0, 0));
    LRESULT count = header != nullptr ? SendMessageA(header, HDM_GETITEMCOUNT, 0, 0) : 0;
    const int columns = count < 1                                             ? 1
                        : count > static_cast<LRESULT>(wire::kBulkMaxColumns) ? -1
                                                                              : static_cast<int>(count);
    if (columns < 0) {
        a->status = wire::kBulkRefused;
        return;
    }
    a->columns = columns;
    const int rows = chunkRows(first, q.rows, SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
    a->rows = rows;
    if (first) {
        if (header == nullptr) a->flags |= wire::kBulkNoHeader;
        for (int i = 0; header != nullptr && i < columns; ++i) {
            if (!putTitle(w, header, i, wide)) {
                a->status = wire::kBulkRefused;
                return;
            }
            ++a->titles;
        }
    }
    const DWORD start = GetTickCount();
    const int from = chunkFrom(q.from, rows);
    int row = nextRow(listView, from, rows, selectedOnly);
    a->status = wire::kBulkDone;
    while (row >= 0) {
        if (!IsWindow(listView)) {
            a->status = wire::kBulkGone;
            break;
        }
        const std::size_t mark = w.used();
        bool fits = w.put(static_cast<std::int32_t>(row));
        for (int k = 0; fits && k < columns; ++k) {
            if (wide) {
                const wchar_t* text = nullptr;
                const LRESULT r = itemText<LVITEMW>(listView, row, k, wideBuffer, &text);
                fits = putWideText(w, r, text);
                continue;
            }
            const char* text = nullptr;
            const LRESULT r = itemText<LVITEMA>(listView, row, k, buffer, &text);
            fits = putText(w, r, text);
        }
        if (!fits) {
            w.rewind(mark);
            a->status = wire::kBulkMore;
            break;
        }
        ++a->records;
        a->next = static_cast<std::uint64_t>(row) + 1;
        row = nextRow(listView, row + 1, rows, selectedOnly); // row < rows <= INT_MAX: no overflow
        if (row >= 0 && GetTickCount() - start >= kChunkMs) {
            a->status = wire::kBulkMore;
            break;
        }
    }
    if (a->status == wire::kBulkMore && a->records == 0) a->status = wire::kBulkRefused; // a row too large
    if (a->records == 0) a->next = static_cast<std::uint64_t>(from);
}

// The items of a list box or of a combo box's list, each asked for its length first and then read whole into
// the block (the length and the text are asked on the control's own thread, one right after the other).
// A list whose items hold data instead of texts (owner-drawn without the has-strings style) is refused.
void answerList(HWND list, bool comboBox, const wire::BulkRequest& q, wire::BulkAnswer* a, BulkWriter& w) {
    const LONG style = GetWindowLongA(list, GWL_STYLE);
    const LONG ownerDrawn = comboBox ? (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)
                                     : (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE);
    if ((style & ownerDrawn) != 0 && (style & (comboBox ? CBS_HASSTRINGS : LBS_HASSTRINGS)) == 0) {
        a->status = wire::kBulkRefused;
        return;
    }
    const UINT lengthMessage = comboBox ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
    const UINT textMessage = comboBox ? CB_GETLBTEXT : LB_GETTEXT;
    const int rows =
        chunkRows(q.from == 0, q.rows, SendMessageA(list, comboBox ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
    a->rows = rows;
    a->columns = 1;
    a->status = wire::kBulkDone;
    const DWORD start = GetTickCount();
    const int from = chunkFrom(q.from, rows);
    for (int i = from; i < rows; ++i) {
        if (!IsWindow(list)) {
            a->status = wire::kBulkGone;
            break;
        }
        const std::size_t mark = w.used();
        bool fits = w.put(static_cast<std::int32_t>(i));
        const LRESULT length = fits ? SendMessageA(list, lengthMessage, static_cast<WPARAM>(i), 0) : 0;
        if (fits && length < 0) {
            fits = w.skipped();
        } else if (fits) {
            char* text = length <= 0x7FFFFFF0 ? w.place(static_cast<std::uint32_t>(length)) : nullptr;
            fits = text != nullptr;
            if (fits) {
                // place() handed out length + 1 bytes of this process's own block; the text's length is
                // counted there, up to the terminator put at its end.
                const auto size = static_cast<std::uint32_t>(length);
                text[0] = '\0';
                SendMessageA(list, textMessage, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
                text[size] = '\0';
                std::uint32_t n = 0;
                while (n < size && text[n] != '\0')
                    ++n;
                w.finish(n);
            }
        }
        if (!fits) {
            w.rewind(mark);
            a->status =
                a->records > 0 ? wire::kBulkMore : wire::kBulkRefused; // an item larger than the block
            break;
        }
        ++a->records;
        a->next = static_cast<std::uint64_t>(i) + 1;
        if (i + 1 < rows && GetTickCount() - start >= kChunkMs) {
            a->status = wire::kBulkMore;
            break;
        }
    }
    if (a->records == 0) a->next = static_cast<std::uint64_t>(from);
}

HTREEITEM treeNext(HWND treeView, UINT relation, HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(treeView, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

// Moves *item (at *depth) to the next item in walk order: its first child, else the next sibling of it or of
// the nearest ancestor that has one. False when the walk is over or the child would pass the depth bound
// (status kBulkDepthEnd); the status is left as it is otherwise.
bool stepInWalk(HWND treeView, HTREEITEM* item, int* depth, wire::BulkAnswer* a) {
    HTREEITEM child = treeNext(treeView, TVGN_CHILD, *item);
    if (child != nullptr) {
        if (*depth + 1 >= wire::kBulkMaxTreeDepth) {
            a->status = wire::kBulkDepthEnd;
            return false;
        }
        *item = child;
        ++*depth;
        return true;
    }
    for (;;) {
        HTREEITEM sibling = treeNext(treeView, TVGN_NEXT, *item);
        if (sibling != nullptr) {
            *item = sibling;
            return true;
        }
        *item = treeNext(treeView, TVGN_PARENT, *item);
        if (*item == nullptr || --*depth < 0) return false;
    }
}

// Where the walk of this process stands: the tree view and the last item written, with its depth. A chunk
// goes on only from the item this process wrote last, never from a handle taken from the request alone.
HWND walkControl = nullptr;
HTREEITEM walkItem = nullptr;
int walkDepth = 0;

// Items in walk order (an item, its subtree, then its next sibling), the same order and depth bound as the
// program's cross-process walk.
void answerTreeView(HWND treeView, const wire::BulkRequest& q, wire::BulkAnswer* a, BulkWriter& w) {
    char* const buffer = textBuffer;
    HTREEITEM item = nullptr;
    int depth = 0;
    a->status = wire::kBulkDone;
    if (q.from == 0) {
        item = treeNext(treeView, TVGN_ROOT, nullptr);
    } else {
        if (treeView != walkControl || reinterpret_cast<ULONG_PTR>(walkItem) != q.from) {
            a->status = wire::kBulkRefused;
            return;
        }
        item = walkItem;
        depth = walkDepth;
        if (!stepInWalk(treeView, &item, &depth, a)) return;
    }
    const DWORD start = GetTickCount();
    while (item != nullptr) {
        if (!IsWindow(treeView)) {
            a->status = wire::kBulkGone;
            return;
        }
        TVITEMA record{};
        record.mask = TVIF_TEXT | TVIF_PARAM;
        record.hItem = item;
        record.pszText = buffer;
        record.cchTextMax = kTextCapacity;
        buffer[0] = '\0';
        const LRESULT r = SendMessageA(treeView, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&record));
        const std::size_t mark = w.used();
        if (!w.put(static_cast<std::uint64_t>(reinterpret_cast<ULONG_PTR>(item))) ||
            !w.put(static_cast<std::uint32_t>(depth)) || !putText(w, r, record.pszText)) {
            w.rewind(mark);
            a->status = a->records > 0 ? wire::kBulkMore : wire::kBulkRefused;
            return;
        }
        ++a->records;
        walkControl = treeView;
        walkItem = item;
        walkDepth = depth;
        a->next = static_cast<std::uint64_t>(reinterpret_cast<ULONG_PTR>(item));
        if (GetTickCount() - start >= kChunkMs) {
            a->status = wire::kBulkMore;
            return;
        }
        if (!stepInWalk(treeView, &item, &depth, a)) return;
    }
}

} // namespace

std::size_t answerBulkRequest(void* control, const wire::BulkRequest& q, wire::BulkAnswer* a,
                              std::uint8_t* records, std::size_t capacity) {
    const HWND window = static_cast<HWND>(control);
    *a = wire::BulkAnswer{};
    a->magic = wire::kBulkMagic;
    a->sequence = q.sequence;
    a->status = wire::kBulkRefused;
    BulkWriter w(records, capacity);
    if (!IsWindow(window))
        a->status = wire::kBulkGone;
    else if (q.kind == wire::kBulkListView)
        answerListView(window, q, a, w);
    else if (q.kind == wire::kBulkTreeView)
        answerTreeView(window, q, a, w);
    else if (q.kind == wire::kBulkListBox || q.kind == wire::kBulkComboBox)
        answerList(window, q.kind == wire::kBulkComboBox, q, a, w);
    if (a->status == wire::kBulkRefused) {
        a->records = 0;
        w.rewind(0);
    }
    return w.used();
}

} // namespace hook
} // namespace vantor
