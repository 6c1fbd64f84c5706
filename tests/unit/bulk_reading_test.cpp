// The list-view and tree-view readers on the bulk path (texts read inside the target through the hook
// library, here the fake one answering like msghook.dll) against the same controls read across processes:
// the report byte for byte, the fall-back to the cross-process exchanges, a control destroyed and a chunk
// unanswered in the middle, the stop request and the pane refresh between chunks, and malformed answers.
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bulk_test_support.h"
#include "capture/bar_readers.h"
#include "capture/bulk_session.h"
#include "capture/in_process_readers.h"
#include "capture/list_view_reader.h"
#include "capture/section_model.h"
#include "platform/fake/fake_hook_library.h"
#include "platform/hook_library.h"
#include "remote_test_support.h"
#include "triggers/capture_commands.h"

namespace vantor {
namespace testing_support {
namespace {

using fake::FakeTreeItem;
using Rows = std::vector<std::vector<std::string>>;

std::uint64_t testClockMs = 0;
std::uint64_t testClock() {
    return testClockMs;
}

std::vector<std::string> paths;
void recordPath(Hwnd, const char* reader, const char* path) {
    paths.push_back(std::string(reader) + ": " + path);
}

std::string treeLines(const TextNode* first, int depth = 0) {
    std::string out;
    for (const TextNode* n = first; n != nullptr; n = n->next()) {
        out += std::string(static_cast<std::size_t>(depth) * 2, ' ') + n->text + "\n";
        out += treeLines(n->firstChild(), depth + 1);
    }
    return out;
}

class BulkReadingTest : public WidthTest {
  protected:
    void SetUp() override {
        WidthTest::SetUp();
        setHookLibrary(&library);
        session.setReadPath(ReadPathChoice::BulkAllowed);
        setBulkClock(&testClock);
        testClockMs = 0;
        paths.clear();
        setReadPathObserver(&recordPath);
    }
    void TearDown() override {
        EXPECT_EQ(library.openSessions, 0);
        setReadPathObserver(nullptr);
        setBulkClock(nullptr);
        session.setReadPath(ReadPathChoice::BulkAllowed);
        setWideBulkTexts(false);
        setHookLibrary(nullptr);
        WidthTest::TearDown();
    }
    // The list view on the fake desktop and the same contents answered in chunks by the fake library.
    Hwnd list(std::vector<std::string> titles, Rows rows, std::vector<int> selected = {}) {
        listTarget = BulkListTarget{};
        listTarget.titles = titles;
        listTarget.rows = rows;
        listTarget.selected = selected;
        library.bulkAnswer = [this](const wire::BulkRequest& q, std::uint32_t s) {
            return listTarget.answer(q, s);
        };
        return fake::addListView(desktop, top, target, std::move(titles), std::move(rows),
                                 std::move(selected));
    }
    // The report of the list view read across processes, then (report cleared) through the bulk path.
    std::pair<std::string, std::string> bothPaths(Hwnd lv, bool selectedOnly) {
        session.setReadPath(ReadPathChoice::CrossProcessOnly);
        readListViewRows(lv, selectedOnly);
        const std::string cross = reportText();
        reportNow().clear();
        session.setReadPath(ReadPathChoice::BulkAllowed);
        readListViewRows(lv, selectedOnly);
        return {cross, reportText()};
    }
    BulkTreeTarget treeTarget(Hwnd tv, std::vector<std::string> texts) {
        BulkTreeTarget t;
        t.desktop = &desktop;
        t.tree = tv;
        t.texts = std::move(texts);
        return t;
    }
    std::string items() {
        CaptureLock lock(session);
        return treeLines(lock.tree()->firstChild());
    }
    fake::FakeHookLibrary library;
    BulkListTarget listTarget;
};

// ---- List view ------------------------------------------------------------------------------------------

// A Unicode program's list view, its texts given in UTF-8, with the kept model asked for texts whole.
TEST_P(BulkReadingTest, UnicodeListViewIsReadWideOnTheBulkPathWhenTheTextsAreKeptWhole) {
    if (!is64()) GTEST_SKIP() << "the fake library reaches 64-bit targets";
    desktop.window(top)->unicode = true;
    const std::vector<std::string> titles = {u8"名前", u8"언어"};
    const Rows rows = {{u8"café – naïve", u8"한국어"}, {u8"简体", "x"}, {u8"😀", ""}};
    Hwnd lv = list(titles, rows);
    std::intptr_t header = 0;
    ws().sendMessage(lv, wire::LVM_GETHEADER, 0, 0, &header);
    desktop.window(lv)->unicode = desktop.window(static_cast<Hwnd>(header))->unicode = true;
    setWideBulkTexts(true);
    // Whole on the bulk path; then with the second chunk unanswered, the rest read across processes, wide.
    for (int silentAt : {-1, 1}) {
        SCOPED_TRACE(silentAt);
        listTarget.chunks = 0;
        listTarget.silentAtChunk = silentAt;
        library.requests.clear();
        reportNow().clear();
        SectionModel model;
        model.control = lv;
        readListViewRows(lv, false, &model);
        ASSERT_FALSE(library.requests.empty());
        EXPECT_NE(library.requests[0].flags & wire::kBulkWideTexts, 0u);
        EXPECT_TRUE(model.textsUtf8);
        EXPECT_EQ(model.header, titles);
        EXPECT_EQ(model.headerJudgedBytes, (std::vector<int>{4, 2}));
        ASSERT_EQ(model.rows.size(), 3u);
        for (std::size_t r = 0; r < rows.size(); ++r)
            EXPECT_EQ(model.rows[r].cells, rows[r]);
        // The report has what the ANSI messages give: the system's conversion.
        EXPECT_EQ(reportText(), "名前\t??\r\ncaf? ? na?ve\t???\r\n?体\tx\r\n?\t\r\n");
    }
    // Not asked for: the ANSI reads, as the report wants.
    setWideBulkTexts(false);
    library.requests.clear();
    listTarget.chunks = 0;
    listTarget.silentAtChunk = -1;
    SectionModel model;
    readListViewRows(lv, false, &model);
    ASSERT_FALSE(library.requests.empty());
    EXPECT_EQ(library.requests[0].flags & wire::kBulkWideTexts, 0u);
    EXPECT_FALSE(model.textsUtf8);
}

TEST_P(BulkReadingTest, ListViewReportIsTheSameOnBothPaths) {
    // A one-byte title (left out, its column kept), an empty cell, a one-byte cell, a text longer than
    // the 260-byte buffer (cut to 259 bytes on both paths), double-byte texts; 7 rows in 4 chunks.
    const std::string longText(300, 'L');
    Hwnd lv = list({"名前", "説明", "#"}, {{"りんご", "赤い果物", "1"},
                                           {"みかん", "", "2"},
                                           {"x", longText, "3"},
                                           {"", "", ""},
                                           {"a", "b", "c"},
                                           {"日本語", "漢字", "6"},
                                           {"last", "row", "7"}});
    const auto both = bothPaths(lv, false);
    const std::string expected = "名前\t説明\t\r\n"
                                 "りんご\t赤い果物\t1\r\n"
                                 "みかん\t\t2\r\n"
                                 "x\t" +
                                 std::string(259, 'L') +
                                 "\t3\r\n"
                                 "\t\t\r\n"
                                 "a\tb\tc\r\n"
                                 "日本語\t漢字\t6\r\n"
                                 "last\trow\t7\r\n";
    EXPECT_EQ(both.first, expected);
    if (is64()) {
        EXPECT_EQ(both.second, expected);
        EXPECT_EQ(library.requests.size(), 4u); // rows 0-1, 2-3, 4-5, 6
        EXPECT_EQ(library.requests[1].from, 2u);
        EXPECT_EQ(library.requests[1].rows, 7);
        EXPECT_EQ(paths, (std::vector<std::string>{
                             "list view: cross-process (forced by --cross-process or ForceCrossProcess=1)",
                             "list view: bulk"}));
    } else {
        // A target of another pointer width never loads the library: it is not even asked.
        EXPECT_EQ(both.second, expected);
        EXPECT_TRUE(library.begun.empty());
        EXPECT_EQ(paths, (std::vector<std::string>{
                             "list view: cross-process (forced by --cross-process or ForceCrossProcess=1)",
                             "list view: cross-process (the target has another pointer width)"}));
    }
}

// A 64-bit program with the 32-bit host beside it reaches a 32-bit target through the host's library: the
// same report, asked in the same chunks.
TEST_P(BulkReadingTest, TargetOfAnotherWidthIsReadInsideItWhereTheLibraryReachesIt) {
    if (is64()) GTEST_SKIP() << "a target of the program's own width";
    library.alsoReaches = 32;
    Hwnd lv = list({"名前", "#"}, {{"りんご", "1"}, {"みかん", "2"}, {"x", "3"}});
    const auto both = bothPaths(lv, false);
    EXPECT_EQ(both.first, "名前\t\r\nりんご\t1\r\nみかん\t2\r\nx\t3\r\n");
    EXPECT_EQ(both.second, both.first);
    EXPECT_EQ(library.begun, std::vector<Hwnd>{lv});
    EXPECT_EQ(library.requests.size(), 2u); // rows 0-1, 2
    EXPECT_EQ(paths.back(), "list view: bulk");
}

TEST_P(BulkReadingTest, SingleColumnAndEmptyListRulesHoldOnTheBulkPath) {
    Hwnd shortOnly = list({"Col"}, {{"x"}, {""}, {"y"}});
    auto both = bothPaths(shortOnly, false);
    EXPECT_EQ(both.first, "Col\r\nx\r\n\r\ny\r\n" + failureText());
    EXPECT_EQ(both.second, both.first);

    reportNow().clear();
    Hwnd empty = list({"Name", "Size"}, {});
    both = bothPaths(empty, false);
    EXPECT_EQ(both.first, "Name\tSize\r\n" + failureText());
    EXPECT_EQ(both.second, both.first);

    reportNow().clear();
    Hwnd noTitles = list({}, {{"alpha"}, {"beta"}});
    both = bothPaths(noTitles, false);
    EXPECT_EQ(both.first, "alpha\r\nbeta\r\n");
    EXPECT_EQ(both.second, both.first);
}

TEST_P(BulkReadingTest, SelectedRowsOnlyAndNothingWhenNoneIsSelected) {
    Hwnd lv = list({"Name", "Size"},
                   {{"r0", "0"}, {"r1", "1"}, {"r2", "2"}, {"r3", "3"}, {"r4", "4"}, {"r5", "5"}}, {1, 2, 5});
    auto both = bothPaths(lv, true);
    EXPECT_EQ(both.first, "Name\tSize\r\nr1\t1\r\nr2\t2\r\nr5\t5\r\n");
    EXPECT_EQ(both.second, both.first);

    reportNow().clear();
    Hwnd none = list({"Name", "Size"}, {{"r0", "0"}});
    both = bothPaths(none, true);
    EXPECT_EQ(both.first, "");
    EXPECT_EQ(both.second, "");
}

TEST_P(BulkReadingTest, FallsBackWhenTheFirstChunkDoesNotCome) {
    if (!is64()) GTEST_SKIP() << "the bulk path is tried for targets of the program's width only";
    const std::string expected = "Name\tSize\r\na\t1\r\nb\t2\r\nc\t3\r\n";
    Hwnd lv = list({"Name", "Size"}, {{"a", "1"}, {"b", "2"}, {"c", "3"}});
    struct Case {
        const char* what;
        std::function<void()> arrange;
        const char* why; // as --verbose gives it
    };
    const std::vector<Case> cases = {
        {"no library", [this] { setHookLibrary(nullptr); }, "msghook.dll is not loaded"},
        {"hook refused", [this] { library.refuseBegin = true; },
         "the hook library took no request: the program's own window, a hung window, or its named objects "
         "not "
         "to be had"},
        {"no answer in time", [this] { listTarget.silentAtChunk = 0; }, "no answer within the time-out"},
        {"control gone before reading", [this] { listTarget.goneAtChunk = 0; },
         "the target reported the control gone"},
        {"refused request",
         [this] {
             library.bulkAnswer = [](const wire::BulkRequest& q, std::uint32_t s) {
                 return answerBytes(q, answerHeader(s, wire::kBulkRefused), {}, 0);
             };
         },
         "the target refused the request"},
        {"answer to another request",
         [this] {
             library.bulkAnswer = [this](const wire::BulkRequest& q, std::uint32_t s) {
                 return listTarget.answer(q, s + 1);
             };
         },
         "an answer did not hold up"},
        {"setting forces cross-process", [this] { session.setReadPath(ReadPathChoice::CrossProcessOnly); },
         "forced by --cross-process or ForceCrossProcess=1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        reportNow().clear();
        setHookLibrary(&library);
        session.setReadPath(ReadPathChoice::BulkAllowed);
        library.refuseBegin = false;
        library.bulkAnswer = [this](const wire::BulkRequest& q, std::uint32_t s) {
            return listTarget.answer(q, s);
        };
        BulkListTarget fresh;
        fresh.titles = listTarget.titles;
        fresh.rows = listTarget.rows;
        listTarget = fresh;
        paths.clear();
        c.arrange();
        readListViewRows(lv, false);
        EXPECT_EQ(reportText(), expected);
        EXPECT_EQ(paths, std::vector<std::string>{std::string("list view: cross-process (") + c.why + ")"});
    }
}

// The read path is each session's own: a session kept to the cross-process exchanges and one allowed the
// bulk path, reading in turn, each keep to theirs; the controller gives its choice to the sessions it starts.
TEST_P(BulkReadingTest, EachSessionKeepsItsOwnReadPath) {
    if (!is64()) GTEST_SKIP() << "the fake library reaches 64-bit targets";
    Hwnd lv = list({"名前", "#"}, {{"りんご", "1"}, {"x", ""}});
    CaptureSession cross(nullptr, "\t", ReadPathChoice::CrossProcessOnly);
    readListViewRows(lv, false);
    vantor::readListViewRows(cross, lv, false);
    readListViewRows(lv, false);
    EXPECT_EQ(paths, (std::vector<std::string>{
                         "list view: bulk",
                         "list view: cross-process (forced by --cross-process or ForceCrossProcess=1)",
                         "list view: bulk"}));
    EXPECT_EQ(reportText(), "名前\t\r\nりんご\t1\r\nx\t\r\n名前\t\r\nりんご\t1\r\nx\t\r\n");
    EXPECT_EQ(CaptureLock(cross).report().text, std::string("名前\t\r\nりんご\t1\r\nx\t\r\n"));

    CaptureController controller;
    controller.readPath = ReadPathChoice::CrossProcessOnly;
    EXPECT_EQ(controller.startSession("\t")->readPath(), ReadPathChoice::CrossProcessOnly);
    controller.readPath = ReadPathChoice::BulkAllowed;
    EXPECT_EQ(controller.startSession("\t")->readPath(), ReadPathChoice::BulkAllowed);
}

// The model a capture session keeps: the same header, rows (one-byte and empty texts included), columns
// and status on both paths; only the path differs. A list cut off mid-read is kept cut short.
TEST_P(BulkReadingTest, ListViewModelIsTheSameOnBothPathsAndKeepsWhatTheReportDrops) {
    Hwnd lv = list({"名前", "#"}, {{"りんご", "1"}, {"x", ""}, {"", ""}});
    SectionModel cross;
    SectionModel bulk;
    session.setReadPath(ReadPathChoice::CrossProcessOnly);
    readListViewRows(lv, false, &cross);
    session.setReadPath(ReadPathChoice::BulkAllowed);
    readListViewRows(lv, false, &bulk);
    for (const SectionModel* m : {&cross, &bulk}) {
        EXPECT_TRUE(m->hasHeader);
        EXPECT_EQ(m->header, (std::vector<std::string>{"名前", "#"}));
        EXPECT_EQ(m->columns, 2);
        ASSERT_EQ(m->rows.size(), 3u);
        EXPECT_EQ(m->rows[0].cells, (std::vector<std::string>{"りんご", "1"}));
        EXPECT_EQ(m->rows[1].cells, (std::vector<std::string>{"x", ""}));
        EXPECT_EQ(m->rows[2].cells, (std::vector<std::string>{"", ""}));
        EXPECT_EQ(m->status, SectionStatus::Read);
    }
    EXPECT_EQ(cross.path, SectionPath::CrossProcess);
    EXPECT_EQ(bulk.path, is64() ? SectionPath::Bulk : SectionPath::CrossProcess);

    if (!is64()) return;
    Hwnd gone = list({"Name", "Size"}, {{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}});
    listTarget.goneAtChunk = 1;
    listTarget.onChunk = [this, gone](int chunk) {
        if (chunk == 1) desktop.destroyWindow(gone);
    };
    SectionModel cut;
    readListViewRows(gone, false, &cut);
    EXPECT_EQ(cut.path, SectionPath::BulkThenCrossProcess);
    EXPECT_EQ(cut.status, SectionStatus::CutShort);
    ASSERT_EQ(cut.rows.size(), 2u);
    EXPECT_EQ(cut.rows[1].cells, (std::vector<std::string>{"b", "2"}));
}

TEST_P(BulkReadingTest, ControlGoneOrSilentMidReadIsFinishedAcrossProcesses) {
    if (!is64()) GTEST_SKIP() << "the bulk path is tried for targets of the program's width only";
    Hwnd lv = list({"Name", "Size"}, {{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}, {"e", "5"}});
    listTarget.goneAtChunk = 1;
    listTarget.onChunk = [this, lv](int chunk) {
        if (chunk == 1) desktop.destroyWindow(lv);
    };
    readListViewRows(lv, false);
    // The destroyed control cannot be read across processes either: the section says rows are missing.
    EXPECT_EQ(reportText(), "Name\tSize\r\na\t1\r\nb\t2\r\n" + failureText());
    EXPECT_EQ(library.requests.size(), 2u);
    EXPECT_EQ(paths, std::vector<std::string>{
                         "list view: bulk, the rest cross-process (the target reported the control gone)"});

    // Unanswered after the first chunk: the rows so far stand and the rest is read across processes, from
    // the first row not yet read.
    reportNow().clear();
    Hwnd lv2 = list({"Name"}, {{"x"}, {""}, {"long enough"}});
    listTarget.silentAtChunk = 1;
    int cells = 0;
    desktop.beforeMessage = [&cells, lv2](Hwnd w, std::uint32_t m) {
        if (w == lv2 && m == wire::LVM_GETITEMA) ++cells;
    };
    readListViewRows(lv2, false);
    EXPECT_EQ(reportText(), "Name\r\nx\r\n\r\nlong enough\r\n");
    EXPECT_EQ(cells, 1);

    // A control reported gone that is still there (a forged status): its rows are read all the same.
    reportNow().clear();
    Hwnd lv3 = list({"Name", "Size"}, {{"a", "1"}, {"b", "2"}, {"c", "3"}});
    listTarget.goneAtChunk = 1;
    readListViewRows(lv3, false);
    EXPECT_EQ(reportText(), "Name\tSize\r\na\t1\r\nb\t2\r\nc\t3\r\n");
}

TEST_P(BulkReadingTest, StopRequestIsCheckedBetweenChunks) {
    if (!is64()) GTEST_SKIP() << "the bulk path is tried for targets of the program's width only";
    Hwnd lv = list({"Name", "Size"}, {{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}, {"e", "5"}});
    listTarget.onChunk = [this](int chunk) {
        if (chunk == 1) session.requestStop();
    };
    int counts = 0;
    countMessages(wire::LVM_GETITEMCOUNT, &counts);
    readListViewRows(lv, false);
    // The second chunk's rows stand; no third chunk is asked for, no failure line, and the rest is not
    // read across processes either (the one count query is the bulk path's own).
    EXPECT_EQ(reportText(), "Name\tSize\r\na\t1\r\nb\t2\r\nc\t3\r\nd\t4\r\n");
    EXPECT_EQ(library.requests.size(), 2u);
    EXPECT_EQ(counts, 1);
}

TEST_P(BulkReadingTest, PaneRefreshedAfterAChunkOnceEnoughTimeHasPassed) {
    if (!is64()) GTEST_SKIP() << "the bulk path is tried for targets of the program's width only";
    Rows rows;
    for (int i = 0; i < 12; ++i)
        rows.push_back({"r" + std::to_string(i), std::to_string(i)});
    Hwnd lv = list({"Name", "Size"}, rows);
    // Each chunk takes 300 ms: refreshes after the chunks that end 600 ms and 1200 ms after the start
    // (chunks 2 and 4 of 6; never after the last one, which the capture publishes itself).
    listTarget.onChunk = [](int) { testClockMs += 300; };
    readListViewRows(lv, false);
    ASSERT_EQ(library.requests.size(), 6u);
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[0], "Name\tSize\r\nr0\t0\r\nr1\t1\r\nr2\t2\r\nr3\t3\r\n");
    EXPECT_EQ(ui.shown[1].size(), std::string("Name\tSize\r\n").size() + 8 * std::string("r0\t0\r\n").size());
}

TEST_P(BulkReadingTest, MalformedLaterChunkIsFinishedAcrossProcesses) {
    if (!is64()) GTEST_SKIP() << "the bulk path is tried for targets of the program's width only";
    Hwnd lv = list({"Name", "Size"}, {{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}});
    // The second answer repeats row 0: a row not asked for.
    library.bulkAnswer = [this](const wire::BulkRequest& q, std::uint32_t s) {
        wire::BulkRequest again = q;
        if (q.from != 0) again.from = 0;
        return listTarget.answer(again, s);
    };
    readListViewRows(lv, false);
    EXPECT_EQ(reportText(), "Name\tSize\r\na\t1\r\nb\t2\r\nc\t3\r\nd\t4\r\n");
    EXPECT_EQ(library.requests.size(), 2u);
}

TEST_P(BulkReadingTest, CellAnsweredFalseIsAnEmptyText) {
    if (!is64()) GTEST_SKIP() << "the bulk path is tried for targets of the program's width only";
    Hwnd lv = list({"Name", "Size"}, {{"a", "1"}, {"b", "2"}});
    // As across processes, where each query's text buffer goes out empty: a cell or title answered FALSE
    // is empty, never the text before it (the title keeps its column).
    library.bulkAnswer = [](const wire::BulkRequest& q, std::uint32_t s) {
        std::vector<std::uint8_t> records(256);
        BulkWriter w(records.data(), records.size());
        w.text("Name", 4);
        w.unchanged();
        w.put(std::int32_t{0});
        w.text("a", 1);
        w.text("1", 1);
        w.put(std::int32_t{1});
        w.unchanged();
        w.text("2", 1);
        wire::BulkAnswer a = answerHeader(s, wire::kBulkDone);
        a.columns = 2;
        a.rows = 2;
        a.titles = 2;
        a.records = 2;
        a.next = 2;
        return answerBytes(q, a, records, w.used());
    };
    readListViewRows(lv, false);
    EXPECT_EQ(reportText(), "Name\t\r\na\t1\r\n\t2\r\n");
}

// Chunks that do not hold up against the request or the list view's own counts: the rows read so far stand,
// the rest is read across processes, and the report is the cross-process one byte for byte.
TEST_P(BulkReadingTest, ChunksThatDoNotHoldUpAreFinishedAcrossProcesses) {
    if (!is64()) GTEST_SKIP() << "the bulk path is tried for targets of the program's width only";
    const Rows rows = {{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}, {"e", "5"}};
    const std::string expected = "Name\tSize\r\na\t1\r\nb\t2\r\nc\t3\r\nd\t4\r\ne\t5\r\n";
    using Damage = std::function<void(wire::BulkAnswer*, const wire::BulkRequest&)>;
    struct Case {
        const char* what;
        Damage damage;                   // applied to the header of chunk 1 (resealed)
        std::vector<std::string> titles; // the columns chunk 1 is written with, when not empty
        const char* why;                 // as --verbose gives it
    };
    const std::vector<Case> cases = {
        {"more rows than the list view has",
         [](wire::BulkAnswer* a, const wire::BulkRequest&) { a->rows = 0x7FFFFFFF; },
         {},
         "an answer did not hold up"},
        {"no progress",
         [](wire::BulkAnswer* a, const wire::BulkRequest& q) {
             a->records = 0;
             a->used = 0;
             a->next = q.from;
         },
         {},
         "an answer did not hold up"},
        {"a wider chunk", nullptr, {"Name", "Size", "More"}, "an answer did not agree with the control"},
        {"a narrower chunk", nullptr, {"Name"}, "an answer did not agree with the control"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        reportNow().clear();
        paths.clear();
        Hwnd lv = list({"Name", "Size"}, rows);
        library.requests.clear();
        listTarget.onChunk = [this, &c](int chunk) {
            if (chunk == 1 && !c.titles.empty()) listTarget.titles = c.titles;
        };
        library.bulkAnswer = [this, &c](const wire::BulkRequest& q, std::uint32_t s) {
            std::vector<std::uint8_t> bytes = listTarget.answer(q, s);
            if (q.from == 0 || !c.damage) return bytes;
            wire::BulkAnswer a;
            std::memcpy(&a, bytes.data(), sizeof a);
            c.damage(&a, q);
            bytes.resize(sizeof a + a.used);
            std::memcpy(bytes.data(), &a, sizeof a);
            reseal(q, &bytes);
            return bytes;
        };
        readListViewRows(lv, false);
        EXPECT_EQ(reportText(), expected);
        EXPECT_EQ(library.requests.size(), 2u); // the rejected chunk is not asked for again
        EXPECT_EQ(paths, std::vector<std::string>{std::string("list view: bulk, the rest cross-process (") +
                                                  c.why + ")"});
    }
}

TEST_P(BulkReadingTest, FirstChunkThatDisagreesWithTheListViewsOwnCountsFallsBackWhole) {
    if (!is64()) GTEST_SKIP() << "the bulk path is tried for targets of the program's width only";
    Hwnd lv = list({"Name", "Size"}, {{"a", "1"}, {"b", "2"}});
    // A consistent answer of three rows (one invented), or of one column: the list view says otherwise.
    for (const std::int32_t columns : {2, 1}) {
        SCOPED_TRACE(columns);
        reportNow().clear();
        paths.clear();
        library.bulkAnswer = [columns](const wire::BulkRequest& q, std::uint32_t s) {
            std::vector<std::uint8_t> records(256);
            BulkWriter w(records.data(), records.size());
            for (std::int32_t k = 0; k < columns; ++k)
                w.text("Title", 5);
            const std::int32_t rows = columns == 2 ? 3 : 2;
            for (std::int32_t row = 0; row < rows; ++row) {
                w.put(row);
                for (std::int32_t k = 0; k < columns; ++k)
                    w.text("invented", 8);
            }
            wire::BulkAnswer a = answerHeader(s, wire::kBulkDone);
            a.columns = columns;
            a.rows = rows;
            a.titles = columns;
            a.records = static_cast<std::uint32_t>(rows);
            a.next = static_cast<std::uint64_t>(rows);
            return answerBytes(q, a, records, w.used());
        };
        readListViewRows(lv, false);
        EXPECT_EQ(reportText(), "Name\tSize\r\na\t1\r\nb\t2\r\n");
        EXPECT_EQ(paths, std::vector<std::string>{
                             "list view: cross-process (an answer did not agree with the control)"});
    }

    // A list box whose first chunk counts another number of items is read here instead.
    reportNow().clear();
    Hwnd lb = fake::addListBox(desktop, top, target, {"alpha", "beta"});
    library.bulkAnswer = [](const wire::BulkRequest& q, std::uint32_t s) {
        std::vector<std::uint8_t> records(256);
        BulkWriter w(records.data(), records.size());
        for (std::int32_t row = 0; row < 3; ++row) {
            w.put(row);
            w.text("invented", 8);
        }
        wire::BulkAnswer a = answerHeader(s, wire::kBulkDone);
        a.columns = 1;
        a.rows = 3;
        a.records = 3;
        a.next = 3;
        return answerBytes(q, a, records, w.used());
    };
    readListBox(lb);
    EXPECT_EQ(reportText(), "alpha\r\nbeta\r\n");
}

TEST_P(BulkReadingTest, FirstChunkWithARowPastTheCountFallsBackWhole) {
    if (!is64()) GTEST_SKIP() << "the bulk path is tried for targets of the program's width only";
    Hwnd lv = list({"Name", "Size"}, {{"a", "1"}, {"b", "2"}});
    library.bulkAnswer = [](const wire::BulkRequest& q, std::uint32_t s) {
        std::vector<std::uint8_t> records(256);
        BulkWriter w(records.data(), records.size());
        w.text("Name", 4);
        w.text("Size", 4);
        for (std::int32_t row : {0, 1, 2}) {
            w.put(row);
            w.text("r", 1);
            w.text("x", 1);
        }
        wire::BulkAnswer a = answerHeader(s, wire::kBulkDone);
        a.columns = 2;
        a.rows = 2;
        a.titles = 2;
        a.records = 3;
        a.next = 3;
        return answerBytes(q, a, records, w.used());
    };
    readListViewRows(lv, false);
    EXPECT_EQ(reportText(), "Name\tSize\r\na\t1\r\nb\t2\r\n");
    EXPECT_EQ(paths, std::vector<std::string>{"list view: cross-process (an answer did not hold up)"});
}

TEST_P(BulkReadingTest, FullSizeChunkStaysOnTheBulkPath) {
    if (!is64()) GTEST_SKIP() << "the bulk path is tried for targets of the program's width only";
    // One title (8 bytes) and rows of 8 + 252 bytes, the last of 8 + 112: exactly kBulkDataSize bytes.
    Rows rows(2017, {std::string(252, 'w')});
    rows.back() = {std::string(112, 'z')};
    Hwnd lv = list({"Name"}, rows);
    listTarget.rowsPerChunk = rows.size();
    std::size_t used = 0;
    library.bulkAnswer = [this, &used](const wire::BulkRequest& q, std::uint32_t s) {
        std::vector<std::uint8_t> bytes = listTarget.answer(q, s);
        used = bytes.size() - sizeof(wire::BulkAnswer);
        return bytes;
    };
    readListViewRows(lv, false);
    EXPECT_EQ(used, wire::kBulkDataSize);
    EXPECT_EQ(paths, std::vector<std::string>{"list view: bulk"});
    EXPECT_EQ(reportText().size(), 6 + 2016 * 254 + 114);
}

// A library that claims to have copied more than the answer buffer holds is not read past the buffer.
TEST_P(BulkReadingTest, AnswerSizePastTheBufferIsNotRead) {
    if (!is64()) GTEST_SKIP() << "the bulk path is tried for targets of the program's width only";
    struct Overstating : fake::FakeHookLibrary {
        std::size_t bulkChunk(void* session, Hwnd control, const wire::BulkRequest& request,
                              std::uint32_t* sequence, std::uint8_t* out, std::size_t cap) override {
            return FakeHookLibrary::bulkChunk(session, control, request, sequence, out, cap) > 0 ? cap + 1
                                                                                                 : 0;
        }
    } overstating;
    Hwnd lv = list({"Name"}, {{"alpha"}});
    overstating.bulkAnswer = library.bulkAnswer;
    setHookLibrary(&overstating);
    readListViewRows(lv, false);
    setHookLibrary(&library);
    EXPECT_EQ(reportText(), "Name\r\nalpha\r\n");
    EXPECT_EQ(paths, std::vector<std::string>{"list view: cross-process (an answer did not hold up)"});
}

// ---- List box and combo box ----------------------------------------------------------------------------

TEST_P(BulkReadingTest, ListBoxItemsReadWholeAndShortOnesLeftOut) {
    // Items of 0 and 1 bytes are left out, an item whose length query failed is skipped, a long item
    // (600 bytes) comes whole; two chunks.
    const std::string longItem(600, 'q');
    Hwnd lb = fake::addListBox(desktop, top, target, {"alpha", "b", "", longItem, "", "gamma"});
    library.bulkAnswer = [&longItem](const wire::BulkRequest& q, std::uint32_t s) {
        std::vector<std::uint8_t> records(2048);
        BulkWriter w(records.data(), records.size());
        wire::BulkAnswer a = answerHeader(s, q.from == 0 ? wire::kBulkMore : wire::kBulkDone);
        a.columns = 1;
        a.rows = 6;
        const std::vector<std::string> items = {"alpha", "b", "", longItem, "", "gamma"};
        const std::size_t first = q.from == 0 ? 0 : 3;
        for (std::size_t i = first; i < first + 3; ++i) {
            w.put(static_cast<std::int32_t>(i));
            if (i == 4)
                w.skipped();
            else
                w.text(items[i].data(), static_cast<std::uint32_t>(items[i].size()));
            ++a.records;
        }
        a.next = first + 3;
        return answerBytes(q, a, records, w.used());
    };
    readListBox(lb);
    const std::string expected = "alpha\r\n" + longItem + "\r\ngamma\r\n";
    EXPECT_EQ(reportText(), expected);
    if (is64()) {
        EXPECT_EQ(library.requests.size(), 2u);
        EXPECT_EQ(library.requests[0].kind, wire::kBulkListBox);
        EXPECT_EQ(paths, std::vector<std::string>{"list box: bulk"});
    } else {
        EXPECT_EQ(paths,
                  std::vector<std::string>{"list box: cross-process (the target has another pointer width)"});
    }

    // Across processes the same items (the fake has no failing length query) give the same lines.
    reportNow().clear();
    session.setReadPath(ReadPathChoice::CrossProcessOnly);
    readListBox(lb);
    EXPECT_EQ(reportText(), expected);
}

TEST_P(BulkReadingTest, ListBoxGoneOrSilentMidReadIsFinishedHereOrMarked) {
    if (!is64()) GTEST_SKIP() << "the bulk path is tried for targets of the program's width only";
    // Two items per chunk; the second chunk is not answered: the rest is read with the messages from here.
    Hwnd lb = fake::addListBox(desktop, top, target, {"alpha", "beta", "gamma", "delta"});
    auto answer = [](const wire::BulkRequest& q, std::uint32_t s) {
        std::vector<std::uint8_t> records(256);
        BulkWriter w(records.data(), records.size());
        const std::vector<std::string> items = {"alpha", "beta", "gamma", "delta"};
        wire::BulkAnswer a = answerHeader(s, wire::kBulkMore);
        a.columns = 1;
        a.rows = 4;
        for (std::size_t i = q.from; i < q.from + 2; ++i) {
            w.put(static_cast<std::int32_t>(i));
            w.text(items[i].data(), static_cast<std::uint32_t>(items[i].size()));
            ++a.records;
        }
        a.next = q.from + 2;
        return answerBytes(q, a, records, w.used());
    };
    library.bulkAnswer = [&answer](const wire::BulkRequest& q, std::uint32_t s) {
        return q.from == 0 ? answer(q, s) : std::vector<std::uint8_t>();
    };
    readListBox(lb);
    EXPECT_EQ(reportText(), "alpha\r\nbeta\r\ngamma\r\ndelta\r\n");

    // The list box destroyed meanwhile: the items read stand, and the section says the rest is missing.
    reportNow().clear();
    library.bulkAnswer = [this, &answer, lb](const wire::BulkRequest& q, std::uint32_t s) {
        if (q.from == 0) return answer(q, s);
        desktop.destroyWindow(lb);
        return std::vector<std::uint8_t>();
    };
    readListBox(lb);
    EXPECT_EQ(reportText(), "alpha\r\nbeta\r\n" + failureText());
}

TEST_P(BulkReadingTest, ComboBoxWithoutUsableItemsGivesTheFailureLine) {
    if (!is64()) GTEST_SKIP() << "the bulk path is tried for targets of the program's width only";
    Hwnd cb = fake::addComboBox(desktop, top, target, {"x", ""}, "edit");
    library.bulkAnswer = [](const wire::BulkRequest& q, std::uint32_t s) {
        EXPECT_EQ(q.kind, wire::kBulkComboBox);
        std::vector<std::uint8_t> records(64);
        BulkWriter w(records.data(), records.size());
        w.put(std::int32_t{0});
        w.text("x", 1);
        w.put(std::int32_t{1});
        w.text("", 0);
        wire::BulkAnswer a = answerHeader(s, wire::kBulkDone);
        a.columns = 1;
        a.rows = 2;
        a.records = 2;
        a.next = 2;
        return answerBytes(q, a, records, w.used());
    };
    readComboBox(cb);
    EXPECT_EQ(reportText(), failureText());
    EXPECT_EQ(paths, std::vector<std::string>{"combo box: bulk"});
}

// ---- Tree view ------------------------------------------------------------------------------------------

TEST_P(BulkReadingTest, TreeViewTheSameOnBothPaths) {
    // Three levels and an item with an empty text, over three chunks.
    std::vector<FakeTreeItem> roots = {
        FakeTreeItem{"動物",
                     {FakeTreeItem{"哺乳類", {FakeTreeItem{"ねこ", {}}, FakeTreeItem{"いぬ", {}}}},
                      FakeTreeItem{"", {}}}},
        FakeTreeItem{"植物", {FakeTreeItem{"x", {FakeTreeItem{"さくら", {}}}}}},
    };
    Hwnd tv = fake::addTreeView(desktop, top, target, roots);
    BulkTreeTarget t = treeTarget(tv, {"動物", "哺乳類", "ねこ", "いぬ", "", "植物", "x", "さくら"});
    library.bulkAnswer = [&t](const wire::BulkRequest& q, std::uint32_t s) { return t.answer(q, s); };
    const std::string expected = "動物\n  哺乳類\n    ねこ\n    いぬ\n  \n植物\n  x\n    さくら\n";
    session.setReadPath(ReadPathChoice::CrossProcessOnly);
    readTreeView(tv);
    EXPECT_EQ(items(), expected);
    std::vector<std::uintptr_t> crossHandles;
    {
        CaptureLock lock(session);
        for (const TextNode* n = lock.tree()->firstChild(); n != nullptr; n = n->next())
            crossHandles.push_back(n->item);
    }
    session.setReadPath(ReadPathChoice::BulkAllowed);
    readTreeView(tv);
    EXPECT_EQ(items(), expected);
    CaptureLock lock(session);
    EXPECT_EQ(lock.tree()->text, std::string("Main Window"));
    EXPECT_EQ(lock.tree()->window, tv);
    std::vector<std::uintptr_t> handles;
    for (const TextNode* n = lock.tree()->firstChild(); n != nullptr; n = n->next())
        handles.push_back(n->item);
    EXPECT_EQ(handles, crossHandles);
    if (is64()) {
        EXPECT_EQ(library.requests.size(), 3u);
        EXPECT_EQ(paths.back(), "tree view: bulk");
    } else {
        EXPECT_EQ(paths.back(), "tree view: cross-process (the target has another pointer width)");
    }
}

// The section model itself, not only the report: both paths give the same items, depths, handles and
// texts (short and empty ones included), and say which path they took.
TEST_P(BulkReadingTest, BothPathsFillTheSameSectionModel) {
    Hwnd tv = fake::addTreeView(
        desktop, top, target,
        {FakeTreeItem{"根", {FakeTreeItem{"", {FakeTreeItem{"葉", {}}}}, FakeTreeItem{"y", {}}}},
         FakeTreeItem{"Z2", {}}});
    BulkTreeTarget t = treeTarget(tv, {"根", "", "葉", "y", "Z2"});
    library.bulkAnswer = [&t](const wire::BulkRequest& q, std::uint32_t s) { return t.answer(q, s); };
    auto flat = [](const SectionModel& m) {
        std::string out;
        for (const SectionItem& i : m.items)
            out += std::to_string(i.depth) + ":" + std::to_string(i.handle) + ":" + i.text + "\n";
        return out;
    };
    SectionModel cross;
    readTreeViewSection(tv, ReadPathChoice::CrossProcessOnly, &cross);
    SectionModel bulk;
    readTreeViewSection(tv, ReadPathChoice::BulkAllowed, &bulk);
    ASSERT_EQ(cross.items.size(), 5u);
    EXPECT_EQ(cross.items[2].text, "葉");
    EXPECT_EQ(cross.items[2].depth, 2);
    EXPECT_EQ(flat(bulk), flat(cross));
    EXPECT_EQ(cross.path, SectionPath::CrossProcess);
    EXPECT_EQ(bulk.path, is64() ? SectionPath::Bulk : SectionPath::CrossProcess);
    EXPECT_EQ(bulk.status, SectionStatus::Read);

    const std::vector<std::string> texts = {"alpha", "b", "", std::string(400, 'w')};
    Hwnd lb = fake::addListBox(desktop, top, target, texts);
    library.bulkAnswer = [&texts](const wire::BulkRequest& q, std::uint32_t s) {
        std::vector<std::uint8_t> records(2048);
        BulkWriter w(records.data(), records.size());
        wire::BulkAnswer a = answerHeader(s, wire::kBulkDone);
        a.columns = 1;
        a.rows = static_cast<std::int32_t>(texts.size());
        for (std::size_t i = 0; i < texts.size(); ++i) {
            w.put(static_cast<std::int32_t>(i));
            w.text(texts[i].data(), static_cast<std::uint32_t>(texts[i].size()));
            ++a.records;
        }
        a.next = texts.size();
        return answerBytes(q, a, records, w.used());
    };
    SectionModel listBulk;
    readListBoxSection(lb, ReadPathChoice::BulkAllowed, &listBulk);
    SectionModel listHere;
    readListBoxSection(lb, ReadPathChoice::CrossProcessOnly, &listHere);
    EXPECT_EQ(flat(listBulk), flat(listHere));
    EXPECT_EQ(flat(listHere), "0:0:alpha\n0:0:b\n0:0:\n0:0:" + texts[3] + "\n");
    EXPECT_EQ(listBulk.path, is64() ? SectionPath::Bulk : SectionPath::Messages);
    EXPECT_EQ(listHere.path, SectionPath::Messages);
}

TEST_P(BulkReadingTest, TreeViewEndsAtALoopBackAGoneControlOrABadDepth) {
    if (!is64()) GTEST_SKIP() << "the bulk path is tried for targets of the program's width only";
    Hwnd tv = fake::addTreeView(desktop, top, target,
                                {FakeTreeItem{"A", {FakeTreeItem{"A1", {}}}}, FakeTreeItem{"B", {}}});
    BulkTreeTarget t = treeTarget(tv, {"A", "A1", "B"});
    t.itemsPerChunk = 2;
    t.goneAtChunk = 1;
    library.bulkAnswer = [&t](const wire::BulkRequest& q, std::uint32_t s) { return t.answer(q, s); };
    readTreeView(tv);
    EXPECT_EQ(items(), "A\n  A1\n");

    // An item that comes again (a tree leading back), then a depth two levels below its predecessor.
    for (const auto& bad : std::vector<std::pair<std::uint64_t, std::uint32_t>>{{1, 0}, {9, 2}}) {
        library.bulkAnswer = [bad](const wire::BulkRequest& q, std::uint32_t s) {
            std::vector<std::uint8_t> records(256);
            BulkWriter w(records.data(), records.size());
            w.put(std::uint64_t{1});
            w.put(std::uint32_t{0});
            w.text("one", 3);
            w.put(bad.first);
            w.put(bad.second);
            w.text("bad", 3);
            w.put(std::uint64_t{7});
            w.put(std::uint32_t{0});
            w.text("after", 5);
            wire::BulkAnswer a = answerHeader(s, wire::kBulkDone);
            a.records = 3;
            a.next = 7;
            return answerBytes(q, a, records, w.used());
        };
        readTreeView(tv);
        EXPECT_EQ(items(), "one\n");
    }
}

TEST_P(BulkReadingTest, TreeViewWithoutItemsLeavesTheTreeAndUnchangedTextIsEmpty) {
    if (!is64()) GTEST_SKIP() << "the bulk path is tried for targets of the program's width only";
    Hwnd tv = fake::addTreeView(desktop, top, target, {FakeTreeItem{"A", {}}});
    {
        CaptureLock lock(session);
        appendChild(std::make_unique<TextNode>(), lock.tree())->setText("keep");
    }
    library.bulkAnswer = [](const wire::BulkRequest& q, std::uint32_t s) {
        return answerBytes(q, answerHeader(s, wire::kBulkDone), {}, 0);
    };
    readTreeView(tv);
    EXPECT_EQ(items(), "keep\n");

    library.bulkAnswer = [](const wire::BulkRequest& q, std::uint32_t s) {
        std::vector<std::uint8_t> records(256);
        BulkWriter w(records.data(), records.size());
        w.put(std::uint64_t{1});
        w.put(std::uint32_t{0});
        w.text("first", 5);
        w.put(std::uint64_t{2});
        w.put(std::uint32_t{1});
        w.unchanged();
        wire::BulkAnswer a = answerHeader(s, wire::kBulkDone);
        a.records = 2;
        a.next = 2;
        return answerBytes(q, a, records, w.used());
    };
    readTreeView(tv);
    EXPECT_EQ(items(), "first\n  \n");
}

INSTANTIATE_TEST_SUITE_P(Widths, BulkReadingTest, ::testing::Values(32, 64), widthName);

} // namespace
} // namespace testing_support
} // namespace vantor
