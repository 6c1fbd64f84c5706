// Menus of another process through msghook.dll: this Wine refuses them to the reading process
// (GetMenuItemCount answers -1), and with the hook library loaded the Win32 window system reads the
// specimen's menu bar inside the specimen and answers from the snapshot, item by item as the menu holds
// them. A hung specimen does not answer: the request ends after its time-out, and is not repeated at once.
// A menu larger than a snapshot holds is stored as far as it fits, the menus that lost items marked cut.
//
// Threads: the test thread only.
// wire.h (through menu_snapshot.h) names its constants like the SDK's macros: before <windows.h>.
#include "platform/menu_snapshot.h"

#include "tests/wine/platform_specimen.h"

#include <string>

#include "platform/win32/win32_hook.h"

namespace vantor {
namespace platformtest {
namespace {

namespace sp = specimen;

class PlatformHookMenu : public SpecimenTest {
  protected:
    void TearDown() override {
        unloadHookLibrary();
        SpecimenTest::TearDown();
    }
    static void loadLibrary() {
        std::string dir = programDirectory();
        dir.pop_back(); // no trailing backslash
        ASSERT_TRUE(loadHookLibrary(dir.c_str()));
    }
};

// The menu in pre-order, as "level:text=id" with "-" for a separator and "*" before a sub-menu's items.
std::string describe(Hmenu m, int level) {
    std::string s;
    const int count = ws().menuItemCount(m);
    for (int p = 0; p < count; ++p) {
        MenuItem item;
        if (!ws().menuItem(m, p, &item)) return s + "<unreadable>";
        if (item.separator) {
            s += std::to_string(level) + ":-\n";
            continue;
        }
        s += std::to_string(level) + ":" + item.text + "=" + std::to_string(item.id) + "\n";
        if (!isNull(item.subMenu)) s += describe(item.subMenu, level + 1);
    }
    return s;
}

std::string expectedMenu() {
    std::string s;
    for (const sp::MenuEntry& e : sp::kMenu)
        s += std::to_string(e.level) + ":" +
             (e.kind == sp::MenuKind::Separator ? std::string("-")
                                                : std::string(e.text) + "=" + std::to_string(e.id)) +
             "\n";
    return s;
}

TEST_F(PlatformHookMenu, MenuBarOfAnotherProcessComesFromInsideItThroughTheLibrary) {
    EXPECT_EQ(ws().menuItemCount(ws().menuOf(topHandle)), -1); // without the library
    loadLibrary();
    const Hmenu bar = ws().menuOf(topHandle);
    ASSERT_EQ(ws().menuItemCount(bar), sp::kMenuBarItemCount);
    EXPECT_EQ(describe(bar, 0), expectedMenu()) << hexOf(describe(bar, 0));
    MenuItem item;
    EXPECT_FALSE(ws().menuItem(bar, sp::kMenuBarItemCount, &item));
    EXPECT_FALSE(ws().menuItem(bar, -1, &item));
}

class PlatformHookMenuHung : public PlatformHookMenu {
  protected:
    std::string specimenArguments() const override { return "--hang-after 500"; }
};

TEST_F(PlatformHookMenuHung, RequestToAHungTargetEndsAfterItsTimeOutAndIsNotRepeatedAtOnce) {
    loadLibrary();
    Sleep(800); // the specimen no longer answers, and does not yet count as hung
    DWORD start = GetTickCount();
    const Hmenu bar = ws().menuOf(topHandle);
    const DWORD first = GetTickCount() - start;
    EXPECT_FALSE(isNull(bar));
    EXPECT_EQ(ws().menuItemCount(bar), -1);
    EXPECT_GE(first, kMessageTimeoutMs - 100);
    EXPECT_LE(first, kMessageTimeoutMs + 1500);
    start = GetTickCount();
    ws().menuOf(topHandle);
    EXPECT_LT(GetTickCount() - start, 500u);
}

// A window on a thread of its own with a menu bar of three sub-menus of 250 items each: 753 items, more than
// a snapshot's 512.
struct BigMenuWindow {
    HWND window = nullptr;
    HMENU bar = nullptr;
    HMENU subs[3] = {};
    HANDLE thread = nullptr;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);

    static DWORD WINAPI run(void* p) {
        auto* self = static_cast<BigMenuWindow*>(p);
        self->bar = CreateMenu();
        for (int m = 0; m < 3; ++m) {
            self->subs[m] = CreatePopupMenu();
            for (int i = 0; i < 250; ++i)
                AppendMenuA(self->subs[m], MF_STRING, 1000 * (m + 1) + i,
                            ("item " + std::to_string(i)).c_str());
            AppendMenuA(self->bar, MF_POPUP, reinterpret_cast<UINT_PTR>(self->subs[m]),
                        ("menu " + std::to_string(m)).c_str());
        }
        self->window = CreateWindowExA(0, "Static", "big menu", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                       self->bar, nullptr, nullptr);
        SetEvent(self->ready);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0)
            DispatchMessageA(&msg);
        DestroyWindow(self->window);
        return 0;
    }
    BigMenuWindow() {
        thread = CreateThread(nullptr, 0, run, this, 0, nullptr);
        WaitForSingleObject(ready, 5000);
    }
    ~BigMenuWindow() {
        PostThreadMessageA(GetThreadId(thread), WM_QUIT, 0, 0);
        WaitForSingleObject(thread, 5000);
        CloseHandle(thread);
        CloseHandle(ready);
    }
};

TEST_F(PlatformHookMenu, MenuLargerThanASnapshotIsKeptAsFarAsItFitsAndMarkedCut) {
    loadLibrary();
    BigMenuWindow big;
    ASSERT_NE(big.window, nullptr);
    using RequestCall = BOOL(WINAPI*)(HWND, DWORD);
    const auto request = reinterpret_cast<RequestCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("msghook.dll"), "RequestMenuBar")));
    ASSERT_NE(request, nullptr);
    ASSERT_TRUE(request(big.window, 2000));
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, wire::kHookSectionName);
    ASSERT_NE(mapping, nullptr);
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(wire::HookSection));
    ASSERT_NE(view, nullptr);
    SnapshotSet set;
    set.load(view, sizeof(wire::HookSection));
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    const auto handle = [](HMENU m) { return static_cast<Hmenu>(reinterpret_cast<std::uintptr_t>(m)); };
    EXPECT_EQ(set.itemCount(handle(big.bar)), 3);
    EXPECT_FALSE(set.cut(handle(big.bar)));
    EXPECT_EQ(set.itemCount(handle(big.subs[0])), 250);
    EXPECT_EQ(set.itemCount(handle(big.subs[1])), 250);
    EXPECT_FALSE(set.cut(handle(big.subs[1])));
    EXPECT_EQ(set.itemCount(handle(big.subs[2])), 512 - 503);
    EXPECT_TRUE(set.cut(handle(big.subs[2])));
    MenuItem item;
    ASSERT_TRUE(set.item(handle(big.subs[2]), 8, &item));
    EXPECT_STREQ(item.text, "item 8");
    EXPECT_EQ(item.id, 3008);
}

} // namespace
} // namespace platformtest
} // namespace vantor
