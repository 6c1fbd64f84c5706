// hook-flood.exe THREADS PER_THREAD OUTFILE: the load for the hook queue test. Each of THREADS threads
// creates PER_THREAD hidden windows as fast as it can, so that msghook.dll's window-creation hook queues
// records from several threads of another process at once (the same queueing path as menu records). Once
// all threads are done, the handles of all windows are written to OUTFILE (one hexadecimal number a line)
// while the windows still exist, so that no handle can have been reused.
// Exit codes: 0 done, 2 bad arguments, 3 a window or thread could not be made, or the file not written.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Work {
    int count;
    std::vector<HWND> windows;
};

DWORD WINAPI createWindows(void* param) {
    Work* work = static_cast<Work*>(param);
    for (int i = 0; i < work->count; ++i) {
        HWND w = CreateWindowExA(0, "Static", "flood", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        if (w == nullptr) return 1;
        work->windows.push_back(w);
    }
    // The windows belong to this thread: it stays until the main thread has written their handles.
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    }
    for (HWND w : work->windows)
        DestroyWindow(w);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    const int threads = std::atoi(argv[1]);
    const int perThread = std::atoi(argv[2]);
    if (threads <= 0 || threads > 64 || perThread <= 0) return 2;
    std::vector<Work> work(static_cast<std::size_t>(threads), Work{perThread, {}});
    std::vector<HANDLE> handles;
    std::vector<DWORD> ids(static_cast<std::size_t>(threads));
    for (int t = 0; t < threads; ++t) {
        HANDLE h = CreateThread(nullptr, 0, createWindows, &work[t], 0, &ids[t]);
        if (h == nullptr) return 3;
        handles.push_back(h);
    }
    // Done when every thread has made all its windows (or ended early).
    for (;;) {
        int made = 0;
        for (const Work& w : work)
            made += static_cast<int>(w.windows.size()) == perThread ? 1 : 0;
        bool ended = false;
        for (HANDLE h : handles)
            ended = ended || WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
        if (made == threads || ended) break;
        Sleep(5);
    }
    FILE* out = std::fopen(argv[3], "w");
    int written = 0;
    if (out != nullptr) {
        for (const Work& w : work)
            for (HWND h : w.windows)
                written += std::fprintf(out, "%lx\n",
                                        static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(h))) > 0;
        std::fclose(out);
    }
    for (int t = 0; t < threads; ++t)
        PostThreadMessageA(ids[t], WM_QUIT, 0, 0);
    WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), TRUE, 10000);
    return out != nullptr && written == threads * perThread ? 0 : 3;
}
