// The arithmetic of the panes: routing of the section toolbar's commands, the splitter drag, content sizes,
// the row a refreshed window list keeps in view, row texts and centring.
#include <gtest/gtest.h>

#include <string>

#include "app/resource.h"
#include "app/panes/pane_rules.h"

namespace vantor {
namespace {

TEST(SectionRouting, ButtonIdIsTheLineToScrollTo) {
    int line = -1;
    EXPECT_EQ(routePaneCommand(0, false, 10, CMD_STOP_MONITOR, &line), PaneCommand::ScrollTo);
    EXPECT_EQ(line, 0);
    EXPECT_EQ(routePaneCommand(9, false, 10, CMD_STOP_MONITOR, &line), PaneCommand::ScrollTo);
    EXPECT_EQ(line, 9);
}

TEST(SectionRouting, LineAtOrBeyondTheReportDoesNothing) {
    int line = -1;
    EXPECT_EQ(routePaneCommand(10, false, 10, CMD_STOP_MONITOR, &line), PaneCommand::None);
    EXPECT_EQ(routePaneCommand(11, false, 10, CMD_STOP_MONITOR, &line), PaneCommand::None);
    EXPECT_EQ(routePaneCommand(0, false, 0, CMD_STOP_MONITOR, &line), PaneCommand::None); // empty report
    EXPECT_EQ(line, -1);
}

TEST(SectionRouting, NotificationsNeverScroll) {
    int line = -1;
    EXPECT_EQ(routePaneCommand((1u << 16) | 3u, false, 100, CMD_STOP_MONITOR, &line), PaneCommand::None);
    EXPECT_EQ(routePaneCommand((0x8000u << 16) | 0u, true, 100, CMD_STOP_MONITOR, &line), PaneCommand::None);
    EXPECT_EQ(line, -1);
}

TEST(SectionRouting, StopButtonReachesTheMainWindowOnlyWhileMonitoring) {
    int line = -1;
    EXPECT_EQ(routePaneCommand(32792, true, 5, CMD_STOP_MONITOR, &line), PaneCommand::ForwardStop);
    // While monitoring even a long report does not make 32792 a line number.
    EXPECT_EQ(routePaneCommand(32792, true, 40000, CMD_STOP_MONITOR, &line), PaneCommand::ForwardStop);
    // Not monitoring: the same id is a line number like any other.
    EXPECT_EQ(routePaneCommand(32792, false, 5, CMD_STOP_MONITOR, &line), PaneCommand::None);
    EXPECT_EQ(routePaneCommand(32792, false, 40000, CMD_STOP_MONITOR, &line), PaneCommand::ScrollTo);
    EXPECT_EQ(line, 32792);
    // The stop command with a notification code is not the stop command.
    EXPECT_EQ(routePaneCommand((1u << 16) | 32792u, true, 5, CMD_STOP_MONITOR, &line), PaneCommand::None);
}

TEST(SplitterDrag, PressGrabsTheRightEdgeOrNothing) {
    int offset = -1;
    // Pane client 0..200 x 0..500; the bar is the right 2 pixels.
    EXPECT_EQ(dragModeForPress(199, 100, 200, 500, true, false, &offset), DragMode::RightEdge);
    EXPECT_EQ(offset, 1);
    // In the bottom 2 pixels a bottom-edge drag, which no pane of the program has.
    offset = -1;
    EXPECT_EQ(dragModeForPress(199, 498, 200, 500, true, false, &offset), DragMode::None);
    EXPECT_EQ(offset, -1);
    EXPECT_EQ(dragModeForPress(199, 498, 200, 500, true, true, &offset), DragMode::BottomEdge);
    EXPECT_EQ(offset, 2);
    // The right pane has no right neighbour.
    EXPECT_EQ(dragModeForPress(10, 10, 800, 500, false, false, &offset), DragMode::None);
    EXPECT_TRUE(inBottomCursorZone(498, 500));
    EXPECT_FALSE(inBottomCursorZone(497, 500));
}

TEST(SplitterDrag, MovingByDChangesTheWidthByExactlyD) {
    // Left pane at screen x 100, 200 wide; right pane ends at screen x 1000. Grab 1 pixel left of the edge.
    const int offset = 1;
    for (int d : {-50, -1, 0, 1, 37}) {
        const DragSizes s = dragStep(199 + d, offset, 100, 1000);
        EXPECT_EQ(s.pane, 200 + d) << d;
        EXPECT_EQ(s.neighbour, 900 - (200 + d)) << d;
    }
}

TEST(SplitterDrag, FarLeftAndFarRightKeepTwoPixels) {
    DragSizes s = dragStep(-500, 1, 100, 1000);
    EXPECT_EQ(s.pane, 2);
    EXPECT_EQ(s.neighbour, 898);
    s = dragStep(5000, 1, 100, 1000);
    EXPECT_EQ(s.neighbour, 2);
    EXPECT_EQ(s.pane, 898);
    // A frame too narrow for both: neither goes below the minimum.
    s = dragStep(50, 1, 100, 103);
    EXPECT_EQ(s.neighbour, 2);
    EXPECT_EQ(s.pane, 2);
}

TEST(SplitterLayout, ContentAndRightPaneSizes) {
    int w = 0, h = 0;
    contentSize(200, 500, true, false, &w, &h);
    EXPECT_EQ(w, 198);
    EXPECT_EQ(h, 500);
    contentSize(200, 500, false, true, &w, &h);
    EXPECT_EQ(w, 200);
    EXPECT_EQ(h, 499);
    EXPECT_EQ(rightPaneWidth(900, 200), 700);
    EXPECT_EQ(rightPaneWidth(150, 200), 0); // a main window narrower than the stored left width
}

TEST(WindowListRows, RefreshKeepsTheLastVisibleRow) {
    // Rows 40..59 visible (20 per page), 30 rows afterwards: row 29 is scrolled into view.
    EXPECT_EQ(rowToKeepVisible(40, 20, 30), 29);
    EXPECT_EQ(rowToKeepVisible(40, 20, 100), 59);
    EXPECT_EQ(rowToKeepVisible(0, 20, 0), -1); // no rows: nothing to scroll
}

TEST(WindowListRows, RowTextIsTitleThenClassInBrackets) {
    char text[64];
    formatRowText("Notes", "NotesWnd", text, sizeof text);
    EXPECT_STREQ(text, "Notes [NotesWnd]");
    formatRowText("", "NotesWnd", text, sizeof text);
    EXPECT_STREQ(text, " [NotesWnd]");
    formatRowText(nullptr, nullptr, text, sizeof text);
    EXPECT_STREQ(text, " []");
    formatRowText("ウインドウ", "Cls", text, sizeof text);
    EXPECT_EQ(std::string(text), std::string("ウインドウ") + " [Cls]");
}

TEST(OutputLinks, OnlyACtrlClickOnALinkThatFitsOpensIt) {
    EXPECT_TRUE(linkClickOpens(kEnLink, kLeftButtonDown, true, 10, 40));
    EXPECT_FALSE(linkClickOpens(kEnLink, kLeftButtonDown, false, 10, 40)); // a plain click edits
    EXPECT_FALSE(linkClickOpens(kEnLink, 0x0202, true, 10, 40));           // button release
    EXPECT_FALSE(linkClickOpens(kEnLink, 0x0200, true, 10, 40));           // mouse move over the link
    EXPECT_FALSE(linkClickOpens(0x0700, kLeftButtonDown, true, 10, 40));   // another notification
    EXPECT_FALSE(linkClickOpens(kEnLink, kLeftButtonDown, true, 10, 10));  // empty range
    EXPECT_TRUE(linkClickOpens(kEnLink, kLeftButtonDown, true, 0, 1023));
    EXPECT_FALSE(linkClickOpens(kEnLink, kLeftButtonDown, true, 0, 1024)); // no room for the terminator
}

TEST(Centring, SizeIsKeptAndDivisionTruncatesTowardZero) {
    int x = 0, y = 0;
    centeredOrigin(0, 0, 1280, 1000, 500, 400, &x, &y);
    EXPECT_EQ(x, 390);
    EXPECT_EQ(y, 300);
    // Odd remainders truncate; a window larger than the work area gets a negative origin, truncated
    // toward zero (-101 / 2 = -50).
    centeredOrigin(0, 0, 1279, 999, 500, 400, &x, &y);
    EXPECT_EQ(x, 389);
    EXPECT_EQ(y, 299);
    centeredOrigin(10, 20, 110, 120, 201, 301, &x, &y);
    EXPECT_EQ(x, 10 + (100 - 201) / 2);
    EXPECT_EQ(x, -40);
    EXPECT_EQ(y, 20 - 100);
}

TEST(PassPublication, OnlyWhatThePaneDoesNotShowYetIsAdded) {
    const std::string shown = "first pass text";
    // The pass's text starts 5 bytes before the end of what the pane shows ("text" and the new part).
    EXPECT_EQ(tailAppendOffset(shown.data(), shown.size(), 10, " text\r\nnew", 11), 5);
    // Nothing new: the offset is the whole text.
    EXPECT_EQ(tailAppendOffset(shown.data(), shown.size(), 10, " text", 5), 5);
    // An empty pane and a publication from the report's start: everything is added.
    EXPECT_EQ(tailAppendOffset("", 0, 0, "abc", 3), 0);
}

TEST(PassPublication, APaneShowingSomethingElseGetsTheWholeReport) {
    const std::string shown = "first pass text";
    EXPECT_EQ(tailAppendOffset(shown.data(), shown.size(), 10, " TEXT\r\nnew", 11), -1); // other bytes
    EXPECT_EQ(tailAppendOffset(shown.data(), shown.size(), 16, "new", 3), -1); // starts after the pane's end
    EXPECT_EQ(tailAppendOffset(shown.data(), shown.size(), 2, "rst", 3), -1);  // pane shows more than text
    EXPECT_EQ(tailAppendOffset(shown.data(), shown.size(), 0, "x", 1), -1);    // report cleared and refilled
}

TEST(ReportPieces, PiecesEndAfterALineFeedOrAWholeCharacterAndCoverTheText) {
    const std::string text = "ab\ncdef\ngh";
    EXPECT_EQ(reportPieceEnd(text.data(), 0, text.size(), 6), 3u);    // after "ab\n"
    EXPECT_EQ(reportPieceEnd(text.data(), 3, text.size(), 3), 6u);    // no line feed: 3 bytes
    EXPECT_EQ(reportPieceEnd(text.data(), 3, text.size(), 100), 10u); // the rest
    // "あい" in code page 932 (two double-byte characters): a piece never ends inside one.
    const std::string wide = "\x82\xa0\x82\xa2";
    EXPECT_EQ(reportPieceEnd(wide.data(), 0, wide.size(), 3), 2u);
    EXPECT_EQ(reportPieceEnd(wide.data(), 0, wide.size(), 1), 2u); // at least one character
    std::string joined;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = reportPieceEnd(text.data(), at, text.size(), 2);
        ASSERT_GT(end, at);
        joined.append(text, at, end - at);
        at = end;
    }
    EXPECT_EQ(joined, text);
}

TEST(MonitorPane, KeepsTheLastLinesWithinTheLimitButNeverLessThanTheNewestPass) {
    const std::string shown = "line one\r\nline two\r\nline three\r\n"; // lines begin at 0, 10 and 20
    ASSERT_EQ(shown.size(), 32u);
    // Within the limit: everything stays.
    EXPECT_EQ(paneKeepFrom(shown.data(), shown.size(), 5, 32), 0u);
    // 16 bytes allowed: the first line start with at most 16 bytes after it is 20 ("line three\r\n").
    EXPECT_EQ(paneKeepFrom(shown.data(), shown.size(), 5, 16), 20u);
    // 22 allowed: from the second line start on exactly 22 bytes remain; one byte less and it goes too.
    EXPECT_EQ(paneKeepFrom(shown.data(), shown.size(), 5, 22), 10u);
    EXPECT_EQ(paneKeepFrom(shown.data(), shown.size(), 5, 21), 20u);
    // The newest pass began at 15, inside the second line: that whole line stays although it passes the
    // limit.
    EXPECT_EQ(paneKeepFrom(shown.data(), shown.size(), 17, 4), 10u);
    // A newest pass starting right at a line start is kept from there.
    EXPECT_EQ(paneKeepFrom(shown.data(), shown.size(), 12, 4), 20u);
    // No line start after the cut (one long last line): the newest pass's line is kept.
    EXPECT_EQ(paneKeepFrom("a\r\nbbbbbbbbbbbb", 15, 3, 4), 3u);
}

TEST(MonitorPane, CharactersCountDoubleByteCharactersOnceAndLineEndsTwice) {
    // "あい\r\nb": two double-byte characters, CR, LF, b.
    const char text[] = "\x82\xa0\x82\xa2\r\nb";
    EXPECT_EQ(paneCharCount(text, 7), 5);
    EXPECT_EQ(paneCharCount(text, 6), 4);
    EXPECT_EQ(paneCharCount("\x82", 1), 1); // a lead byte at the very end counts as one character
    EXPECT_EQ(paneCharCount("", 0), 0);
}

} // namespace
} // namespace vantor
