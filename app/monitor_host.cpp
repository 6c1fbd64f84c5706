// The Win32 side of periodic monitoring: the MonitorHost of the application. A pass thread's requests
// (stop the timer, the snapshot of its watched controls, showing what it added, the stop command) are
// synchronous messages to the main window, carried out on the user-interface thread.
//
// With the environment variable VANTOR_MONITOR_TIMING naming a file, each pass appends one line
// "pass SECONDS publish SECONDS bytes REPORT_BYTES" (the whole pass, and the wait for the pane to show what
// it added) and each dropped tick a line "dropped", for the monitoring benchmark
// (bench/win32/app_monitor_bench). Threads: as in app/monitor_host.h.
#include "app/monitor_host.h"

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/app_globals.h"
#include "app/capture_thread.h"
#include "app/dialogs.h"
#include "app/resource.h"
#include "app/settings.h"
#include "app/panes/output_pane.h"
#include "app/panes/section_toolbar.h"
#include "app/panes/window_list.h"
#include "platform/win32/scoped_win.h"
#include "capture/capture_lock.h"
#include "triggers/monitoring.h"

namespace vantor {

static_assert(kStopMonitorCommand == CMD_STOP_MONITOR, "the stop button's command");

namespace {

enum class Request : WPARAM { KillTimer, WatchedControls, ShowReportFrom };

struct Publication {
    std::size_t start;
    const std::string* text;
};

// Optional per-pass figures (see the file comment); the file is opened per line, so it stays readable
// while monitoring runs.
class MonitorTiming {
  public:
    MonitorTiming() {
        const DWORD n = GetEnvironmentVariableA("VANTOR_MONITOR_TIMING", path, sizeof path);
        on = n > 0 && n < sizeof path;
    }
    bool enabled() const { return on; }
    static long long now() {
        LARGE_INTEGER t;
        QueryPerformanceCounter(&t);
        return t.QuadPart;
    }
    static double seconds(long long ticks) {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(ticks) / static_cast<double>(f.QuadPart);
    }
    void writeLine(const char* line) const {
        FILE* file = std::fopen(path, "a");
        if (file == nullptr) return;
        std::fputs(line, file);
        std::fclose(file);
    }

    long long publishTicks = 0; // the current pass's publication (pass thread only)

  private:
    char path[MAX_PATH] = "";
    bool on = false;
};

// The timing of the application's monitoring host.
MonitorTiming& timing();

bool onUserInterfaceThread() {
    return GetWindowThreadProcessId(appState().windows.main, nullptr) == GetCurrentThreadId();
}

LRESULT sendRequest(Request kind, void* request) {
    return SendMessageA(appState().windows.main, kMonitorRequestMessage, static_cast<WPARAM>(kind),
                        reinterpret_cast<LPARAM>(request));
}

class Win32MonitorHost : public MonitorHost {
  public:
    // The capture commands' host does the rest.
    std::string listSeparator() override { return commandHost().listSeparator(); }
    Hwnd focusWindow() override { return commandHost().focusWindow(); }
    void waitServingMessages(unsigned ms) override { commandHost().waitServingMessages(ms); }
    void resetPaneSelection() override { commandHost().resetPaneSelection(); }
    bool startCaptureThread(Hwnd window, std::shared_ptr<CaptureSession> session) override {
        return commandHost().startCaptureThread(window, std::move(session));
    }
    void requestWindowListRefresh() override { commandHost().requestWindowListRefresh(); }
    void bringMainWindowToFront() override { commandHost().bringMainWindowToFront(); }
    bool placeOnClipboard(const char* block, std::size_t size) override {
        return commandHost().placeOnClipboard(block, size);
    }
    CaptureController& controller() override { return commandHost().controller(); }

    Hwnd mainWindow() override { return fromNative(vantor::appState().windows.main); }
    Hwnd windowList() override { return fromNative(appState().windows.windowList); }
    bool runMonitorDialog() override {
        HINSTANCE instance =
            reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(vantor::appState().windows.main, GWLP_HINSTANCE));
        return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MONITOR), vantor::appState().windows.main,
                               monitorDialogProc, 0) != IDCANCEL;
    }
    std::int32_t monitorInterval() override { return settings.monitorInterval; }
    void applyMenuState(bool monitoring) override {
        vantor::applyMenuState(monitoring ? MenuState::Monitoring : MenuState::Idle);
    }
    void showControlRows(const std::vector<ControlRow>& rows) override {
        SendMessageA(appState().windows.windowList, LVM_DELETEALLITEMS, 0, 0);
        int index = 0;
        for (const ControlRow& row : rows)
            insertRow(appState().windows.windowList, index++, row.first.c_str(), row.className.c_str());
    }
    void startMonitorTimer(unsigned periodMs) override {
        SetTimer(vantor::appState().windows.main, kMonitorTimerId, periodMs, nullptr);
    }
    void killMonitorTimer() override {
        // A timer belongs to the thread of its window: a pass has the user-interface thread kill it.
        if (onUserInterfaceThread()) {
            KillTimer(vantor::appState().windows.main, kMonitorTimerId);
        } else {
            sendRequest(Request::KillTimer, nullptr);
        }
    }
    bool startPassThread(std::shared_ptr<CaptureSession> pass,
                         std::shared_ptr<CaptureSession> report) override {
        std::unique_ptr<PassStart> arg(new PassStart{std::move(pass), std::move(report)});
        // The pass runs on by itself: its handle is not needed.
        ScopedHandle thread(CreateThread(nullptr, 0, passThreadProc, arg.get(), 0, nullptr));
        if (!thread) return false;
        arg.release(); // the thread owns it now
        return true;
    }
    std::vector<Hwnd> takeWatchedControls() override {
        std::vector<Hwnd> watched;
        sendRequest(Request::WatchedControls, &watched);
        return watched;
    }
    void showReportFrom(std::size_t start, const std::string& text) override {
        Publication publication{start, &text};
        const long long begin = timing().enabled() ? MonitorTiming::now() : 0;
        sendRequest(Request::ShowReportFrom, &publication);
        if (timing().enabled()) timing().publishTicks = MonitorTiming::now() - begin;
    }
    void requestStopMonitoring() override {
        SendMessageA(vantor::appState().windows.main, WM_COMMAND, CMD_STOP_MONITOR, 0);
    }
    void refreshWindowList() override { vantor::refreshWindowList(); }

    // Optional, from VANTOR_MONITOR_TIMING when the host is made: publishTicks is the pass thread's.
    MonitorTiming timed;

  private:
    // What a pass thread is started with; the thread owns it.
    struct PassStart {
        std::shared_ptr<CaptureSession> pass;
        std::shared_ptr<CaptureSession> report;
    };
    static DWORD WINAPI passThreadProc(void*);
};

} // namespace

std::unique_ptr<MonitorHost> makeMonitorHost() {
    return std::make_unique<Win32MonitorHost>();
}

namespace {

Win32MonitorHost& host() {
    return static_cast<Win32MonitorHost&>(*appState().monitorHost); // made by makeMonitorHost
}

MonitorTiming& timing() {
    return host().timed;
}

DWORD WINAPI Win32MonitorHost::passThreadProc(void* arg) {
    const std::unique_ptr<PassStart> start(static_cast<PassStart*>(arg));
    if (!timing().enabled()) {
        runMonitorPass(host(), *start->pass, *start->report);
        return 0;
    }
    timing().publishTicks = 0;
    const long long begin = MonitorTiming::now();
    runMonitorPass(host(), *start->pass, *start->report);
    const long long total = MonitorTiming::now() - begin;
    std::size_t bytes = 0;
    {
        CaptureLock hold(*start->report);
        bytes = hold.report().length();
    }
    char line[160];
    std::snprintf(line, sizeof line, "pass %.6f publish %.6f bytes %zu\n", MonitorTiming::seconds(total),
                  MonitorTiming::seconds(timing().publishTicks), bytes);
    timing().writeLine(line);
    return 0;
}

} // namespace

void startMonitoringCommand(HWND window) {
    startMonitoring(fromNative(window), host());
}

void stopMonitoringCommand() {
    stopMonitoring(host());
}

void onMonitorTick() {
    if (onMonitorTimer(host())) return;
    if (timing().enabled() && host().controller().monitoring) timing().writeLine("dropped\n");
}

LRESULT runMonitorRequest(WPARAM kind, LPARAM request) {
    switch (static_cast<Request>(kind)) {
    case Request::KillTimer: KillTimer(appState().windows.main, kMonitorTimerId); break;
    case Request::WatchedControls:
        *reinterpret_cast<std::vector<Hwnd>*>(request) =
            watchedControls(fromNative(appState().windows.windowList));
        break;
    case Request::ShowReportFrom: {
        const Publication* p = reinterpret_cast<const Publication*>(request);
        showReportFrom(p->start, p->text->c_str(), p->text->size());
        break;
    }
    }
    return 0;
}

} // namespace vantor
