// List views and tree views of the specimen (another process) read through msghook.dll inside the specimen
// and across processes: the reports are byte for byte the same and the texts the expected ones (a cell longer
// than the 260-byte buffer, an empty cell, one-byte title and cell, selected rows; the tree's three levels
// and its empty item); without the library the readers take the cross-process path; a specimen closed
// between two chunks ends the read with the rows of the chunks read.
//
// Threads: the test thread only.
#include "tests/wine/platform_specimen.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "capture/bar_readers.h"
#include "capture/read_path.h"
#include "capture/capture_lock.h"
#include "capture/capture_state.h"
#include "capture/capture_ui.h"
#include "capture/list_view_reader.h"
#include "capture/report_buffer.h"
#include "capture/section_format.h"
#include "platform/win32/win32_hook.h"
#include "tools/specimen/specimen_contents.h"

namespace vantor {
namespace platformtest {
namespace {

namespace sp = specimen;

std::vector<std::string> paths;
void recordPath(Hwnd, const char* reader, const char* path) {
    paths.push_back(std::string(reader) + ": " + path);
}

// A clock that moves on a second per look, so that every chunk but the last is followed by a refresh.
std::uint64_t fastClockMs = 0;
std::uint64_t fastClock() {
    return fastClockMs += 1000;
}

// A pane that, on its first refresh, closes the specimen and waits until its window is gone.
class ClosingUi : public CaptureUi {
  public:
    void addSectionButton(const char*, int) override {}
    void clearSectionButtons() override {}
    void showReport(const char*) override {
        ++refreshes;
        if (specimen == nullptr || refreshes > 1) return;
        PostMessageA(specimen, WM_CLOSE, 0, 0);
        const DWORD start = GetTickCount();
        while (IsWindow(specimen) && GetTickCount() - start < 10000)
            Sleep(20);
    }
    void showMainWindow() override {}
    Hwnd mainWindow() override { return Hwnd{}; }
    HWND specimen = nullptr;
    int refreshes = 0;
};

class PlatformBulk : public SpecimenTest {
  protected:
    void SetUp() override {
        SpecimenTest::SetUp();
        ASSERT_EQ(GetACP(), 932u) << "run under LC_ALL=ja_JP.UTF-8";
        createCaptureState();
        paths.clear();
        setReadPathObserver(&recordPath);
        listView = FindWindowExA(top, nullptr, "SysListView32", nullptr);
        treeView = FindWindowExA(top, nullptr, "SysTreeView32", nullptr);
        ASSERT_NE(listView, nullptr);
        ASSERT_NE(treeView, nullptr);
    }
    void TearDown() override {
        session.setUi(nullptr);
        setReadPathObserver(nullptr);
        setBulkClock(nullptr);
        unloadHookLibrary();
        destroyCaptureState();
        SpecimenTest::TearDown();
    }
    static void loadLibrary() {
        std::string dir = programDirectory();
        dir.pop_back();
        ASSERT_TRUE(loadHookLibrary(dir.c_str()));
    }
    std::string takeReport() { return takeReport(session); }
    static std::string takeReport(CaptureSession& from) {
        CaptureLock lock(from);
        std::string text = lock.report().text != nullptr ? lock.report().text : "";
        lock.report().clear();
        return text;
    }
    static std::string treeLines(const TextNode* first, int depth = 0) {
        std::string out;
        for (const TextNode* n = first; n != nullptr; n = n->next()) {
            out += std::string(static_cast<std::size_t>(depth) * 2, ' ') + n->text + "\n";
            out += treeLines(n->firstChild(), depth + 1);
        }
        return out;
    }
    std::string takeTree() { return takeTree(session); }
    static std::string takeTree(CaptureSession& from) {
        CaptureLock lock(from);
        const std::string lines = treeLines(lock.tree()->firstChild());
        lock.discardTreeItems();
        return lines;
    }
    // LVM_SETITEMTEXTA / LVM_SETITEMSTATE in the specimen, through a block of its memory.
    void setInSpecimen(UINT message, int row, int column, const std::string& text, UINT state) {
        DWORD pid = 0;
        GetWindowThreadProcessId(listView, &pid);
        HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        ASSERT_NE(process, nullptr);
        const SIZE_T size = sizeof(LVITEMA) + text.size() + 1;
        auto* remote = static_cast<char*>(
            VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        ASSERT_NE(remote, nullptr);
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = remote + sizeof(LVITEMA);
        item.stateMask = state;
        item.state = state;
        WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
        WriteProcessMemory(process, remote + sizeof(LVITEMA), text.c_str(), text.size() + 1, nullptr);
        SendMessageA(listView, message, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        CloseHandle(process);
    }

    HWND listView = nullptr;
    HWND treeView = nullptr;
    CaptureSession session; // the test's captures write into it
    CaptureSession cross{nullptr, "\t", ReadPathChoice::CrossProcessOnly}; // kept off the bulk path
};

TEST_F(PlatformBulk, ListViewTheSameOnBothPaths) {
    loadLibrary();
    // Row 2's middle cell becomes 300 bytes (150 double-byte characters). This Wine's list view fills the
    // 260-byte buffer with 130 characters and no NUL; both paths take the 260 bytes the buffer holds.
    std::string longText;
    for (int i = 0; i < 150; ++i)
        longText += "長";
    setInSpecimen(LVM_SETITEMTEXTA, 2, 1, longText, 0);
    setInSpecimen(LVM_SETITEMSTATE, 1, 0, "", LVIS_SELECTED);
    setInSpecimen(LVM_SETITEMSTATE, 3, 0, "", LVIS_SELECTED);

    readListViewRows(session, fromNative(listView), false);
    const std::string bulkAll = takeReport();
    readListViewRows(session, fromNative(listView), true);
    const std::string bulkSelected = takeReport();
    // The other session's choice is its own: reads in turn keep each to its path.
    readListViewRows(cross, fromNative(listView), false);
    const std::string crossAll = takeReport(cross);
    readListViewRows(cross, fromNative(listView), true);
    const std::string crossSelected = takeReport(cross);
    readListViewRows(session, fromNative(listView), false);
    EXPECT_EQ(takeReport(), bulkAll);

    EXPECT_EQ(paths, (std::vector<std::string>{
                         "list view: bulk", "list view: bulk",
                         "list view: cross-process (forced by --cross-process or ForceCrossProcess=1)",
                         "list view: cross-process (forced by --cross-process or ForceCrossProcess=1)",
                         "list view: bulk"}));
    EXPECT_EQ(bulkAll, crossAll);
    EXPECT_EQ(bulkSelected, crossSelected);
    // The texts themselves: the one-byte title "#" is left out, row 1's empty cell gives two separators.
    EXPECT_EQ(bulkAll, "名前\t説明\t\r\n"
                       "りんご\t赤い果物\t1\r\n"
                       "みかん\t\t2\r\n"
                       "apple\t" +
                           longText.substr(0, 260) +
                           "\t3\r\n"
                           "日本語の行\t漢字とかな\t4\r\n"
                           "x\t一文字の名前\t5\r\n");
    EXPECT_EQ(bulkSelected, "名前\t説明\t\r\nみかん\t\t2\r\n日本語の行\t漢字とかな\t4\r\n");
}

TEST_F(PlatformBulk, TreeViewTheSameOnBothPaths) {
    loadLibrary();
    readTreeView(session, fromNative(treeView));
    const std::string bulk = takeTree();
    readTreeView(cross, fromNative(treeView));
    const std::string crossTree = takeTree(cross);
    EXPECT_EQ(paths, (std::vector<std::string>{
                         "tree view: bulk",
                         "tree view: cross-process (forced by --cross-process or ForceCrossProcess=1)"}));
    EXPECT_EQ(bulk, crossTree);
    EXPECT_EQ(bulk, "動物\n  哺乳類\n    ねこ\n    いぬ\n  \n植物\n  x\n    さくら\n");
}

TEST_F(PlatformBulk, WithoutTheLibraryTheCrossProcessPathReads) {
    readListViewRows(session, fromNative(listView), false);
    readTreeView(session, fromNative(treeView));
    EXPECT_EQ(paths, (std::vector<std::string>{"list view: cross-process (msghook.dll is not loaded)",
                                               "tree view: cross-process (msghook.dll is not loaded)"}));
    EXPECT_EQ(takeReport(), "名前\t説明\t\r\n"
                            "りんご\t赤い果物\t1\r\n"
                            "みかん\t\t2\r\n"
                            "apple\tred fruit\t3\r\n"
                            "日本語の行\t漢字とかな\t4\r\n"
                            "x\t一文字の名前\t5\r\n");
    EXPECT_EQ(takeTree(), "動物\n  哺乳類\n    ねこ\n    いぬ\n  \n植物\n  x\n    さくら\n");
}

class PlatformBulkLarge : public PlatformBulk {
  protected:
    std::string specimenArguments() const override { return "--rows 20000"; }
};

TEST_F(PlatformBulkLarge, SpecimenClosedBetweenChunksEndsWithTheRowsReadAndTheFailureLine) {
    loadLibrary();
    ClosingUi ui;
    ui.specimen = top;
    session.setUi(&ui);
    setBulkClock(&fastClock);
    readListViewRows(session, fromNative(listView), false);
    std::string report = takeReport();
    EXPECT_EQ(ui.refreshes, 1);
    EXPECT_FALSE(IsWindow(listView));
    EXPECT_EQ(paths, std::vector<std::string>{
                         "list view: bulk, the rest cross-process (no answer within the time-out)"});
    // Whole rows from row 0 on, as many as the first chunk held (fewer than all), no row of empty cells,
    // then the failure line: the rest could not be read across processes either.
    const std::string failure = kFailureLine;
    ASSERT_GT(report.size(), failure.size());
    EXPECT_EQ(report.substr(report.size() - failure.size()), failure);
    report.resize(report.size() - failure.size());
    std::string expected = "名前\t説明\t\r\n";
    std::size_t rows = 0;
    char cell[64];
    while (expected.size() < report.size() && rows < 20000) {
        for (int c = 0; c < sp::kListViewColumnCount; ++c) {
            sp::listViewCell(static_cast<int>(rows), c, cell, sizeof cell);
            if (c > 0) expected += "\t";
            expected += cell;
        }
        expected += "\r\n";
        ++rows;
    }
    EXPECT_EQ(report, expected);
    EXPECT_GT(rows, 100u);
    EXPECT_LT(rows, 20000u);
}

} // namespace
} // namespace platformtest
} // namespace vantor
