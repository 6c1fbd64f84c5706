// console-ctrl.exe LINES PROGRAM [ARGS...]: the Ctrl+C test's driver. Starts PROGRAM in a process group of
// its own on a console of this driver's, with its standard output through a pipe that is copied to this
// driver's standard output as it arrives; once LINES whole lines have come, sends the group a Ctrl+C
// (CTRL_C_EVENT), then copies the rest until the program ends. A process group of its own starts with Ctrl+C
// turned off, as on Windows: the program has to turn it on again to see the event.
// Lines reach the pipe only when the program flushes them: when the event is due, the output that came must
// end with a whole line, or the driver says so on its standard error.
// Exit codes: the program's own; 120 bad arguments, 121 no console, 122 the program did not start, 123 the
// event could not be sent, 124 the program neither wrote LINES lines nor ended in 60 s, or did not end 20 s
// after the event (it is then ended).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// An owned kernel handle, closed once.
class Handle {
  public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(); }
    HANDLE get() const { return h_; }
    HANDLE* out() {
        reset();
        return &h_;
    }
    void reset() {
        if (h_ != nullptr && h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
        h_ = nullptr;
    }

  private:
    HANDLE h_ = nullptr;
};

// The pipe's reading end, read on a thread of its own so that the main thread can time the program out.
struct Reader {
    HANDLE pipe;
    volatile LONG lines;
    volatile char last; // the last byte that came
};

DWORD WINAPI copyOutput(void* param) {
    Reader* reader = static_cast<Reader*>(param);
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(reader->pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) {
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), buffer, n, &written, nullptr);
        reader->last = buffer[n - 1];
        for (DWORD i = 0; i < n; ++i)
            if (buffer[i] == '\n') InterlockedIncrement(&reader->lines);
    }
    return 0;
}

// The command line of argv[first..]: each argument quoted, inner quotes escaped.
std::string commandLine(int argc, char** argv, int first) {
    std::string line;
    for (int i = first; i < argc; ++i) {
        if (!line.empty()) line += ' ';
        line += '"';
        for (const char* c = argv[i]; *c != '\0'; ++c) {
            if (*c == '"') line += '\\';
            line += *c;
        }
        line += '"';
    }
    return line;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 120;
    const long wanted = std::strtol(argv[1], nullptr, 10);
    // A console of our own, shared with the program: the one Wine gives a program started without a
    // terminal takes no events. Its standard handles stay those this driver was given.
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    FreeConsole();
    if (!AllocConsole()) return 121;
    SetStdHandle(STD_INPUT_HANDLE, in);
    SetStdHandle(STD_OUTPUT_HANDLE, out);
    SetStdHandle(STD_ERROR_HANDLE, err);

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    Handle readEnd, writeEnd;
    if (!CreatePipe(readEnd.out(), writeEnd.out(), &inherit, 0)) return 122;
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::string line = commandLine(argc, argv, 2);
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NEW_PROCESS_GROUP, nullptr, nullptr,
                        &startup, &info))
        return 122;
    Handle process(info.hProcess), thread(info.hThread);
    writeEnd.reset();

    Reader reader{readEnd.get(), 0, '\0'};
    Handle copier(CreateThread(nullptr, 0, &copyOutput, &reader, 0, nullptr));
    if (copier.get() == nullptr) return 122;
    // Until LINES lines have come (or the program ended by itself: its exit code tells).
    for (int waited = 0; reader.lines < wanted; waited += 20) {
        if (WaitForSingleObject(process.get(), 20) == WAIT_OBJECT_0) break;
        if (waited >= 60000) {
            TerminateProcess(process.get(), 124);
            return 124;
        }
    }
    if (WaitForSingleObject(process.get(), 0) != WAIT_OBJECT_0) {
        // Lines written and flushed one at a time come whole; a buffer written out when full ends anywhere.
        if (reader.last != '\n') std::fprintf(stderr, "console-ctrl: a line came cut (not flushed whole)\n");
        // Wine delivers CTRL_C_EVENT to one process group (CTRL_BREAK_EVENT not at all).
        if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, info.dwProcessId)) {
            std::fprintf(stderr, "console-ctrl: the event was not sent (error %lu)\n", GetLastError());
            TerminateProcess(process.get(), 123);
            return 123;
        }
        if (WaitForSingleObject(process.get(), 20000) != WAIT_OBJECT_0) {
            std::fprintf(stderr, "console-ctrl: the program did not end after the event\n");
            TerminateProcess(process.get(), 124);
            return 124;
        }
    }
    WaitForSingleObject(copier.get(), 5000);
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return static_cast<int>(code);
}
