// The program's single table of commands: what each command id (menu item, accelerator, hot key, tray menu
// item, forwarded toolbar button) does. app/dispatch.cpp carries the actions out; keeping the table as data
// lets it be tested natively. Header-only and portable (no <windows.h>).
// Threads: pure functions, any thread; commands run on the user-interface thread.
#pragma once

#include <cstdint>

#include "app/resource.h"
#include "platform/text.h"

namespace vantor {

enum class CommandAction {
    None,               // not handled: unknown id, and the greyed online help
    About,              // modal About dialog
    Exit,               // destroy the main window
    Show,               // ShowWindow(SW_SHOWNORMAL)
    CaptureForeground,  // window capture of the foreground window
    RefreshList,        // rebuild the window list
    UpdateInfo,         // window capture of the last captured window
    ForwardToPane,      // edit command, sent unchanged to the output pane
    CaptureUnderCursor, // control under the mouse cursor to the clipboard
    Settings,           // modal Option dialog
    Monitor,            // start monitoring the selected row's window
    StopMonitor,        // stop monitoring
    Save,               // save dialog; handled only when a file was chosen
    MonitorForeground,  // start monitoring the foreground window
};

// Only the low 16 bits of wParam count: the command id of WM_COMMAND (whatever the notification code in the
// high word, so an accelerator's command acts like the menu item's) or the hot key id of WM_HOTKEY.
inline CommandAction commandAction(std::uintptr_t wParam) {
    switch (static_cast<int>(wParam & 0xFFFF)) {
    case CMD_ABOUT: return CommandAction::About;
    case CMD_EXIT: return CommandAction::Exit;
    case CMD_SHOW: return CommandAction::Show;
    case CMD_CAPTURE_FOREGROUND: return CommandAction::CaptureForeground;
    case CMD_REFRESH_LIST: return CommandAction::RefreshList;
    case CMD_UPDATE_INFO: return CommandAction::UpdateInfo;
    case CMD_COPY:
    case CMD_PASTE:
    case CMD_CUT:
    case CMD_UNDO:
    case CMD_SELECT_ALL:
    case CMD_DELETE:
    case CMD_REDO: return CommandAction::ForwardToPane;
    case CMD_CAPTURE_UNDER_CURSOR: return CommandAction::CaptureUnderCursor;
    case CMD_SETTINGS: return CommandAction::Settings;
    case CMD_MONITOR: return CommandAction::Monitor;
    case CMD_STOP_MONITOR: return CommandAction::StopMonitor;
    case CMD_SAVE: return CommandAction::Save;
    case CMD_MONITOR_FOREGROUND: return CommandAction::MonitorForeground;
    default: return CommandAction::None; // CMD_ONLINE_HELP included
    }
}

// The edit commands the output pane performs itself when the whole command word equals the id.
enum class EditAction { None, Copy, Paste, Cut, Undo, SelectAll, Delete, Redo };

inline EditAction editAction(std::uintptr_t wParam) {
    switch (wParam) {
    case CMD_COPY: return EditAction::Copy;
    case CMD_PASTE: return EditAction::Paste;
    case CMD_CUT: return EditAction::Cut;
    case CMD_UNDO: return EditAction::Undo;
    case CMD_SELECT_ALL: return EditAction::SelectAll;
    case CMD_DELETE: return EditAction::Delete;
    case CMD_REDO: return EditAction::Redo;
    default: return EditAction::None;
    }
}

// The output pane's edit menu, in the order it is shown (0 marks a separator).
struct EditMenuEntry {
    const char* text;
    int command;
};
constexpr EditMenuEntry kEditMenu[] = {
    {"元に戻す(&U)", CMD_UNDO},
    {"やり直し(&R)", CMD_REDO},
    {nullptr, 0},
    {"コピー(&C)", CMD_COPY},
    {"貼り付け(&P)", CMD_PASTE},
    {"切り取り(&T)", CMD_CUT},
    {"削除(&D)", CMD_DELETE},
    {nullptr, 0},
    {"全て選択(&A)", CMD_SELECT_ALL},
};
constexpr int kEditMenuEntries = countOf(kEditMenu);

// Hot keys registered on the main window (modifiers Ctrl+Alt): id and virtual key.
struct HotKey {
    int id;
    unsigned virtualKey;
};
constexpr unsigned kHotKeyModifiers = 0x0001 | 0x0002; // MOD_ALT | MOD_CONTROL
constexpr HotKey kHotKeys[] = {
    {CMD_CAPTURE_FOREGROUND, 0x57},   // W
    {CMD_CAPTURE_UNDER_CURSOR, 0x43}, // C
    {CMD_MONITOR_FOREGROUND, 0x4D},   // M
};

// The tray icon's notification message (WM_USER + 32) and id.
constexpr unsigned kTrayCallbackMessage = 0x0400 + 32;
constexpr unsigned kTrayIconId = 1;

} // namespace vantor
