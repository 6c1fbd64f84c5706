// Honesty of the fake tree view in both pointer widths: walking it by TVM_GETNEXTITEM and reading items by
// hand-made TVITEMA exchanges gives the tree back in display order; item handles of a 64-bit tree do not
// fit in 32 bits, so a truncated handle, a handle of another tree or a record of the other width is a
// recorded fault.
#include "platform/fake/fake_controls.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/fake/fake_exchange.h"
#include "platform/wire.h"
#include "fake_width_support.h"

namespace vantor {
namespace {

using fake::FakeDesktop;
using fake::FakeTreeItem;
using fake::HandExchange;

using testing_support::Widths;

template <class Item> Item tvItem(RemoteAddr block, std::uint64_t handle, int cap) {
    Item item;
    std::memset(&item, 0, sizeof item);
    item.mask = wire::TVIF_TEXT | wire::TVIF_PARAM;
    item.hItem = static_cast<decltype(item.hItem)>(handle);
    item.pszText = static_cast<decltype(item.pszText)>(block + sizeof(Item));
    item.cchTextMax = cap;
    return item;
}

std::vector<FakeTreeItem> sampleTree() {
    return {FakeTreeItem{"A", {FakeTreeItem{"A1", {}}, FakeTreeItem{"", {}}}}, FakeTreeItem{"B", {}}};
}

template <class W> class FakeTreeViewTest : public testing_support::FakeWidthTest<W> {
  protected:
    using Base = testing_support::FakeWidthTest<W>;
    using Base::desktop;
    using Base::pid;
    using Base::top;
    std::intptr_t next(Hwnd tv, std::uint32_t flag, std::intptr_t item) {
        std::intptr_t r = 0;
        EXPECT_TRUE(ws().sendMessage(tv, wire::TVM_GETNEXTITEM, flag, item, &r));
        return r;
    }
    // One TVM_GETITEMA exchange of a right-width record: the answer, the text and lParam.
    std::intptr_t getItem(HandExchange& x, std::uint64_t handle, std::string* text,
                          std::uint64_t* param = nullptr, int cap = 260) {
        typename W::Tv item = tvItem<typename W::Tv>(x.address(), handle, cap);
        x.write(0, &item, sizeof item);
        std::intptr_t r = x.sendBlock(wire::TVM_GETITEMA, 0);
        x.read(0, &item, sizeof item);
        *text = x.textAt(sizeof item);
        if (param) *param = item.lParam;
        return r;
    }
    // Depth-first walk: "depth:text" per item, as a reader would copy the tree.
    void walk(Hwnd tv, HandExchange& x, std::intptr_t first, int depth, std::vector<std::string>* out) {
        for (std::intptr_t h = first; h != 0; h = next(tv, wire::TVGN_NEXT, h)) {
            std::string text;
            EXPECT_EQ(getItem(x, static_cast<std::uint64_t>(h), &text), 1);
            out->push_back(std::to_string(depth) + ":" + text);
            walk(tv, x, next(tv, wire::TVGN_CHILD, h), depth + 1, out);
        }
    }
};

TYPED_TEST_SUITE(FakeTreeViewTest, Widths);

TYPED_TEST(FakeTreeViewTest, WalkGivesTheTreeInDisplayOrder) {
    Hwnd tv = fake::addTreeView(this->desktop, this->top, this->pid, sampleTree());
    HandExchange x(tv, sizeof(typename TypeParam::Tv) + 260);
    std::vector<std::string> seen;
    this->walk(tv, x, this->next(tv, wire::TVGN_ROOT, 0), 0, &seen);
    EXPECT_EQ(seen, (std::vector<std::string>{"0:A", "1:A1", "1:", "0:B"}));
}

TYPED_TEST(FakeTreeViewTest, HandlesFitTheProcesssWidthAndParamsCountDepthFirst) {
    Hwnd tv = fake::addTreeView(this->desktop, this->top, this->pid, sampleTree());
    HandExchange x(tv, sizeof(typename TypeParam::Tv) + 260);
    std::intptr_t a = this->next(tv, wire::TVGN_ROOT, 0);
    std::intptr_t a2 = this->next(tv, wire::TVGN_NEXT, this->next(tv, wire::TVGN_CHILD, a));
    std::intptr_t b = this->next(tv, wire::TVGN_NEXT, a);
    for (std::intptr_t h : {a, a2, b}) {
        ASSERT_NE(h, 0);
        std::uint64_t v = static_cast<std::uint64_t>(h);
        if (TypeParam::bits == 64) {
            EXPECT_GT(v, 0xFFFFFFFFull);
        } else {
            EXPECT_LE(v, 0xFFFFFFFFull);
        }
    }
    std::string text;
    std::uint64_t param = 99;
    EXPECT_EQ(this->getItem(x, static_cast<std::uint64_t>(b), &text, &param), 1);
    EXPECT_EQ(text, "B");
    EXPECT_EQ(param, 3u);
    // Empty text and truncation to cchTextMax - 1 bytes.
    EXPECT_EQ(this->getItem(x, static_cast<std::uint64_t>(a2), &text), 1);
    EXPECT_EQ(text, "");
    EXPECT_EQ(this->getItem(x, static_cast<std::uint64_t>(a), &text, nullptr, 1), 1);
    EXPECT_EQ(text, "");
    EXPECT_EQ(this->next(tv, wire::TVGN_NEXT, b), 0);
    EXPECT_EQ(this->next(tv, wire::TVGN_CHILD, b), 0);
}

TYPED_TEST(FakeTreeViewTest, RootChildCaretAndEmptyTree) {
    fake::TreeViewOptions options;
    options.caret = 2; // A's second child
    Hwnd tv = fake::addTreeView(this->desktop, this->top, this->pid, sampleTree(), options);
    std::intptr_t root = this->next(tv, wire::TVGN_ROOT, 0);
    EXPECT_EQ(this->next(tv, wire::TVGN_CHILD, 0), root);
    EXPECT_EQ(this->next(tv, wire::TVGN_CHILD, static_cast<std::intptr_t>(0xFFFFFFFFFFFF0000ull)), root);
    EXPECT_EQ(this->next(tv, wire::TVGN_CARET, 0),
              this->next(tv, wire::TVGN_NEXT, this->next(tv, wire::TVGN_CHILD, root)));
    Hwnd none = fake::addTreeView(this->desktop, this->top, this->pid, sampleTree());
    EXPECT_EQ(this->next(none, wire::TVGN_CARET, 0), 0);
    Hwnd empty = fake::addTreeView(this->desktop, this->top, this->pid, {});
    EXPECT_EQ(this->next(empty, wire::TVGN_ROOT, 0), 0);
    EXPECT_EQ(this->next(empty, wire::TVGN_CHILD, 0), 0);
}

TYPED_TEST(FakeTreeViewTest, OwnBufferOptionPointsPszTextIntoTheControlsMemory) {
    fake::TreeViewOptions options;
    options.ownBuffer = true;
    Hwnd tv = fake::addTreeView(this->desktop, this->top, this->pid, sampleTree(), options);
    HandExchange x(tv, sizeof(typename TypeParam::Tv) + 260);
    std::intptr_t a = this->next(tv, wire::TVGN_ROOT, 0);
    typename TypeParam::Tv item =
        tvItem<typename TypeParam::Tv>(x.address(), static_cast<std::uint64_t>(a), 260);
    x.write(0, &item, sizeof item);
    EXPECT_EQ(x.sendBlock(wire::TVM_GETITEMA, 0), 1);
    x.read(0, &item, sizeof item);
    EXPECT_EQ(x.textAt(sizeof item), "");
    EXPECT_NE(static_cast<RemoteAddr>(item.pszText), x.address() + sizeof item);
    EXPECT_EQ(x.textAtAddress(item.pszText, 260), "A");
}

TYPED_TEST(FakeTreeViewTest, HandleOfAnotherTreeIsAFault) {
    this->faultsExpected = true;
    Hwnd one = fake::addTreeView(this->desktop, this->top, this->pid, sampleTree());
    Hwnd two = fake::addTreeView(this->desktop, this->top, this->pid, sampleTree());
    std::intptr_t h = this->next(one, wire::TVGN_ROOT, 0);
    EXPECT_NE(h, this->next(two, wire::TVGN_ROOT, 0));
    EXPECT_EQ(this->next(two, wire::TVGN_NEXT, h), 0);
    ASSERT_EQ(this->desktop.faults().size(), 1u);
    EXPECT_TRUE(this->faultMentions("TVM_GETNEXTITEM"));
    HandExchange x(two, sizeof(typename TypeParam::Tv) + 260);
    std::string text;
    EXPECT_EQ(this->getItem(x, static_cast<std::uint64_t>(h), &text), 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(this->desktop.faults().size(), 2u);
}

TYPED_TEST(FakeTreeViewTest, RecordOfTheOtherWidthIsAFault) {
    this->faultsExpected = true;
    Hwnd tv = fake::addTreeView(this->desktop, this->top, this->pid, sampleTree());
    HandExchange x(tv, 300);
    std::intptr_t a = this->next(tv, wire::TVGN_ROOT, 0);
    using Other = typename TypeParam::OtherTv;
    Other item = tvItem<Other>(x.address(), static_cast<std::uint64_t>(a), 200);
    x.write(0, &item, sizeof item);
    x.sendBlock(wire::TVM_GETITEMA, 0);
    EXPECT_NE(x.textAt(sizeof item), "A");
    EXPECT_TRUE(this->faultMentions("TVM_GETITEMA")) << this->desktop.problems();
}

// Only a 64-bit tree can catch a handle kept in 32 bits.
TEST(FakeTreeView64Test, TruncatedHandleIsAFault) {
    FakeDesktop desktop;
    desktop.install();
    std::uint32_t pid = desktop.addProcess(64);
    Hwnd tv = fake::addTreeView(desktop, Hwnd{}, pid, sampleTree());
    std::intptr_t root = 0;
    ASSERT_TRUE(ws().sendMessage(tv, wire::TVM_GETNEXTITEM, wire::TVGN_ROOT, 0, &root));
    std::intptr_t truncated = static_cast<std::intptr_t>(static_cast<std::uint32_t>(root));
    std::intptr_t r = 5;
    ASSERT_TRUE(ws().sendMessage(tv, wire::TVM_GETNEXTITEM, wire::TVGN_CHILD, truncated, &r));
    EXPECT_EQ(r, 0);
    ASSERT_EQ(desktop.faults().size(), 1u);
    EXPECT_NE(desktop.faults()[0].find("does not hold"), std::string::npos);
    {
        HandExchange x(tv, sizeof(wire::TvItem64) + 260);
        wire::TvItem64 item = tvItem<wire::TvItem64>(x.address(), static_cast<std::uint64_t>(truncated), 260);
        x.write(0, &item, sizeof item);
        EXPECT_EQ(x.sendBlock(wire::TVM_GETITEMA, 0), 0);
        EXPECT_EQ(x.textAt(sizeof item), "");
    }
    EXPECT_EQ(desktop.faults().size(), 2u);
    EXPECT_EQ(desktop.openProcessHandles(), 0);
}

} // namespace
} // namespace vantor
