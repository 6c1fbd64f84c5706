// vantor.exe end to end: periodic monitoring of the specimen started with Ctrl+Alt+M and the Monitor dialog,
// two watched controls whose texts change between passes, the "終了" button, a watched window that closes,
// a specimen that hangs while it is watched, and the menu command's selection errors.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tools/wine_driver/app_driver.h"

namespace vantor {
namespace apptest {
namespace {

const char kSpecimenRow[] = "Vantor Specimen [VantorSpecimen]";
const char kStamp[] = "\r\n====== ";
// The specimen's main status bar (the first of its status bars, a direct child).
const char kStatusRow[] = "  + \"\" [msctls_statusbar32]";
const char kStatusSection[] = "■ ステータスバー情報";
const char kListSection[] = "■ リストコントロール情報";

// The first row of the list ending in suffix, or -1.
int rowEndingIn(const Vantor& v, const std::string& suffix) {
    const std::vector<std::string> rows = v.listRows();
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].size() >= suffix.size() &&
            rows[i].compare(rows[i].size() - suffix.size(), suffix.size(), suffix) == 0)
            return static_cast<int>(i);
    return -1;
}

std::string joined(const std::vector<std::string>& rows) {
    std::string all;
    for (const std::string& r : rows)
        all += r + "|";
    return all;
}

// The passes of a monitoring report: the text after each timestamp line's start.
std::vector<std::string> passesOf(const std::string& text) {
    std::vector<std::string> passes;
    size_t at = text.find(kStamp);
    while (at != std::string::npos) {
        const size_t next = text.find(kStamp, at + 1);
        passes.push_back(text.substr(at, next == std::string::npos ? std::string::npos : next - at));
        at = next;
    }
    return passes;
}

// Every "変化 N" text in a pass.
std::vector<std::string> changingTexts(const std::string& pass) {
    std::vector<std::string> found;
    const std::string mark = "変化 ";
    for (size_t at = pass.find(mark); at != std::string::npos; at = pass.find(mark, at + 1)) {
        size_t end = at + mark.size();
        while (end < pass.size() && pass[end] >= '0' && pass[end] <= '9')
            ++end;
        found.push_back(pass.substr(at, end - at));
    }
    return found;
}

// Ctrl+Alt+M over the specimen and the Monitor dialog confirmed with the interval; true once the window list
// shows the specimen's controls.
bool startMonitoringOver(const Specimen& specimen, const Vantor& vantor, const char* interval) {
    return vantor.startMonitoring(specimen.window, interval) &&
           rowEndingIn(vantor, "[msctls_statusbar32]") >= 0;
}

// The text of a message box of vantor.exe titled "エラー", which is then closed with OK; "" when none came.
std::string errorBoxText(const Vantor& vantor) {
    HWND box = nullptr;
    if (!waitUntil([&] { return (box = findDialog(processOf(vantor.main), "エラー")) != nullptr; }, 5000))
        return "";
    std::string text;
    for (HWND c = FindWindowExA(box, nullptr, "Static", nullptr); c != nullptr;
         c = FindWindowExA(box, c, "Static", nullptr)) {
        char buffer[256] = "";
        SendMessageA(c, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
        text += buffer;
    }
    PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    waitUntil([&] { return !IsWindow(box); }, 5000);
    return text;
}

bool monitoringEnded(const Vantor& vantor) {
    return vantor.toolbarButtons().empty() && rowEndingIn(vantor, "[msctls_statusbar32]") < 0;
}

TEST(AppMonitor, TwoWatchedControlsPassAfterPassUntilTheStopButton) {
    Specimen specimen;
    ASSERT_TRUE(specimen.start("--change-every 150"));
    Vantor vantor;
    ASSERT_TRUE(vantor.start(makeVantorDirectory("monitor")));
    ASSERT_TRUE(startMonitoringOver(specimen, vantor, "10")) << joined(vantor.listRows());
    const std::vector<Vantor::Button> buttons = vantor.toolbarButtons();
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(buttons[0].text, "終了");
    EXPECT_EQ(buttons[0].id, 32792);

    const int status = vantor.rowOf(kStatusRow);
    const int list = vantor.rowOf("  + \"\" [SysListView32]");
    ASSERT_GE(status, 0) << joined(vantor.listRows());
    ASSERT_GE(list, 0);
    const std::vector<std::string> controls = vantor.listRows();
    ASSERT_TRUE(vantor.addRowToSelection(status));
    ASSERT_TRUE(vantor.addRowToSelection(list));
    // F4 (refresh the window list) is greyed while monitoring: the control list stays.
    vantor.pressKey(VK_F4);
    Sleep(3200);
    EXPECT_EQ(vantor.listRows(), controls);

    const std::vector<std::string> passes = passesOf(vantor.paneText());
    ASSERT_GE(passes.size(), 2u) << vantor.paneText().substr(0, 400);
    for (const std::string& pass : passes) {
        // Timestamp line: "\r\n====== yyyy/mm/dd hh:mm:ss ===================" then the two sections in row
        // order (the status bar comes after the list view among the specimen's children).
        ASSERT_GE(pass.size(), 48u);
        EXPECT_EQ(pass.substr(9 + 19, 20), " ===================") << pass.substr(0, 60);
        EXPECT_EQ(pass[13], '/');
        EXPECT_EQ(pass[22], ':');
        const size_t listAt = pass.find(kListSection), statusAt = pass.find(kStatusSection);
        EXPECT_NE(listAt, std::string::npos) << pass;
        EXPECT_NE(statusAt, std::string::npos) << pass;
        EXPECT_LT(listAt, statusAt);
    }
    const std::vector<std::string> first = changingTexts(passes.front());
    const std::vector<std::string> last = changingTexts(passes.back());
    EXPECT_EQ(first.size(), 2u) << passes.front(); // the list-view cell and the status bar part
    EXPECT_EQ(last.size(), 2u) << passes.back();
    EXPECT_NE(first, last);

    // "終了": monitoring stops, the top-level windows are listed again, F4 refreshes once more.
    ASSERT_TRUE(vantor.clickToolbarButton(0));
    EXPECT_TRUE(waitUntil([&] { return monitoringEnded(vantor) && vantor.rowOf(kSpecimenRow) >= 0; }, 5000))
        << joined(vantor.listRows());
    const size_t stopped = vantor.paneText().size();
    Sleep(1500);
    EXPECT_EQ(vantor.paneText().size(), stopped); // no pass after the stop
    EXPECT_EQ(vantor.exitByMenu(), 0);
}

TEST(AppMonitor, AWatchedWindowThatClosesEndsMonitoring) {
    Specimen specimen;
    ASSERT_TRUE(specimen.start());
    Vantor vantor;
    ASSERT_TRUE(vantor.start(makeVantorDirectory("monitor-gone")));
    ASSERT_TRUE(startMonitoringOver(specimen, vantor, "3"));
    ASSERT_TRUE(vantor.addRowToSelection(vantor.rowOf(kStatusRow)));
    ASSERT_TRUE(waitUntil([&] { return passesOf(vantor.paneText()).size() >= 1; }, 5000));
    PostMessageA(specimen.window, WM_CLOSE, 0, 0);
    ASSERT_EQ(specimen.program.waitExit(), 0);
    const std::string gone = "\r\nウインドウが存在しません\r\n";
    EXPECT_TRUE(waitUntil(
        [&] {
            const std::string text = vantor.paneText();
            return text.size() > gone.size() &&
                   text.compare(text.size() - gone.size(), gone.size(), gone) == 0;
        },
        5000))
        << vantor.paneText().substr(0, 300);
    // The last pass: its timestamp line, then at once the window-gone text.
    const std::vector<std::string> passes = passesOf(vantor.paneText());
    ASSERT_FALSE(passes.empty());
    EXPECT_EQ(passes.back().size(), 48 + gone.size()) << passes.back();
    EXPECT_TRUE(waitUntil([&] { return monitoringEnded(vantor); }, 5000)) << joined(vantor.listRows());
    EXPECT_GE(vantor.rowOf("Vantor [Vantor [Quellin]]"), 0);
    EXPECT_EQ(vantor.exitByMenu(), 0);
}

TEST(AppMonitor, AHungWatchedApplicationLeavesTheUserInterfaceAnswering) {
    Specimen specimen;
    ASSERT_TRUE(specimen.start("--hang-after 1500"));
    Vantor vantor;
    ASSERT_TRUE(vantor.start(makeVantorDirectory("monitor-hung")));
    ASSERT_TRUE(startMonitoringOver(specimen, vantor, "1"));
    ASSERT_TRUE(vantor.addRowToSelection(vantor.rowOf(kStatusRow)));
    // Not the list box: this Wine ignores the time-out of its text message when the target stops answering
    // between the length and the text (platform/win32/win32_messages.cpp), and the pass would wait for ever.
    ASSERT_TRUE(vantor.addRowToSelection(vantor.rowOf("  + \"\" [SysTabControl32]")));
    Sleep(2000); // the specimen hangs now
    const size_t before = passesOf(vantor.paneText()).size();
    // Every pass waits for the message time-outs while ticks come every 100 ms; the window answers all along.
    for (int i = 0; i < 12; ++i) {
        DWORD_PTR result = 0;
        EXPECT_NE(SendMessageTimeoutA(vantor.main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result), 0) << i;
        Sleep(500);
    }
    const std::vector<std::string> passes = passesOf(vantor.paneText());
    ASSERT_FALSE(passes.empty());
    // Passes go on (the time-outs end each message), far fewer than the 60 ticks: the others were dropped.
    EXPECT_GT(passes.size(), before);
    EXPECT_LT(passes.size(), before + 30);
    EXPECT_NE(passes.back().find("情報をうまく取得できませんでした"), std::string::npos) << passes.back();
    // The stop waits for the running pass at most one time-out.
    ASSERT_TRUE(vantor.clickToolbarButton(0));
    EXPECT_TRUE(waitUntil([&] { return monitoringEnded(vantor); }, 8000)) << joined(vantor.listRows());
    EXPECT_EQ(vantor.exitByMenu(), 0);
}

TEST(AppMonitor, MenuCommandWithNoRowOrTwoRowsSelectedShowsTheError) {
    Specimen specimen; // so that the window list has two rows
    ASSERT_TRUE(specimen.start());
    Vantor vantor;
    ASSERT_TRUE(vantor.start(makeVantorDirectory("monitor-errors")));
    vantor.command(32790);
    EXPECT_EQ(errorBoxText(vantor), "アイテムが選択されていません");
    ASSERT_TRUE(vantor.addRowToSelection(0));
    ASSERT_GE(vantor.listRows().size(), 2u);
    ASSERT_TRUE(vantor.addRowToSelection(1));
    vantor.command(32790);
    EXPECT_EQ(errorBoxText(vantor), "アイテムが複数選択されています");
    // Nothing started: no Monitor dialog, no stop button.
    EXPECT_EQ(findDialog(processOf(vantor.main), "監視"), nullptr);
    EXPECT_TRUE(vantor.toolbarButtons().empty());
    EXPECT_EQ(vantor.exitByMenu(), 0);
}

TEST(AppMonitor, ALongSessionKeepsThePaneToTheReportsLastPartAndSavesTheWholeReport) {
    // Wine's rich edit holds some 300 bytes per byte of text: a pane with the whole report of a long session
    // grew vantor.exe without bound. Passes of about 2 KB (a 100-row list view) at 100 ms.
    Specimen specimen;
    ASSERT_TRUE(specimen.start("--rows 100"));
    Vantor vantor;
    const std::string dir = makeVantorDirectory("monitor-long");
    const std::string timing = dir + "\\monitor-timing.txt";
    DeleteFileA(timing.c_str()); // an earlier run's figures would end the wait below at once
    SetEnvironmentVariableA("VANTOR_MONITOR_TIMING", timing.c_str());
    const bool started = vantor.start(dir);
    SetEnvironmentVariableA("VANTOR_MONITOR_TIMING", nullptr);
    ASSERT_TRUE(started);
    ASSERT_TRUE(startMonitoringOver(specimen, vantor, "1"));
    ASSERT_TRUE(vantor.addRowToSelection(vantor.rowOf("  + \"\" [SysListView32]")));
    // The report's size after each pass ("... bytes N"): wait for 40 KB.
    const auto reportBytes = [&] {
        std::string text;
        readFile(timing, &text);
        const size_t at = text.rfind("bytes ");
        return at == std::string::npos ? 0ul : std::strtoul(text.c_str() + at + 6, nullptr, 10);
    };
    ASSERT_TRUE(waitUntil([&] { return reportBytes() >= 40000; }, 60000)) << reportBytes();
    ASSERT_TRUE(vantor.clickToolbarButton(0));
    ASSERT_TRUE(waitUntil([&] { return monitoringEnded(vantor); }, 5000));

    // The pane keeps about 4 KB: whole lines, the last pass complete.
    const std::string pane = vantor.paneText();
    const std::vector<std::string> shownPasses = passesOf(pane);
    ASSERT_FALSE(shownPasses.empty());
    EXPECT_LE(pane.size(), 4096u + shownPasses.back().size()) << pane.size();
    EXPECT_GE(pane.size(), 3000u);
    EXPECT_NE(shownPasses.back().find(kListSection), std::string::npos);

    // Save writes the whole report: every pass from the first, ending with what the pane shows.
    const std::string saved = vantor.directory + "\\monitoring report.txt";
    DeleteFileA(saved.c_str()); // left by an earlier run, it would bring up the replacement question
    ASSERT_TRUE(saveThroughDialog(vantor, saved));
    std::string file;
    ASSERT_TRUE(waitUntil([&] { return readFile(saved, &file) && !file.empty(); }));
    EXPECT_EQ(file.size(), reportBytes());
    EXPECT_EQ(file.compare(0, sizeof kStamp - 1, kStamp), 0) << file.substr(0, 40);
    ASSERT_GE(file.size(), pane.size());
    EXPECT_EQ(file.compare(file.size() - pane.size(), pane.size(), pane), 0);
    const std::vector<std::string> allPasses = passesOf(file);
    EXPECT_GT(allPasses.size(), shownPasses.size() * 3);
    for (const std::string& pass : allPasses)
        EXPECT_NE(pass.find(kListSection), std::string::npos) << pass.substr(0, 80);
}

} // namespace
} // namespace apptest
} // namespace vantor
