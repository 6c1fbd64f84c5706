// Shared set-up for the cross-process reader tests: the engine fixture run once per target pointer width
// (32 and 64), and a ProcessAccess that forwards to the fake desktop while recording every call, the size
// of every remote block and the bytes of every write into the target. Test thread only.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "capture_test_support.h"
#include "platform/fake/fake_controls.h"
#include "platform/wire.h"

namespace vantor {
namespace testing_support {

class RecordingAccess : public ProcessAccess {
  public:
    struct Write {
        RemoteAddr at;
        std::vector<std::uint8_t> bytes;
    };

    explicit RecordingAccess(fake::FakeDesktop& d) : d(d) {}

    bool openProcess(std::uint32_t pid, Hproc* out) override {
        calls.push_back("openProcess");
        return d.openProcess(pid, out);
    }
    void closeProcess(Hproc p) override {
        calls.push_back("closeProcess");
        d.closeProcess(p);
    }
    int pointerBits(Hproc p) override { return d.pointerBits(p); }
    bool allocRemote(Hproc p, std::size_t size, RemoteAddr* out) override {
        calls.push_back("allocRemote " + std::to_string(size));
        bool ok = d.allocRemote(p, size, out);
        if (ok) remoteSizes.push_back(size);
        return ok;
    }
    void freeRemote(Hproc p, RemoteAddr a) override {
        calls.push_back("freeRemote");
        d.freeRemote(p, a);
    }
    void abandonRemote(Hproc p, RemoteAddr a) override {
        calls.push_back("abandonRemote");
        d.abandonRemote(p, a);
    }
    bool writeRemote(Hproc p, RemoteAddr a, const void* src, std::size_t n) override {
        const auto* b = static_cast<const std::uint8_t*>(src);
        writes.push_back(Write{a, std::vector<std::uint8_t>(b, b + n)});
        return d.writeRemote(p, a, src, n);
    }
    bool readRemote(Hproc p, RemoteAddr a, void* dst, std::size_t n) override {
        ++reads;
        return d.readRemote(p, a, dst, n);
    }
    void* allocLocal(std::size_t size) override {
        calls.push_back("allocLocal " + std::to_string(size));
        return d.allocLocal(size);
    }
    void freeLocal(void* block) override {
        calls.push_back("freeLocal");
        d.freeLocal(block);
    }

    fake::FakeDesktop& d;
    std::vector<std::string> calls;
    std::vector<std::size_t> remoteSizes;
    std::vector<Write> writes;
    int reads = 0;
};

// A member of a record in a recorded block, read at a byte offset.
template <class T> T fieldAt(const std::vector<std::uint8_t>& block, std::size_t offset) {
    T v{};
    if (offset + sizeof v <= block.size()) std::memcpy(&v, block.data() + offset, sizeof v);
    return v;
}

// The engine fixture with a target process of the test's pointer width (32 or 64), its top-level window
// "Main Window", the default separator, and the recording ProcessAccess installed.
class WidthTest : public EngineTest, public ::testing::WithParamInterface<int> {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        target = desktop.addProcess(GetParam());
        top = desktop.addWindow(Hwnd{}, "MainWnd", "Main Window", target);
        setPlatform(Platform{&desktop, &access, &desktop});
    }
    void TearDown() override {
        desktop.install();
        desktop.beforeMessage = nullptr;
        EngineTest::TearDown();
    }

    bool is64() const { return GetParam() == 64; }
    // Counts the messages of one number sent from now on.
    void countMessages(std::uint32_t msg, int* count) {
        desktop.beforeMessage = [msg, count](Hwnd, std::uint32_t m) {
            if (m == msg) ++*count;
        };
    }
    // Every message sent from now on, in order.
    void logMessages(std::vector<std::uint32_t>* log) {
        desktop.beforeMessage = [log](Hwnd, std::uint32_t m) { log->push_back(m); };
    }

    RecordingAccess access{desktop};
    std::uint32_t target = 0;
    Hwnd top{};
};

inline std::string widthName(const ::testing::TestParamInfo<int>& info) {
    return "Bits" + std::to_string(info.param);
}

inline std::string failureText() {
    return kFailureText;
}

} // namespace testing_support
} // namespace vantor
