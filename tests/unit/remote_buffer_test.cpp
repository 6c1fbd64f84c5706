// RemoteBuffer against the fake desktop in both pointer widths: the order of opening and releasing, the
// release of whatever was obtained when a step fails, growing, the exchange, unanswered queries and texts
// read from where a control points.
#include <string>
#include <vector>

#include "capture/remote_buffer.h"
#include "remote_test_support.h"
#include "platform/fake/fake_text.h"

namespace vantor {
namespace testing_support {
namespace {

constexpr std::uint32_t kEcho = 0x8001; // answered by writing "pong" + NUL at lParam

// A control that answers kEcho by writing "pong" + NUL at the block address it is given.
class EchoControl : public fake::FakeControl {
  public:
    bool handle(fake::FakeDesktop& d, fake::FakeWindow& w, std::uint32_t msg, std::uintptr_t,
                std::intptr_t lParam, std::intptr_t* result) override {
        if (msg != kEcho) return false;
        RemoteAddr at = fake::addressIn(d.pointerBitsOf(w.pid), lParam);
        fake::putRemoteTextUnbounded(d, w.pid, "echo", "pong", at);
        *result = 4;
        return true;
    }
};

class RemoteBufferTest : public WidthTest {
  protected:
    void SetUp() override {
        WidthTest::SetUp();
        control = desktop.addWindow(top, "Echo", "", target, std::make_unique<EchoControl>());
    }
    std::size_t blockSize() const { return is64() ? 316 : 300; }
    std::string sized(const char* call) const {
        return std::string(call) + " " + std::to_string(blockSize());
    }

    Hwnd control{};
};

TEST_P(RemoteBufferTest, OpensInOrderAndReleasesInReverse) {
    {
        RemoteBuffer rb;
        ASSERT_TRUE(rb.open(control, 300, 316));
        EXPECT_EQ(rb.size(), blockSize());
        EXPECT_EQ(rb.is64(), is64());
        EXPECT_EQ(desktop.openProcessHandles(), 1);
        EXPECT_EQ(desktop.remoteBlocks(), 1);
        if (!is64()) {
            EXPECT_LE(rb.remote() + rb.size(), 0xFFFFFFFFull);
        }
    } // released by the destructor
    EXPECT_EQ(access.calls,
              (std::vector<std::string>{"openProcess", sized("allocLocal"), sized("allocRemote"), "freeLocal",
                                        "freeRemote", "closeProcess"}));
}

TEST_P(RemoteBufferTest, FailedStepReleasesWhatWasObtained) {
    RemoteBuffer rb;
    desktop.process(target)->openable = false;
    EXPECT_FALSE(rb.open(control, 300, 316));
    EXPECT_EQ(access.calls, (std::vector<std::string>{"openProcess"}));

    access.calls.clear();
    desktop.process(target)->openable = true;
    desktop.failLocalAlloc = true;
    EXPECT_FALSE(rb.open(control, 300, 316));
    EXPECT_EQ(access.calls, (std::vector<std::string>{"openProcess", sized("allocLocal"), "closeProcess"}));

    access.calls.clear();
    desktop.failLocalAlloc = false;
    desktop.process(target)->allocatable = false;
    EXPECT_FALSE(rb.open(control, 300, 316));
    EXPECT_EQ(access.calls, (std::vector<std::string>{"openProcess", sized("allocLocal"),
                                                      sized("allocRemote"), "freeLocal", "closeProcess"}));

    access.calls.clear();
    EXPECT_FALSE(rb.open(Hwnd{}, 300, 316)); // no window, no process
    EXPECT_FALSE(rb.open(static_cast<Hwnd>(0xDEAD0), 300, 316));
    EXPECT_TRUE(access.calls.empty());

    // Nothing is sent through a buffer that is not open.
    int sent = desktop.messagesSent();
    std::intptr_t result = 7;
    EXPECT_FALSE(rb.exchange(kEcho, 0, true, 0, &result));
    EXPECT_FALSE(rb.query(kEcho, 0, 0, &result));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(desktop.messagesSent(), sent);
}

TEST_P(RemoteBufferTest, ExchangeWritesSendsAndReadsBack) {
    RemoteBuffer rb;
    ASSERT_TRUE(rb.open(control, 300, 316));
    std::memcpy(rb.local(), "ping", 5);
    std::intptr_t result = 0;
    ASSERT_TRUE(rb.exchange(kEcho, 0, true, 0, &result));
    EXPECT_EQ(result, 4);
    ASSERT_EQ(access.writes.size(), 1u);
    EXPECT_EQ(access.writes[0].at, rb.remote());
    EXPECT_EQ(access.writes[0].bytes.size(), blockSize());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(access.writes[0].bytes.data())), "ping");
    std::string text;
    rb.textOf(rb.remote(), 0, 260, &text);
    EXPECT_EQ(text, "pong");

    // Without writeFirst nothing goes to the target before the query.
    ASSERT_TRUE(rb.exchange(kEcho, 0, false, 0, &result));
    EXPECT_EQ(access.writes.size(), 1u);
}

TEST_P(RemoteBufferTest, GrowReplacesBothBlocksOrKeepsTheOldOnes) {
    RemoteBuffer rb;
    ASSERT_TRUE(rb.open(control, 300, 316));
    EXPECT_TRUE(rb.grow(100)); // smaller: nothing changes
    EXPECT_EQ(rb.size(), blockSize());
    ASSERT_TRUE(rb.grow(1001));
    EXPECT_EQ(rb.size(), 1001u);
    EXPECT_EQ(desktop.remoteBlocks(), 1);
    EXPECT_EQ(desktop.localBlocks(), 1);

    desktop.process(target)->allocatable = false;
    RemoteAddr before = rb.remote();
    EXPECT_FALSE(rb.grow(5000));
    EXPECT_EQ(rb.remote(), before);
    EXPECT_EQ(rb.size(), 1001u);
    std::intptr_t result = 0;
    EXPECT_TRUE(rb.exchange(kEcho, 0, false, 0, &result)); // still usable
    rb.release();
    EXPECT_EQ(desktop.remoteBlocks(), 0);
    EXPECT_EQ(desktop.localBlocks(), 0);
    EXPECT_EQ(desktop.openProcessHandles(), 0);
}

TEST_P(RemoteBufferTest, UnansweredQueryEmptiesTheTextAndSilencesTheBuffer) {
    RemoteBuffer rb;
    ASSERT_TRUE(rb.open(control, 300, 316));
    std::memcpy(rb.local() + 40, "stale", 6);
    desktop.window(control)->hung = true;
    int sent = desktop.messagesSent();
    std::intptr_t result = 9;
    EXPECT_FALSE(rb.exchange(kEcho, 0, true, 40, &result));
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(rb.answering());
    std::string text;
    rb.textOf(rb.remote() + 40, 40, 260, &text);
    EXPECT_EQ(text, "");
    EXPECT_EQ(desktop.messagesSent(), sent + 1);

    // The control answers again, but the buffer sends nothing more.
    desktop.window(control)->hung = false;
    EXPECT_FALSE(rb.exchange(kEcho, 0, true, 40, &result));
    EXPECT_FALSE(rb.query(kEcho, 0, 0, &result));
    EXPECT_EQ(desktop.messagesSent(), sent + 1);
}

TEST_P(RemoteBufferTest, TextWhereTheControlPoints) {
    RemoteBuffer rb;
    ASSERT_TRUE(rb.open(control, 300, 316));
    std::string own = "owned text";
    RemoteAddr at = fake::ownedCopy(desktop, target, own);
    std::string text;
    rb.textOf(at, 40, 260, &text);
    EXPECT_EQ(text, own);

    RemoteAddr longAt = fake::ownedCopy(desktop, target, std::string(500, 'k'));
    rb.textOf(longAt, 40, 260, &text);
    EXPECT_EQ(text, std::string(259, 'k')); // bounded by the capacity the record offered

    rb.textOf(0, 40, 260, &text);
    EXPECT_EQ(text, "");

    // A text area filled to the block's end is taken up to the end, not beyond.
    std::memset(rb.local() + 40, 'f', rb.size() - 40);
    rb.textOf(rb.remote() + 40, 40, 260, &text);
    EXPECT_EQ(text, std::string(rb.size() - 40, 'f'));
}

INSTANTIATE_TEST_SUITE_P(Widths, RemoteBufferTest, ::testing::Values(32, 64), widthName);

} // namespace
} // namespace testing_support
} // namespace vantor
