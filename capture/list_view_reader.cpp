// The list-view readers: the header line and the rows of a list view in another process, through one
// RemoteBuffer per call holding LVITEMA (or HDITEMA) records in the target's pointer width, each followed by
// a 260-byte text buffer: one record for the header's titles, one per cell of a batch of rows. Runs on the
// capture worker or, for the hot-key capture, the user-interface thread.
//
// Each line is gathered locally and appended to the session's report as one unit under its lock; no lock
// is held across a message or across a pane refresh.
#include "capture/list_view_reader.h"

#include <algorithm>
#include <string>
#include <vector>

#include "capture/bulk_session.h"
#include "capture/capture_lock.h"
#include "capture/remote_buffer.h"
#include "capture/section_format.h"
#include "capture/selected_rows.h"
#include "capture/wide_sections.h"
#include "platform/unicode_text.h"
#include "platform/wide_text.h"

namespace vantor {

namespace {

// Block sizes: the record, then the text buffer. The 32-bit sizes are those every 32-bit target expects.
constexpr std::size_t kHeaderBlock32 = sizeof(wire::HdItem32) + wire::kRemoteTextSize; // 304
constexpr std::size_t kHeaderBlock64 = sizeof(wire::HdItem64) + wire::kRemoteTextSize;
constexpr std::size_t kRowBlock32 = sizeof(wire::LvItem32) + wire::kRemoteTextSize; // 300
constexpr std::size_t kRowBlock64 = sizeof(wire::LvItem64) + wire::kRemoteTextSize;
static_assert(kHeaderBlock32 == 304 && kRowBlock32 == 300, "32-bit block sizes");

// Texts shorter than this count as empty for header titles and single-column rows.
constexpr std::size_t kMinText = 2;
// The pane is refreshed after every hundredth row from row 200 on.
constexpr int kRefreshEvery = 100;

void appendFailureLine(CaptureSession& session) {
    appendToReport(session, kFailureLine);
}

int countOf(std::intptr_t answer) {
    return answer < 0 ? 0 : answer > INT32_MAX ? INT32_MAX : static_cast<int>(answer);
}

// One HDM_GETITEMA query for column `index`; the whole block is written first, its text buffer empty, so a
// title the header does not write (FALSE) is empty, not the one before.
template <class Rec> bool headerTitle(RemoteBuffer& rb, int index, std::string* text) {
    rb.setRecord(textRecord<Rec>(rb, wire::HDI_TEXT | wire::HDI_LPARAM));
    rb.local()[sizeof(Rec)] = '\0';
    std::intptr_t result = 0;
    bool answered =
        rb.exchange(wire::HDM_GETITEMA, static_cast<std::uintptr_t>(index), true, sizeof(Rec), &result);
    text->clear();
    if (result != 0) recordText<Rec>(rb, text);
    return answered;
}

// A batch holds at most this many cells (about 320 KB of block for a 64-bit target); rows are never split
// across batches unless a single row has more cells.
constexpr std::size_t kBatchCells = 1024;

// One cell of a batch and what its query gave.
struct Cell {
    int row = 0;
    int column = 0;
    bool sent = false;     // its message went out
    bool answered = false; // ... and was answered, and the block could be read back
    std::string text;
};

// The cells of a run of rows, read through one RemoteBuffer: each cell has its own slot in the block (an
// LVITEMA record followed by its 260-byte text buffer), all slots are written with one write, one
// LVM_GETITEMA goes out per cell in order, and the block comes back with one read. What each cell yields is
// what the same query made alone yields:
// - the stop request is polled before every message, as before every cell;
// - a message that is not answered leaves its cell and every later one unsent or empty, and nothing more is
//   sent; a block that cannot be written or read back (the process has ended) gives empty cells;
// - each slot's text buffer is emptied before its query goes out, so a list view that answers FALSE without
//   writing gives an empty text, never the text of an earlier query;
// - a list view that points pszText at its own copy of the text has it read from there; when two cells of a
//   batch point at the same place the list view reuses one buffer, so those cells are asked again one at a
//   time and read at once.
template <class Rec> class CellBatch {
  public:
    static constexpr std::size_t kSlot = sizeof(Rec) + wire::kRemoteTextSize;

    CellBatch(CaptureSession& session, RemoteBuffer& rb) : session(session), rb(rb) {}

    // Reads cells[0..n) (n > 0). False when the stop request came: cells from the first unsent one on have
    // not been asked.
    bool read(std::vector<Cell>& cells, std::size_t n) {
        std::size_t capacity = rb.size() / kSlot;
        if (capacity < n && rb.grow(n * kSlot)) capacity = n;
        if (capacity == 0) capacity = 1; // open() made room for one slot
        for (std::size_t first = 0; first < n; first += capacity) {
            std::size_t count = n - first < capacity ? n - first : capacity;
            if (!readChunk(&cells[first], count)) return false;
            if (!rb.answering()) return true;
        }
        return true;
    }

  private:
    std::size_t textOffset(std::size_t slot) const { return slot * kSlot + sizeof(Rec); }

    void layOut(std::size_t slot, const Cell& cell) {
        Rec r = rb.recordAt<Rec>(slot * kSlot);
        r.mask = wire::LVIF_TEXT | wire::LVIF_PARAM;
        r.iItem = cell.row;
        r.iSubItem = cell.column;
        r.pszText = static_cast<decltype(r.pszText)>(rb.remote() + textOffset(slot));
        r.cchTextMax = static_cast<std::int32_t>(wire::kRemoteTextSize);
        rb.setRecordAt(slot * kSlot, r);
        rb.local()[textOffset(slot)] = '\0';
    }

    RemoteAddr pointerOf(std::size_t slot) const {
        return static_cast<RemoteAddr>(rb.recordAt<Rec>(slot * kSlot).pszText);
    }

    bool readChunk(Cell* cells, std::size_t count) {
        if (session.stopRequested()) return false;
        for (std::size_t s = 0; s < count; ++s)
            layOut(s, cells[s]);
        std::vector<std::intptr_t> results(count, 0);
        bool stopped = false;
        std::size_t sent = 0;
        if (rb.writeRange(0, count * kSlot)) {
            for (; sent < count; ++sent) {
                if (session.stopRequested()) {
                    stopped = true;
                    break;
                }
                cells[sent].sent = true;
                if (!rb.send(wire::LVM_GETITEMA, 0, sent * kSlot, &results[sent])) {
                    ++sent;
                    break;
                }
            }
        } else {
            cells[0].sent = true; // the query the failed write was for
        }
        bool readBack = sent > 0 && rb.readRange(0, sent * kSlot);
        std::vector<std::size_t> repointed;
        for (std::size_t s = 0; s < sent; ++s) {
            Cell& c = cells[s];
            c.answered = readBack && (s + 1 < sent || rb.answering());
            c.text.clear();
            if (!c.answered || results[s] == 0) continue; // FALSE: nothing written, an empty text
            RemoteAddr pointer = pointerOf(s);
            if (pointer == rb.remote() + textOffset(s)) {
                rb.textIn(pointer, textOffset(s), wire::kRemoteTextSize, wire::kRemoteTextSize, &c.text);
            } else if (pointer != 0) {
                repointed.push_back(s);
            }
        }
        readRepointed(cells, sent, repointed);
        return !stopped;
    }

    // Texts the list view pointed at in its own memory. A place shared by two cells held each cell's text
    // only until the next query: those cells are asked again one by one.
    void readRepointed(Cell* cells, std::size_t sent, const std::vector<std::size_t>& repointed) {
        bool shared = false;
        for (std::size_t a = 0; a < repointed.size() && !shared; ++a)
            for (std::size_t b = a + 1; b < repointed.size() && !shared; ++b)
                shared = pointerOf(repointed[a]) == pointerOf(repointed[b]);
        for (std::size_t s : repointed) {
            Cell& c = cells[s];
            if (!c.answered) continue;
            if (shared && !askAgain(s, c)) {
                // Unanswered now: this cell and the later ones of the batch count as never answered.
                for (std::size_t t = s; t < sent; ++t) {
                    cells[t].answered = false;
                    cells[t].text.clear();
                }
                return;
            }
            rb.textIn(pointerOf(s), textOffset(s), wire::kRemoteTextSize, wire::kRemoteTextSize, &c.text);
        }
    }

    bool askAgain(std::size_t slot, const Cell& cell) {
        layOut(slot, cell);
        std::intptr_t result = 0;
        return rb.writeRange(slot * kSlot, kSlot) && rb.send(wire::LVM_GETITEMA, 0, slot * kSlot, &result) &&
               rb.readRange(slot * kSlot, kSlot);
    }

    CaptureSession& session;
    RemoteBuffer& rb;
};

// The rows of the next batch, from row index `next` on: row 0 alone first (it shows whether the list view
// answers before a block for hundreds of rows is written), then rows up to and including the next row after
// which the pane is refreshed, at most kBatchCells cells (at least one row). With selectedOnly only the
// selected rows are taken (*j is the position in selected). Empty when no row is left.
void nextBatchRows(int rows, int columns, bool selectedOnly, const std::vector<std::int32_t>& selected,
                   int* next, std::size_t* j, std::vector<int>* out) {
    out->clear();
    const std::size_t maxRows = kBatchCells / static_cast<std::size_t>(columns) > 0
                                    ? kBatchCells / static_cast<std::size_t>(columns)
                                    : 1;
    for (int i = *next; i < rows; ++i) {
        if (selectedOnly) {
            if (*j >= selected.size()) break;
            if (selected[*j] != i) continue;
            ++*j;
        }
        out->push_back(i);
        *next = i + 1;
        const bool refreshRow = columns > 1 && i > kRefreshEvery && i % kRefreshEvery == 0;
        if (i == 0 || refreshRow || out->size() >= maxRows) return;
    }
    *next = rows;
}

// Moves the rows just written into the kept model, when there is one.
void keepRows(std::vector<SectionRow>& rows, SectionModel* keep) {
    if (keep == nullptr) return;
    for (SectionRow& row : rows)
        keep->rows.push_back(std::move(row));
}

// Reads the rows from row `first` on into the report. False when the stop request ended the reading.
// *complete is cleared when the list view stopped answering before the last row.
template <class Rec>
bool readRows(CaptureSession& session, RemoteBuffer& rb, int first, int rows, int columns, bool selectedOnly,
              const std::vector<std::int32_t>& selected, const std::string& separator, bool* obtained,
              bool* complete, SectionModel* keep) {
    CellBatch<Rec> batch(session, rb);
    std::vector<int> batchRows;
    std::vector<Cell> cells;
    std::vector<SectionRow> rowModels;
    std::string lines;
    int next = first;
    std::size_t j = 0;
    for (;;) {
        nextBatchRows(rows, columns, selectedOnly, selected, &next, &j, &batchRows);
        if (batchRows.empty()) return true;
        cells.assign(batchRows.size() * static_cast<std::size_t>(columns), Cell());
        for (std::size_t r = 0; r < batchRows.size(); ++r)
            for (int k = 0; k < columns; ++k) {
                Cell& c = cells[r * static_cast<std::size_t>(columns) + static_cast<std::size_t>(k)];
                c.row = batchRows[r];
                c.column = k;
            }
        const bool finished = batch.read(cells, cells.size());
        // The rows, exactly as cell-by-cell queries give them.
        rowModels.clear();
        bool refresh = false;
        bool silent = false;
        bool stopped = false;
        for (std::size_t r = 0; r < batchRows.size() && !silent && !stopped; ++r) {
            const int i = batchRows[r];
            rowModels.emplace_back();
            for (int k = 0; k < columns; ++k) {
                Cell& c = cells[r * static_cast<std::size_t>(columns) + static_cast<std::size_t>(k)];
                if (!finished && !c.sent && rb.answering()) {
                    // The stop request came before this cell: the row so far stays, without a line feed.
                    stopped = true;
                    break;
                }
                if (!c.answered) silent = true;
                if (columns == 1 && c.answered && c.text.size() >= kMinText) *obtained = true;
                if (k > 0 && c.answered) *obtained = true;
                if (k > 0 && k == columns - 1) refresh = i > kRefreshEvery && i % kRefreshEvery == 0;
                rowModels.back().cells.push_back(std::move(c.text));
            }
        }
        lines.clear();
        formatListRows(rowModels, columns, separator, &lines);
        appendToReport(session, lines);
        keepRows(rowModels, keep);
        if (stopped) return false;
        if (refresh) session.showProgress();
        // A list view that stopped answering is asked no further rows.
        if (silent || !rb.answering()) {
            const bool left = selectedOnly ? j < selected.size() : next < rows;
            *complete = !silent && !left;
            return true;
        }
        if (!finished) return false;
    }
}

// ---- The bulk path: the rows read inside the target (capture/bulk_session.h) ---------------------------

// A text of a chunk: an "unchanged" one (the control answered FALSE and wrote nothing) is empty. A copy,
// which each caller keeps anyway.
std::string chunkText(const BulkText& t) {
    return t.unchanged ? std::string() : t.text;
}

// A wide chunk's text (UTF-8) as the report has it: the system's code page 932 conversion, as the ANSI
// messages of the Unicode control give it.
std::string reportText(const BulkChunk& c, const std::string& text) {
    return c.wide && !text.empty() ? wideWindows()->toAnsi(utf16FromUtf8(text)) : text;
}

// The header line from the titles of the first chunk, by the rules of readListViewHeader.
std::string bulkHeaderLine(const BulkChunk& c, const std::string& separator) {
    std::string line;
    if ((c.flags & wire::kBulkNoHeader) != 0) return line;
    std::vector<std::string> titles;
    for (const BulkText& title : c.titles)
        titles.push_back(reportText(c, chunkText(title)));
    formatListHeader(titles, separator, true, &line);
    return line;
}

// What the list view itself says of its rows and columns, asked by the program: a first chunk must agree.
struct ListShape {
    int rows = 0;
    int columns = 1;
    bool noHeader = false;
};

ListShape shapeOf(Hwnd listView) {
    ListShape s;
    s.rows = countOf(sendQuery(listView, wire::LVM_GETITEMCOUNT, 0, 0));
    const auto header =
        static_cast<Hwnd>(static_cast<std::uintptr_t>(sendQuery(listView, wire::LVM_GETHEADER, 0, 0)));
    s.noHeader = isNull(header);
    if (!s.noHeader) s.columns = countOf(sendQuery(header, wire::HDM_GETITEMCOUNT, 0, 0));
    if (s.columns < 1) s.columns = 1;
    return s;
}

bool firstChunkFits(const BulkChunk& c, const ListShape& s) {
    const bool noHeader = (c.flags & wire::kBulkNoHeader) != 0;
    return c.rows == s.rows && c.columns == s.columns && noHeader == s.noHeader &&
           c.titles.size() == (noHeader ? 0u : static_cast<std::size_t>(s.columns));
}

// Where the bulk path left the rows: `finished` when nothing is left to read (the last chunk, or the stop
// request); otherwise the rows from `from` on are still to be read across processes.
struct BulkRows {
    bool finished = false;
    std::int64_t from = 0;
    bool obtained = false;
    bool stopped = false;
};

// Appends the lines of a chunk's rows (the format reader has checked their indices against the request and
// given each row the chunk's own number of cells). The texts are moved out of the chunk: only its row list's
// size and `next` are used afterwards.
void appendRows(CaptureSession& session, BulkChunk& c, bool* obtained, SectionModel* keep) {
    std::vector<SectionRow> rows(c.rowList.size());
    // A wide chunk: the report gets the rows converted, the kept model the texts whole.
    std::vector<SectionRow> whole(c.wide ? c.rowList.size() : 0);
    for (std::size_t r = 0; r < c.rowList.size(); ++r) {
        BulkRow& row = c.rowList[r];
        rows[r].cells.reserve(row.cells.size());
        for (BulkText& cell : row.cells) {
            std::string text = cell.unchanged ? std::string() : std::move(cell.text);
            if (c.wide) {
                rows[r].cells.push_back(reportText(c, text));
                whole[r].cells.push_back(std::move(text));
            } else {
                rows[r].cells.push_back(std::move(text));
            }
        }
        if (row.cells.size() > 1 || (row.cells.size() == 1 && rows[r].cells[0].size() >= kMinText))
            *obtained = true;
    }
    std::string lines;
    formatListRows(rows, c.columns, session.listSeparator(), &lines);
    appendToReport(session, lines);
    keepRows(c.wide ? whole : rows, keep);
}

// Reads the rows through the bulk path. False when the target did not give a first chunk that holds up
// (checked against the list view's own counts): nothing has been appended and the cross-process exchanges
// take over. Otherwise the header line and the rows of every accepted chunk are in the report; a later
// chunk that does not come or is rejected (another row count or column count, rows not asked for, a
// damaged answer, a control reported gone) leaves out->from at the first row not yet read.
bool readRowsBulk(CaptureSession& capture, Hwnd listView, bool selectedOnly, BulkRows* out,
                  SectionModel* keep) {
    if (capture.stopRequested()) return false;
    const std::uint64_t start = bulkNowMs();
    BulkSession session(listView, capture.readPath());
    if (!session.open()) return false;
    const ListShape shape = shapeOf(listView);
    wire::BulkRequest q{};
    q.kind = wire::kBulkListView;
    q.flags = selectedOnly ? wire::kBulkSelectedOnly : 0;
    if (keep != nullptr && wideBulkTexts() && isUnicodeCapture(listView)) q.flags |= wire::kBulkWideTexts;
    BulkChunk c;
    if (!session.listChunk(q, true, &c) || c.status == wire::kBulkGone || !firstChunkFits(c, shape))
        return false;
    if (selectedOnly && c.rowList.empty() && c.status == wire::kBulkDone) {
        out->finished = true; // nothing selected
        return true;
    }
    appendToReport(capture, bulkHeaderLine(c, capture.listSeparator()));
    const int columns = c.columns;
    if (keep != nullptr) {
        keep->columns = columns;
        keep->hasHeader = (c.flags & wire::kBulkNoHeader) == 0;
        keep->textsUtf8 = c.wide;
        for (const BulkText& title : c.titles) {
            keep->header.push_back(chunkText(title));
            if (c.wide)
                keep->headerJudgedBytes.push_back(static_cast<int>(reportText(c, chunkText(title)).size()));
        }
    }
    q.rows = c.rows;
    std::uint64_t lastRefresh = start;
    for (;;) {
        appendRows(capture, c, &out->obtained, keep);
        if (!c.rowList.empty()) out->from = static_cast<std::int64_t>(c.next);
        if (c.status == wire::kBulkDone) break;
        if (c.status != wire::kBulkMore) return true; // gone: the rest is read across processes
        if (capture.stopRequested()) {
            out->finished = true; // what was read stays, without the failure line
            out->stopped = true;
            return true;
        }
        if (bulkNowMs() - lastRefresh >= kBulkRefreshMs) {
            capture.showProgress();
            lastRefresh = bulkNowMs();
        }
        q.from = c.next;
        if (!session.listChunk(q, false, &c) || c.columns != columns) return true;
    }
    out->finished = true;
    if (!out->obtained) appendFailureLine(capture);
    return true;
}
} // namespace

void readListViewHeader(CaptureSession& session, Hwnd listView, SectionModel* keep) {
    Hwnd header =
        static_cast<Hwnd>(static_cast<std::uintptr_t>(sendQuery(listView, wire::LVM_GETHEADER, 0, 0)));
    RemoteBuffer rb;
    if (isNull(header) || !rb.open(header, kHeaderBlock32, kHeaderBlock64)) return;
    std::intptr_t answer = 0;
    rb.query(wire::HDM_GETITEMCOUNT, 0, 0, &answer);
    int n = countOf(answer);
    if (n < 1) n = 1; // one query even when the count is 0 or was not given
    std::vector<std::string> titles;
    std::string text;
    bool stopped = false;
    for (int i = 0; i < n; ++i) {
        if (session.stopRequested()) {
            stopped = true;
            break;
        }
        if (rb.is64())
            headerTitle<wire::HdItem64>(rb, i, &text);
        else
            headerTitle<wire::HdItem32>(rb, i, &text);
        titles.push_back(text);
        if (!rb.answering()) break;
    }
    std::string line;
    formatListHeader(titles, session.listSeparator(), !stopped, &line);
    rb.release();
    appendToReport(session, line);
    if (keep != nullptr) {
        keep->hasHeader = true;
        keep->header = std::move(titles);
    }
}

void readListViewRows(CaptureSession& session, Hwnd listView, bool selectedOnly, SectionModel* keep) {
    BulkRows bulkRows;
    const bool bulk = readRowsBulk(session, listView, selectedOnly, &bulkRows, keep);
    const ReadPath path = !bulk               ? ReadPath::CrossProcess
                          : bulkRows.finished ? ReadPath::Bulk
                                              : ReadPath::BulkThenCrossProcess;
    reportReadPath(listView, "list view", path);
    if (keep != nullptr) {
        keep->path = path == ReadPath::Bulk           ? SectionPath::Bulk
                     : path == ReadPath::CrossProcess ? SectionPath::CrossProcess
                                                      : SectionPath::BulkThenCrossProcess;
        keep->status = bulkRows.stopped    ? SectionStatus::Stopped
                       : bulkRows.obtained ? SectionStatus::Read
                                           : SectionStatus::Empty;
    }
    if (bulk && bulkRows.finished) return;
    // Across processes: every row, or the rows after those the bulk path read before its answers stopped
    // holding up (the header line is then written already).
    const std::int64_t from = bulkRows.from;
    std::vector<std::int32_t> selected;
    if (selectedOnly) {
        selected = collectSelectedRows(listView, &session);
        selected.erase(
            std::remove_if(selected.begin(), selected.end(), [from](std::int32_t row) { return row < from; }),
            selected.end());
        if (selected.empty()) {
            if (bulk && !bulkRows.obtained) appendFailureLine(session);
            return;
        }
    }
    if (!bulk) readListViewHeader(session, listView, keep);
    RemoteBuffer rb;
    if (!rb.open(listView, kRowBlock32, kRowBlock64)) {
        appendFailureLine(session);
        if (keep != nullptr)
            keep->status = bulkRows.obtained ? SectionStatus::CutShort : SectionStatus::Failed;
        return;
    }
    const std::string& separator = session.listSeparator();
    std::intptr_t answer = 0;
    rb.query(wire::LVM_GETITEMCOUNT, 0, 0, &answer);
    int rows = countOf(answer);
    Hwnd header{};
    if (rb.query(wire::LVM_GETHEADER, 0, 0, &answer))
        header = static_cast<Hwnd>(static_cast<std::uintptr_t>(answer));
    int columns = countOf(sendQuery(header, wire::HDM_GETITEMCOUNT, 0, 0));
    if (columns < 1) columns = 1;
    bool obtained = bulkRows.obtained;
    bool complete = true;
    const int first = from < rows ? static_cast<int>(from) : rows;
    const std::size_t wideRows = keep != nullptr ? keep->rows.size() : 0;
    bool finished = rb.is64() ? readRows<wire::LvItem64>(session, rb, first, rows, columns, selectedOnly,
                                                         selected, separator, &obtained, &complete, keep)
                              : readRows<wire::LvItem32>(session, rb, first, rows, columns, selectedOnly,
                                                         selected, separator, &obtained, &complete, keep);
    rb.release();
    // The rows read here after wide bulk rows are read wide too, so that the kept texts are all UTF-8.
    if (keep != nullptr && keep->textsUtf8) readListViewRowsWide(keep, wideRows);
    // Nothing read, or rows left unread by a list view that stopped answering: the section says so.
    if (finished && (!obtained || !complete)) appendFailureLine(session);
    if (keep != nullptr) {
        keep->columns = columns;
        keep->status = !finished   ? SectionStatus::Stopped
                       : !complete ? SectionStatus::CutShort
                       : !obtained ? SectionStatus::Empty
                                   : SectionStatus::Read;
    }
}

} // namespace vantor
