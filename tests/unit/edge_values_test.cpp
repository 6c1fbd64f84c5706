// Values at the edges of their range: hook records whose 32-bit handles have bit 31 set, monitoring
// intervals of 0 and below.
#include <string>

#include "capture/menu_capture.h"
#include "triggers/capture_commands.h"
#include "triggers/hook_intake.h"
#include "capture_test_support.h"
#include "platform/fake/fake_hook_library.h"
#include "platform/hook_library.h"
#include "triggers/hook_intake.h"
#include "triggers/monitoring.h"

namespace vantor {
namespace {

using testing_support::EngineTest;

class EdgeValues : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        setHookLibrary(&library);
    }
    void TearDown() override {
        setHookLibrary(nullptr);
        EngineTest::TearDown();
    }
    fake::FakeHookLibrary library;
};

TEST_F(EdgeValues, RecordHandlesWithBit31AreWidenedWithSign) {
    // The system widens a 32-bit handle with sign: 0x80001234 is 0xFFFFFFFF80001234 in a 64-bit process.
    library.batches.push_back({1, {wire::HookRecord{0x80001234u, wire::WM_INITMENUPOPUP, 0, 0x80005678u}}});
    CaptureController controller;
    drainHookMessages(true, controller);
    const auto expect = [](std::uint64_t v) { return static_cast<std::uintptr_t>(v); };
    EXPECT_EQ(static_cast<std::uintptr_t>(lastAddedMenuWindow()), expect(0xFFFFFFFF80001234ull));
    EXPECT_EQ(static_cast<std::uintptr_t>(lastAddedMenu()), expect(0xFFFFFFFF80005678ull));
}

TEST(MonitorPeriod, IntervalOfZeroOrBelowGivesTheShortestPeriod) {
    EXPECT_EQ(monitorPeriodMs(0), 100u);
    EXPECT_EQ(monitorPeriodMs(-3), 100u);
}

} // namespace
} // namespace vantor
