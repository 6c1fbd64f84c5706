// Unit tests of the accessible-object section on the fake desktop: the section of a self-drawn control byte
// for byte, read across processes and inside the target (in chunks, with a damaged first answer and a later
// one that fails), windows that add nothing (no answer, 0, the setting off), an object that cannot be had,
// and the walk's bounds (a looping tree, depth, item count, the wait for an answer, shared with the attempt
// inside the target).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bulk_test_support.h"
#include "capture/accessible_reader.h"
#include "capture/dispatcher.h"
#include "capture/read_path.h"
#include "capture_test_support.h"
#include "platform/fake/fake_accessibility.h"
#include "platform/fake/fake_hook_library.h"

namespace vantor {
namespace {

using namespace testing_support;

constexpr char kHeader[] = "\n■ アクセシビリティ情報 [CustomGrid]\r\n";

class AccessibleTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        setAccessibility(&acc);
        setHookLibrary(&library);
        setAccessibilityAllowed(true);
        top = desktop.addWindow(Hwnd{}, "Frame", "Top", pid);
        grid = desktop.addWindow(top, "CustomGrid", "", pid);
    }
    void TearDown() override {
        EXPECT_EQ(acc.held, 0);
        EXPECT_EQ(library.openSessions, 0);
        setAccessibility(nullptr);
        setHookLibrary(nullptr);
        setAccessibilityAllowed(true);
        EngineTest::TearDown();
    }
    // The specimen-like tree: a group with items, a value, an empty name, a text outside code page 932, a
    // simple element and a deep branch.
    void specimenTree() {
        const int root = acc.add(-1, u"");
        const int fruit = acc.add(root, u"果物");
        acc.add(fruit, u"りんご");
        acc.add(fruit, u"数量", u"3");
        acc.add(fruit, u"同じ", u"同じ");
        acc.add(fruit, u"");
        acc.add(fruit, u"笑顔 \U0001F600");
        AccessibleItem element;
        element.name = u"要素";
        acc.nodes[static_cast<std::size_t>(fruit)].elements.push_back(element);
        int deep = acc.add(root, u"深い枝");
        for (int i = 1; i <= 3; ++i)
            deep = acc.add(deep, u"段" + std::u16string(1, static_cast<char16_t>(u'0' + i)));
        acc.windows[grid] = {};
    }
    std::string capture() {
        captureWindow(top, true);
        return reportText();
    }

    fake::FakeAccessibility acc;
    fake::FakeHookLibrary library;
    Hwnd top{}, grid{};
};

const char kSpecimenLines[] = "果物\r\n"
                              "  + りんご\r\n"
                              "  + 数量 = 3\r\n"
                              "  + 同じ\r\n"
                              "  + 笑顔 ??\r\n"
                              "  + 要素\r\n"
                              "深い枝\r\n"
                              "  + 段1\r\n"
                              "    + 段2\r\n"
                              "      + 段3\r\n";

TEST_F(AccessibleTest, ASelfDrawnControlGetsItsSectionAcrossProcessesWithItsButton) {
    specimenTree();
    EXPECT_EQ(capture(), std::string(kHeader) + kSpecimenLines);
    ASSERT_EQ(ui.buttons.size(), 1u);
    EXPECT_EQ(ui.buttons[0].first, "Accessible");
    EXPECT_EQ(ui.buttons[0].second, 1);
    EXPECT_EQ(acc.walks, 1);
}

TEST_F(AccessibleTest, WindowsWithoutAnObjectOfTheirOwnOrWithTheSettingOffAddNothing) {
    specimenTree();
    acc.windows[grid].answer = AccessibleAnswer::Zero;
    EXPECT_EQ(capture(), "");
    acc.windows.erase(grid); // no answer within the time-out
    EXPECT_EQ(capture(), "");
    EXPECT_EQ(acc.asked, 4); // the top-level window and the control, twice
    acc.windows[grid] = {};
    setAccessibilityAllowed(false);
    EXPECT_EQ(capture(), "");
    EXPECT_EQ(acc.asked, 4);
    EXPECT_EQ(acc.walks, 0);
    EXPECT_TRUE(ui.buttons.empty());
}

TEST_F(AccessibleTest, AnObjectThatCannotBeHadGivesTheHeaderAndTheFailureLine) {
    acc.windows[grid].root = -1;
    EXPECT_EQ(capture(), std::string(kHeader) + kFailureText);
}

TEST_F(AccessibleTest, ALoopingTreeKeepsEveryItemOnceAndIsMarkedCut) {
    const int root = acc.add(-1, u"");
    const int a = acc.add(root, u"Alpha");
    const int b = acc.add(a, u"Beta");
    acc.nodes[static_cast<std::size_t>(b)].children.push_back(a); // Beta's child is its own parent
    acc.nodes[static_cast<std::size_t>(b)].children.push_back(root);
    acc.add(root, u"Gamma");
    acc.windows[grid] = {};
    EXPECT_EQ(capture(), std::string(kHeader) + "Alpha\r\n  + Beta\r\nGamma\r\n" + kFailureText);
}

TEST_F(AccessibleTest, DepthItemCountAndTimeBoundsKeepWhatWasReadBefore) {
    const AccessibleLimits limits = accessibleLimits();
    int node = acc.add(-1, u"");
    acc.windows[grid] = {};
    for (std::uint32_t i = 0; i < limits.maxDepth + 5; ++i)
        node = acc.add(node, u"Level");
    AccessibleModel model;
    ASSERT_TRUE(readAccessible(grid, ReadPathChoice::BulkAllowed, &model));
    EXPECT_EQ(model.tree.items.size(), limits.maxDepth);
    EXPECT_EQ(model.tree.items.back().depth, limits.maxDepth - 1);
    EXPECT_EQ(model.tree.cut, kAccessibleCutDepth);

    acc = fake::FakeAccessibility{};
    const int wide = acc.add(-1, u"");
    for (std::uint32_t i = 0; i < limits.maxItems + 3; ++i)
        acc.add(wide, u"Row");
    acc.windows[grid] = {};
    ASSERT_TRUE(readAccessible(grid, ReadPathChoice::BulkAllowed, &model));
    EXPECT_EQ(model.tree.items.size(), limits.maxItems);
    EXPECT_EQ(model.tree.cut, kAccessibleCutCount);

    // A target that stops answering: the fourth item's calls take as long as one answer may.
    acc = fake::FakeAccessibility{};
    const int slow = acc.add(-1, u"");
    for (int i = 0; i < 6; ++i)
        acc.add(slow, u"Item");
    acc.nodes[4].callMs = limits.idleMs;
    acc.windows[grid] = {};
    ASSERT_TRUE(readAccessible(grid, ReadPathChoice::BulkAllowed, &model));
    EXPECT_EQ(model.tree.items.size(), 4u);
    EXPECT_EQ(model.tree.cut, kAccessibleCutTime);
}

TEST_F(AccessibleTest, ATargetThatKeepsAnsweringIsReadWholeAndOneThatStopsIsCutAfterOneTimeOut) {
    // 300 rows, each answering in 50 ms, and a group that hands out its children at 20 ms each: half a
    // minute in all, six seconds for the group's children in one call.
    const AccessibleLimits limits = accessibleLimits();
    const int root = acc.add(-1, u"");
    const int group = acc.add(root, u"Group");
    for (int i = 0; i < 300; ++i)
        acc.add(group, u"Row");
    acc.add(root, u"Last");
    for (fake::FakeAccessibility::Node& n : acc.nodes)
        n.callMs = 50;
    acc.nodes[static_cast<std::size_t>(group)].childMs = 20;
    acc.windows[grid] = {};
    AccessibleModel model;
    ASSERT_TRUE(readAccessible(grid, ReadPathChoice::BulkAllowed, &model));
    EXPECT_EQ(model.tree.items.size(), 302u);
    EXPECT_EQ(model.tree.cut, 0u);
    EXPECT_EQ(model.tree.items.back().name, u"Last");
    EXPECT_GT(acc.clockMs, 10 * limits.idleMs);

    // Answers until a group's children take one time-out to come: what came before is kept.
    acc = fake::FakeAccessibility{};
    const int top2 = acc.add(-1, u"");
    acc.add(top2, u"Alpha");
    const int stuck = acc.add(top2, u"Group");
    acc.add(stuck, u"One");
    acc.add(top2, u"Gamma");
    acc.nodes[static_cast<std::size_t>(stuck)].childMs = limits.idleMs;
    acc.windows[grid] = {};
    EXPECT_EQ(capture(), std::string(kHeader) + "Alpha\r\nGroup\r\n" + kFailureText);
}

std::uint64_t* testClock = nullptr;

TEST_F(AccessibleTest, AWalkAfterTheInTargetAttemptWaitsOnlyWhatTheTargetsLastAnswerLeftOfTheTimeOut) {
    specimenTree();
    testClock = &acc.clockMs;
    setBulkClock([] { return *testClock; });
    // No answer inside the target within the time-out: no walk follows.
    const std::uint64_t idle = accessibleLimits().idleMs;
    std::uint64_t takes = idle;
    library.bulkAnswer = [this, &takes](const wire::BulkRequest&, std::uint32_t) {
        acc.clockMs += takes;
        return std::vector<std::uint8_t>{};
    };
    EXPECT_EQ(capture(), std::string(kHeader) + kFailureText);
    EXPECT_EQ(acc.walks, 0);
    // Three quarters of it spent there: the walk's first answer, slower than the quarter left, ends it.
    takes = idle * 3 / 4;
    acc.nodes[0].callMs = idle / 2;
    AccessibleModel model;
    ASSERT_TRUE(readAccessible(grid, ReadPathChoice::BulkAllowed, &model));
    EXPECT_EQ(acc.walks, 1);
    EXPECT_TRUE(model.tree.items.empty());
    EXPECT_EQ(model.tree.cut, kAccessibleCutTime);
    setBulkClock(nullptr);
}

// The target's side of the bulk path, as msghook.dll answers: the tree walked whole at the first request
// and handed out `perChunk` items at a time.
struct AccessibleTarget {
    AccessibleTree tree;
    std::size_t perChunk = 4;
    int damagedAtChunk = -1;
    int chunks = 0;
    std::vector<std::uint8_t> answer(const wire::BulkRequest& q, std::uint32_t sequence) {
        const int chunk = chunks++;
        std::vector<std::uint8_t> records(wire::kBulkDataSize);
        BulkWriter w(records.data(), records.size());
        wire::BulkAnswer a = answerHeader(sequence, wire::kBulkDone);
        a.rows = static_cast<std::int32_t>(tree.items.size());
        std::size_t i = static_cast<std::size_t>(q.from);
        for (; i < tree.items.size() && i < q.from + perChunk; ++i) {
            putAccessibleItem(w, tree.items[i]);
            ++a.records;
        }
        a.next = i;
        if (i < tree.items.size())
            a.status = wire::kBulkMore;
        else
            a.flags = tree.cut;
        std::vector<std::uint8_t> bytes = answerBytes(q, a, records, w.used());
        if (chunk == damagedAtChunk) bytes.back() ^= 1;
        return bytes;
    }
};

TEST_F(AccessibleTest, InsideTheTargetTheSameSectionComesInChunksAndADamagedAnswerFallsBack) {
    specimenTree();
    AccessibleTarget target;
    ASSERT_TRUE(acc.walk(grid, accessibleLimits(), &target.tree));
    acc.walks = 0;
    library.bulkAnswer = [&target](const wire::BulkRequest& q, std::uint32_t s) {
        return target.answer(q, s);
    };
    EXPECT_EQ(capture(), std::string(kHeader) + kSpecimenLines);
    EXPECT_EQ(target.chunks, 3);
    EXPECT_EQ(acc.walks, 0);
    ASSERT_GE(library.requests.size(), 3u);
    EXPECT_EQ(library.requests[1].from, 4u);
    EXPECT_EQ(library.requests[1].kind, wire::kBulkAccessible);

    // A damaged first answer: the whole tree across processes.
    target.chunks = 0;
    target.damagedAtChunk = 0;
    EXPECT_EQ(capture(), std::string(kHeader) + kSpecimenLines + kHeader + kSpecimenLines);
    EXPECT_EQ(acc.walks, 1);

    // A damaged later answer: the items so far, the rest across processes.
    target.chunks = 0;
    target.damagedAtChunk = 1;
    AccessibleModel model;
    ASSERT_TRUE(readAccessible(grid, ReadPathChoice::BulkAllowed, &model));
    EXPECT_EQ(formatAccessible(model), kSpecimenLines);
    EXPECT_EQ(target.chunks, 2);
    EXPECT_EQ(acc.walks, 2);
}

TEST_F(AccessibleTest, TheBulkReaderRefusesItemsThatDoNotFollowTheRequest) {
    AccessibleTarget target;
    target.tree.items.resize(3);
    target.tree.items[1].depth = 1;
    target.tree.items[2].depth = 2;
    wire::BulkRequest q{};
    q.kind = wire::kBulkAccessible;
    q.sequence = 7;
    BulkChunk chunk;
    std::vector<std::uint8_t> bytes = target.answer(q, 7);
    ASSERT_TRUE(readBulkAccessibleChunk(bytes.data(), bytes.size(), q, -1, 64, &chunk));
    EXPECT_EQ(chunk.accessible.size(), 3u);
    EXPECT_FALSE(readBulkAccessibleChunk(bytes.data(), bytes.size(), q, -1, 2, &chunk)); // too deep
    target.tree.items[2].depth = 3; // two levels below the item before
    bytes = target.answer(q, 7);
    EXPECT_FALSE(readBulkAccessibleChunk(bytes.data(), bytes.size(), q, -1, 64, &chunk));
    target.tree.items[1].depth = 0;
    target.tree.items[2].depth = 0;
    q.from = 1; // the answer claims to start where it was not asked to
    bytes = target.answer(q, 7);
    q.from = 0;
    reseal(q, &bytes);
    EXPECT_FALSE(readBulkAccessibleChunk(bytes.data(), bytes.size(), q, -1, 64, &chunk));
}

} // namespace
} // namespace vantor
