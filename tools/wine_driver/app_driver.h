// The Windows-side driver of the end-to-end tests of vantor.exe: starts vantor.exe (from a fresh directory
// of its own, so that each start has its own vantor.ini) and the specimen, finds their windows, drives them
// with messages and reads back what the user sees: the output pane's text, the window list's rows, the
// section toolbar's buttons, the clipboard and the settings file.
// Threads: the test thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "capture/capture_ui.h"
#include "platform/win32/scoped_win.h"

namespace vantor {
namespace apptest {

// Polls cond every 20 ms for at most ms; true once it held.
bool waitUntil(const std::function<bool()>& cond, DWORD ms = 10000);
// Makes window the foreground window, asking again while it is not (a program that has just started may
// still bring itself to the front after the first request); true once it is.
bool bringToFront(HWND window, DWORD ms = 3000);

// A started program; a still running process is ended on destruction, and its handle's owner closes it.
struct Program {
    ScopedHandle process;
    DWORD pid = 0;
    ~Program();
    bool running() const;
    // Waits for the process to end; its exit code, or -1 after the time-out.
    int waitExit(DWORD ms = 10000);
};

// The directory of the test driver (bin/ of the build), without a trailing backslash.
std::string binDirectory();
// A fresh empty directory for one start of vantor.exe holding a copy of it; name distinguishes tests.
// msghook.dll is copied beside it unless withHookLibrary is false, and the 32-bit pieces (msghook32.dll,
// vantor-host32.exe) unless either is false.
std::string makeVantorDirectory(const char* name, bool withHookLibrary = true, bool with32BitPieces = true);
bool startProgram(const std::string& exe, const std::string& arguments, Program* out);

// The running vantor.exe of one test and the windows of its main window.
struct Vantor {
    Program program;
    std::string directory;
    HWND main = nullptr;
    HWND listView = nullptr;
    HWND toolbar = nullptr;
    HWND pane = nullptr;
    HWND rightPane = nullptr;

    // Starts vantor.exe in directory (with an optional vantor.ini written first) and finds its windows.
    bool start(const std::string& dir, const char* ini = nullptr);
    // Exit through the File menu command; the exit code (-1 on time-out).
    int exitByMenu();
    // The output pane as it is now: vantor.exe puts a new control in place of a pane it empties of a large
    // text, so `pane` is the one found at start.
    HWND currentPane() const;
    std::string paneText() const;
    std::vector<std::string> listRows() const;
    // Selects and focuses row (the way a click does), which starts a capture of its window.
    bool selectRow(int row);
    // Adds row to the selection without focusing it (the way a Ctrl-click on a further row does).
    bool addRowToSelection(int row);
    // Takes the selection and focus from row, so that selecting it again is a change (a new capture).
    bool unselectRow(int row);
    int rowOf(const std::string& text) const;
    struct Button {
        int id;
        std::string text;
    };
    std::vector<Button> toolbarButtons() const;
    // The strings in the section toolbar's string list (TB_ADDSTRING's, which only grows).
    int toolbarStringCount() const;
    bool clickToolbarButton(int index);
    std::string iniText() const;
    // Posts a key press and release to the main window (as when it has the keyboard focus).
    void pressKey(UINT virtualKey) const;
    // Posts WM_COMMAND with id to the main window.
    void command(int id) const;
    // Ctrl+Alt+M with target in the foreground, and the Monitor dialog confirmed with interval (units of
    // 100 ms); true once monitoring runs (the window list shows target's controls, the toolbar "終了").
    bool startMonitoring(HWND target, const char* interval) const;

  private:
    bool setRowState(int row, UINT state, UINT mask);
};

// The specimen application, with options such as "--hang-after 500"; exe names its build in bin/
// ("specimen32.exe": the 32-bit one).
struct Specimen {
    Program program;
    HWND window = nullptr;
    std::string exe = "specimen.exe";
    bool start(const std::string& arguments = "");
};

// A top-level dialog (class "#32770") of process pid with the title, or null.
HWND findDialog(DWORD pid, const char* title);
// The process id of a window.
DWORD processOf(HWND window);
// Saves vantor.exe's pane through File > Save into path as a user does in the save dialog, confirming the
// replacement of an existing file; false when the dialog or the question did not come.
bool saveThroughDialog(const Vantor& v, const std::string& path);
// CF_TEXT of the clipboard ("" when none), up to its terminating NUL.
std::string clipboardText();
// Visible tray icons on the display (of every program).
int trayIconCount();
// Reads a file whole; false when it cannot be opened.
bool readFile(const std::string& path, std::string* out);
// The bytes a report capture of the window gives when the engine runs here in the driver; its progress
// (section buttons, the pane's text) goes to ui when one is given.
std::string engineReportOf(HWND window, CaptureUi* ui = nullptr);

// Where two texts first differ, with a little of each from there, for a failure's message.
std::string firstDifference(const std::string& got, const std::string& wanted);

} // namespace apptest
} // namespace vantor
