// Shared set-up of the fake common-control tests that run once per target pointer width: the record types
// of each width (and those of the other width, for the wrong-width checks), and a fixture with one target
// process of that width whose leaks and faults fail the test. Test thread only.
#pragma once

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "platform/fake/fake_desktop.h"
#include "platform/wire.h"

namespace vantor {
namespace testing_support {

struct Width32 {
    static constexpr int bits = 32;
    using Lv = wire::LvItem32;
    using OtherLv = wire::LvItem64;
    using Hd = wire::HdItem32;
    using OtherHd = wire::HdItem64;
    using Tc = wire::TcItem32;
    using OtherTc = wire::TcItem64;
    using Tv = wire::TvItem32;
    using OtherTv = wire::TvItem64;
    using Tb = wire::TbButton32;
};
struct Width64 {
    static constexpr int bits = 64;
    using Lv = wire::LvItem64;
    using OtherLv = wire::LvItem32;
    using Hd = wire::HdItem64;
    using OtherHd = wire::HdItem32;
    using Tc = wire::TcItem64;
    using OtherTc = wire::TcItem32;
    using Tv = wire::TvItem64;
    using OtherTv = wire::TvItem32;
    using Tb = wire::TbButton64;
};
using Widths = ::testing::Types<Width32, Width64>;

// A desktop with one target process of W's width and its top-level window "frame". Every test ends with no
// open process handle and no remote block left, and with no fault unless the test expects faults.
template <class W> class FakeWidthTest : public ::testing::Test {
  protected:
    void SetUp() override {
        desktop.install();
        pid = desktop.addProcess(W::bits);
        top = desktop.addWindow(Hwnd{}, "Frame", "frame", pid);
    }
    void TearDown() override {
        EXPECT_EQ(desktop.openProcessHandles(), 0);
        EXPECT_EQ(desktop.remoteBlocks(), 0);
        if (!faultsExpected) {
            EXPECT_EQ(desktop.problems(), "");
        }
    }
    bool faultMentions(const char* what) const {
        for (const std::string& f : desktop.faults())
            if (f.find(what) != std::string::npos) return true;
        return false;
    }

    fake::FakeDesktop desktop;
    std::uint32_t pid = 0;
    Hwnd top{};
    bool faultsExpected = false;
};

} // namespace testing_support
} // namespace vantor
