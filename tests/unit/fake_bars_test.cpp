// Honesty of the fake status bar, toolbar and tab control in both pointer widths: hand-made exchanges get
// the right texts and records, and the writes without a capacity (SB_GETTEXTA, TB_GETBUTTONTEXTA,
// TB_GETBUTTON) into a block too short for them, or records of the other width, are recorded as faults.
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

template <class Item> Item tcItem(RemoteAddr block, int cap) {
    Item item;
    std::memset(&item, 0, sizeof item);
    item.mask = wire::TCIF_TEXT;
    item.pszText = static_cast<decltype(item.pszText)>(block + sizeof(Item));
    item.cchTextMax = cap;
    return item;
}

template <class W> class FakeBarsTest : public testing_support::FakeWidthTest<W> {
  protected:
    using Base = testing_support::FakeWidthTest<W>;
    using Base::desktop;
    using Base::pid;
    using Base::top;
    Hwnd toolbar() {
        fake::FakeButton open, sep, save;
        open.idCommand = 401;
        open.text = "Open";
        open.iBitmap = 3;
        open.dwData = 0xABCD;
        sep.fsStyle = fake::kTbStyleSep;
        save.idCommand = 403;
        save.text = std::string(300, 's');
        return fake::addToolbar(desktop, top, pid, {open, sep, save}, "Tools");
    }
};

TYPED_TEST_SUITE(FakeBarsTest, Widths);

TYPED_TEST(FakeBarsTest, StatusBarPartsTextsLengthsAndTypes) {
    Hwnd sb = this->desktop.addWindow(this->top, fake::kStatusBarClass, "Ready", this->pid,
                                      fake::makeStatusBar({"Ready", "", "x"}, {0, 0x0200}));
    HandExchange x(sb, 260);
    EXPECT_EQ(x.send(wire::SB_GETPARTS, 0, 0), 3);
    EXPECT_EQ(x.sendBlock(wire::SB_GETTEXTA, 0), 5);
    EXPECT_EQ(x.textAt(0), "Ready");
    // The type of the part comes back in the high word, also for an empty text.
    EXPECT_EQ(x.sendBlock(wire::SB_GETTEXTA, 1), 0x02000000);
    EXPECT_EQ(x.textAt(0), "");
    EXPECT_EQ(x.send(wire::SB_GETTEXTLENGTHA, 2, 0), 1);
    EXPECT_EQ(x.send(wire::SB_GETTEXTA, 2, 0), 1); // no buffer: the length only
    EXPECT_EQ(x.sendBlock(wire::SB_GETTEXTA, 3), 0);
    EXPECT_EQ(x.send(wire::SB_GETTEXTLENGTHA, 3, 0), 0);
    // Right edges of the parts as 32-bit ints; the last part runs to the edge.
    std::int32_t edges[3] = {0, 0, 0};
    EXPECT_EQ(x.sendBlock(wire::SB_GETPARTS, 3), 3);
    x.read(0, edges, sizeof edges);
    EXPECT_LT(edges[0], edges[1]);
    EXPECT_EQ(edges[2], -1);
    char buf[16];
    std::intptr_t n = 0;
    ASSERT_TRUE(ws().sendMessage(sb, wire::WM_GETTEXT, sizeof buf, reinterpret_cast<std::intptr_t>(buf), &n));
    EXPECT_EQ(std::string(buf), "Ready");
}

TYPED_TEST(FakeBarsTest, StatusTextLongerThanTheBlockOverrunsItAsAFault) {
    this->faultsExpected = true;
    std::string longText(400, 'L');
    Hwnd sb =
        fake::addStatusBar(this->desktop, this->top, this->pid, {longText, "259" + std::string(256, 'm')});
    HandExchange x(sb, 260);
    // 259 bytes and the NUL fill the block exactly.
    EXPECT_EQ(x.sendBlock(wire::SB_GETTEXTA, 1), 259);
    EXPECT_TRUE(this->desktop.faults().empty());
    EXPECT_EQ(x.sendBlock(wire::SB_GETTEXTA, 0), 400);
    ASSERT_EQ(this->desktop.faults().size(), 1u);
    EXPECT_TRUE(this->faultMentions("SB_GETTEXTA"));
    char block[260];
    x.read(0, block, sizeof block);
    EXPECT_EQ(std::string(block, sizeof block), std::string(260, 'L'));
    // A buffer address that is no block of the bar's process at all.
    x.sendBlock(wire::SB_GETTEXTA, 0, 0x2000);
    EXPECT_EQ(this->desktop.faults().size(), 2u);
}

TYPED_TEST(FakeBarsTest, ToolbarButtonsAsRecordsOfTheProcesssWidth) {
    Hwnd tb = this->toolbar();
    using Tb = typename TypeParam::Tb;
    HandExchange x(tb, sizeof(Tb));
    EXPECT_EQ(x.send(wire::TB_BUTTONCOUNT, 0, 0), 3);
    EXPECT_EQ(x.sendBlock(wire::TB_GETBUTTON, 0), 1);
    Tb b;
    x.read(0, &b, sizeof b);
    EXPECT_EQ(b.idCommand, 401);
    EXPECT_EQ(b.iBitmap, 3);
    EXPECT_EQ(b.fsState, fake::kTbStateEnabled);
    EXPECT_EQ(b.dwData, 0xABCDu);
    EXPECT_EQ(x.sendBlock(wire::TB_GETBUTTON, 1), 1);
    x.read(0, &b, sizeof b);
    EXPECT_EQ(b.idCommand, 0);
    EXPECT_EQ(b.fsStyle, fake::kTbStyleSep);
    // A bad index answers FALSE and leaves the previous record.
    EXPECT_EQ(x.sendBlock(wire::TB_GETBUTTON, 3), 0);
    x.read(0, &b, sizeof b);
    EXPECT_EQ(b.fsStyle, fake::kTbStyleSep);
    char title[16];
    ws().windowText(tb, title, sizeof title);
    EXPECT_EQ(std::string(title), "Tools");
}

TYPED_TEST(FakeBarsTest, ToolbarButtonInABlockOneByteShortIsAFault) {
    this->faultsExpected = true;
    Hwnd tb = this->toolbar();
    HandExchange x(tb, sizeof(typename TypeParam::Tb) - 1);
    x.sendBlock(wire::TB_GETBUTTON, 0);
    ASSERT_EQ(this->desktop.faults().size(), 1u);
    EXPECT_TRUE(this->faultMentions("TB_GETBUTTON"));
}

TYPED_TEST(FakeBarsTest, ButtonTextByCommandId) {
    this->faultsExpected = true;
    Hwnd tb = this->toolbar();
    HandExchange x(tb, 260);
    EXPECT_EQ(x.send(wire::TB_GETBUTTONTEXTA, 401, 0), 4);
    EXPECT_EQ(x.sendBlock(wire::TB_GETBUTTONTEXTA, 401), 4);
    EXPECT_EQ(x.textAt(0), "Open");
    // Unknown command: -1 and nothing written; the separator has no text and writes nothing either.
    EXPECT_EQ(x.sendBlock(wire::TB_GETBUTTONTEXTA, 999), -1);
    EXPECT_EQ(x.textAt(0), "Open");
    EXPECT_EQ(x.sendBlock(wire::TB_GETBUTTONTEXTA, 0), 0);
    EXPECT_EQ(x.textAt(0), "Open");
    EXPECT_TRUE(this->desktop.faults().empty());
    // 300 bytes with no capacity: overruns the 260-byte block.
    EXPECT_EQ(x.send(wire::TB_GETBUTTONTEXTA, 403, 0), 300);
    EXPECT_EQ(x.sendBlock(wire::TB_GETBUTTONTEXTA, 403), 300);
    ASSERT_EQ(this->desktop.faults().size(), 1u);
    EXPECT_TRUE(this->faultMentions("TB_GETBUTTONTEXTA"));
}

TYPED_TEST(FakeBarsTest, TabLabelsThroughRecordsOfTheProcesssWidth) {
    Hwnd tabs = fake::addTabControl(this->desktop, this->top, this->pid, {"General", "Advanced"});
    using Tc = typename TypeParam::Tc;
    HandExchange x(tabs, sizeof(Tc) + 260);
    EXPECT_EQ(x.send(wire::TCM_GETITEMCOUNT, 0, 0), 2);
    const char* labels[] = {"General", "Advanced"};
    for (int i = 0; i < 2; ++i) {
        Tc item = tcItem<Tc>(x.address(), 260);
        x.write(0, &item, sizeof item);
        EXPECT_EQ(x.sendBlock(wire::TCM_GETITEMA, static_cast<std::uintptr_t>(i)), 1);
        EXPECT_EQ(x.textAt(sizeof item), labels[i]);
    }
    Tc item = tcItem<Tc>(x.address(), 4);
    x.write(0, &item, sizeof item);
    EXPECT_EQ(x.sendBlock(wire::TCM_GETITEMA, 1), 1);
    EXPECT_EQ(x.textAt(sizeof item), "Adv");
    EXPECT_EQ(x.sendBlock(wire::TCM_GETITEMA, 2), 0);
    EXPECT_EQ(x.textAt(sizeof item), "Adv");
}

TYPED_TEST(FakeBarsTest, TabRecordOfTheOtherWidthIsAFault) {
    this->faultsExpected = true;
    Hwnd tabs = fake::addTabControl(this->desktop, this->top, this->pid, {"General"});
    using Other = typename TypeParam::OtherTc;
    HandExchange x(tabs, 300);
    Other item = tcItem<Other>(x.address(), 260);
    x.write(0, &item, sizeof item);
    x.sendBlock(wire::TCM_GETITEMA, 0);
    EXPECT_NE(x.textAt(sizeof item), "General");
    EXPECT_TRUE(this->faultMentions("TCM_GETITEMA")) << this->desktop.problems();
}

} // namespace
} // namespace vantor
