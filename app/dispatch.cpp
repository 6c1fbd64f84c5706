// dispatchCommand: the command table of app/commands.h carried out on the user-interface thread, and the
// save dialog of the File menu.
// Threads: the user-interface thread only.
#include <windows.h>

#include <commdlg.h>

#include "app/app_globals.h"
#include "app/commands.h"
#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/capture_thread.h"
#include "app/monitor_host.h"
#include "app/panes/output_pane.h"
#include "app/panes/window_list.h"

namespace vantor {

namespace {

const char kSaveTitle[] = "名前を付けて別名で保存";
// Two filter entries, each a description and a pattern, ended by an empty string.
const char kSaveFilter[] = "txt(*.txt)\0*.txt\0All files(*.*)\0*.*\0";

bool runSaveDialog(HWND window) {
    char file[1024] = {};
    OPENFILENAMEA ofn{};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = window;
    ofn.lpstrFilter = kSaveFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    ofn.lpstrDefExt = "txt";
    ofn.lpstrTitle = kSaveTitle;
    if (!GetSaveFileNameA(&ofn)) return false;
    saveOutputToFile(file);
    return true;
}

void runModal(HWND window, int resource, DLGPROC procedure) {
    DialogBoxParamA(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)),
                    MAKEINTRESOURCEA(resource), window, procedure, 0);
}

// Ctrl+Alt+M: monitoring of the foreground window; without one there is nothing to monitor.
void monitorForeground() {
    HWND foreground = GetForegroundWindow();
    if (foreground != nullptr) startMonitoringCommand(foreground);
}

} // namespace

bool dispatchCommand(HWND window, UINT, WPARAM wParam, LPARAM lParam) {
    switch (commandAction(wParam)) {
    case CommandAction::About: runModal(window, IDD_ABOUT, aboutDialogProc); return true;
    case CommandAction::Exit: DestroyWindow(window); return true;
    case CommandAction::Show: ShowWindow(window, SW_SHOWNORMAL); return true;
    case CommandAction::CaptureForeground: updateWindowInfo(GetForegroundWindow()); return true;
    case CommandAction::RefreshList: refreshWindowList(); return true;
    case CommandAction::UpdateInfo: updateWindowInfo(currentTargetWindow()); return true;
    case CommandAction::ForwardToPane:
        SendMessageA(appState().windows.outputPane, WM_COMMAND, wParam, lParam);
        return true;
    case CommandAction::CaptureUnderCursor: captureUnderCursor(); return true;
    case CommandAction::Settings: runModal(window, IDD_OPTION, optionDialogProc); return true;
    case CommandAction::Save: return runSaveDialog(window);
    case CommandAction::Monitor: startMonitoringCommand(nullptr); return true;
    case CommandAction::StopMonitor: stopMonitoringCommand(); return true;
    case CommandAction::MonitorForeground: monitorForeground(); return true;
    case CommandAction::None: return false;
    }
    return false;
}

} // namespace vantor
