// The arithmetic of the panes, kept apart from the window system so that it is tested natively: where a
// toolbar command goes, how a drag of the splitter bar resizes the two panes, how large a pane's content is,
// which row a refreshed list keeps in view, the row text of the window list, and where a centred window goes.
// Header-only and portable (no <windows.h>). Threads: pure functions, any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/text.h"

namespace vantor {

// ---- Commands that reach the right pane (the section toolbar's buttons) ----------------------------------
enum class PaneCommand {
    None,        // nothing beyond the default handling
    ForwardStop, // send CMD_STOP_MONITOR on to the main window
    ScrollTo,    // scroll the output pane to the line in *line
};

// A section button's command id is the report line it jumps to; while monitoring, the stop button's id is
// the stop command. A notification (high word not 0) never scrolls.
inline PaneCommand routePaneCommand(std::uintptr_t wParam, bool monitoring, std::int32_t lineCount,
                                    int stopCommand, int* line) {
    if (monitoring && wParam == static_cast<std::uintptr_t>(stopCommand)) return PaneCommand::ForwardStop;
    const std::uintptr_t high = (wParam >> 16) & 0xFFFF;
    const std::int32_t low = static_cast<std::int32_t>(wParam & 0xFFFF);
    if (high == 0 && low < lineCount) {
        *line = low;
        return PaneCommand::ScrollTo;
    }
    return PaneCommand::None;
}

// ---- Splitter geometry -----------------------------------------------------------------------------------
constexpr int kSplitBarWidth = 2;   // a pane with a right neighbour leaves this strip to the bar
constexpr int kBottomBarHeight = 1; // a pane with a bottom neighbour leaves this strip
constexpr int kCursorZone = 2;      // bottom strip of a pane with the vertical-resize cursor
constexpr int kMinimumPaneSize = 2; // neither pane of a drag gets smaller

enum class DragMode : int { None = 0, BottomEdge = 1, RightEdge = 2 };

// A press at client (x, y) in a pane whose client rectangle ends at (right, bottom): which edge it grabs and
// the grab offset (distance to that edge). None when the pane has no neighbour on that side.
inline DragMode dragModeForPress(int x, int y, int right, int bottom, bool hasRightNeighbour,
                                 bool hasBottomNeighbour, int* offset) {
    if (y >= bottom - kCursorZone) {
        if (!hasBottomNeighbour) return DragMode::None;
        *offset = bottom - y;
        return DragMode::BottomEdge;
    }
    if (!hasRightNeighbour) return DragMode::None;
    *offset = right - x;
    return DragMode::RightEdge;
}

// True when the cursor at client y is in the vertical-resize zone.
inline bool inBottomCursorZone(int y, int bottom) {
    return y >= bottom - kCursorZone;
}

struct DragSizes {
    int pane;      // new width (or height) of the dragged pane
    int neighbour; // new width (or height) of its neighbour
};

// One drag step along one axis: pos is the pointer's client coordinate in the dragged pane, paneStart the
// pane's screen start and neighbourEnd the neighbour's screen end on that axis. The neighbour never gets
// below the minimum; the pane gives way, but never below the minimum either.
inline DragSizes dragStep(int pos, int offset, int paneStart, int neighbourEnd) {
    DragSizes s;
    s.pane = pos + offset;
    if (s.pane < kMinimumPaneSize) s.pane = kMinimumPaneSize;
    s.neighbour = neighbourEnd - paneStart - s.pane;
    if (s.neighbour < kMinimumPaneSize) {
        s.neighbour = kMinimumPaneSize;
        s.pane = neighbourEnd - paneStart - kMinimumPaneSize;
        if (s.pane < kMinimumPaneSize) s.pane = kMinimumPaneSize;
    }
    return s;
}

// The size of a pane's content window for a pane client size w by h.
inline void contentSize(int w, int h, bool hasRightNeighbour, bool hasBottomNeighbour, int* cw, int* ch) {
    *cw = hasRightNeighbour ? w - kSplitBarWidth : w;
    *ch = hasBottomNeighbour ? h - kBottomBarHeight : h;
}

// Width of the right pane in a frame whose client area ends at clientRight.
inline int rightPaneWidth(int clientRight, int leftWidth) {
    const int w = clientRight - leftWidth;
    return w < 0 ? 0 : w;
}

// ---- Window list -----------------------------------------------------------------------------------------
// The row a refilled list scrolls into view: the last row that was visible before, or the last row when the
// list got shorter; -1 for an empty list (nothing to scroll).
inline int rowToKeepVisible(int topIndex, int perPage, int count) {
    int keep = topIndex + perPage - 1;
    if (keep >= count) keep = count - 1;
    return keep;
}

// The row text "%s [%s]" of a title (or first text) and a class name; null texts read as empty.
inline void formatRowText(const char* first, const char* className, char* out, std::size_t cap) {
    std::snprintf(out, cap, "%s [%s]", first ? first : "", className ? className : "");
}

// The caption of the cancel question and similar "title [class]" texts.
inline void formatWindowCaption(const char* title, const char* className, char* out, std::size_t cap) {
    formatRowText(title, className, out, cap);
}

// ---- Adding a monitoring pass to the output pane
// ------------------------------------------------------------ The pane shows `shown` (shownSize bytes: the
// report as last published). A pass publishes the report from byte `start` on as `text`, where start lies a
// little before the first byte the pass added. Returns the offset in text from which the pane has to add
// (textSize when nothing is new), or -1 when the pane does not show the report up to a point within text:
// then it must show the whole report. Costs at most textSize.
inline long long tailAppendOffset(const char* shown, std::size_t shownSize, std::size_t start,
                                  const char* text, std::size_t textSize) {
    if (shownSize < start || shownSize - start > textSize) return -1;
    const std::size_t overlap = shownSize - start;
    if (overlap > 0 && std::memcmp(shown + start, text, overlap) != 0) return -1;
    return static_cast<long long>(overlap);
}

// ---- Pieces of a report for the output pane ---------------------------------------------------------------
// The end of the piece of text[0, length) that starts at `at` and holds at most about `piece` bytes: after
// the last line feed within that many bytes when there is one, else after the last whole character of code
// page 932 that fits (at least one character).
inline std::size_t reportPieceEnd(const char* text, std::size_t at, std::size_t length, std::size_t piece) {
    if (piece >= length - at) return length;
    for (std::size_t i = at + piece; i > at; --i)
        if (text[i - 1] == '\n') return i;
    const std::size_t kept = cp932CutLength(text + at, length - at, piece);
    return at + (kept > 0 ? kept : cp932CutLength(text + at, length - at, 2)); // a piece holds a character
}

// ---- The output pane while monitoring ---------------------------------------------------------------------
// Wine's rich edit keeps about 320 bytes per byte of a monitoring report (some 3 to 5 KB per line, whatever
// its length), so a pane holding a whole monitoring report grew vantor.exe by about 26 KB per pass of a
// status bar. While monitoring, the pane therefore keeps only the report's last part, about this many bytes
// (never less than the newest pass); the report itself stays whole and is what a save writes.
constexpr std::size_t kMonitorPaneLimit = 4 * 1024;

// The pane shows `shown` (size bytes), whose last `newest` bytes are the newest pass. Returns where the text
// it keeps begins: 0 while size is within limit; else the first line start at which at most limit bytes
// remain, but no later than the line start at or before the newest pass's first byte.
inline std::size_t paneKeepFrom(const char* shown, std::size_t size, std::size_t newest, std::size_t limit) {
    if (size <= limit) return 0;
    std::size_t latest = newest < size ? size - newest : 0;
    while (latest > 0 && shown[latest - 1] != '\n')
        --latest;
    std::size_t from = size - limit;
    while (from < latest && shown[from - 1] != '\n')
        ++from;
    return from < latest ? from : latest;
}

// The characters of the pane in the first n bytes of text (a double-byte character of code page 932 is one,
// as are the carriage return and the line feed): the unit of the pane's selection positions.
inline long paneCharCount(const char* text, std::size_t n) {
    long chars = 0;
    for (std::size_t i = 0; i < n; ++chars)
        i += isCp932LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < n ? 2 : 1;
    return chars;
}

// ---- Links in the output pane -----------------------------------------------------------------------------
// A detected link opens on a left-button press with Ctrl held down, so that a plain click still places the
// caret for editing. The link's text must fit the 1024-byte buffer it is read into.
constexpr unsigned kEnLink = 0x070B;         // EN_LINK
constexpr unsigned kLeftButtonDown = 0x0201; // WM_LBUTTONDOWN
constexpr long kLinkTextBuffer = 1024;

inline bool linkClickOpens(unsigned notifyCode, unsigned mouseMessage, bool controlDown, long cpMin,
                           long cpMax) {
    return notifyCode == kEnLink && mouseMessage == kLeftButtonDown && controlDown && cpMax > cpMin &&
           cpMax - cpMin < kLinkTextBuffer;
}

// ---- Centring --------------------------------------------------------------------------------------------
// Top-left corner that centres a window of the given size in the work area; signed division truncating
// toward zero, as C++ does.
inline void centeredOrigin(int workLeft, int workTop, int workRight, int workBottom, int width, int height,
                           int* x, int* y) {
    *x = workLeft + ((workRight - workLeft) - width) / 2;
    *y = workTop + ((workBottom - workTop) - height) / 2;
}

} // namespace vantor
