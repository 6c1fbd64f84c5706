// The list-view readers against fake list views in 32-bit and 64-bit processes: the report text byte for
// byte, the records and block sizes sent to the target, and the failure, stop and time-out paths.
#include <string>
#include <vector>

#include "capture/list_view_reader.h"
#include "capture/selected_rows.h"
#include "remote_test_support.h"

namespace vantor {
namespace testing_support {
namespace {

using fake::addListView;
using Rows = std::vector<std::vector<std::string>>;

class ListViewReaderTest : public WidthTest {
  protected:
    Hwnd list(std::vector<std::string> columns, Rows rows, std::vector<int> selected = {},
              fake::ListViewOptions options = fake::ListViewOptions()) {
        return addListView(desktop, top, target, std::move(columns), std::move(rows), std::move(selected),
                           std::move(options));
    }
};

TEST_P(ListViewReaderTest, HeaderAndRowsByteForByte) {
    Hwnd lv = list({"Name", "Size", "Type"}, {{"a.txt", "12", "Text"}, {"b", "", "Bin"}, {"", "", ""}});
    readListViewRows(lv, false);
    EXPECT_EQ(reportText(), "Name\tSize\tType\r\n"
                            "a.txt\t12\tText\r\n"
                            "b\t\tBin\r\n"
                            "\t\t\r\n");
}

TEST_P(ListViewReaderTest, SeparatorIsTheOneTheCaptureWasGiven) {
    CaptureSession given(&ui, " | ");
    Hwnd lv = list({"Name", "Size"}, {{"a", "1"}});
    vantor::readListViewRows(given, lv, false);
    EXPECT_EQ(reportSnapshot(given), "Name | Size\r\na | 1\r\n");
}

TEST_P(ListViewReaderTest, NoRowsGivesHeaderThenFailureLine) {
    Hwnd lv = list({"Name", "Size"}, {});
    readListViewRows(lv, false);
    EXPECT_EQ(reportText(), "Name\tSize\r\n" + failureText());
}

TEST_P(ListViewReaderTest, SingleColumnKeepsShortRowsButTheyAreNoInformation) {
    Hwnd lv = list({"Col"}, {{"x"}, {""}, {"ok"}});
    readListViewRows(lv, false);
    EXPECT_EQ(reportText(), "Col\r\nx\r\n\r\nok\r\n");

    reportNow().clear();
    Hwnd shortOnly = list({"Col"}, {{"x"}, {""}});
    readListViewRows(shortOnly, false);
    EXPECT_EQ(reportText(), "Col\r\nx\r\n\r\n" + failureText());
}

TEST_P(ListViewReaderTest, ZeroColumnsReadAsOneWithOneHeaderQuery) {
    Hwnd lv = list({}, {{"alpha"}, {"beta"}});
    int headerQueries = 0;
    countMessages(wire::HDM_GETITEMA, &headerQueries);
    readListViewRows(lv, false);
    EXPECT_EQ(headerQueries, 1);
    EXPECT_EQ(reportText(), "alpha\r\nbeta\r\n");
}

TEST_P(ListViewReaderTest, ShortTitlesAreLeftOutButKeepTheirColumn) {
    Hwnd firstShort = list({"A", "Size", "Type"}, {});
    readListViewHeader(firstShort);
    EXPECT_EQ(reportText(), "\tSize\tType\r\n");

    reportNow().clear();
    Hwnd middleShort = list({"Name", "X", "Type"}, {});
    readListViewHeader(middleShort);
    EXPECT_EQ(reportText(), "Name\t\tType\r\n");

    reportNow().clear();
    Hwnd allShort = list({"A", ""}, {});
    readListViewHeader(allShort);
    EXPECT_EQ(reportText(), "");
}

TEST_P(ListViewReaderTest, SelectedRowsOnly) {
    Rows rows;
    for (int i = 0; i < 7; ++i)
        rows.push_back({"row" + std::to_string(i), std::to_string(i * 10)});
    Hwnd none = list({"Name", "Value"}, rows);
    readListViewRows(none, true);
    EXPECT_EQ(reportNow().text, nullptr);
    EXPECT_TRUE(ui.shown.empty());

    Hwnd some = list({"Name", "Value"}, rows, {5, 2});
    readListViewRows(some, true);
    EXPECT_EQ(reportText(), "Name\tValue\r\nrow2\t20\r\nrow5\t50\r\n");
}

TEST_P(ListViewReaderTest, PaneRefreshedAfterRow200OnlyForSeveralColumns) {
    Rows rows;
    for (int i = 0; i < 250; ++i)
        rows.push_back({"r" + std::to_string(i), "v"});
    Hwnd twoColumns = list({"Name", "Value"}, rows);
    readListViewRows(twoColumns, false);
    ASSERT_EQ(ui.shown.size(), 1u);
    // The snapshot ends with row 200, the row after which the pane was refreshed.
    const std::string& shown = ui.shown[0];
    EXPECT_EQ(shown.substr(shown.size() - 8), "r200\tv\r\n");
    EXPECT_EQ(lineOf(reportText(), 250), "r249\tv");

    Rows single;
    for (int i = 0; i < 301; ++i)
        single.push_back({"r"});
    Hwnd oneColumn = list({"Name"}, single);
    readListViewRows(oneColumn, false);
    EXPECT_EQ(ui.shown.size(), 1u);

    Rows more;
    for (int i = 0; i < 401; ++i)
        more.push_back({"r", "v"});
    Hwnd longer = list({"Name", "Value"}, more);
    readListViewRows(longer, false);
    EXPECT_EQ(ui.shown.size(), 4u); // rows 200, 300 and 400
}

TEST_P(ListViewReaderTest, StopRequestLeavesPartialReportAndReleasesEverything) {
    Hwnd lv = list({"Name", "Size", "Type"}, {{"a", "1", "x"}, {"b", "2", "y"}, {"c", "3", "z"}});
    int cells = 0;
    desktop.beforeMessage = [this, &cells](Hwnd, std::uint32_t m) {
        if (m == wire::LVM_GETITEMA && ++cells == 5) session.requestStop();
    };
    readListViewRows(lv, false);
    // The fifth cell (row 1, column 1) is still read; the stop ends the row before column 2.
    EXPECT_EQ(reportText(), "Name\tSize\tType\r\na\t1\tx\r\nb\t2");
    EXPECT_EQ(cells, 5);
}

TEST_P(ListViewReaderTest, StopDuringHeaderEndsWithoutLineFeedOrFailure) {
    Hwnd lv = list({"Name", "Size"}, {{"a", "1"}});
    int titles = 0;
    desktop.beforeMessage = [this, &titles](Hwnd, std::uint32_t m) {
        if (m == wire::HDM_GETITEMA && ++titles == 1) session.requestStop();
    };
    readListViewRows(lv, false);
    EXPECT_EQ(reportText(), "Name");
}

TEST_P(ListViewReaderTest, RecordsAndBlocksInTheTargetsWidth) {
    Hwnd lv = list({"Name", "Size"}, {{"alpha", "1"}, {"beta", "2"}});
    readListViewRows(lv, false);
    EXPECT_EQ(reportText(), "Name\tSize\r\nalpha\t1\r\nbeta\t2\r\n");
    const std::size_t headerBlock = is64() ? 64 + 260 : 304;
    const std::size_t rowBlock = is64() ? 56 + 260 : 300;
    // The row block grows to two slots for the second batch.
    ASSERT_EQ(access.remoteSizes, (std::vector<std::size_t>{headerBlock, rowBlock, 2 * rowBlock}));
    // Two header queries, each writing the whole block first; then row 0 alone and row 1, each batch written
    // at once: one record per cell, each followed by a text buffer of its own.
    ASSERT_EQ(access.writes.size(), 4u);
    for (std::size_t w = 0; w < 2; ++w) {
        const auto& b = access.writes[w].bytes;
        RemoteAddr at = access.writes[w].at;
        ASSERT_EQ(b.size(), headerBlock);
        EXPECT_EQ(fieldAt<std::uint32_t>(b, 0), 0x000Au); // HDI_TEXT | HDI_LPARAM
        if (is64()) {
            EXPECT_EQ(fieldAt<std::uint64_t>(b, 8), at + 64);
            EXPECT_EQ(fieldAt<std::int32_t>(b, 24), 260);
        } else {
            EXPECT_EQ(fieldAt<std::uint32_t>(b, 8), at + 44);
            EXPECT_EQ(fieldAt<std::int32_t>(b, 16), 260);
        }
    }
    for (std::size_t w = 2; w < 4; ++w) {
        const auto& b = access.writes[w].bytes;
        RemoteAddr at = access.writes[w].at;
        ASSERT_EQ(b.size(), 2 * rowBlock);
        for (std::size_t cell = 0; cell < 2; ++cell) {
            const std::size_t slot = cell * rowBlock;
            EXPECT_EQ(fieldAt<std::uint32_t>(b, slot + 0), 0x0005u); // LVIF_TEXT | LVIF_PARAM
            EXPECT_EQ(fieldAt<std::int32_t>(b, slot + 4), static_cast<int>(w - 2));
            EXPECT_EQ(fieldAt<std::int32_t>(b, slot + 8), static_cast<int>(cell));
            if (is64()) {
                EXPECT_EQ(fieldAt<std::uint64_t>(b, slot + 24), at + slot + 56);
                EXPECT_EQ(fieldAt<std::int32_t>(b, slot + 32), 260);
            } else {
                EXPECT_EQ(fieldAt<std::uint32_t>(b, slot + 20), at + slot + 40);
                EXPECT_EQ(fieldAt<std::int32_t>(b, slot + 24), 260);
            }
        }
    }
    EXPECT_EQ(access.reads, 2 + 2); // one read per header query, one per batch
}

TEST_P(ListViewReaderTest, TextFromTheListViewsOwnBuffer) {
    fake::ListViewOptions own;
    own.ownBuffer = true;
    std::string longCell(300, 'q');
    Hwnd lv = list({"Name", "Size"}, {{"alpha", longCell}, {"", "2"}}, {}, own);
    readListViewRows(lv, false);
    // Read from where the control points, cut at the capacity the record offered.
    EXPECT_EQ(reportText(), "Name\tSize\r\nalpha\t" + std::string(259, 'q') + "\r\n\t2\r\n");
}

TEST_P(ListViewReaderTest, LongCellIsCutByTheControlWithoutOverrun) {
    Hwnd lv = list({"Name"}, {{std::string(400, 'z')}});
    readListViewRows(lv, false);
    EXPECT_EQ(reportText(), "Name\r\n" + std::string(259, 'z') + "\r\n");
}

TEST_P(ListViewReaderTest, UnreadableProcessSendsNoQueryAndGivesFailureLine) {
    Hwnd lv = list({"Name"}, {{"alpha"}});
    int queries = 0;
    desktop.beforeMessage = [&queries](Hwnd, std::uint32_t m) {
        if (m == wire::LVM_GETITEMA || m == wire::HDM_GETITEMA) ++queries;
    };
    desktop.process(target)->openable = false;
    readListViewRows(lv, false);
    EXPECT_EQ(reportText(), failureText());

    reportNow().clear();
    desktop.process(target)->openable = true;
    desktop.process(target)->allocatable = false;
    readListViewRows(lv, false);
    EXPECT_EQ(reportText(), failureText());

    reportNow().clear();
    desktop.process(target)->allocatable = true;
    desktop.failLocalAlloc = true;
    readListViewRows(lv, false);
    EXPECT_EQ(reportText(), failureText());
    desktop.failLocalAlloc = false;
    EXPECT_EQ(queries, 0);
}

TEST_P(ListViewReaderTest, ListViewThatStopsAnsweringIsAskedNoFurther) {
    Hwnd lv = list({"Name", "Size"}, {{"a", "1"}, {"c", "3"}, {"e", "5"}});
    int cells = 0;
    int afterHang = 0;
    desktop.beforeMessage = [this, lv, &cells, &afterHang](Hwnd w, std::uint32_t m) {
        if (desktop.window(lv)->hung) ++afterHang;
        if (w == lv && m == wire::LVM_GETITEMA && ++cells == 4) desktop.window(lv)->hung = true;
    };
    readListViewRows(lv, false);
    // Row 1's second cell timed out: it is empty, the row is closed and no further row is asked; the rows
    // missing are marked with the failure line.
    EXPECT_EQ(reportText(), "Name\tSize\r\na\t1\r\nc\t\r\n" + failureText());
    EXPECT_EQ(afterHang, 0);
}

TEST_P(ListViewReaderTest, ListViewWhoseProcessEndsIsAskedNoFurther) {
    // The target process ends in the middle of the rows while its window is still listed: its memory can no
    // longer be written or read. The row being read is closed with what it has, and no empty rows follow.
    Hwnd lv = list({"Name", "Size"}, {{"a", "1"}, {"c", "3"}, {"e", "5"}, {"g", "7"}});
    int cells = 0;
    desktop.beforeMessage = [this, lv, &cells](Hwnd w, std::uint32_t m) {
        if (w == lv && m == wire::LVM_GETITEMA && ++cells == 3) desktop.process(target)->ended = true;
    };
    readListViewRows(lv, false);
    EXPECT_EQ(reportText(), "Name\tSize\r\na\t1\r\n\t\r\n" + failureText());
    EXPECT_EQ(cells, 3);
}

TEST_P(ListViewReaderTest, HungListViewGivesFailureLine) {
    Hwnd lv = list({"Name"}, {{"alpha"}});
    desktop.window(lv)->hung = true;
    int sent = desktop.messagesSent();
    readListViewRows(lv, false);
    EXPECT_EQ(reportText(), failureText());
    // LVM_GETHEADER (header reader), then LVM_GETITEMCOUNT (rows reader): nothing more after the time-out.
    EXPECT_EQ(desktop.messagesSent() - sent, 2);
}

TEST_P(ListViewReaderTest, NoLockHeldAcrossMessages) {
    Rows rows;
    for (int i = 0; i < 210; ++i)
        rows.push_back({"r", "v"});
    Hwnd lv = list({"Name", "Value"}, rows, {0, 205});
    bool heldDuringMessage = false;
    desktop.beforeMessage = [&heldDuringMessage](Hwnd, std::uint32_t) {
        heldDuringMessage = heldDuringMessage || captureLockHeldByThisThread();
    };
    readListViewRows(lv, false);
    readListViewRows(lv, true);
    EXPECT_FALSE(heldDuringMessage);
    EXPECT_FALSE(captureLockHeldByThisThread());
}

INSTANTIATE_TEST_SUITE_P(Widths, ListViewReaderTest, ::testing::Values(32, 64), widthName);

} // namespace
} // namespace testing_support
} // namespace vantor
