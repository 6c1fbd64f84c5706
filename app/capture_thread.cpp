// The Win32 side of the capture commands: the CommandHost with the user-interface wait that keeps carrying
// out the messages a worker sends (MsgWaitForMultipleObjects on QS_SENDMESSAGE, then PeekMessage, which runs
// them), detached worker threads, and the clipboard.
// Threads: the user-interface thread, except the thread procedure and the worker's requests, which run on
// the worker and reach the user-interface thread only through SendMessage.
#include "app/capture_thread.h"

#include <cstring>
#include <memory>

#include "app/app_globals.h"
#include "app/resource.h"
#include "platform/win32/scoped_win.h"
#include "app/settings.h"
#include "triggers/capture_commands.h"
#include "app/capture_timing.h"

namespace vantor {

namespace {

class Win32CommandHost : public CommandHost {
  public:
    std::string listSeparator() override { return settings.listSeparator; }
    Hwnd focusWindow() override { return fromNative(GetFocus()); }

    void waitServingMessages(unsigned ms) override {
        // Wakes for a sent message or after ms; PeekMessage carries out every pending sent message and
        // leaves posted messages (input, paint) in the queue for the main loop.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }

    void resetPaneSelection() override { SendMessageA(appState().windows.outputPane, EM_SETSEL, 0, 0); }

    bool startCaptureThread(Hwnd window, std::shared_ptr<CaptureSession> session) override {
        std::unique_ptr<CaptureStart> arg(new CaptureStart{window, std::move(session)});
        // The thread runs on by itself: its handle is not needed.
        ScopedHandle thread(CreateThread(nullptr, 0, captureThreadProc, arg.get(), 0, nullptr));
        if (!thread) return false;
        arg.release(); // the thread owns it now
        return true;
    }

    void requestWindowListRefresh() override {
        SendMessageA(appState().windows.main, WM_COMMAND, CMD_REFRESH_LIST, 0);
    }

    void bringMainWindowToFront() override {
        ShowWindow(appState().windows.main, SW_SHOWNORMAL);
        SetForegroundWindow(appState().windows.main);
    }

    bool placeOnClipboard(const char* block, std::size_t blockSize) override {
        ScopedGlobal memory(GlobalAlloc(GMEM_MOVEABLE, blockSize));
        if (!memory) return false;
        {
            const LockedGlobal target(memory.get());
            if (target.ptr() == nullptr) return false;
            std::memcpy(target.ptr(), block, blockSize);
        }
        const OpenedClipboard clipboard(openClipboard());
        if (!clipboard.opened()) return false;
        EmptyClipboard();
        const bool placed = SetClipboardData(CF_TEXT, memory.get()) != nullptr;
        if (placed) memory.take(); // the clipboard owns the block now
        return placed;
    }

  private:
    // Another program may hold the clipboard open for a moment (a clipboard manager, a program reading it):
    // asked again for up to about 200 ms before the copy is given up.
    static bool openClipboard() {
        for (int attempt = 0; attempt < 20; ++attempt) {
            if (OpenClipboard(appState().windows.main)) return true;
            Sleep(10);
        }
        return false;
    }

    // What a capture thread is started with; the thread owns it.
    struct CaptureStart {
        Hwnd window;
        std::shared_ptr<CaptureSession> session;
    };

    static DWORD WINAPI captureThreadProc(void* arg) {
        const std::unique_ptr<CaptureStart> start(static_cast<CaptureStart*>(arg));
        captureTimingBegin();
        runWindowCapture(start->window, commandHost(), *start->session);
        captureTimingEnd();
        return 0;
    }
};

} // namespace

std::unique_ptr<CommandHost> makeCommandHost() {
    return std::make_unique<Win32CommandHost>();
}

CommandHost& commandHost() {
    return *appState().commandHost;
}

CaptureController& captureController() {
    return commandHost().controller();
}

bool updateWindowInfo(HWND window) {
    return vantor::updateWindowInfo(fromNative(window), commandHost());
}

HWND currentTargetWindow() {
    return toNative(commandHost().controller().currentTarget);
}

void captureUnderCursor() {
    POINT p;
    GetCursorPos(&p);
    captureUnderCursorOf(fromNative(WindowFromPoint(p)), commandHost());
}

} // namespace vantor
