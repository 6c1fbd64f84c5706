// vantor.exe end to end with msghook.dll: another application's context menu (a sub-menu, a separator, a
// greyed item and an item added while the menu is initialised) becomes one added-menu section with its
// "Menu" button when CaptureContextMenu=1, and nothing with 0 (its records are then taken and dropped);
// vantor.exe ended without FreeHook leaves other applications running, and its 32-bit host ends within a
// second; vantor.exe without msghook.dll beside it still runs and captures. The context menu and the ending
// without FreeHook are checked with the 64-bit and the 32-bit specimen (the latter's menus through
// msghook32.dll, which the 32-bit host loads).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tools/wine_driver/app_driver.h"

namespace vantor {
namespace apptest {
namespace {

struct HookRecord {
    DWORD window, message, lParam, wParam;
};
using PopCall = int(WINAPI*)(HookRecord*, int);

// The section the specimen's context menu gives on an empty report, written out from its contents.
const char kContextMenuSection[] = "■ 追加メニュー\r\n"
                                   "コピー(&C) [401]\r\n"
                                   "貼り付け(&P) [402]\r\n"
                                   "その他(&M)\r\n"
                                   "  + 詳細(&D) [411]\r\n"
                                   "追加項目(&A) [421]\r\n";

// When the specimen opens its menu, and how long it stays open (kContextMenuShownMs).
constexpr int kMenuAfterMs = 1500;
constexpr int kMenuShownMs = 4000;

int occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// msghook.dll's queue, read from this process: with vantor.exe not taking records, what the specimen's
// menu queued is still there.
class HookQueue {
  public:
    HookQueue() {
        library_ = LoadLibraryA((binDirectory() + "\\msghook.dll").c_str());
        if (library_ != nullptr)
            pop_ = reinterpret_cast<PopCall>(reinterpret_cast<void*>(GetProcAddress(library_, "PopMessage")));
    }
    ~HookQueue() {
        if (library_ != nullptr) FreeLibrary(library_);
    }
    bool ready() const { return pop_ != nullptr; }
    // Takes every queued record; how many had the message for window.
    int take(DWORD message, HWND window) {
        int found = 0;
        HookRecord buffer[10];
        int busy = 0; // -1: the queue's lock is held elsewhere at this moment
        for (int n = pop_(buffer, 10); n != 0 && busy < 1000; n = pop_(buffer, 10)) {
            if (n < 0) {
                ++busy;
                Sleep(1);
                continue;
            }
            for (int i = 0; i < n; ++i)
                found += buffer[i].message == message &&
                                 buffer[i].window == static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(window))
                             ? 1
                             : 0;
        }
        return found;
    }

  private:
    HMODULE library_ = nullptr;
    PopCall pop_ = nullptr;
};

bool hasMenuButton(const Vantor& vantor) {
    for (const Vantor::Button& b : vantor.toolbarButtons())
        if (b.text == "Menu") return true;
    return false;
}

// The 32-bit host vantor.exe started (its window is titled with vantor.exe's process id), opened for
// waiting; null when none runs after 10 s.
HANDLE hostOf(const Vantor& vantor) {
    const std::string title = std::to_string(vantor.program.pid);
    HWND window = nullptr;
    waitUntil([&] { return (window = FindWindowExA(HWND_MESSAGE, nullptr, "VantorHost32", title.c_str())); },
              10000);
    return window != nullptr ? OpenProcess(SYNCHRONIZE, FALSE, processOf(window)) : nullptr;
}

// Each test with the specimen of either pointer width (the parameter names its program).
class AppHookWidths : public ::testing::TestWithParam<const char*> {};
INSTANTIATE_TEST_SUITE_P(Specimens, AppHookWidths, ::testing::Values("specimen.exe", "specimen32.exe"));

TEST_P(AppHookWidths, ContextMenuOfAnotherApplicationIsAddedOnceWithItsMenuButton) {
    Vantor vantor;
    ASSERT_TRUE(vantor.start(makeVantorDirectory("hook-on"), "CaptureContextMenu=1\r\n"));
    EXPECT_EQ(vantor.paneText(), "");
    Specimen specimen;
    specimen.exe = GetParam();
    ASSERT_TRUE(specimen.start("--context-menu-after " + std::to_string(kMenuAfterMs)));

    EXPECT_TRUE(waitUntil([&] { return vantor.paneText() == kContextMenuSection; }, 10000));
    EXPECT_EQ(vantor.paneText(), kContextMenuSection);
    EXPECT_TRUE(hasMenuButton(vantor));
    // The sub-menu's and the menu's own later records name the same window: nothing more is added, also
    // not once the menu has closed.
    Sleep(kMenuShownMs + 500);
    EXPECT_EQ(occurrences(vantor.paneText(), "■ 追加メニュー"), 1);
    EXPECT_EQ(vantor.paneText(), kContextMenuSection);
    EXPECT_EQ(vantor.exitByMenu(), 0);
}

// The records are taken out and dropped: none is left for a later start with the setting on to turn into a
// stale section.
TEST(AppHook, ContextMenuWithTheSettingOffAddsNothingAndLeavesNoRecordBehind) {
    HookQueue queue;
    ASSERT_TRUE(queue.ready());
    Vantor vantor;
    ASSERT_TRUE(vantor.start(makeVantorDirectory("hook-off"), "CaptureContextMenu=0\r\n"));
    queue.take(0, nullptr); // whatever earlier programs left
    Specimen specimen;
    ASSERT_TRUE(specimen.start("--context-menu-after " + std::to_string(kMenuAfterMs)));
    Sleep(kMenuAfterMs + kMenuShownMs + 500);

    EXPECT_EQ(vantor.paneText(), "");
    EXPECT_FALSE(hasMenuButton(vantor));
    EXPECT_EQ(queue.take(0x0116 /* WM_INITMENU */, specimen.window), 0);
    EXPECT_EQ(vantor.exitByMenu(), 0);
}

TEST_P(AppHookWidths, VantorEndedWithoutFreeHookLeavesOtherApplicationsRunning) {
    Vantor vantor;
    ASSERT_TRUE(vantor.start(makeVantorDirectory("hook-crash"), "CaptureContextMenu=1\r\n"));
    HANDLE host = hostOf(vantor);
    ASSERT_NE(host, nullptr);
    ASSERT_TRUE(TerminateProcess(vantor.program.process.get(), 9)); // no FreeHook, no clean-up
    // The host watches vantor.exe and ends with it, taking its hooks in the 32-bit programs with it.
    EXPECT_EQ(WaitForSingleObject(host, 1000), WAIT_OBJECT_0);
    CloseHandle(host);
    ASSERT_EQ(vantor.program.waitExit(5000), 9);
    // A program that opens and closes a menu and creates windows afterwards still answers and ends normally.
    Specimen specimen;
    specimen.exe = GetParam();
    ASSERT_TRUE(
        specimen.start("--context-menu-after 300 --exit-after " + std::to_string(300 + kMenuShownMs + 1500)));
    Sleep(300 + kMenuShownMs + 300);
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutA(specimen.window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result), 0);
    EXPECT_EQ(specimen.program.waitExit(10000), 0);
    // A new start of vantor.exe gets the menus again.
    Vantor again;
    ASSERT_TRUE(again.start(makeVantorDirectory("hook-crash"), "CaptureContextMenu=1\r\n"));
    Specimen next;
    next.exe = GetParam();
    ASSERT_TRUE(next.start("--context-menu-after 500"));
    EXPECT_TRUE(waitUntil([&] { return again.paneText() == kContextMenuSection; }, 10000));
    EXPECT_EQ(again.exitByMenu(), 0);
}

TEST(AppHook, WithoutTheHookLibraryVantorRunsAndCaptures) {
    Specimen specimen;
    ASSERT_TRUE(specimen.start());
    Vantor vantor;
    ASSERT_TRUE(vantor.start(makeVantorDirectory("no-hook", false), "CaptureContextMenu=1\r\n"));
    const int row = vantor.rowOf("Vantor Specimen [VantorSpecimen]");
    ASSERT_GE(row, 0);
    ASSERT_TRUE(vantor.selectRow(row));
    EXPECT_TRUE(waitUntil(
        [&] { return vantor.paneText().find("\n■ ステータスバー情報") != std::string::npos; }, 20000));
    const std::string text = vantor.paneText();
    EXPECT_EQ(text.rfind("■ ウインドウの構成\n\"Vantor Specimen\" VantorSpecimen\n", 0), 0u)
        << text.substr(0, 80);
    EXPECT_NE(text.find("\n■ リストコントロール情報 [SysListView32]\r\n"), std::string::npos);
    // Without the library the specimen's menus cannot be read under Wine, and the section says so.
    EXPECT_NE(text.find("■ メニュー情報\r\n情報をうまく取得できませんでした\r\n"), std::string::npos);
    EXPECT_EQ(vantor.exitByMenu(), 0);
}

// Without msghook32.dll and vantor-host32.exe beside it, vantor.exe reads a 64-bit program as before (its
// menu bar through msghook.dll) and a 32-bit one across processes (its menu bar then unread under Wine).
TEST(AppHook, WithoutThe32BitPiecesVantorCapturesBothWidths) {
    Specimen wide;
    ASSERT_TRUE(wide.start("--title \"Vantor Specimen 64\""));
    Specimen narrow;
    narrow.exe = "specimen32.exe";
    ASSERT_TRUE(narrow.start("--title \"Vantor Specimen 32\""));
    Vantor vantor;
    ASSERT_TRUE(vantor.start(makeVantorDirectory("no-32", true, false)));
    const auto capture = [&](const char* title) {
        const int row = vantor.rowOf(std::string(title) + " [VantorSpecimen]");
        EXPECT_GE(row, 0) << title;
        if (row < 0 || !vantor.selectRow(row)) return std::string();
        const std::string first = std::string("■ ウインドウの構成\n\"") + title + "\" VantorSpecimen\n";
        waitUntil(
            [&] {
                const std::string text = vantor.paneText();
                return text.rfind(first, 0) == 0 && text.find("\n■ ステータスバー情報") != std::string::npos;
            },
            20000);
        return vantor.paneText();
    };
    const std::string narrowText = capture("Vantor Specimen 32");
    EXPECT_NE(narrowText.find("■ メニュー情報\r\n情報をうまく取得できませんでした\r\n"), std::string::npos);
    EXPECT_NE(narrowText.find("\n■ リストコントロール情報 [SysListView32]\r\n"), std::string::npos);
    EXPECT_NE(narrowText.find("\n■ ステータスバー情報"), std::string::npos) << narrowText.substr(0, 80);
    const std::string wideText = capture("Vantor Specimen 64");
    EXPECT_NE(wideText.find("■ メニュー情報\r\nファイル(&F)\r\n"), std::string::npos)
        << wideText.substr(0, 400);
    EXPECT_EQ(
        FindWindowExA(HWND_MESSAGE, nullptr, "VantorHost32", std::to_string(vantor.program.pid).c_str()),
        nullptr);
    EXPECT_EQ(vantor.exitByMenu(), 0);
}

} // namespace
} // namespace apptest
} // namespace vantor
