// Entry of vantor-cli, the console front end on the capture engine: parses the command line, installs the
// Win32 platform (the engine's default user interface shows nothing), creates the engine's shared records,
// reads vantor.ini beside the executable and runs the command (a capture with msghook.dll's hook set).
//
// Threads: the program's one thread.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

#include "app/settings.h"
#include "capture/accessible_reader.h"
#include "capture/read_path.h"
#include "capture/capture_session.h"
#include "capture/capture_state.h"
#include "capture/menu_capture.h"
#include "cli.h"
#include "platform/win32/win32_hook.h"
#include "platform/win32/win32_platform.h"
#include "vantor_version.h"

namespace vantor {
namespace cli {

namespace {

// "<directory of the executable>\vantor.ini", as the application finds its settings file.
void settingsPathBesideExe(char* out, std::size_t cap) {
    char path[MAX_PATH * 2] = "";
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path) path[0] = '\0';
    char* slash = std::strrchr(path, '\\');
    if (slash != nullptr) *slash = '\0';
    std::snprintf(out, cap, "%s\\vantor.ini", path);
}

// --verbose: one line per list view and tree view read.
void printReadPath(Hwnd control, const char* reader, const char* path) {
    printError("vantor-cli: %s 0x%llX read %s\n", reader,
               static_cast<unsigned long long>(static_cast<std::uintptr_t>(control)), path);
}

// --verbose: why a menu bar was written as failureLine.
void printMenuProblem(Hwnd window, const char* reason) {
    printError("vantor-cli: menu bar of 0x%llX not read: %s\n",
               static_cast<unsigned long long>(static_cast<std::uintptr_t>(window)), reason);
}

// Ctrl+C and Ctrl+Break during watch: the pass under way is stopped and the command ends cleanly.
BOOL WINAPI onConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    cliState().watchInterrupted = true;
    if (CaptureSession* pass = cliState().runningPass.load()) pass->requestStop();
    return TRUE;
}

int run(const Arguments& args) {
    // The engine's default user interface shows nothing, which is what a console program wants.
    installWin32Platform();
    setMessageEncoding(args.encoding);
    createCaptureState();
    char settingsPath[MAX_PATH * 2 + 16];
    settingsPathBesideExe(settingsPath, sizeof settingsPath);
    loadSettings(settingsPath);
    setAccessibilityAllowed(settings.accessibility);
    if (args.verbose) {
        setReadPathObserver(&printReadPath);
        setMenuProblemObserver(&printMenuProblem);
    }
    if (args.command == Command::Watch) {
        // A starter that put the watch in a process group of its own has turned Ctrl+C off for it.
        SetConsoleCtrlHandler(nullptr, FALSE);
        SetConsoleCtrlHandler(&onConsoleControl, TRUE);
    }
    if (args.command == Command::List) {
        const int rc = runList(args);
        destroyCaptureState();
        return rc;
    }
    // For the length of the capture the hook library is loaded and its hook set: where the system will not
    // hand over another process's menus (Wine), the menu bar is then read inside the target.
    char directory[MAX_PATH * 2] = "";
    const DWORD n = GetModuleFileNameA(nullptr, directory, sizeof directory);
    if (n == 0 || n >= sizeof directory) directory[0] = '\0';
    if (char* slash = std::strrchr(directory, '\\')) *slash = '\0';
    loadHookLibrary(directory);
    setHook();
    const int rc = args.command == Command::Watch ? runWatch(args) : runCapture(args);
    freeHook();
    unloadHookLibrary();
    destroyCaptureState();
    return rc;
}

} // namespace

} // namespace cli
} // namespace vantor

int main(int argc, char** argv) {
    using namespace vantor::cli;
    // The report is code page 932 bytes with its own line ends; the C runtime must not turn "\n" into
    // "\r\n".
    _setmode(_fileno(stdout), _O_BINARY);
    Arguments args;
    const char* error = nullptr;
    if (!parseArguments(argc, argv, &args, &error)) {
        std::fprintf(stderr, "vantor-cli: %s\n\n", error);
        printUsage(stderr);
        return kExitBadArguments;
    }
    if (args.command == Command::Help) {
        printUsage(stdout);
        return kExitOk;
    }
    if (args.command == Command::Version) {
        std::printf("vantor-cli %s\r\n", VANTOR_VERSION_TEXT);
        return kExitOk;
    }
    return run(args);
}
