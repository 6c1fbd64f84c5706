// vantor.exe end to end, one start for the whole path a user takes: the window list at start-up, F4, a
// second start, a capture of the specimen compared byte for byte with the engine's own report, the section
// toolbar and its jumps, saving the pane, and the settings file written at exit.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>

#include <richedit.h>

#include "capture/capture_ui.h"
#include "app/window_placement.h"
#include "tools/wine_driver/app_driver.h"

namespace vantor {
namespace apptest {
namespace {

const char kSpecimenRow[] = "Vantor Specimen [VantorSpecimen]";
const char kVantorRow[] = "Vantor [Vantor [Quellin]]";

// The section buttons the engine asks for when it runs here in the driver.
class ButtonRecorder : public CaptureUi {
  public:
    void addSectionButton(const char* label, int line) override { buttons.emplace_back(label, line); }
    void clearSectionButtons() override { buttons.clear(); }
    void showReport(const char*) override {}
    void showMainWindow() override {}
    Hwnd mainWindow() override { return Hwnd{}; }
    std::vector<std::pair<std::string, int>> buttons;
};

bool hasRow(const Vantor& v, const std::string& row) {
    return v.rowOf(row) >= 0;
}

// A click on the first column's title in vantor.exe's window list.
void clickListHeader(const Vantor& v) {
    HWND header = FindWindowExA(v.listView, nullptr, "SysHeader32", nullptr);
    ASSERT_NE(header, nullptr);
    RECT r;
    GetClientRect(header, &r);
    const LPARAM at = MAKELPARAM(10, (r.top + r.bottom) / 2);
    PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(header, WM_LBUTTONUP, 0, at);
}

// The names of the files in dir, in the order listed.
std::vector<std::string> filesIn(const std::string& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

TEST(AppShell, ListCaptureToolbarSaveAndSettingsOfOneRun) {
    Specimen specimen;
    ASSERT_TRUE(specimen.start());
    Vantor vantor;
    ASSERT_TRUE(vantor.start(makeVantorDirectory("shell")));

    // Start-up: the list holds the specimen and the program itself.
    EXPECT_TRUE(hasRow(vantor, kSpecimenRow));
    EXPECT_TRUE(hasRow(vantor, kVantorRow));

    // F4 (with the main window as the key's target) rebuilds the list.
    {
        Specimen second;
        ASSERT_TRUE(second.start("--title Second"));
        EXPECT_FALSE(hasRow(vantor, "Second [VantorSpecimen]"));
        vantor.pressKey(VK_F4);
        EXPECT_TRUE(waitUntil([&] { return hasRow(vantor, "Second [VantorSpecimen]"); }));
    }
    vantor.pressKey(VK_F4);
    EXPECT_TRUE(waitUntil([&] { return !hasRow(vantor, "Second [VantorSpecimen]"); }));
    EXPECT_TRUE(hasRow(vantor, kSpecimenRow));

    // A click on the column header rebuilds the list too.
    const char kThirdRow[] = "Third [VantorSpecimen]";
    {
        Specimen third;
        ASSERT_TRUE(third.start("--title Third"));
        EXPECT_FALSE(hasRow(vantor, kThirdRow));
        clickListHeader(vantor);
        EXPECT_TRUE(waitUntil([&] { return hasRow(vantor, kThirdRow); }));
    }
    // That window has closed since: selecting its row says so and rebuilds the list.
    const int thirdRow = vantor.rowOf(kThirdRow);
    ASSERT_GE(thirdRow, 0);
    ASSERT_TRUE(vantor.selectRow(thirdRow));
    EXPECT_TRUE(waitUntil([&] {
        return vantor.paneText() == "このウインドウは既に存在しません．\r\nウインドウリストを更新しました．";
    }));
    EXPECT_TRUE(waitUntil([&] { return !hasRow(vantor, kThirdRow); }));
    EXPECT_TRUE(hasRow(vantor, kSpecimenRow));
    EXPECT_TRUE(hasRow(vantor, kVantorRow));

    // A second start brings the first to the front and exits (the specimen in front before it).
    ASSERT_TRUE(bringToFront(specimen.window));
    const int icons = trayIconCount();
    EXPECT_GE(icons, 1);
    {
        Program again;
        ASSERT_TRUE(startProgram(vantor.directory + "\\vantor.exe", "", &again));
        EXPECT_EQ(again.waitExit(), 0);
    }
    EXPECT_TRUE(waitUntil([&] { return GetForegroundWindow() == vantor.main; }, 3000));
    // ... leaving no second tray icon behind.
    EXPECT_EQ(trayIconCount(), icons);

    // Selecting the specimen's row puts the engine's report into the pane, byte for byte.
    ButtonRecorder recorder;
    const std::string expected = engineReportOf(specimen.window, &recorder);
    // The capture thread adds "Window" for the structure report before the engine's own buttons.
    recorder.buttons.insert(recorder.buttons.begin(), std::make_pair(std::string("Window"), 0));
    ASSERT_GT(expected.size(), 200u);
    const int row = vantor.rowOf(kSpecimenRow);
    ASSERT_GE(row, 0);
    ASSERT_TRUE(vantor.selectRow(row));
    EXPECT_TRUE(waitUntil([&] { return vantor.paneText() == expected; }, 20000));
    EXPECT_EQ(vantor.paneText(), expected);
    // ... and exactly the report that vantor-cli writes for the same window.
    const std::string cliOut = vantor.directory + "\\cli report.txt";
    DeleteFileA(cliOut.c_str());
    {
        Program cli;
        ASSERT_TRUE(startProgram(binDirectory() + "\\vantor-cli.exe",
                                 "capture --title \"Vantor Specimen\" --out \"" + cliOut + "\"", &cli));
        EXPECT_EQ(cli.waitExit(30000), 0);
    }
    std::string cliReport;
    EXPECT_TRUE(readFile(cliOut, &cliReport));
    EXPECT_EQ(vantor.paneText(), cliReport);

    // The section toolbar: "Window" first, then one button per section in report order.
    std::vector<Vantor::Button> buttons;
    const bool allButtons = waitUntil([&] {
        buttons = vantor.toolbarButtons();
        return buttons.size() == recorder.buttons.size();
    });
    std::string seen;
    for (const Vantor::Button& b : buttons)
        seen += b.text + "=" + std::to_string(b.id) + " ";
    seen += "/ ";
    for (const auto& b : recorder.buttons)
        seen += b.first + "=" + std::to_string(b.second) + " ";
    ASSERT_TRUE(allButtons) << seen;
    ASSERT_GE(buttons.size(), 3u);
    EXPECT_EQ(buttons[0].text, "Window");
    EXPECT_EQ(buttons[0].id, 0);
    for (size_t i = 0; i < buttons.size(); ++i) {
        EXPECT_EQ(buttons[i].text, recorder.buttons[i].first) << i;
        EXPECT_EQ(buttons[i].id, recorder.buttons[i].second) << i;
    }

    // Each button's click scrolls the pane so that its line is the first visible one, as far as the pane can
    // scroll: a line below the last full page leaves the pane at its end. The buttons are clicked from the
    // middle one, then from the last back to "Window", so that jumps go downwards and upwards.
    SendMessageA(vantor.pane, WM_VSCROLL, SB_BOTTOM, 0);
    const LRESULT lastFirst = SendMessageA(vantor.pane, EM_GETFIRSTVISIBLELINE, 0, 0);
    ASSERT_GT(lastFirst, 0);
    SendMessageA(vantor.pane, WM_VSCROLL, SB_TOP, 0);
    ASSERT_EQ(SendMessageA(vantor.pane, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    int reachedItsLine = 0;
    for (size_t k = 0; k < buttons.size(); ++k) {
        const size_t i = k == 0 ? buttons.size() / 2 : buttons.size() - k;
        const LRESULT want = buttons[i].id < lastFirst ? buttons[i].id : lastFirst;
        if (buttons[i].id == want) ++reachedItsLine;
        ASSERT_TRUE(vantor.clickToolbarButton(static_cast<int>(i)));
        EXPECT_TRUE(
            waitUntil([&] { return SendMessageA(vantor.pane, EM_GETFIRSTVISIBLELINE, 0, 0) == want; }, 3000))
            << buttons[i].text << " at line " << buttons[i].id << ", first visible "
            << SendMessageA(vantor.pane, EM_GETFIRSTVISIBLELINE, 0, 0);
    }
    EXPECT_GE(reachedItsLine, 2); // "Window" and at least one section land exactly on their line

    // "Select all" of the Edit menu reaches the pane: the whole text is selected.
    vantor.command(32784);
    EXPECT_TRUE(waitUntil([&] {
        const LRESULT sel = SendMessageA(vantor.pane, EM_GETSEL, 0, 0);
        return LOWORD(sel) == 0 && HIWORD(sel) > 0 &&
               HIWORD(sel) == SendMessageW(vantor.pane, WM_GETTEXTLENGTH, 0, 0);
    }));

    // Save writes exactly the pane's bytes.
    const std::string saved = vantor.directory + "\\saved report.txt";
    DeleteFileA(saved.c_str());
    ASSERT_TRUE(saveThroughDialog(vantor, saved));
    std::string file;
    EXPECT_TRUE(waitUntil([&] { return readFile(saved, &file) && !file.empty(); }));
    EXPECT_EQ(file, vantor.paneText());

    // A longer file is replaced, not overwritten in place: nothing of its tail is left.
    {
        const std::string longer = vantor.paneText() + std::string(5000, 'x');
        FILE* f = std::fopen(saved.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(longer.data(), 1, longer.size(), f);
        std::fclose(f);
    }
    ASSERT_TRUE(saveThroughDialog(vantor, saved));
    EXPECT_TRUE(waitUntil([&] { return readFile(saved, &file) && file == vantor.paneText(); }));
    EXPECT_EQ(file.size(), vantor.paneText().size());

    // A target that cannot be written (held open without sharing by this process, and deleted when it lets
    // go): the error box, and no file once the holder has closed it.
    const std::string locked = vantor.directory + "\\locked report.txt";
    const std::vector<std::string> filesBefore = filesIn(vantor.directory);
    HANDLE holder = CreateFileA(locked.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(saveThroughDialog(vantor, locked));
    HWND error = nullptr;
    EXPECT_TRUE(waitUntil([&] { return (error = findDialog(processOf(vantor.main), "Error")) != nullptr; }));
    if (error != nullptr) {
        char text[256] = "";
        for (HWND c = FindWindowExA(error, nullptr, "Static", nullptr); c != nullptr && text[0] == '\0';
             c = FindWindowExA(error, c, "Static", nullptr))
            SendMessageA(c, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(text, "ファイル保存できませんでした．");
        PostMessageA(GetDlgItem(error, IDOK) != nullptr ? GetDlgItem(error, IDOK) : error, BM_CLICK, 0, 0);
        EXPECT_TRUE(waitUntil([&] { return !IsWindow(error); }, 5000));
    }
    CloseHandle(holder);
    EXPECT_EQ(GetFileAttributesA(locked.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(filesIn(vantor.directory), filesBefore); // nor anything else beside it

    // Exit through the File menu: exit code 0, the icon gone, and the nine lines of the settings file.
    EXPECT_EQ(vantor.exitByMenu(), 0);
    EXPECT_TRUE(waitUntil([&] { return trayIconCount() == icons - 1; }, 5000));
    const std::string ini = vantor.iniText();
    const std::string rest = "ListWidth=200\r\nEditFontFace=Fixedsys\r\nEditFontHeight=20\r\n"
                             "ListFontFace=Fixedsys\r\nListFontHeight=16\r\nListSeparator=\\t\r\n"
                             "CaptureContextMenu=0\r\nMultipleStartup=0\r\n";
    ASSERT_EQ(ini.compare(0, 11, "WindowSize="), 0) << ini;
    const size_t firstLineEnd = ini.find("\r\n");
    ASSERT_NE(firstLineEnd, std::string::npos);
    EXPECT_EQ(ini.substr(firstLineEnd + 2), rest);
    // The stored size is the default window's 850 by 650, wherever it was centred.
    int left = 0, top = 0, right = 0, bottom = 0;
    ASSERT_EQ(std::sscanf(ini.c_str(), "WindowSize=%d,%d,%d,%d", &left, &top, &right, &bottom), 4);
    EXPECT_EQ(right - left, 850);
    EXPECT_EQ(bottom - top, 650);
}

TEST(AppShell, GrowingReportAndAnEditedPaneEndEqualToTheReport) {
    // 1500 rows: the pane is refreshed while the list view is read, every time with a longer report.
    Specimen specimen;
    ASSERT_TRUE(specimen.start("--rows 1500 --title Big"));
    Vantor vantor;
    ASSERT_TRUE(vantor.start(makeVantorDirectory("growing")));
    const std::string expected = engineReportOf(specimen.window);
    ASSERT_GT(expected.size(), 30000u);
    const int row = vantor.rowOf("Big [VantorSpecimen]");
    ASSERT_GE(row, 0);
    ASSERT_TRUE(vantor.selectRow(row));
    EXPECT_TRUE(waitUntil([&] { return vantor.paneText() == expected; }, 30000))
        << firstDifference(vantor.paneText(), expected);
    EXPECT_NE(SendMessageA(vantor.pane, EM_GETAUTOURLDETECT, 0, 0), 0); // addresses are still detected

    // The user types into the pane; the next capture (F5) shows the report whole again, not the edit.
    SendMessageA(vantor.pane, EM_SETSEL, 0, 0);
    SendMessageA(vantor.pane, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("edited "));
    ASSERT_EQ(vantor.paneText().compare(0, 7, "edited "), 0);
    vantor.pressKey(VK_F5);
    EXPECT_TRUE(waitUntil([&] { return vantor.paneText() == expected; }, 30000))
        << firstDifference(vantor.paneText(), expected);
    EXPECT_EQ(vantor.exitByMenu(), 0);
}

TEST(AppShell, RestoredRectangleOfAMinimisedOrMaximisedWindow) {
    HWND window = CreateWindowExA(0, "Static", "placement", WS_OVERLAPPEDWINDOW, 40, 30, 300, 200, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    const Rect32 normal = restoredWindowRect(window);
    EXPECT_EQ(normal.left, 40);
    EXPECT_EQ(normal.top, 30);
    EXPECT_EQ(normal.right, 340);
    EXPECT_EQ(normal.bottom, 230);
    for (int show : {SW_MINIMIZE, SW_MAXIMIZE}) {
        ShowWindow(window, show);
        RECT current{};
        GetWindowRect(window, &current);
        EXPECT_NE(current.right - current.left, 300) << show; // the rectangle that must not be kept
        const Rect32 r = restoredWindowRect(window);
        EXPECT_EQ(r.left, 40) << show;
        EXPECT_EQ(r.top, 30) << show;
        EXPECT_EQ(r.right, 340) << show;
        EXPECT_EQ(r.bottom, 230) << show;
        ShowWindow(window, SW_RESTORE);
    }
    DestroyWindow(window);
}

TEST(AppShell, WindowClosedWhileMinimisedStoresItsRestoredSize) {
    Vantor vantor;
    ASSERT_TRUE(
        vantor.start(makeVantorDirectory("minimised"), "WindowSize=100,80,820,600\r\nListWidth=200\r\n"));
    RECT before{};
    GetWindowRect(vantor.main, &before);
    ShowWindow(vantor.main, SW_MINIMIZE);
    ASSERT_TRUE(waitUntil([&] { return IsIconic(vantor.main) != FALSE; }));
    RECT iconic{};
    GetWindowRect(vantor.main, &iconic);
    EXPECT_LT(iconic.right - iconic.left, 400); // what used to be stored
    EXPECT_EQ(vantor.exitByMenu(), 0);
    int left = 0, top = 0, right = 0, bottom = 0;
    const std::string ini = vantor.iniText();
    ASSERT_EQ(std::sscanf(ini.c_str(), "WindowSize=%d,%d,%d,%d", &left, &top, &right, &bottom), 4) << ini;
    // The size it was opened with (720 x 520) and the place it had before it was minimised.
    EXPECT_EQ(right - left, 720);
    EXPECT_EQ(bottom - top, 520);
    EXPECT_EQ(left, before.left);
    EXPECT_EQ(top, before.top);
}

} // namespace
} // namespace apptest
} // namespace vantor
