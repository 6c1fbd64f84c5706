// The reader of bulk answers (platform/bulk_format.h) on well-formed and damaged bytes: every count, length,
// index and header field that does not hold rejects the answer whole.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "bulk_test_support.h"
#include "platform/bulk_format.h"

namespace vantor {
namespace testing_support {
namespace {

// The request the samples answer: the selected rows from row 0, numbered `sequence`.
wire::BulkRequest sampleRequest(std::uint32_t sequence) {
    wire::BulkRequest q{};
    q.sequence = sequence;
    q.kind = wire::kBulkListView;
    q.flags = wire::kBulkSelectedOnly;
    return q;
}

// A list answer: titles "Name", "" and FALSE, selected rows 3 and 7 of three columns.
std::vector<std::uint8_t> sampleList(std::uint32_t sequence) {
    std::vector<std::uint8_t> records(512);
    BulkWriter w(records.data(), records.size());
    w.text("Name", 4);
    w.text("", 0);
    w.unchanged();
    for (std::int32_t row : {3, 7}) {
        w.put(row);
        w.text("a", 1);
        w.unchanged();
        w.text("ccc", 3);
    }
    wire::BulkAnswer a = answerHeader(sequence, wire::kBulkMore);
    a.columns = 3;
    a.rows = 10;
    a.titles = 3;
    a.records = 2;
    a.next = 8;
    return answerBytes(sampleRequest(sequence), a, records, w.used());
}

template <class T> void poke(std::vector<std::uint8_t>* bytes, std::size_t offset, T value) {
    std::memcpy(bytes->data() + offset, &value, sizeof value);
}

TEST(BulkFormat, WellFormedListAnswerIsReadWhole) {
    const auto bytes = sampleList(5);
    BulkChunk c;
    ASSERT_TRUE(readBulkListChunk(bytes.data(), bytes.size(), sampleRequest(5), true, &c));
    EXPECT_EQ(c.status, wire::kBulkMore);
    EXPECT_EQ(c.rows, 10);
    EXPECT_EQ(c.columns, 3);
    EXPECT_EQ(c.next, 8u);
    ASSERT_EQ(c.titles.size(), 3u);
    EXPECT_EQ(c.titles[0].text, "Name");
    EXPECT_FALSE(c.titles[1].unchanged);
    EXPECT_TRUE(c.titles[2].unchanged);
    ASSERT_EQ(c.rowList.size(), 2u);
    EXPECT_EQ(c.rowList[1].index, 7);
    EXPECT_EQ(c.rowList[1].cells[2].text, "ccc");
    EXPECT_TRUE(c.rowList[1].cells[1].unchanged);
}

TEST(BulkFormat, DamagedListAnswersAreRejected) {
    const std::size_t h = sizeof(wire::BulkAnswer);
    struct Case {
        const char* what;
        std::size_t offset;
        std::uint32_t value;
    };
    const std::vector<Case> cases = {
        {"magic", offsetof(wire::BulkAnswer, magic), 0x12345678},
        {"sequence", offsetof(wire::BulkAnswer, sequence), 6},
        {"status refused", offsetof(wire::BulkAnswer, status), wire::kBulkRefused},
        {"status unknown", offsetof(wire::BulkAnswer, status), 99},
        {"used past the bytes", offsetof(wire::BulkAnswer, used), 100000},
        {"used shorter than the records", offsetof(wire::BulkAnswer, used), 20},
        {"no columns", offsetof(wire::BulkAnswer, columns), 0},
        {"too many columns", offsetof(wire::BulkAnswer, columns), wire::kBulkMaxColumns + 1},
        {"too many titles", offsetof(wire::BulkAnswer, titles), wire::kBulkMaxColumns + 1},
        {"negative row count", offsetof(wire::BulkAnswer, rows), 0xFFFFFFFFu},
        {"more records than bytes", offsetof(wire::BulkAnswer, records), 1000000},
        {"a record count no memory holds", offsetof(wire::BulkAnswer, records), 0xFFFFFFFFu},
        {"one record too few", offsetof(wire::BulkAnswer, records), 1},
        {"title length past the end", h, 0x7FFFFFF0},
        {"rows out of order", h + 4 + 4 + 4 + 4 + 4 + 1 + 4 + 4 + 4 + 3, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto bytes = sampleList(5);
        poke(&bytes, c.offset, c.value);
        reseal(sampleRequest(5), &bytes); // each fault on its own, not caught by the checksum
        BulkChunk chunk;
        EXPECT_FALSE(readBulkListChunk(bytes.data(), bytes.size(), sampleRequest(5), true, &chunk));
        EXPECT_TRUE(chunk.rowList.empty());
    }
    // A record changed after the checksum was taken, titles in a later chunk, a cut answer, no bytes.
    auto bytes = sampleList(5);
    BulkChunk chunk;
    auto torn = bytes;
    torn[sizeof(wire::BulkAnswer) + 4] ^= 1;
    EXPECT_FALSE(readBulkListChunk(torn.data(), torn.size(), sampleRequest(5), true, &chunk));
    EXPECT_FALSE(readBulkListChunk(bytes.data(), bytes.size(), sampleRequest(5), false, &chunk));
    EXPECT_FALSE(readBulkListChunk(bytes.data(), bytes.size() - 1, sampleRequest(5), true, &chunk));
    EXPECT_FALSE(readBulkListChunk(bytes.data(), h - 1, sampleRequest(5), true, &chunk));
    EXPECT_FALSE(readBulkListChunk(nullptr, 0, sampleRequest(5), true, &chunk));
}

// A wide answer (kBulkWideTexts): one title and one row of one cell, given as UTF-16 units.
wire::BulkRequest wideRequest() {
    wire::BulkRequest q{};
    q.sequence = 9;
    q.kind = wire::kBulkListView;
    q.flags = wire::kBulkWideTexts;
    return q;
}

std::vector<std::uint8_t> wideAnswer(const std::u16string& title, const std::u16string& cell,
                                     std::uint32_t flags = wire::kBulkWideTexts) {
    std::vector<std::uint8_t> records(512);
    BulkWriter w(records.data(), records.size());
    w.wideText(title.data(), static_cast<std::uint32_t>(title.size()));
    w.put(std::int32_t{0});
    w.wideText(cell.data(), static_cast<std::uint32_t>(cell.size()));
    wire::BulkAnswer a = answerHeader(9, wire::kBulkDone);
    a.flags = flags;
    a.columns = 1;
    a.rows = 1;
    a.titles = 1;
    a.records = 1;
    a.next = 1;
    return answerBytes(wideRequest(), a, records, w.used());
}

// Wide texts come out as UTF-8; a count past the records, an odd byte, a NUL unit, a lone or reversed
// surrogate, or a wide flag that the request and the answer do not share rejects the answer whole.
TEST(BulkFormat, WideListAnswerIsCheckedAsUntrustedUtf16) {
    BulkChunk c;
    const auto good = wideAnswer(u"名前", u"x\U0001F600y");
    ASSERT_TRUE(readBulkListChunk(good.data(), good.size(), wideRequest(), true, &c));
    EXPECT_TRUE(c.wide);
    EXPECT_EQ(c.titles[0].text, "\xE5\x90\x8D\xE5\x89\x8D");
    EXPECT_EQ(c.rowList[0].cells[0].text, "x\xF0\x9F\x98\x80y");

    const std::size_t cellCount = sizeof(wire::BulkAnswer) + 4 + 2 * 2 + 4;
    struct Case {
        const char* what;
        std::u16string cell;
        std::uint32_t count; // the cell's unit count as written into the answer (0: as it is)
    };
    const std::vector<Case> cases = {
        {"a count past the records", u"abc", 4},
        {"a count no memory holds", u"abc", 0x80000000u},
        {"a NUL unit", std::u16string{u'a', 0, u'b'}, 0},
        {"a lone low surrogate", std::u16string{u'a', 0xDC00, u'b'}, 0},
        {"a high surrogate at the end", std::u16string{u'a', 0xD800}, 0},
        {"a high surrogate before a letter", std::u16string{0xD800, u'a'}, 0},
        {"a reversed pair", std::u16string{0xDE00, 0xD83D}, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        auto bytes = wideAnswer(u"名前", k.cell);
        if (k.count != 0) {
            poke(&bytes, cellCount, k.count);
            reseal(wideRequest(), &bytes);
        }
        EXPECT_FALSE(readBulkListChunk(bytes.data(), bytes.size(), wideRequest(), true, &c));
        EXPECT_TRUE(c.rowList.empty());
    }
    // One byte more in the records than the units fill (an odd length).
    auto odd = good;
    odd.push_back(0);
    wire::BulkAnswer h;
    std::memcpy(&h, odd.data(), sizeof h);
    poke(&odd, offsetof(wire::BulkAnswer, used), h.used + 1);
    reseal(wideRequest(), &odd);
    EXPECT_FALSE(readBulkListChunk(odd.data(), odd.size(), wideRequest(), true, &c));
    // Flags the request and the answer do not share.
    const auto narrow = wideAnswer(u"名前", u"ab", 0);
    EXPECT_FALSE(readBulkListChunk(narrow.data(), narrow.size(), wideRequest(), true, &c));
    wire::BulkRequest plain = wideRequest();
    plain.flags = 0;
    auto unasked = good;
    reseal(plain, &unasked);
    EXPECT_FALSE(readBulkListChunk(unasked.data(), unasked.size(), plain, true, &c));
}

TEST(BulkFormat, TreeAnswerDepthsAndLengthsAreChecked) {
    std::vector<std::uint8_t> records(256);
    BulkWriter w(records.data(), records.size());
    w.put(std::uint64_t{0x100000001ull});
    w.put(std::uint32_t{0});
    w.text("root", 4);
    w.put(std::uint64_t{2});
    w.put(std::uint32_t{1});
    w.unchanged();
    wire::BulkAnswer a = answerHeader(9, wire::kBulkDone);
    a.records = 2;
    a.next = 2;
    wire::BulkRequest q{};
    q.sequence = 9;
    q.kind = wire::kBulkTreeView;
    auto bytes = answerBytes(q, a, records, w.used());
    BulkChunk c;
    ASSERT_TRUE(readBulkTreeChunk(bytes.data(), bytes.size(), q, &c));
    ASSERT_EQ(c.items.size(), 2u);
    EXPECT_EQ(c.items[0].handle, 0x100000001ull);
    EXPECT_EQ(c.items[0].text.text, "root");
    EXPECT_EQ(c.items[1].depth, 1u);
    EXPECT_TRUE(c.items[1].text.unchanged);

    const std::size_t h = sizeof(wire::BulkAnswer);
    auto deep = bytes;
    poke(&deep, h + 8 + 4 + 4 + 4 + 8, static_cast<std::uint32_t>(wire::kBulkMaxTreeDepth));
    reseal(q, &deep);
    EXPECT_FALSE(readBulkTreeChunk(deep.data(), deep.size(), q, &c));
    auto longText = bytes;
    poke(&longText, h + 12, std::uint32_t{5});
    reseal(q, &longText);
    EXPECT_FALSE(readBulkTreeChunk(longText.data(), longText.size(), q, &c));
    auto moreRecords = bytes;
    poke(&moreRecords, offsetof(wire::BulkAnswer, records), std::uint32_t{3});
    reseal(q, &moreRecords);
    EXPECT_FALSE(readBulkTreeChunk(moreRecords.data(), moreRecords.size(), q, &c));
    // `next` is the last item written, and "more" comes only with items.
    auto otherNext = bytes;
    poke(&otherNext, offsetof(wire::BulkAnswer, next), std::uint64_t{0x100000001ull});
    reseal(q, &otherNext);
    EXPECT_FALSE(readBulkTreeChunk(otherNext.data(), otherNext.size(), q, &c));
    const auto empty = answerBytes(q, answerHeader(9, wire::kBulkMore), {}, 0);
    EXPECT_FALSE(readBulkTreeChunk(empty.data(), empty.size(), q, &c));
    const auto done = answerBytes(q, answerHeader(9, wire::kBulkDone), {}, 0);
    EXPECT_TRUE(readBulkTreeChunk(done.data(), done.size(), q, &c));
    // A walk that ended at the depth bound is an answer like the last one.
    const auto deepEnd = answerBytes(q, answerHeader(9, wire::kBulkDepthEnd), {}, 0);
    EXPECT_TRUE(readBulkTreeChunk(deepEnd.data(), deepEnd.size(), q, &c));
    EXPECT_EQ(c.status, wire::kBulkDepthEnd);
}

// A one-column answer to `q` with the given row indices, row count, status and next row.
std::vector<std::uint8_t> rowsAnswer(const wire::BulkRequest& q, const std::vector<std::int32_t>& indices,
                                     std::int32_t rows, std::uint32_t status, std::uint64_t next) {
    std::vector<std::uint8_t> records(512);
    BulkWriter w(records.data(), records.size());
    for (std::int32_t index : indices) {
        w.put(index);
        w.text("ab", 2);
    }
    wire::BulkAnswer a = answerHeader(q.sequence, status);
    a.columns = 1;
    a.rows = rows;
    a.records = static_cast<std::uint32_t>(indices.size());
    a.next = next;
    return answerBytes(q, a, records, w.used());
}

TEST(BulkFormat, RowsMustFollowTheRequestAndTheHeaderMustAgree) {
    wire::BulkRequest every{};
    every.sequence = 3;
    every.kind = wire::kBulkListView;
    every.from = 2;
    every.rows = 6;
    wire::BulkRequest selected = every;
    selected.flags = wire::kBulkSelectedOnly;
    struct Case {
        const char* what;
        const wire::BulkRequest& q;
        std::vector<std::int32_t> indices;
        std::int32_t rows;
        std::uint32_t status;
        std::uint64_t next;
        bool accepted;
    };
    const std::vector<Case> cases = {
        {"every row, in order", every, {2, 3}, 6, wire::kBulkMore, 4, true},
        {"the last rows", every, {2, 3, 4, 5}, 6, wire::kBulkDone, 6, true},
        {"selected rows with gaps", selected, {3, 5}, 6, wire::kBulkDone, 6, true},
        {"a row repeated", selected, {3, 3}, 6, wire::kBulkDone, 4, false},
        {"a row repeated, every row", every, {2, 2}, 6, wire::kBulkMore, 3, false},
        {"a row before the one asked from", selected, {1, 3}, 6, wire::kBulkMore, 4, false},
        {"a row skipped", every, {2, 4}, 6, wire::kBulkMore, 5, false},
        {"a row index equal to the row count", selected, {3, 6}, 6, wire::kBulkDone, 7, false},
        {"next not one past the last row", every, {2, 3}, 6, wire::kBulkMore, 3, false},
        {"more without rows", every, {}, 6, wire::kBulkMore, 2, false},
        {"more with nothing left", every, {4, 5}, 6, wire::kBulkMore, 6, false},
        {"done with rows left", every, {2, 3}, 6, wire::kBulkDone, 4, false},
        {"another row count than asked with", every, {2, 3}, 7, wire::kBulkMore, 4, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto bytes = rowsAnswer(c.q, c.indices, c.rows, c.status, c.next);
        BulkChunk chunk;
        EXPECT_EQ(readBulkListChunk(bytes.data(), bytes.size(), c.q, false, &chunk), c.accepted);
    }
    // The header and the request are under the checksum: an answer sealed for another starting row, or
    // whose header changed afterwards, is rejected.
    const auto good = rowsAnswer(every, {2, 3}, 6, wire::kBulkMore, 4);
    wire::BulkRequest other = every;
    other.from = 0;
    BulkChunk chunk;
    EXPECT_FALSE(readBulkListChunk(good.data(), good.size(), other, false, &chunk));
    auto changed = good;
    poke(&changed, offsetof(wire::BulkAnswer, status), wire::kBulkDone);
    EXPECT_FALSE(readBulkListChunk(changed.data(), changed.size(), every, false, &chunk));
    EXPECT_TRUE(readBulkListChunk(good.data(), good.size(), every, false, &chunk));
    // Titles come only in the first chunk.
    std::vector<std::uint8_t> records(64);
    BulkWriter w(records.data(), records.size());
    w.text("Title", 5);
    w.put(std::int32_t{2});
    w.text("ab", 2);
    wire::BulkAnswer a = answerHeader(every.sequence, wire::kBulkMore);
    a.columns = 1;
    a.rows = 6;
    a.titles = 1;
    a.records = 1;
    a.next = 3;
    const auto titled = answerBytes(every, a, records, w.used());
    EXPECT_FALSE(readBulkListChunk(titled.data(), titled.size(), every, false, &chunk));
    EXPECT_TRUE(readBulkListChunk(titled.data(), titled.size(), every, true, &chunk));
}

TEST(BulkFormat, PlacedTextKeepsItsTerminatorInsideTheBlockAndItsLength) {
    std::uint8_t block[7] = {};
    BulkWriter w(block, sizeof block);
    EXPECT_EQ(w.place(3), nullptr); // 4 bytes of length and 3 of text leave no room for the NUL
    char* text = w.place(2);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text, reinterpret_cast<char*>(block + 4));
    w.finish(1000); // a length past what was placed is taken as the placed length
    EXPECT_EQ(w.used(), 6u);
    EXPECT_EQ(w.room(), 1u);
    std::uint32_t stored = 0;
    std::memcpy(&stored, block, sizeof stored);
    EXPECT_EQ(stored, 2u);
}

TEST(BulkFormat, WriterLeavesOutWhatDoesNotFit) {
    std::uint8_t block[10] = {};
    BulkWriter w(block, sizeof block);
    EXPECT_TRUE(w.text("abc", 3)); // 7 bytes
    EXPECT_FALSE(w.text("de", 2)); // 6 more do not fit
    EXPECT_EQ(w.used(), 7u);
    EXPECT_FALSE(w.put(std::uint32_t{1}));
    EXPECT_TRUE(w.put(std::uint16_t{1}));
    EXPECT_EQ(w.used(), 9u);
    w.rewind(3);
    EXPECT_EQ(w.used(), 3u);
}

} // namespace
} // namespace testing_support
} // namespace vantor
