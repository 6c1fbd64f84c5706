// The list-view readers: the header line and the rows of a list view in another process, through one
// RemoteBuffer per call holding an LVITEMA (or HDITEMA) record in the target's pointer width followed by a
// 260-byte text buffer. Runs on the capture worker or, for the hot-key capture, the user-interface thread.
//
// Each line is gathered locally and appended to the report as one unit under the capture lock; no lock is
// held across a message or across showReportInPane.
#include "capture/list_view_reader.h"

#include <cstring>
#include <string>
#include <vector>

#include "capture/capture_lock.h"
#include "capture/capture_state.h"
#include "capture/capture_ui.h"
#include "capture/remote_buffer.h"
#include "capture/report_buffer.h"
#include "capture/selected_rows.h"

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

void appendLocked(const std::string& text) {
    if (text.empty()) return;
    CaptureLock lock;
    lock.report().append(text.data(), text.size());
}

void appendFailureLine() {
    CaptureLock lock;
    lock.report().append(kFailureLine, std::strlen(kFailureLine));
}

// The column separator given to the running capture.
std::string captureSeparator() {
    CaptureLock lock;
    return lock.listSeparator();
}

int countOf(std::intptr_t answer) {
    return answer < 0 ? 0 : answer > INT32_MAX ? INT32_MAX : static_cast<int>(answer);
}

// One HDM_GETITEMA query for column `index`; the whole block is written first.
template <class Rec> bool headerTitle(RemoteBuffer& rb, int index, std::string* text) {
    rb.setRecord(textRecord<Rec>(rb, wire::HDI_TEXT | wire::HDI_LPARAM));
    std::intptr_t result = 0;
    bool answered =
        rb.exchange(wire::HDM_GETITEMA, static_cast<std::uintptr_t>(index), true, sizeof(Rec), &result);
    recordText<Rec>(rb, text);
    return answered;
}

// One LVM_GETITEMA query for a cell; the whole block is written first.
template <class Rec> bool cellText(RemoteBuffer& rb, int row, int column, std::string* text) {
    Rec r = textRecord<Rec>(rb, wire::LVIF_TEXT | wire::LVIF_PARAM);
    r.iItem = row;
    r.iSubItem = column;
    rb.setRecord(r);
    std::intptr_t result = 0;
    bool answered = rb.exchange(wire::LVM_GETITEMA, 0, true, sizeof(Rec), &result);
    recordText<Rec>(rb, text);
    return answered;
}

bool readCell(RemoteBuffer& rb, int row, int column, std::string* text) {
    return rb.is64() ? cellText<wire::LvItem64>(rb, row, column, text)
                     : cellText<wire::LvItem32>(rb, row, column, text);
}

// Reads the rows into the report. False when the stop request ended the reading.
bool readRows(RemoteBuffer& rb, int rows, int columns, bool selectedOnly,
              const std::vector<std::int32_t>& selected, const std::string& separator, bool* obtained) {
    std::size_t j = 0;
    std::string line;
    std::string text;
    for (int i = 0; i < rows; ++i) {
        if (selectedOnly) {
            if (j >= selected.size()) break;
            if (selected[j] != i) continue;
            ++j;
        }
        line.clear();
        bool refresh = false;
        for (int k = 0; k < columns; ++k) {
            if (stopRequested) {
                // The part of the row read so far stays, without a closing line feed.
                appendLocked(line);
                return false;
            }
            bool answered = readCell(rb, i, k, &text);
            if (k == 0) {
                line += text;
                if (columns == 1) {
                    if (answered && text.size() >= kMinText) *obtained = true;
                    line += "\r\n";
                }
            } else {
                line += separator;
                line += text;
                if (answered) *obtained = true;
                if (k == columns - 1) {
                    line += "\r\n";
                    refresh = i > kRefreshEvery && i % kRefreshEvery == 0;
                }
            }
        }
        appendLocked(line);
        if (refresh) showReportInPane();
        // A list view that stopped answering is asked no further rows.
        if (!rb.answering()) break;
    }
    return true;
}

} // namespace

void readListViewHeader(Hwnd listView) {
    Hwnd header =
        static_cast<Hwnd>(static_cast<std::uintptr_t>(sendQuery(listView, wire::LVM_GETHEADER, 0, 0)));
    RemoteBuffer rb;
    if (isNull(header) || !rb.open(header, kHeaderBlock32, kHeaderBlock64)) return;
    const std::string separator = captureSeparator();
    std::intptr_t answer = 0;
    rb.query(wire::HDM_GETITEMCOUNT, 0, 0, &answer);
    int n = countOf(answer);
    if (n < 1) n = 1; // one query even when the count is 0 or was not given
    std::string line;
    std::string text;
    bool written = false;
    bool stopped = false;
    for (int i = 0; i < n; ++i) {
        if (stopRequested) {
            stopped = true;
            break;
        }
        if (rb.is64())
            headerTitle<wire::HdItem64>(rb, i, &text);
        else
            headerTitle<wire::HdItem32>(rb, i, &text);
        if (text.size() >= kMinText) {
            if (i > 0) line += separator;
            line += text;
            written = true;
        }
        if (!rb.answering()) break;
    }
    if (written && !stopped) line += "\r\n";
    rb.release();
    appendLocked(line);
}

void readListViewRows(Hwnd listView, bool selectedOnly) {
    std::vector<std::int32_t> selected;
    if (selectedOnly) {
        selected = collectSelectedRows(listView);
        if (selected.empty()) return;
    }
    readListViewHeader(listView);
    RemoteBuffer rb;
    if (!rb.open(listView, kRowBlock32, kRowBlock64)) {
        appendFailureLine();
        return;
    }
    const std::string separator = captureSeparator();
    std::intptr_t answer = 0;
    rb.query(wire::LVM_GETITEMCOUNT, 0, 0, &answer);
    int rows = countOf(answer);
    Hwnd header{};
    if (rb.query(wire::LVM_GETHEADER, 0, 0, &answer))
        header = static_cast<Hwnd>(static_cast<std::uintptr_t>(answer));
    int columns = countOf(sendQuery(header, wire::HDM_GETITEMCOUNT, 0, 0));
    if (columns < 1) columns = 1;
    bool obtained = false;
    bool finished = readRows(rb, rows, columns, selectedOnly, selected, separator, &obtained);
    rb.release();
    if (finished && !obtained) appendFailureLine();
}

} // namespace vantor
