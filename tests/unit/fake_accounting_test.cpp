// The fake desktop's accounting: a process handle, remote block or local block left open shows in
// problems(), as do double releases and reads or writes that leave a block; blocks a control makes for
// itself are not counted; the hand-driven exchange releases everything it opened, also when opening fails.
#include "platform/fake/fake_desktop.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_exchange.h"
#include "platform/wire.h"

namespace vantor {
namespace {

using fake::FakeDesktop;

class FakeAccountingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        desktop.install();
        pid = desktop.addProcess(64);
        window = fake::addEdit(desktop, Hwnd{}, pid, "text");
    }

    FakeDesktop desktop;
    std::uint32_t pid = 0;
    Hwnd window{};
};

TEST_F(FakeAccountingTest, CleanDesktopHasNoProblems) {
    Hproc h{};
    ASSERT_TRUE(procs().openProcess(pid, &h));
    RemoteAddr a = 0;
    ASSERT_TRUE(procs().allocRemote(h, 64, &a));
    void* local = procs().allocLocal(64);
    ASSERT_NE(local, nullptr);
    procs().freeLocal(local);
    procs().freeRemote(h, a);
    procs().closeProcess(h);
    EXPECT_EQ(desktop.problems(), "");
}

TEST_F(FakeAccountingTest, EachKindOfLeakIsReported) {
    Hproc h{};
    ASSERT_TRUE(procs().openProcess(pid, &h));
    EXPECT_EQ(desktop.problems(), "1 process handle(s) left open\n");
    RemoteAddr a = 0;
    ASSERT_TRUE(procs().allocRemote(h, 16, &a));
    procs().closeProcess(h);
    EXPECT_EQ(desktop.problems(), "1 remote block(s) not freed\n");
    void* local = procs().allocLocal(8);
    EXPECT_EQ(desktop.problems(), "1 remote block(s) not freed\n1 local block(s) not freed\n");
    EXPECT_EQ(desktop.remoteBlocks(), 1);
    EXPECT_EQ(desktop.localBlocks(), 1);
    // Freeing with a closed handle does not count as freeing.
    procs().freeRemote(h, a);
    EXPECT_EQ(desktop.remoteBlocks(), 1);
    EXPECT_EQ(desktop.faults().size(), 1u);
    procs().freeLocal(local);
    EXPECT_EQ(desktop.localBlocks(), 0);
}

TEST_F(FakeAccountingTest, DoubleReleasesAreFaults) {
    Hproc h{};
    ASSERT_TRUE(procs().openProcess(pid, &h));
    RemoteAddr a = 0;
    ASSERT_TRUE(procs().allocRemote(h, 16, &a));
    procs().freeRemote(h, a);
    procs().freeRemote(h, a);
    procs().closeProcess(h);
    procs().closeProcess(h);
    void* local = procs().allocLocal(8);
    procs().freeLocal(local);
    int notLocal = 0;
    procs().freeLocal(&notLocal);
    EXPECT_EQ(desktop.faults().size(), 3u);
    EXPECT_EQ(desktop.openProcessHandles(), 0);
    EXPECT_EQ(desktop.remoteBlocks(), 0);
}

TEST_F(FakeAccountingTest, ReadsAndWritesThatLeaveABlockAreFaults) {
    Hproc h{};
    ASSERT_TRUE(procs().openProcess(pid, &h));
    RemoteAddr a = 0, b = 0;
    ASSERT_TRUE(procs().allocRemote(h, 100, &a));
    ASSERT_TRUE(procs().allocRemote(h, 100, &b));
    char buf[200] = {};
    EXPECT_TRUE(procs().writeRemote(h, a, buf, 100));
    EXPECT_TRUE(procs().readRemote(h, a + 99, buf, 1));
    EXPECT_TRUE(desktop.faults().empty());
    // One byte too many never reaches into the next block.
    EXPECT_FALSE(procs().readRemote(h, a, buf, 101));
    EXPECT_FALSE(procs().writeRemote(h, a + 50, buf, 51));
    EXPECT_FALSE(procs().readRemote(h, b - 1, buf, 1));
    EXPECT_EQ(desktop.faults().size(), 3u);
    procs().freeRemote(h, a);
    // A freed block is gone.
    EXPECT_FALSE(procs().readRemote(h, a, buf, 1));
    EXPECT_EQ(desktop.faults().size(), 4u);
    procs().freeRemote(h, b);
    procs().closeProcess(h);
    EXPECT_NE(desktop.problems().find("fault: read of 101 bytes"), std::string::npos);
}

TEST_F(FakeAccountingTest, BlocksAControlOwnsAreNotLeaks) {
    RemoteAddr own = desktop.allocOwned(pid, 32);
    EXPECT_NE(own, 0u);
    EXPECT_TRUE(desktop.liveRange(pid, own, 32));
    EXPECT_FALSE(desktop.liveRange(pid, own, 33));
    EXPECT_EQ(desktop.remoteBlocks(), 0);
    EXPECT_EQ(desktop.problems(), "");
}

TEST_F(FakeAccountingTest, HandExchangeReleasesWhatItOpened) {
    {
        fake::HandExchange x(window, 64);
        EXPECT_TRUE(x.ok());
        EXPECT_EQ(x.bits(), 64);
        EXPECT_EQ(desktop.openProcessHandles(), 1);
        EXPECT_EQ(desktop.remoteBlocks(), 1);
    }
    EXPECT_EQ(desktop.problems(), "");
    desktop.process(pid)->allocatable = false;
    {
        fake::HandExchange x(window, 64);
        EXPECT_FALSE(x.ok());
    }
    desktop.process(pid)->openable = false;
    {
        fake::HandExchange x(window, 64);
        EXPECT_FALSE(x.ok());
    }
    EXPECT_EQ(desktop.problems(), "");
}

TEST_F(FakeAccountingTest, ProcessHandlesArePerProcessAndWidth) {
    std::uint32_t small = desktop.addProcess(32);
    Hproc h32{}, h64{};
    ASSERT_TRUE(procs().openProcess(small, &h32));
    ASSERT_TRUE(procs().openProcess(pid, &h64));
    EXPECT_EQ(procs().pointerBits(h32), 32);
    EXPECT_EQ(procs().pointerBits(h64), 64);
    RemoteAddr a32 = 0, a64 = 0;
    ASSERT_TRUE(procs().allocRemote(h32, 16, &a32));
    ASSERT_TRUE(procs().allocRemote(h64, 16, &a64));
    EXPECT_LE(a32, 0xFFFFFFFFull);
    EXPECT_GT(a64, 0xFFFFFFFFull);
    // A block of one process is not memory of the other.
    char c = 0;
    EXPECT_FALSE(procs().readRemote(h64, a32, &c, 1));
    EXPECT_EQ(desktop.faults().size(), 1u);
    procs().freeRemote(h32, a32);
    procs().freeRemote(h64, a64);
    procs().closeProcess(h32);
    procs().closeProcess(h64);
    EXPECT_FALSE(procs().openProcess(9999, &h32));
    EXPECT_TRUE(isNull(h32));
    EXPECT_EQ(desktop.openProcessHandles(), 0);
}

TEST_F(FakeAccountingTest, ExchangesAreCountedPerControlAndLateAnswersComeOnWaking) {
    Hwnd tabs = fake::addTabControl(desktop, Hwnd{}, pid, {"General"});
    Hproc h{};
    ASSERT_TRUE(procs().openProcess(pid, &h));
    RemoteAddr a = 0;
    ASSERT_TRUE(procs().allocRemote(h, 128, &a));
    // A write before the block's address has gone to any control counts for the control it goes to first.
    const std::uint8_t zeros[40] = {};
    ASSERT_TRUE(procs().writeRemote(h, a, zeros, sizeof zeros));
    std::intptr_t result = 0;
    EXPECT_TRUE(ws().sendMessage(tabs, wire::TCM_GETITEMCOUNT, 0, 0, &result));
    EXPECT_TRUE(ws().sendMessage(tabs, wire::TCM_GETITEMA, 0, static_cast<std::intptr_t>(a), &result));
    std::uint8_t back[40];
    ASSERT_TRUE(procs().readRemote(h, a + 8, back, 8));
    EXPECT_TRUE(ws().sendMessage(window, wire::WM_GETTEXTLENGTH, 0, 0, &result)); // another control
    auto e = desktop.exchangesWith(tabs);
    EXPECT_EQ(e.writes, 1);
    EXPECT_EQ(e.reads, 1);
    EXPECT_EQ(e.messages, 2);
    EXPECT_EQ(e.count(wire::TCM_GETITEMA), 1);
    EXPECT_EQ(desktop.exchangesWith(window).messages, 1);
    EXPECT_EQ(desktop.exchangesWith(window).writes, 0);

    // A hung control answers nothing, but keeps the message and answers it when it wakes: into the block,
    // here a TCITEMA whose zero mask asks for nothing but is checked to lie in live memory.
    desktop.window(tabs)->hung = true;
    EXPECT_FALSE(ws().sendMessage(tabs, wire::TCM_GETITEMA, 0, static_cast<std::intptr_t>(a), &result));
    procs().freeRemote(h, a);
    desktop.wake(tabs);
    ASSERT_EQ(desktop.faults().size(), 1u); // the late answer ran into the freed block
    EXPECT_NE(desktop.faults()[0].find("TCM_GETITEMA"), std::string::npos) << desktop.faults()[0];
    EXPECT_TRUE(ws().sendMessage(tabs, wire::TCM_GETITEMCOUNT, 0, 0, &result)); // awake again
    EXPECT_EQ(result, 1);

    // A block given up to its process stays there and is no leak.
    ASSERT_TRUE(procs().allocRemote(h, 16, &a));
    procs().abandonRemote(h, a);
    procs().closeProcess(h);
    EXPECT_EQ(desktop.abandonedBlocks(), 1);
    EXPECT_EQ(desktop.remoteBlocks(), 0);
    EXPECT_TRUE(desktop.liveRange(pid, a, 16));
}

} // namespace
} // namespace vantor
