// msghook.dll's queue under load, with real processes: hook-flood.exe makes windows from several threads at
// once while this test, the program that set the hook, takes the records out. Below the queue's bound every
// window's record arrives exactly once; above it nothing arrives twice, at most a queue's worth arrives and
// the rest is counted as dropped. The hook is set twice, by the library and by a copy of it under another
// name (as vantor.exe and a vantor-cli from another directory would), so each creation passes two hook
// procedures. Records of other processes (other tests) are told apart by the windows hook-flood reports.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "tests/wine/platform_specimen.h"

namespace vantor {
namespace {

struct Record {
    DWORD window, message, lParam, wParam;
};
using HookCall = void(WINAPI*)();
using PopCall = int(WINAPI*)(Record*, int);
using DroppedCall = DWORD(WINAPI*)();

constexpr int kQueueCapacity = 256;
constexpr DWORD kCreate = 0x0001;

class HookQueue : public ::testing::Test {
  protected:
    void SetUp() override {
        library = LoadLibraryA((platformtest::programDirectory() + "msghook.dll").c_str());
        ASSERT_NE(library, nullptr);
        setHook = exportOf<HookCall>("SetHook");
        freeHook = exportOf<HookCall>("FreeHook");
        pop = exportOf<PopCall>("PopMessage");
        dropped = exportOf<DroppedCall>("DroppedCount");
        ASSERT_TRUE(setHook && freeHook && pop && dropped);
        setHook();
        const std::string copy = platformtest::programDirectory() + "msghook-second-host.dll";
        ASSERT_TRUE(
            CopyFileA((platformtest::programDirectory() + "msghook.dll").c_str(), copy.c_str(), FALSE));
        second = LoadLibraryA(copy.c_str());
        ASSERT_NE(second, nullptr);
        secondSet = reinterpret_cast<HookCall>(reinterpret_cast<void*>(GetProcAddress(second, "SetHook")));
        secondFree = reinterpret_cast<HookCall>(reinterpret_cast<void*>(GetProcAddress(second, "FreeHook")));
        ASSERT_TRUE(secondSet && secondFree);
        secondSet();
        takeAll(); // whatever was queued before
    }
    void TearDown() override {
        if (secondFree) secondFree();
        if (second) FreeLibrary(second);
        if (freeHook) freeHook();
        if (library) FreeLibrary(library);
    }
    template <typename F> F exportOf(const char* name) {
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    }
    // Takes every queued record; counts the creation records per window.
    void takeAll() {
        Record buffer[10];
        // -1: the queue's lock is held by a queueing thread at this moment; ask again shortly.
        int busy = 0;
        for (int n = pop(buffer, 10); n != 0 && busy < 1000; n = pop(buffer, 10)) {
            if (n < 0) {
                ++busy;
                Sleep(1);
                continue;
            }
            for (int i = 0; i < n; ++i)
                if (buffer[i].message == kCreate) ++created[buffer[i].window];
        }
    }
    // Runs hook-flood, taking records all the while when popping; the windows it made, or an empty set.
    std::set<DWORD> flood(int threads, int perThread, bool popping) {
        const std::string out = platformtest::programDirectory() + "hook-flood-windows.txt";
        DeleteFileA(out.c_str());
        std::string line = "\"" + platformtest::programDirectory() + "hook-flood.exe\" " +
                           std::to_string(threads) + " " + std::to_string(perThread) + " \"" + out + "\"";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::set<DWORD> windows;
        if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return windows;
        while (WaitForSingleObject(pi.hProcess, popping ? 1 : 50) == WAIT_TIMEOUT)
            if (popping) takeAll();
        DWORD code = 1;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        EXPECT_EQ(code, 0u);
        FILE* f = std::fopen(out.c_str(), "r");
        unsigned long h = 0;
        while (f != nullptr && std::fscanf(f, "%lx", &h) == 1)
            windows.insert(static_cast<DWORD>(h));
        if (f != nullptr) std::fclose(f);
        return windows;
    }

    HMODULE library = nullptr;
    HMODULE second = nullptr;
    HookCall secondSet = nullptr;
    HookCall secondFree = nullptr;
    HookCall setHook = nullptr;
    HookCall freeHook = nullptr;
    PopCall pop = nullptr;
    DroppedCall dropped = nullptr;
    std::map<DWORD, int> created;
};

TEST_F(HookQueue, FloodFromSeveralThreadsLosesNothingBelowTheBoundAndCountsDropsAbove) {
    // Below the bound: four threads, 50 windows each, taken while they come.
    const DWORD droppedBefore = dropped();
    const std::set<DWORD> small = flood(4, 50, true);
    takeAll();
    ASSERT_EQ(small.size(), 200u);
    int missing = 0, repeated = 0;
    for (DWORD w : small) {
        missing += created.count(w) == 0 ? 1 : 0;
        repeated += created.count(w) != 0 && created[w] > 1 ? 1 : 0;
    }
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(repeated, 0);
    EXPECT_EQ(dropped(), droppedBefore);

    // Above it: four threads, 200 windows each, nothing taken until they are done.
    created.clear();
    const DWORD droppedBetween = dropped();
    const std::set<DWORD> big = flood(4, 200, false);
    takeAll();
    ASSERT_EQ(big.size(), 800u);
    int arrived = 0;
    repeated = 0;
    for (DWORD w : big) {
        arrived += created.count(w) != 0 ? 1 : 0;
        repeated += created.count(w) != 0 && created[w] > 1 ? 1 : 0;
    }
    EXPECT_EQ(repeated, 0);
    EXPECT_GT(arrived, 0);
    EXPECT_LE(arrived, kQueueCapacity);
    EXPECT_GE(static_cast<int>(dropped() - droppedBetween), 800 - arrived);
    std::printf("hook queue flood: %d of 800 records arrived, %lu dropped\n", arrived,
                static_cast<unsigned long>(dropped() - droppedBetween));
}

} // namespace
} // namespace vantor
