// The list-view readers: the column header line and the rows of a list view in any process, read through a
// RemoteBuffer in the target's pointer width and appended to `report`.
//
// Threads: the capture worker (full capture) or the user-interface thread (hot-key capture of the selected
// rows); one capture at a time. They take the session's capture lock around their uses of its report
// themselves, so they must be called without it.
//
// When the list view's process or a block in it cannot be had, no query is sent and the rows reader writes
// the failure line. A list view that stops answering (time-out) is asked nothing more: the cell that went
// unanswered is empty, its row is completed with empty cells and closed, and no further row is read.
//
// The rows are read in batches (row 0 alone, then up to each row after which the pane is refreshed, at most
// 1,024 cells): one write of all the batch's records, one LVM_GETITEMA per cell, one read. The report is byte
// for byte what one query per cell gives. A batch whose block cannot be read back (the list view's process
// has ended) gives empty cells from its first row on, which is closed, and nothing further is read.
#pragma once

#include "capture/section_model.h"
#include "platform/platform.h"

namespace vantor {

class CaptureSession;

// Appends the rows of the list view (all, or only the selected ones) to the session's report after its
// header line, then the failure line when no information was obtained. Polls the session's stop request
// before every query; a stop leaves the text read so far, without a closing line feed or failure line.
// Refreshes the output pane after every hundredth row from row 200 on (CaptureSession::showProgress). With
// keep, the header, the rows as read (one-byte and empty cells included), the path taken and how the reading
// ended are also kept there.
void readListViewRows(CaptureSession& session, Hwnd listView, bool selectedOnly,
                      SectionModel* keep = nullptr);
// Appends the header line of the list view (titles of at least 2 bytes joined by the capture's list
// separator). With keep, the titles are kept there too.
void readListViewHeader(CaptureSession& session, Hwnd listView, SectionModel* keep = nullptr);

} // namespace vantor
