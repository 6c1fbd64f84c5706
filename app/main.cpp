// The program's entry: start-up (names, settings, single-instance rule, hook, shared objects, classes, main
// window, tray icon), the loop that waits for window messages and the hook event at once, and the shutdown
// in its fixed order.
// Threads: the user-interface thread, from the first instruction to the exit code.
#include <windows.h>

#include <cstdio>

#include "app/app_globals.h"
#include "app/main_window.h"
#include "app/resource.h"
#include "platform/win32/scoped_win.h"
#include "app/settings.h"
#include "capture/accessible_reader.h"
#include "capture/capture_ui.h"
#include "capture/read_path.h"
#include "app/tray.h"
#include "capture/capture_state.h"
#include "platform/win32/win32_hook.h"
#include "platform/win32/session_security.h"
#include "platform/win32/win32_platform.h"
#include "triggers/capture_commands.h"
#include "triggers/hook_intake.h"
#include "app/capture_thread.h"
#include "app/monitor_host.h"
#include "triggers/monitoring.h"
#include "app/panes/section_toolbar.h"
#include "app/panes/split_pane.h"

namespace vantor {

AppState::AppState()
    : commandHost(makeCommandHost()), monitorHost(makeMonitorHost()), captureUi(makeAppCaptureUi()) {
    sessionSecurity.ready = win32::buildSessionOnly(&sessionSecurity);
}
AppState::~AppState() = default;

AppState& appState() {
    // Made on first use, on the user-interface thread at start-up; ends with the process.
    static AppState state;
    return state;
}

SECURITY_ATTRIBUTES* sessionOnly() {
    win32::SessionOnlySecurity& security = appState().sessionSecurity;
    return security.ready ? &security.attributes : nullptr;
}

namespace {

// msghook.dll is loaded at run time from the program's directory (platform/win32/win32_hook.h): without it
// (or without its exports) the hook is simply absent and the program runs on.
void installHook() {
    char directory[512];
    moduleDirectory(directory, sizeof directory);
    loadHookLibrary(directory);
    setHook();
}

void removeHook() {
    freeHook();
    unloadHookLibrary();
}

// Returns true when another instance runs: that one's window has been brought up and this one must exit.
bool anotherInstanceRuns() {
    if (settings.multipleStartup) return false;
    appState().instanceMutex.reset(CreateMutexA(sessionOnly(), FALSE, appState().programName));
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
    appState().instanceMutex.reset();
    HWND running = FindWindowA(appState().mainClassName, appState().programName);
    if (running != nullptr) {
        // A minimised window is restored: shown alone it would stay an icon.
        ShowWindow(running, IsIconic(running) ? SW_RESTORE : SW_SHOW);
        SetForegroundWindow(running);
    }
    return true;
}

// How long the exit waits for a running capture to notice its stop request.
constexpr unsigned kExitStopWaitMs = 3000;

void shutDown() {
    // A capture still running uses the capture tree: it is released only once the capture has stopped; a
    // capture that does not stop in time ends with the process, and so does the tree.
    if (stopCaptureForExit(commandHost(), kExitStopWaitMs)) {
        destroyCaptureState();
    }
    removeHook();
    appState().hookEvent.reset();
    saveSettings(appState().settingsPath);
    removeTrayIcon(&appState().tray, appState().windows.main, 1);
    appState().instanceMutex.reset(); // made without taking it: closing its handle is all there is to do
}

// The window an accelerator's command goes to: the main window for a key pressed anywhere inside it (the
// window list, the output pane and the other children would drop the command), else the key's own window.
HWND acceleratorTarget(HWND keyWindow) {
    HWND main = appState().windows.main;
    if (main != nullptr && (keyWindow == main || IsChild(main, keyWindow))) return main;
    return keyWindow;
}

// Removes every waiting message; true when WM_QUIT came (its wParam in *exitCode).
bool pumpMessages(int* exitCode) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            *exitCode = static_cast<int>(msg.wParam);
            return true;
        }
        if (TranslateAcceleratorA(acceleratorTarget(msg.hwnd), appState().accelerators, &msg) == 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return false;
}

// The hook event and the intake's own timing share the loop with the window messages, and the messages are
// served after every wake-up whatever the event does: a program that keeps signalling the event (or holds
// the library's queue lock) cannot keep the window from answering. While the intake waits for the lock
// to come free, the event is not waited for: the intake runs again when the time it asked for is over.
int runMainLoop() {
    // Without the event (it could not be created) the loop waits for window messages alone.
    HANDLE events[1] = {appState().hookEvent.get()};
    unsigned intakeAgainMs = kIntakeIdle;
    DWORD intakeAsked = 0;
    for (;;) {
        DWORD timeout = INFINITE;
        bool waitForEvent = static_cast<bool>(appState().hookEvent);
        if (intakeAgainMs != kIntakeIdle) {
            const DWORD spent = GetTickCount() - intakeAsked;
            timeout = spent >= intakeAgainMs ? 0 : intakeAgainMs - spent;
            waitForEvent = waitForEvent && intakeAgainMs == 0;
        }
        const DWORD eventCount = waitForEvent ? 1 : 0;
        const DWORD woken =
            MsgWaitForMultipleObjects(eventCount, events, FALSE, timeout, QS_ALLINPUT & ~QS_RAWINPUT);
        if ((eventCount == 1 && woken == WAIT_OBJECT_0) || woken == WAIT_TIMEOUT) {
            intakeAgainMs = drainHookMessages(settings.captureContextMenu, captureController());
            intakeAsked = GetTickCount();
        }
        int exitCode = 0;
        if (pumpMessages(&exitCode)) {
            shutDown();
            return exitCode;
        }
    }
}

} // namespace

void moduleDirectory(char* out, int cap) {
    char path[512] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    for (int i = lstrlenA(path) - 1; i >= 0; --i) {
        if (path[i] == '\\') {
            path[i] = '\0';
            break;
        }
    }
    lstrcpynA(out, path, cap);
}

int runVantor(HINSTANCE instance) {
    installWin32Platform();
    LoadStringA(instance, IDS_PROGRAM_NAME, appState().programName, sizeof appState().programName);
    LoadStringA(instance, IDS_MAIN_CLASS, appState().mainClassName, sizeof appState().mainClassName);
    char directory[512];
    moduleDirectory(directory, sizeof directory);
    std::snprintf(appState().settingsPath, sizeof appState().settingsPath, "%s\\vantor.ini", directory);
    loadSettings(appState().settingsPath);
    commandHost().controller().readPath =
        settings.forceCrossProcess ? ReadPathChoice::CrossProcessOnly : ReadPathChoice::BulkAllowed;
    setAccessibilityAllowed(settings.accessibility);
    if (anotherInstanceRuns()) return 0;
    appState().instance = instance;
    appState().hookEvent.reset(CreateEventA(sessionOnly(), FALSE, FALSE, "MsgHook-Test-Event-Name"));
    installHook();
    registerMainWindowClass(instance);
    createCaptureState();
    installAppCaptureUi();
    if (registerSplitPaneClass(instance) == 0) return 0;
    if (!createMainWindow(instance)) return 0;
    appState().accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    appState().tray = TrayIcon{0, instance};
    addTrayIcon(
        &appState().tray, appState().windows.main,
        static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_SMALL_ICON), IMAGE_ICON, 16, 16, 0)), 1);
    applyMenuState(MenuState::Idle);
    return runMainLoop();
}

} // namespace vantor

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return vantor::runVantor(instance);
}
