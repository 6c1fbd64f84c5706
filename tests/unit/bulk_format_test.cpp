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
