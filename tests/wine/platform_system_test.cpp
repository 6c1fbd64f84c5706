// System services through the Win32 platform: replacing a file in one step, a message box whose buttons
// and answer pass through unchanged (a helper thread presses the button), and the owners of handles
// releasing what they hold when they go.
//
// Threads: the test thread, and one helper thread per message box or mutex check.
#include "tests/wine/platform_specimen.h"

#include <cstdio>
#include <string>
#include <thread>

#include "platform/win32/scoped_win.h"

namespace vantor {
namespace platformtest {
namespace {

class PlatformSystem : public ::testing::Test {
  protected:
    void SetUp() override {
        installWin32Platform();
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        dir = std::string(temp) + "vantor-platform-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(dir.c_str(), nullptr);
    }
    void TearDown() override {
        for (const char* name : {"source.txt", "target.txt", "fresh.txt"})
            DeleteFileA((dir + name).c_str());
        RemoveDirectoryA(dir.c_str());
    }
    std::string path(const char* name) const { return dir + name; }
    std::string dir;
};

bool writeFile(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

std::string readFile(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return "<missing>";
    std::string text;
    char buffer[256];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, n);
    std::fclose(f);
    return text;
}

TEST_F(PlatformSystem, ReplaceFileReplacesAnExistingTargetAndCreatesAMissingOne) {
    ASSERT_TRUE(writeFile(path("source.txt"), "WindowSize=1\r\n"));
    ASSERT_TRUE(writeFile(path("target.txt"), "old contents that are longer\r\n"));
    EXPECT_TRUE(sys().replaceFile(path("source.txt").c_str(), path("target.txt").c_str()));
    EXPECT_EQ(readFile(path("target.txt")), "WindowSize=1\r\n");
    EXPECT_EQ(readFile(path("source.txt")), "<missing>");

    ASSERT_TRUE(writeFile(path("source.txt"), "fresh"));
    EXPECT_TRUE(sys().replaceFile(path("source.txt").c_str(), path("fresh.txt").c_str()));
    EXPECT_EQ(readFile(path("fresh.txt")), "fresh");
}

TEST_F(PlatformSystem, ReplaceFileFailsWithoutASourceAndKeepsTheTarget) {
    ASSERT_TRUE(writeFile(path("target.txt"), "kept"));
    EXPECT_FALSE(sys().replaceFile(path("source.txt").c_str(), path("target.txt").c_str()));
    EXPECT_EQ(readFile(path("target.txt")), "kept");
}

// Finds the message box of this process by its caption and presses the button with the given id.
struct Presser {
    const char* caption;
    int button;
    bool pressed = false;
};

DWORD WINAPI pressButton(LPVOID param) {
    Presser* p = static_cast<Presser*>(param);
    p->pressed = waitFor([p] {
        HWND box = FindWindowA("#32770", p->caption);
        if (box == nullptr) return false;
        DWORD pid = 0;
        GetWindowThreadProcessId(box, &pid);
        HWND button = GetDlgItem(box, p->button);
        if (pid != GetCurrentProcessId() || button == nullptr) return false;
        PostMessageA(button, BM_CLICK, 0, 0);
        return true;
    });
    return 0;
}

int answerMessageBox(const char* caption, unsigned flags, int button, bool* pressed) {
    Presser presser{caption, button};
    HANDLE thread = CreateThread(nullptr, 0, pressButton, &presser, 0, nullptr);
    const int answer = sys().messageBox(Hwnd{}, "本文", caption, flags);
    WaitForSingleObject(thread, 15000);
    CloseHandle(thread);
    *pressed = presser.pressed;
    return answer;
}

TEST_F(PlatformSystem, MessageBoxShowsTheButtonsAskedForAndReturnsTheAnswer) {
    bool pressed = false;
    EXPECT_EQ(answerMessageBox("platform yes-no", kMbYesNo | kMbIconQuestion, IDNO, &pressed), kIdNo);
    EXPECT_TRUE(pressed);
    EXPECT_EQ(answerMessageBox("platform yes-no 2", kMbYesNo | kMbIconExclamation, IDYES, &pressed), kIdYes);
    EXPECT_TRUE(pressed);
    EXPECT_EQ(answerMessageBox("platform ok", kMbOk, IDOK, &pressed), kIdOk);
    EXPECT_TRUE(pressed);
}

// A held mutex is free for another thread again once its hold goes (not before); a menu goes with its owner.
TEST(ScopedOwners, HeldMutexAndMenuAreReleasedWhenTheyGo) {
    const ScopedHandle mutex(CreateMutexA(nullptr, FALSE, nullptr));
    ASSERT_TRUE(mutex);
    auto heldByAnotherThread = [&mutex] {
        bool held = false;
        std::thread other([&] { held = HeldMutex(mutex.get(), 0).held(); });
        other.join();
        return held;
    };
    {
        const HeldMutex hold(mutex.get(), 0);
        EXPECT_TRUE(hold.held());
        EXPECT_FALSE(heldByAnotherThread());
    }
    EXPECT_TRUE(heldByAnotherThread());
    EXPECT_FALSE(HeldMutex(nullptr, 0).held());

    HMENU seen = nullptr;
    {
        const ScopedMenu menu(CreatePopupMenu());
        seen = menu.get();
        EXPECT_TRUE(IsMenu(seen));
    }
    EXPECT_FALSE(IsMenu(seen));
}

// A cursor copy and a window event hook go with their owners: releasing them once more afterwards fails.
TEST(ScopedOwners, CursorCopyAndWinEventHookAreReleasedWhenTheyGo) {
    HCURSOR cursor = nullptr;
    HWINEVENTHOOK hook = nullptr;
    {
        const ScopedCursor copy(CopyCursor(LoadCursorA(nullptr, IDC_ARROW)));
        const ScopedWinEventHook events(SetWinEventHook(
            EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr,
            [](HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) CALLBACK {}, 0, 0,
            WINEVENT_OUTOFCONTEXT));
        ASSERT_TRUE(copy);
        ASSERT_TRUE(events);
        cursor = copy.get();
        hook = events.get();
    }
    EXPECT_FALSE(DestroyCursor(cursor));
    EXPECT_FALSE(UnhookWinEvent(hook));
}

} // namespace
} // namespace platformtest
} // namespace vantor
