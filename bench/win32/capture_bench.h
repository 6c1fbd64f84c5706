// Shared helpers of the capture benchmarks under Wine (bench/win32/capture_bench_*.cpp): a clock, starting
// and ending the process whose controls are read, finding its windows, the median of repeated runs, and
// timing decorators around the platform's WindowSystem and ProcessAccess that split a reader's time into
// messages, memory copies and the opening and closing of processes and blocks.
//
// Threads: each benchmark runs on one thread; install the decorators before the reader runs and remove them
// afterwards.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vantor {
namespace bench {

inline double nowSeconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

inline Hwnd toHwnd(HWND w) {
    return static_cast<Hwnd>(reinterpret_cast<std::uintptr_t>(w));
}

inline std::string exeDirectory() {
    char path[MAX_PATH * 2] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string p = path;
    const std::size_t slash = p.find_last_of('\\');
    return slash == std::string::npos ? std::string(".") : p.substr(0, slash);
}

// A process started for a benchmark; ended (window closed, else terminated) when the object goes.
class TargetProcess {
  public:
    ~TargetProcess() { end(); }
    bool start(const std::string& commandLine) {
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        std::vector<char> line(commandLine.begin(), commandLine.end());
        line.push_back('\0');
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &info)) {
            std::fprintf(stderr, "cannot start: %s (error %lu)\n", commandLine.c_str(), GetLastError());
            return false;
        }
        started = true;
        return true;
    }
    DWORD pid() const { return info.dwProcessId; }
    // The process's top-level window of this class, waiting up to timeoutMs for it to appear.
    HWND waitForWindow(const char* className, DWORD timeoutMs) {
        const double until = nowSeconds() + timeoutMs / 1000.0;
        while (nowSeconds() < until) {
            for (HWND w = FindWindowExA(nullptr, nullptr, className, nullptr); w != nullptr;
                 w = FindWindowExA(nullptr, w, className, nullptr)) {
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                if (owner == info.dwProcessId && IsWindowVisible(w)) {
                    window = w;
                    return w;
                }
            }
            if (WaitForSingleObject(info.hProcess, 50) == WAIT_OBJECT_0) break;
        }
        return nullptr;
    }
    void end() {
        if (!started) return;
        if (window != nullptr) PostMessageA(window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(info.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        started = false;
    }

  private:
    PROCESS_INFORMATION info = {};
    HWND window = nullptr;
    bool started = false;
};

// The index-th direct child of parent with this class (0 = the first), or null.
inline HWND childOfClass(HWND parent, const char* className, int index) {
    for (HWND c = FindWindowExA(parent, nullptr, className, nullptr); c != nullptr;
         c = FindWindowExA(parent, c, className, nullptr)) {
        if (index-- == 0) return c;
    }
    return nullptr;
}

// Where a reader's time went, accumulated by the decorators below.
struct Split {
    double messages = 0; // sendMessage
    double copies = 0;   // writeRemote, readRemote
    double opening =
        0; // open/close of the process, the pointer-width query, allocation and release of blocks
    long long sends = 0, writes = 0, reads = 0, opens = 0;
    void clear() { *this = Split(); }
};

// Times sendMessage; everything else passes straight through.
class TimedWindows : public WindowSystem {
  public:
    TimedWindows(WindowSystem* inner, Split* split) : in(inner), s(split) {}
    int className(Hwnd w, char* b, int c) override { return in->className(w, b, c); }
    int windowText(Hwnd w, char* b, int c) override { return in->windowText(w, b, c); }
    Hwnd parent(Hwnd w) override { return in->parent(w); }
    Hwnd nextChild(Hwnd p, Hwnd a) override { return in->nextChild(p, a); }
    void topLevelWindows(std::vector<Hwnd>* out) override { in->topLevelWindows(out); }
    bool isWindow(Hwnd w) override { return in->isWindow(w); }
    Hmenu menuOf(Hwnd w) override { return in->menuOf(w); }
    int menuItemCount(Hmenu m) override { return in->menuItemCount(m); }
    bool menuItem(Hmenu m, int p, MenuItem* out) override { return in->menuItem(m, p, out); }
    std::uint32_t windowStyle(Hwnd w) override { return in->windowStyle(w); }
    std::uint32_t windowThreadProcessId(Hwnd w, std::uint32_t* pid) override {
        const double t = nowSeconds();
        std::uint32_t r = in->windowThreadProcessId(w, pid);
        s->opening += nowSeconds() - t;
        return r;
    }
    bool sendMessage(Hwnd w, std::uint32_t msg, std::uintptr_t wp, std::intptr_t lp,
                     std::intptr_t* r) override {
        const double t = nowSeconds();
        bool ok = in->sendMessage(w, msg, wp, lp, r);
        s->messages += nowSeconds() - t;
        ++s->sends;
        return ok;
    }

  private:
    WindowSystem* in;
    Split* s;
};

// Times every ProcessAccess call: copies apart from the opening and closing of processes and blocks.
class TimedProcesses : public ProcessAccess {
  public:
    TimedProcesses(ProcessAccess* inner, Split* split) : in(inner), s(split) {}
    bool openProcess(std::uint32_t pid, Hproc* out) override {
        const double t = nowSeconds();
        bool ok = in->openProcess(pid, out);
        s->opening += nowSeconds() - t;
        ++s->opens;
        return ok;
    }
    void closeProcess(Hproc p) override {
        timeOpening([&] { in->closeProcess(p); });
    }
    int pointerBits(Hproc p) override {
        int bits = 0;
        timeOpening([&] { bits = in->pointerBits(p); });
        return bits;
    }
    bool allocRemote(Hproc p, std::size_t n, RemoteAddr* out) override {
        bool ok = false;
        timeOpening([&] { ok = in->allocRemote(p, n, out); });
        return ok;
    }
    void freeRemote(Hproc p, RemoteAddr a) override {
        timeOpening([&] { in->freeRemote(p, a); });
    }
    void abandonRemote(Hproc p, RemoteAddr a) override {
        timeOpening([&] { in->abandonRemote(p, a); });
    }
    void* allocLocal(std::size_t n) override {
        void* b = nullptr;
        timeOpening([&] { b = in->allocLocal(n); });
        return b;
    }
    void freeLocal(void* b) override {
        timeOpening([&] { in->freeLocal(b); });
    }
    bool writeRemote(Hproc p, RemoteAddr a, const void* src, std::size_t n) override {
        const double t = nowSeconds();
        bool ok = in->writeRemote(p, a, src, n);
        s->copies += nowSeconds() - t;
        ++s->writes;
        return ok;
    }
    bool readRemote(Hproc p, RemoteAddr a, void* dst, std::size_t n) override {
        const double t = nowSeconds();
        bool ok = in->readRemote(p, a, dst, n);
        s->copies += nowSeconds() - t;
        ++s->reads;
        return ok;
    }

  private:
    template <class F> void timeOpening(F f) {
        const double t = nowSeconds();
        f();
        s->opening += nowSeconds() - t;
    }
    ProcessAccess* in;
    Split* s;
};

// Installs the timing decorators over the current platform for the lifetime of the object.
class TimedPlatform {
  public:
    explicit TimedPlatform(Split* split)
        : saved(platform()), windows(saved.windows, split), processes(saved.processes, split) {
        setPlatform(Platform{&windows, &processes, saved.system});
    }
    ~TimedPlatform() { setPlatform(saved); }
    TimedPlatform(const TimedPlatform&) = delete;
    TimedPlatform& operator=(const TimedPlatform&) = delete;

  private:
    Platform saved;
    TimedWindows windows;
    TimedProcesses processes;
};

// The Linux load average when the benchmark runs under Wine (its root is drive Z:), else "n/a": wall times
// taken while other jobs compete for the processors are not comparable.
inline std::string loadAverage() {
    char text[64] = "";
    std::FILE* f = std::fopen("Z:\\proc\\loadavg", "r");
    if (f == nullptr) return "n/a";
    const bool got = std::fgets(text, sizeof text, f) != nullptr;
    std::fclose(f);
    if (!got) return "n/a";
    std::string s = text;
    std::size_t third = 0;
    for (int spaces = 0; third < s.size() && spaces < 3; ++third)
        if (s[third] == ' ') ++spaces;
    return s.substr(0, third > 0 ? third - 1 : 0);
}

// The name of the machine's processor, for the record of a run.
inline std::string processorName() {
    HKEY key = nullptr;
    char name[256] = "unknown";
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", 0, KEY_READ,
                      &key) == ERROR_SUCCESS) {
        DWORD size = sizeof name - 1;
        RegQueryValueExA(key, "ProcessorNameString", nullptr, nullptr, reinterpret_cast<BYTE*>(name), &size);
        RegCloseKey(key);
    }
    return name;
}

} // namespace bench
} // namespace vantor
