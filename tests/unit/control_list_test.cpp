// The control list offered for monitoring, on the fake desktop: the worked example (rows and the windows
// behind them in the same order), a known control as the walked window itself, and a window with nothing
// readable.
#include "capture/control_list.h"

#include <string>
#include <vector>

#include "capture_test_support.h"

namespace vantor {
namespace {

using testing_support::EngineTest;

class ControlList : public EngineTest {
  protected:
    // Each row as the window list shows it: "first [class]".
    static std::vector<std::string> shown(const std::vector<ControlRow>& rows) {
        std::vector<std::string> out;
        for (const ControlRow& r : rows)
            out.push_back(r.first + " [" + r.className + "]");
        return out;
    }
    static std::vector<Hwnd> windows(const std::vector<ControlRow>& rows) {
        std::vector<Hwnd> out;
        for (const ControlRow& r : rows)
            out.push_back(r.window);
        return out;
    }
};

TEST_F(ControlList, WorkedExampleRowsAndWindowsInTheSameOrder) {
    Hwnd notes = desktop.addWindow(Hwnd{}, "NotesWnd", "Notes", pid);
    Hwnd edit = desktop.addWindow(notes, "Edit", "", pid, fake::makeEdit("hello"));
    Hwnd status = desktop.addWindow(notes, "msctls_statusbar32", "", pid);
    Hwnd combo = fake::addComboBox(desktop, notes, pid, {}, "");
    Hwnd inner = desktop.addWindow(combo, "Edit", "", pid, fake::makeEdit("abc"));

    std::vector<ControlRow> rows{{"stale", "Old", Hwnd{}}};
    listControls(notes, &rows);

    EXPECT_EQ(shown(rows), (std::vector<std::string>{"  + \"\" [Edit]", "  + \"\" [msctls_statusbar32]",
                                                     "  + \"\" [ComboBox]", "    + \"\" [Edit]"}));
    EXPECT_EQ(windows(rows), (std::vector<Hwnd>{edit, status, combo, inner}));
    EXPECT_EQ(reportText(), ""); // the report is not touched
}

TEST_F(ControlList, AKnownControlAsTheWalkedWindowIsRowZeroWithoutIndentation) {
    Hwnd files = fake::addListView(desktop, Hwnd{}, pid, {"Name"}, {{"a"}});
    desktop.window(files)->title = "Files";
    Hwnd frame = desktop.addWindow(Hwnd{}, "Frame", "Outer", pid);
    Hwnd status = fake::addStatusBar(desktop, frame, pid, {"ready"});

    std::vector<ControlRow> rows;
    listControls(files, &rows);
    // Its header child is not a kind the engine reads on its own.
    EXPECT_EQ(shown(rows), (std::vector<std::string>{"Files [SysListView32]"}));
    EXPECT_EQ(windows(rows), (std::vector<Hwnd>{files}));

    // A top-level window that is no control gives no row of its own (a status bar's title is its part 0).
    listControls(frame, &rows);
    EXPECT_EQ(shown(rows), (std::vector<std::string>{"  + \"ready\" [msctls_statusbar32]"}));
    EXPECT_EQ(windows(rows), (std::vector<Hwnd>{status}));
}

TEST_F(ControlList, NothingReadableOrNoWindowLeavesTheListEmpty) {
    Hwnd frame = desktop.addWindow(Hwnd{}, "Frame", "Plain", pid);
    Hwnd panel = desktop.addWindow(frame, "Panel", "p", pid);
    desktop.addWindow(panel, "Canvas", "c", pid);
    fake::addStatusBar(desktop, Hwnd{}, pid, {"elsewhere"}); // another top-level window's control

    std::vector<ControlRow> rows{{"stale", "Old", Hwnd{}}};
    listControls(frame, &rows);
    EXPECT_TRUE(rows.empty());
    // No window at all must not walk the desktop's top-level windows.
    rows.push_back({"stale", "Old", Hwnd{}});
    listControls(Hwnd{}, &rows);
    EXPECT_TRUE(rows.empty());
}

} // namespace
} // namespace vantor
