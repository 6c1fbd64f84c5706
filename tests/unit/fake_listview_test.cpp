// Honesty of the fake list view and header in both pointer widths: a reader's exchange by hand (process,
// remote block, record of the process's width, message, read-back) gets the right texts, and a record of
// the other width, a pointer outside the block or a capacity larger than the block is recorded as a fault.
#include "platform/fake/fake_controls.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/fake/fake_exchange.h"
#include "platform/wire.h"
#include "fake_width_support.h"

namespace vantor {
namespace {

using fake::FakeDesktop;
using fake::HandExchange;

using testing_support::Widths;

constexpr std::size_t kBlock = 300;

// An item record asking for text (and lParam) into the text area right behind the record.
template <class Item> Item lvItem(RemoteAddr block, int row, int column, int cap) {
    Item item;
    std::memset(&item, 0, sizeof item);
    item.mask = wire::LVIF_TEXT | wire::LVIF_PARAM;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = static_cast<decltype(item.pszText)>(block + sizeof(Item));
    item.cchTextMax = cap;
    return item;
}

template <class Item> Item hdItem(RemoteAddr block, int cap) {
    Item item;
    std::memset(&item, 0, sizeof item);
    item.mask = wire::HDI_TEXT | wire::HDI_LPARAM;
    item.pszText = static_cast<decltype(item.pszText)>(block + sizeof(Item));
    item.cchTextMax = cap;
    return item;
}

template <class W> class FakeListViewTest : public testing_support::FakeWidthTest<W> {
  protected:
    using Base = testing_support::FakeWidthTest<W>;
    using Base::desktop;
    using Base::pid;
    using Base::top;
    Hwnd view(fake::ListViewOptions options = fake::ListViewOptions()) {
        return fake::addListView(desktop, top, pid, {"Name", "Size"},
                                 {{"alpha", "10"}, {"b"}, {"gamma", "30"}}, {0, 2}, options);
    }
    // One LVM_GETITEMA of a right-width record; returns the answer, the text in *text.
    std::intptr_t getItem(HandExchange& x, int row, int column, std::string* text, int cap = 200) {
        typename W::Lv item = lvItem<typename W::Lv>(x.address(), row, column, cap);
        x.write(0, &item, sizeof item);
        std::intptr_t r = x.sendBlock(wire::LVM_GETITEMA, 0);
        *text = x.textAt(sizeof item);
        return r;
    }
};

TYPED_TEST_SUITE(FakeListViewTest, Widths);

TYPED_TEST(FakeListViewTest, CellsAndParamsComeBackThroughTheCallersBlock) {
    Hwnd lv = this->view();
    HandExchange x(lv, kBlock);
    ASSERT_TRUE(x.ok());
    EXPECT_EQ(x.bits(), TypeParam::bits);
    EXPECT_EQ(x.send(wire::LVM_GETITEMCOUNT, 0, 0), 3);
    const char* expected[3][2] = {{"alpha", "10"}, {"b", ""}, {"gamma", "30"}};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 2; ++c) {
            std::string text;
            EXPECT_EQ(this->getItem(x, r, c, &text), 1);
            EXPECT_EQ(text, expected[r][c]) << r << "," << c;
            typename TypeParam::Lv back;
            x.read(0, &back, sizeof back);
            EXPECT_EQ(back.lParam, static_cast<decltype(back.lParam)>(r));
        }
    }
}

TYPED_TEST(FakeListViewTest, TextIsTruncatedToCchTextMaxAndBadCellsAnswerFALSE) {
    Hwnd lv = this->view();
    HandExchange x(lv, kBlock);
    std::string text;
    EXPECT_EQ(this->getItem(x, 0, 0, &text, 4), 1);
    EXPECT_EQ(text, "alp");
    // A bad row or column answers FALSE and leaves the text area alone.
    char marker[] = "untouched";
    typename TypeParam::Lv item;
    x.write(sizeof item, marker, sizeof marker);
    for (auto cell : {std::make_pair(3, 0), std::make_pair(0, 2), std::make_pair(-1, 0)}) {
        item = lvItem<typename TypeParam::Lv>(x.address(), cell.first, cell.second, 200);
        x.write(0, &item, sizeof item);
        EXPECT_EQ(x.sendBlock(wire::LVM_GETITEMA, 0), 0);
        EXPECT_EQ(x.textAt(sizeof item), marker);
    }
}

TYPED_TEST(FakeListViewTest, NextItemWalksTheSelectionFromMinusOne) {
    Hwnd lv = this->view();
    HandExchange x(lv, 16);
    EXPECT_EQ(x.send(wire::LVM_GETNEXTITEM, static_cast<std::uintptr_t>(-1), wire::LVNI_SELECTED), 0);
    EXPECT_EQ(x.send(wire::LVM_GETNEXTITEM, 0, wire::LVNI_SELECTED), 2);
    EXPECT_EQ(x.send(wire::LVM_GETNEXTITEM, 2, wire::LVNI_SELECTED), -1);
    EXPECT_EQ(x.send(wire::LVM_GETNEXTITEM, 0, 0), 1);
    EXPECT_EQ(x.send(wire::LVM_GETNEXTITEM, 2, 0), -1);
}

TYPED_TEST(FakeListViewTest, HeaderChildAnswersTitlesInItsProcesssWidth) {
    Hwnd lv = this->view();
    std::intptr_t h = 0;
    ASSERT_TRUE(ws().sendMessage(lv, wire::LVM_GETHEADER, 0, 0, &h));
    Hwnd header = static_cast<Hwnd>(h);
    EXPECT_EQ(ws().nextChild(lv, Hwnd{}), header);
    char cls[32];
    ws().className(header, cls, sizeof cls);
    EXPECT_EQ(std::string(cls), "SysHeader32");
    HandExchange x(header, sizeof(typename TypeParam::Hd) + 260);
    EXPECT_EQ(x.send(wire::HDM_GETITEMCOUNT, 0, 0), 2);
    const char* titles[] = {"Name", "Size"};
    for (int i = 0; i < 2; ++i) {
        typename TypeParam::Hd item = hdItem<typename TypeParam::Hd>(x.address(), 260);
        x.write(0, &item, sizeof item);
        EXPECT_EQ(x.sendBlock(wire::HDM_GETITEMA, static_cast<std::uintptr_t>(i)), 1);
        EXPECT_EQ(x.textAt(sizeof item), titles[i]);
        x.read(0, &item, sizeof item);
        EXPECT_EQ(item.lParam, static_cast<decltype(item.lParam)>(i));
    }
    EXPECT_EQ(x.sendBlock(wire::HDM_GETITEMA, 2), 0);
}

TYPED_TEST(FakeListViewTest, OwnBufferOptionPointsPszTextIntoTheControlsMemory) {
    fake::ListViewOptions options;
    options.ownBuffer = true;
    options.rowParams = {0x1234};
    Hwnd lv = this->view(options);
    HandExchange x(lv, kBlock);
    std::string text;
    EXPECT_EQ(this->getItem(x, 0, 0, &text), 1);
    EXPECT_EQ(text, "");
    typename TypeParam::Lv back;
    x.read(0, &back, sizeof back);
    RemoteAddr own = back.pszText;
    EXPECT_NE(own, x.address() + sizeof back);
    EXPECT_EQ(x.textAtAddress(own, 260), "alpha");
    EXPECT_EQ(back.lParam, 0x1234u);
}

TYPED_TEST(FakeListViewTest, HeaderlessListViewReturnsNoHeader) {
    fake::ListViewOptions options;
    options.noHeader = true;
    Hwnd lv = this->view(options);
    std::intptr_t h = 5;
    EXPECT_TRUE(ws().sendMessage(lv, wire::LVM_GETHEADER, 0, 0, &h));
    EXPECT_EQ(h, 0);
    EXPECT_TRUE(isNull(ws().nextChild(lv, Hwnd{})));
}

TYPED_TEST(FakeListViewTest, RecordOfTheOtherWidthIsAFault) {
    this->faultsExpected = true;
    Hwnd lv = this->view();
    HandExchange x(lv, kBlock);
    typename TypeParam::OtherLv item = lvItem<typename TypeParam::OtherLv>(x.address(), 0, 0, 200);
    x.write(0, &item, sizeof item);
    x.sendBlock(wire::LVM_GETITEMA, 0);
    EXPECT_NE(x.textAt(sizeof item), "alpha");
    EXPECT_TRUE(this->faultMentions("LVM_GETITEMA")) << this->desktop.problems();

    HandExchange hx(static_cast<Hwnd>(x.send(wire::LVM_GETHEADER, 0, 0)), 324);
    std::size_t before = this->desktop.faults().size();
    typename TypeParam::OtherHd hd = hdItem<typename TypeParam::OtherHd>(hx.address(), 260);
    hx.write(0, &hd, sizeof hd);
    hx.sendBlock(wire::HDM_GETITEMA, 0);
    EXPECT_NE(hx.textAt(sizeof hd), "Name");
    EXPECT_GT(this->desktop.faults().size(), before);
}

TYPED_TEST(FakeListViewTest, PointersOutsideTheBlockAndOversizedCapacityAreFaults) {
    this->faultsExpected = true;
    Hwnd lv = this->view();
    HandExchange x(lv, kBlock);
    // Text pointer a page past the block.
    typename TypeParam::Lv item = lvItem<typename TypeParam::Lv>(x.address(), 0, 0, 200);
    item.pszText = static_cast<decltype(item.pszText)>(x.address() + 0x1000);
    x.write(0, &item, sizeof item);
    x.sendBlock(wire::LVM_GETITEMA, 0);
    ASSERT_EQ(this->desktop.faults().size(), 1u);
    EXPECT_TRUE(this->faultMentions("pszText outside"));
    // Capacity that runs past the block's end.
    item = lvItem<typename TypeParam::Lv>(x.address(), 0, 0, static_cast<int>(kBlock));
    x.write(0, &item, sizeof item);
    x.sendBlock(wire::LVM_GETITEMA, 0);
    ASSERT_EQ(this->desktop.faults().size(), 2u);
    EXPECT_TRUE(this->faultMentions("cchTextMax"));
    EXPECT_EQ(x.textAt(sizeof item), "");
    // No room at all: nothing written, and no reader means to ask that.
    char marker[] = "untouched";
    item = lvItem<typename TypeParam::Lv>(x.address(), 0, 0, 0);
    x.write(0, &item, sizeof item);
    x.write(sizeof item, marker, sizeof marker);
    EXPECT_EQ(x.sendBlock(wire::LVM_GETITEMA, 0), 1);
    EXPECT_EQ(x.textAt(sizeof item), marker);
    ASSERT_EQ(this->desktop.faults().size(), 3u);
    EXPECT_TRUE(this->faultMentions("no room"));
    // The record itself outside the process's memory (an address of this process, say).
    int local = 0;
    x.send(wire::LVM_GETITEMA, 0, reinterpret_cast<std::intptr_t>(&local));
    ASSERT_EQ(this->desktop.faults().size(), 4u);
    EXPECT_TRUE(this->faultMentions("record outside"));
    // A record that starts inside the block but runs off its end.
    x.sendBlock(wire::LVM_GETITEMA, 0, kBlock - sizeof(typename TypeParam::Lv) / 2);
    EXPECT_EQ(this->desktop.faults().size(), 5u);
}

} // namespace
} // namespace vantor
