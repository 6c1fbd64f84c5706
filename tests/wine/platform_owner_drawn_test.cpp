// An owner-drawn list box without LBS_HASSTRINGS in another process (the specimen with --owner-drawn): its
// text messages copy item data (here addresses of the specimen's records), and the list box reader writes
// no item line for it, only the failure line, while the specimen's plain list box reads as before.
//
// Threads: the test thread only.
#include "tests/wine/platform_specimen.h"

#include <cstring>
#include <string>

#include "capture/capture_lock.h"
#include "capture/capture_state.h"
#include "capture/dispatcher.h"
#include "capture/in_process_readers.h"
#include "capture/report_buffer.h"

namespace vantor {
namespace platformtest {
namespace {

namespace sp = specimen;

class PlatformOwnerDrawnList : public SpecimenTest {
  protected:
    std::string specimenArguments() const override { return "--owner-drawn 3"; }
    void SetUp() override {
        SpecimenTest::SetUp();
        ASSERT_EQ(GetACP(), 932u) << "run under LC_ALL=ja_JP.UTF-8";
        createCaptureState();
    }
    void TearDown() override {
        destroyCaptureState();
        SpecimenTest::TearDown();
    }
    std::string reportText() {
        CaptureLock lock(session);
        return lock.report().text != nullptr ? lock.report().text : "";
    }
    CaptureSession session; // the test's captures write into it
};

TEST_F(PlatformOwnerDrawnList, TextMessagesCopyItemDataNotTexts) {
    HWND list = GetDlgItem(top, sp::kIdOwnerDrawnList);
    ASSERT_NE(list, nullptr);
    const std::uint32_t style = ws().windowStyle(fromNative(list));
    EXPECT_NE(style & static_cast<std::uint32_t>(LBS_OWNERDRAWFIXED), 0u);
    EXPECT_EQ(style & static_cast<std::uint32_t>(LBS_HASSTRINGS), 0u);
    DWORD_PTR count = 0;
    ASSERT_NE(SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count), 0);
    EXPECT_EQ(count, 3u);
    // What the reader used to take for a text: the item's data, the address of a record in the specimen.
    DWORD_PTR length = 0;
    ASSERT_NE(SendMessageTimeoutA(list, LB_GETTEXTLEN, 0, 0, SMTO_ABORTIFHUNG, 2000, &length), 0);
    EXPECT_EQ(length, sizeof(ULONG_PTR));
    unsigned char buffer[32];
    std::memset(buffer, 0, sizeof buffer);
    DWORD_PTR copied = 0;
    ASSERT_NE(SendMessageTimeoutA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                                  2000, &copied),
              0);
    EXPECT_EQ(copied, sizeof(ULONG_PTR));
    ULONG_PTR data = 0;
    std::memcpy(&data, buffer, sizeof data);
    EXPECT_NE(data, 0u);
    EXPECT_NE(std::string(reinterpret_cast<const char*>(buffer)), std::string(sp::kOwnerDrawnItems[0]));
}

TEST_F(PlatformOwnerDrawnList, ReaderWritesOnlyTheFailureLine) {
    readListBox(session, child(sp::kIdOwnerDrawnList));
    EXPECT_EQ(reportText(), "情報をうまく取得できませんでした\r\n");
    {
        CaptureLock lock(session);
        lock.report().clear();
    }
    readListBox(session, child(sp::kIdListBox));
    EXPECT_EQ(reportText(), "alpha\r\ngamma\r\n");
}

TEST_F(PlatformOwnerDrawnList, FullCaptureEndsWithTheListsFailureLine) {
    captureWindow(session, topHandle, true);
    const std::string text = reportText();
    // The owner-drawn list box is the specimen's last child: its section closes the report.
    const std::string tail =
        std::string("\n■ リストボックス情報 [ListBox]\r\n") + "情報をうまく取得できませんでした\r\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << hexOf(text.substr(text.size() - 200));
    // Only the plain list box's items stand in the report as list items.
    EXPECT_NE(text.find("■ リストボックス情報 [ListBox]\r\nalpha\r\ngamma\r\n"), std::string::npos);
}

} // namespace
} // namespace platformtest
} // namespace vantor
