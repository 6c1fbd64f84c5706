// Unit tests of the report buffer: the text and line count after every kind of append, the zero-byte rules,
// formatted texts far beyond one stack buffer, and growth that keeps every earlier byte.
#include "capture/report_buffer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace vantor {
namespace {

std::string textOf(const ReportBuffer& b) {
    return b.text != nullptr ? std::string(b.text) : std::string();
}

// A text of n bytes with a line feed every 100 bytes and varying letters, so misplaced copies show.
std::string patterned(std::size_t n) {
    std::string s;
    s.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        s.push_back(i % 100 == 99 ? '\n' : static_cast<char>('a' + i % 23));
    return s;
}

int lineFeeds(const std::string& s) {
    int n = 0;
    for (char c : s)
        n += c == '\n' ? 1 : 0;
    return n;
}

TEST(ReportBuffer, FreshAndClearedBuffersAreEmpty) {
    ReportBuffer b;
    EXPECT_EQ(b.text, nullptr);
    EXPECT_EQ(b.lineCount, 0);
    EXPECT_EQ(b.length(), 0u);

    b.append("one\r\ntwo\r\n", 10);
    ASSERT_NE(b.text, nullptr);
    b.clear();
    EXPECT_EQ(b.text, nullptr);
    EXPECT_EQ(b.lineCount, 0);
    EXPECT_EQ(b.length(), 0u);
    b.clear(); // clearing an empty buffer is harmless
    EXPECT_EQ(b.text, nullptr);
}

TEST(ReportBuffer, NullFormatOrSourceChangesNothing) {
    ReportBuffer b;
    b.appendFormat(nullptr);
    b.append(nullptr, 5);
    EXPECT_EQ(b.text, nullptr);
    EXPECT_EQ(b.lineCount, 0);

    b.append("x\n", 2);
    b.appendFormat(nullptr);
    b.append(nullptr, 3);
    EXPECT_EQ(textOf(b), "x\n");
    EXPECT_EQ(b.lineCount, 1);
}

TEST(ReportBuffer, SectionHeaderCountsLoneLineFeedAndCrLf) {
    ReportBuffer b;
    b.appendFormat("\n■ リストボックス情報 [%s]\r\n", "ListBox");
    EXPECT_EQ(textOf(b), "\n■ リストボックス情報 [ListBox]\r\n");
    EXPECT_EQ(b.lineCount, 2);
    EXPECT_EQ(b.length(), std::strlen(b.text));
}

TEST(ReportBuffer, AppendsConcatenateAndCountLineFeeds) {
    ReportBuffer b;
    b.append("abc\r\n", 5);
    b.append("x\ny", 3);
    ASSERT_NE(b.text, nullptr);
    EXPECT_EQ(std::memcmp(b.text, "abc\r\nx\ny", 9), 0); // including the terminator
    EXPECT_EQ(b.length(), 8u);
    EXPECT_EQ(b.lineCount, 2);

    b.appendFormat("%d-%s\n", 42, "z");
    EXPECT_EQ(textOf(b), "abc\r\nx\ny42-z\n");
    EXPECT_EQ(b.lineCount, 3);
}

TEST(ReportBuffer, AppendTakesOnlyCountBytes) {
    ReportBuffer b;
    b.append("a\nb\nc\n", 3);
    EXPECT_EQ(textOf(b), "a\nb");
    EXPECT_EQ(b.length(), 3u);
    EXPECT_EQ(b.lineCount, 1);
}

TEST(ReportBuffer, AppendStopsAtZeroByteButCountsEveryLineFeedOfCount) {
    ReportBuffer b;
    const char source[] = {'a', '\n', 'b', '\0', 'c', '\n', 'd'};
    b.append(source, sizeof source);
    EXPECT_EQ(textOf(b), "a\nb");
    EXPECT_EQ(b.length(), 3u);
    EXPECT_EQ(b.lineCount, 2);
}

TEST(ReportBuffer, FormattedZeroByteCutsTheText) {
    ReportBuffer b;
    b.append("start\n", 6);
    b.appendFormat("a\n%cb\nc\n", 0);
    EXPECT_EQ(textOf(b), "start\na\n");
    EXPECT_EQ(b.length(), 8u);
    EXPECT_EQ(b.lineCount, 2);
    b.appendFormat("%s", "end");
    EXPECT_EQ(textOf(b), "start\na\nend");
}

TEST(ReportBuffer, ZeroByteAppendsToEmptyBufferLeaveAnEmptyText) {
    {
        ReportBuffer b;
        b.append("abc", 0);
        ASSERT_NE(b.text, nullptr);
        EXPECT_STREQ(b.text, "");
        EXPECT_EQ(b.lineCount, 0);
    }
    {
        ReportBuffer b;
        b.appendFormat("%s", "");
        ASSERT_NE(b.text, nullptr);
        EXPECT_STREQ(b.text, "");
    }
    {
        ReportBuffer b;
        b.appendFormat("%c\n", 0);
        ASSERT_NE(b.text, nullptr);
        EXPECT_STREQ(b.text, "");
        EXPECT_EQ(b.lineCount, 0);
    }
    {
        ReportBuffer b;
        b.append("", 1); // the zero byte itself is not appended
        ASSERT_NE(b.text, nullptr);
        EXPECT_EQ(b.length(), 0u);
    }
}

TEST(ReportBuffer, ClearStartsANewText) {
    ReportBuffer b;
    b.appendFormat("%s\r\n", "old report that must not survive");
    b.clear();
    b.append("new", 3);
    EXPECT_EQ(textOf(b), "new");
    EXPECT_EQ(b.length(), 3u);
    EXPECT_EQ(b.lineCount, 0);
}

// Formatted texts around the internal stack buffer and the historical 65,536-byte bound, each between
// other appends: the whole text arrives and nothing before or after it is disturbed.
TEST(ReportBuffer, FormattedTextsOfAnyLengthAreAppendedWhole) {
    for (std::size_t n : {1023u, 1024u, 1025u, 65535u, 65536u, 65537u, 300000u}) {
        SCOPED_TRACE(n);
        const std::string big = patterned(n);
        ReportBuffer b;
        b.append("head\r\n", 6);
        b.appendFormat("[%s]", big.c_str());
        b.appendFormat("tail %d\r\n", 7);
        const std::string expected = "head\r\n[" + big + "]tail 7\r\n";
        ASSERT_NE(b.text, nullptr);
        EXPECT_EQ(b.length(), expected.size());
        EXPECT_TRUE(textOf(b) == expected);
        EXPECT_EQ(b.lineCount, lineFeeds(expected));
    }
}

TEST(ReportBuffer, LongFormattedTextIsStillCutAtItsZeroByte) {
    const std::string first = patterned(5000);
    const std::string second = patterned(70000);
    ReportBuffer b;
    b.appendFormat("%s%c%s", first.c_str(), 0, second.c_str());
    EXPECT_TRUE(textOf(b) == first);
    EXPECT_EQ(b.length(), first.size());
    EXPECT_EQ(b.lineCount, lineFeeds(first));
}

// Many appends of changing sizes, checked against a plain string after each step.
TEST(ReportBuffer, GrowthKeepsEveryEarlierByte) {
    ReportBuffer b;
    std::string model;
    int lines = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::string piece = patterned(static_cast<std::size_t>(i % 157) * 3);
        if (i % 2 == 0) {
            b.append(piece.c_str(), piece.size());
            model += piece;
            lines += lineFeeds(piece);
        } else {
            b.appendFormat("%05d:%s\r\n", i, piece.c_str());
            char number[8];
            std::snprintf(number, sizeof number, "%05d", i);
            model += std::string(number) + ":" + piece + "\r\n";
            lines += lineFeeds(piece) + 1;
        }
        ASSERT_EQ(b.lineCount, lines) << "after append " << i;
        ASSERT_NE(b.text, nullptr) << "after append " << i;
        ASSERT_EQ(b.length(), model.size()) << "after append " << i;
        ASSERT_EQ(b.text[b.length()], '\0');
    }
    EXPECT_TRUE(textOf(b) == model);
    EXPECT_EQ(b.lineCount, lines);
}

// Geometric growth: 200,000 one-byte appends move the text only a logarithmic number of times. A buffer
// that reallocated to the exact size on every append moves it on nearly every append.
TEST(ReportBuffer, TextMovesOnlyLogarithmicallyOften) {
    ReportBuffer b;
    int moves = 0;
    const char* last = nullptr;
    for (int i = 0; i < 200000; ++i) {
        b.append("x", 1);
        if (b.text != last) {
            ++moves;
            last = b.text;
        }
    }
    EXPECT_EQ(b.length(), 200000u);
    EXPECT_LE(moves, 40);
}

} // namespace
} // namespace vantor
