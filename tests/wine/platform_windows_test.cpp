// The Win32 window system on the windows of another process (the specimen): class names, titles, the
// hierarchy in z-order, process ids, the list of top-level windows, and what is left once the process has
// gone. Expected values come from the specimen's contents header.
//
// Threads: the test thread only.
#include "tests/wine/platform_specimen.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vantor {
namespace platformtest {
namespace {

namespace sp = specimen;

using PlatformWindows = SpecimenTest;

TEST_F(PlatformWindows, TopLevelWindowHasTheSpecimensClassTitleAndProcess) {
    EXPECT_EQ(classOf(topHandle), sp::kWindowClass);
    EXPECT_EQ(titleOf(topHandle), sp::kWindowTitle);
    EXPECT_TRUE(ws().isWindow(topHandle));
    EXPECT_TRUE(isNull(ws().parent(topHandle)));
    std::uint32_t pid = 0;
    EXPECT_EQ(ws().windowThreadProcessId(topHandle, &pid), process.dwThreadId);
    EXPECT_EQ(pid, process.dwProcessId);

    std::vector<Hwnd> all{Hwnd{12345}}; // must be replaced, not appended to
    ws().topLevelWindows(&all);
    EXPECT_EQ(std::count(all.begin(), all.end(), topHandle), 1);
    EXPECT_EQ(std::count(all.begin(), all.end(), Hwnd{12345}), 0);
}

// The top-level list is in z-order: the same order as walking the desktop's children one by one. Other
// programs' windows may come and go between the two walks, so they are compared until they agree.
TEST_F(PlatformWindows, TopLevelWindowsFollowTheDesktopsChildren) {
    std::vector<Hwnd> all;
    std::vector<Hwnd> walked;
    EXPECT_TRUE(waitFor(
        [&] {
            ws().topLevelWindows(&all);
            walked.clear();
            for (Hwnd w = ws().nextChild(Hwnd{}, Hwnd{}); !isNull(w); w = ws().nextChild(Hwnd{}, w))
                walked.push_back(w);
            return all == walked;
        },
        5000));
    EXPECT_NE(std::find(all.begin(), all.end(), topHandle), all.end());
}

TEST_F(PlatformWindows, ChildrenComeInZOrderWithTheirClassesAndParent) {
    std::vector<std::string> classes;
    std::vector<int> ids;
    for (Hwnd w = ws().nextChild(topHandle, Hwnd{}); !isNull(w); w = ws().nextChild(topHandle, w)) {
        classes.push_back(classOf(w));
        ids.push_back(GetDlgCtrlID(toNative(w)));
        EXPECT_EQ(ws().parent(w), topHandle);
        std::uint32_t pid = 0;
        ws().windowThreadProcessId(w, &pid);
        EXPECT_EQ(pid, process.dwProcessId);
    }
    std::vector<std::string> expectedClasses;
    std::vector<int> expectedIds;
    for (const sp::ChildWindow& c : sp::kChildren) {
        expectedClasses.push_back(c.className);
        expectedIds.push_back(c.id);
    }
    EXPECT_EQ(classes, expectedClasses);
    EXPECT_EQ(ids, expectedIds);
}

TEST_F(PlatformWindows, GrandchildrenAreReachedThroughTheirParents) {
    const Hwnd frame = child(sp::kIdFrame);
    const Hwnd panel = ws().nextChild(frame, Hwnd{});
    ASSERT_FALSE(isNull(panel));
    EXPECT_EQ(classOf(panel), sp::kPanelClass);
    EXPECT_EQ(titleOf(panel), sp::kPanelText) << hexOf(titleOf(panel));
    EXPECT_EQ(ws().parent(panel), frame);
    EXPECT_TRUE(isNull(ws().nextChild(frame, panel)));
    const Hwnd status = ws().nextChild(panel, Hwnd{});
    EXPECT_EQ(classOf(status), "msctls_statusbar32");
    EXPECT_EQ(ws().parent(status), panel);
    // The combo box's own edit field.
    const Hwnd comboEdit = ws().nextChild(child(sp::kIdComboBox), Hwnd{});
    EXPECT_EQ(classOf(comboEdit), "Edit");
}

// Titles of another process's windows in code page 932, byte for byte.
TEST_F(PlatformWindows, TitlesOfOtherProcessWindowsAreCodePage932) {
    ASSERT_EQ(GetACP(), 932u) << "run under LC_ALL=ja_JP.UTF-8";
    EXPECT_EQ(titleOf(child(sp::kIdStatic)), sp::kStaticText) << hexOf(titleOf(child(sp::kIdStatic)));
    EXPECT_EQ(titleOf(child(sp::kIdButton)), sp::kButtonText) << hexOf(titleOf(child(sp::kIdButton)));
    EXPECT_EQ(titleOf(child(sp::kIdFrame)), sp::kFrameText) << hexOf(titleOf(child(sp::kIdFrame)));
    EXPECT_EQ(titleOf(child(sp::kIdAppsToolbar)), sp::kAppsToolbarText);
}

// Short buffers: the text is cut and still terminated; a zero capacity writes nothing.
TEST_F(PlatformWindows, ShortBuffersCutTheTextAndTerminateIt) {
    char buf[4];
    std::memset(buf, 'z', sizeof buf);
    const int n = ws().className(topHandle, buf, sizeof buf);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(std::string(buf), std::string(sp::kWindowClass, 3));
    std::memset(buf, 'z', sizeof buf);
    EXPECT_EQ(ws().windowText(topHandle, buf, 0), 0);
    EXPECT_EQ(buf[0], 'z');
}

TEST_F(PlatformWindows, NothingIsLeftOnceTheSpecimenHasExited) {
    const Hwnd listBox = child(sp::kIdListBox);
    endSpecimen();
    ASSERT_TRUE(waitFor([&] { return !ws().isWindow(topHandle); }, 5000));
    EXPECT_FALSE(ws().isWindow(listBox));
    char buf[256];
    std::memset(buf, 'z', sizeof buf);
    EXPECT_EQ(ws().className(topHandle, buf, sizeof buf), 0);
    EXPECT_EQ(buf[0], '\0');
    std::memset(buf, 'z', sizeof buf);
    EXPECT_EQ(ws().windowText(topHandle, buf, sizeof buf), 0);
    EXPECT_EQ(buf[0], '\0');
    std::uint32_t pid = 77;
    EXPECT_EQ(ws().windowThreadProcessId(topHandle, &pid), 0u);
    EXPECT_EQ(pid, 0u);
    EXPECT_TRUE(isNull(ws().nextChild(topHandle, Hwnd{})));
    std::intptr_t result = 99;
    EXPECT_FALSE(ws().sendMessage(listBox, LB_GETCOUNT, 0, 0, &result));
    EXPECT_EQ(result, 0);
    std::vector<Hwnd> all;
    ws().topLevelWindows(&all);
    EXPECT_EQ(std::count(all.begin(), all.end(), topHandle), 0);
}

TEST(PlatformWindowsNull, TheNullWindowIsNoWindow) {
    installWin32Platform();
    EXPECT_FALSE(ws().isWindow(Hwnd{}));
    EXPECT_TRUE(isNull(ws().menuOf(Hwnd{})));
    EXPECT_EQ(ws().menuItemCount(Hmenu{}), -1);
}

} // namespace
} // namespace platformtest
} // namespace vantor
