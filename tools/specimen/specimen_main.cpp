// Entry of the specimen application: parses the command line, registers the window classes, creates the
// top-level window and runs the message loop. Also owns the two test behaviours that change the process as a
// whole: --exit-after (a watchdog thread ends the process) and --hang-after (the user-interface thread stops
// answering, handled by the main window's timer).
//
// Threads: WinMain runs on the user-interface thread; exitAfterThread runs on its own thread and touches
// nothing but the process exit.
#include "platform/win32/scoped_win.h"
#include "specimen.h"
#include "specimen_contents.h"

#include <commctrl.h>
#include <objbase.h>
#include <stdlib.h>
#include <string.h>

namespace vantor {
namespace specimen {

const Options kDefaultOptions = {false,
                                 kListViewDefaultRows,
                                 kListViewColumnCount,
                                 kTreeDefaultItems,
                                 kToolbarDefaultButtons,
                                 -1,
                                 -1,
                                 -1,
                                 -1,
                                 kWindowTitle,
                                 0,
                                 0,
                                 kAccessibleNormal,
                                 0};

SpecimenState& state() {
    static SpecimenState s; // made in WinMain, before any window or thread
    return s;
}

namespace {

// Exit codes: 0 normal end (window closed or --exit-after), 2 bad command line, 3 start-up failure.
constexpr int kExitBadArguments = 2;
constexpr int kExitStartFailed = 3;

bool parseCount(const char* text, int* out) {
    if (text == nullptr || *text == '\0') return false;
    char* end = nullptr;
    long value = strtol(text, &end, 10);
    if (*end != '\0' || value < 0 || value > 100000000L) return false;
    *out = static_cast<int>(value);
    return true;
}

DWORD WINAPI exitAfterThread(LPVOID param) {
    Sleep(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(param)));
    // Ends the process even when the user-interface thread has been made to hang.
    ExitProcess(0);
}

bool startExitTimer(int ms) {
    const ScopedHandle thread(CreateThread(nullptr, 0, exitAfterThread,
                                           reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(ms)), 0, nullptr));
    return static_cast<bool>(thread);
}

} // namespace

bool parseOptions(int argc, char** argv, Options* out) {
    Options parsed = *out;
    for (int i = 1; i < argc; ++i) {
        const char* name = argv[i];
        if (strcmp(name, "--unicode-window") == 0) {
            parsed.unicodeWindow = true;
            continue; // the one option without a value
        }
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool ok = false;
        if (strcmp(name, "--unicode-list-rows") == 0) {
            ok = parseCount(value, &parsed.unicodeListRows);
        } else if (strcmp(name, "--rows") == 0) {
            ok = parseCount(value, &parsed.rows);
        } else if (strcmp(name, "--columns") == 0) {
            ok = parseCount(value, &parsed.columns) &&
                 (parsed.columns == kListViewColumnCount || parsed.columns == kListViewMaxColumns);
        } else if (strcmp(name, "--tree-items") == 0) {
            ok = parseCount(value, &parsed.treeItems);
        } else if (strcmp(name, "--toolbar-buttons") == 0) {
            ok = parseCount(value, &parsed.toolbarButtons);
        } else if (strcmp(name, "--hang-after") == 0) {
            ok = parseCount(value, &parsed.hangAfterMs);
        } else if (strcmp(name, "--exit-after") == 0) {
            ok = parseCount(value, &parsed.exitAfterMs);
        } else if (strcmp(name, "--owner-drawn") == 0) {
            ok = parseCount(value, &parsed.ownerDrawnItems);
        } else if (strcmp(name, "--context-menu-after") == 0) {
            ok = parseCount(value, &parsed.contextMenuAfterMs);
        } else if (strcmp(name, "--change-every") == 0) {
            ok = parseCount(value, &parsed.changeEveryMs) && parsed.changeEveryMs > 0;
        } else if (strcmp(name, "--accessible-items") == 0) {
            ok = parseCount(value, &parsed.accessibleItems);
        } else if (strcmp(name, "--accessible-mode") == 0) {
            ok = parseCount(value, &parsed.accessibleMode) && parsed.accessibleMode <= kAccessibleHung;
        } else if (strcmp(name, "--title") == 0) {
            ok = value != nullptr;
            if (ok) parsed.title = value;
        }
        if (!ok) return false;
        ++i; // every other option takes one value
    }
    *out = parsed;
    return true;
}

} // namespace specimen
} // namespace vantor

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    using namespace vantor::specimen;
    if (!parseOptions(__argc, __argv, &state().options)) return kExitBadArguments;

    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES |
                                                 ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    if (!registerMainWindowClass(instance) || !registerFrameClass(instance) ||
        !registerPanelClass(instance) || !registerGridClass(instance)) {
        return kExitStartFailed;
    }
    // The self-drawn control hands its accessible objects out through COM.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(com)) return kExitStartFailed;
    if (state().options.exitAfterMs >= 0 && !startExitTimer(state().options.exitAfterMs))
        return kExitStartFailed;

    HWND window = createMainWindow(instance);
    if (window == nullptr) return kExitStartFailed;
    ShowWindow(window, show == 0 ? SW_SHOWNORMAL : show);
    UpdateWindow(window);
    if (state().options.unicodeWindow && createUnicodeWindow(instance) == nullptr) return kExitStartFailed;
    if (state().options.unicodeListRows > 0 &&
        createUnicodeListWindow(instance, state().options.unicodeListRows) == nullptr)
        return kExitStartFailed;

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
