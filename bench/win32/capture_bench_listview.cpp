// Benchmark: reading a large list view of another process under Wine. The program starts a second copy of
// itself as the target (--serve: a window with a report-view list view of ROWS x COLUMNS cells, filled like
// the specimen's generated rows plus one column more) and then, in the same run and alternating:
//   report  readListViewRows on the list view, building the report as a capture does;
//   bare    a loop that makes the same exchanges (write the block, send, read the block back) with the
//           Win32 calls alone, building nothing;
// and prints seconds, rows per second and the ratio report / bare (medians over the rounds; the bare loop is
// what the reader did before it batched its exchanges). A last round with timing decorators splits the
// report run into messages, copies, opening and the rest.
//   bench_capture_bench_listview [--rows N] [--columns C] [--rounds R]   (run under tests/wine/harness.sh)
// Runs by hand, never as a test. Threads: one, plus the target process.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "capture/capture_state.h"
#include "capture/list_view_reader.h"
#include "capture/capture_lock.h"
#include "capture_bench.h"
#include "platform/win32/win32_platform.h"

namespace {

// The session every capture of this benchmark writes into.
vantor::CaptureSession& benchSession() {
    static vantor::CaptureSession session;
    return session;
}

using namespace vantor;
using namespace vantor::bench;

constexpr char kHostClass[] = "VantorBenchListHost";

// ---- The target process ---------------------------------------------------------------------------------

void cellText(int row, int column, char* out, std::size_t cap) {
    switch (column) {
    case 0: std::snprintf(out, cap, "item %d", row); break;
    case 1: std::snprintf(out, cap, "値%d", row); break;
    case 2: std::snprintf(out, cap, "%d", row); break;
    default: std::snprintf(out, cap, "列%d-%d", column, row); break;
    }
}

void fill(HWND listView, int rows, int columns) {
    SendMessageA(listView, WM_SETREDRAW, FALSE, 0);
    char text[64];
    for (int c = 0; c < columns; ++c) {
        std::snprintf(text, sizeof text, "見出し%d", c);
        LVCOLUMNA col = {};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        col.cx = 120;
        col.pszText = text;
        col.iSubItem = c;
        SendMessageA(listView, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&col));
    }
    SendMessageA(listView, LVM_SETITEMCOUNT, rows, 0);
    for (int r = 0; r < rows; ++r) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = r;
        item.lParam = r;
        cellText(r, 0, text, sizeof text);
        item.pszText = text;
        const int index =
            static_cast<int>(SendMessageA(listView, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        for (int c = 1; c < columns; ++c) {
            LVITEMA cell = {};
            cell.iSubItem = c;
            cellText(r, c, text, sizeof text);
            cell.pszText = text;
            SendMessageA(listView, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&cell));
        }
    }
    SendMessageA(listView, WM_SETREDRAW, TRUE, 0);
}

LRESULT CALLBACK hostProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(w, msg, wp, lp);
    }
}

int serve(int rows, int columns) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = hostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kHostClass;
    if (RegisterClassA(&wc) == 0) return 3;
    HWND host = CreateWindowExA(0, kHostClass, "Vantor bench list view", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                                nullptr, nullptr, wc.hInstance, nullptr);
    HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 620, 440, host,
                                nullptr, wc.hInstance, nullptr);
    if (host == nullptr || list == nullptr) return 3;
    fill(list, rows, columns);
    // Shown only when full, so that the reader never sees a half-filled list.
    ShowWindow(host, SW_SHOWNORMAL);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return 0;
}

// ---- The bare loop --------------------------------------------------------------------------------------

constexpr UINT kSendFlags = SMTO_ABORTIFHUNG;
// The text buffer behind each record, as the readers lay out their blocks.
constexpr std::size_t kTextSize = 260;

// One exchange as RemoteBuffer makes it: the whole block to the target, the message, the whole block back.
bool exchange(HANDLE process, HWND w, UINT msg, WPARAM wp, void* local, void* remote, std::size_t size) {
    if (!WriteProcessMemory(process, remote, local, size, nullptr)) return false;
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(w, msg, wp, reinterpret_cast<LPARAM>(remote), kSendFlags, kMessageTimeoutMs,
                            &result) == 0) {
        return false;
    }
    return ReadProcessMemory(process, remote, local, size, nullptr) != 0;
}

// The header titles and every cell, each one exchange; returns the number of exchanges, -1 on a failure.
long long bareLoop(HWND listView) {
    DWORD pid = 0;
    GetWindowThreadProcessId(listView, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                     PROCESS_QUERY_LIMITED_INFORMATION,
                                 FALSE, pid);
    if (process == nullptr) return -1;
    const std::size_t size = sizeof(LVITEMA) + kTextSize;
    auto* local =
        static_cast<unsigned char*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    long long exchanges = 0;
    DWORD_PTR answer = 0;
    HWND header = reinterpret_cast<HWND>(SendMessageA(listView, LVM_GETHEADER, 0, 0));
    SendMessageTimeoutA(header, HDM_GETITEMCOUNT, 0, 0, kSendFlags, kMessageTimeoutMs, &answer);
    const int columns = static_cast<int>(answer);
    SendMessageTimeoutA(listView, LVM_GETITEMCOUNT, 0, 0, kSendFlags, kMessageTimeoutMs, &answer);
    const int rows = static_cast<int>(answer);
    const auto text = reinterpret_cast<std::uintptr_t>(remote);
    bool ok = local != nullptr && remote != nullptr;
    for (int c = 0; ok && c < columns; ++c) {
        HDITEMA h = {};
        h.mask = HDI_TEXT | HDI_LPARAM;
        h.pszText = reinterpret_cast<char*>(text + sizeof h);
        h.cchTextMax = static_cast<int>(kTextSize);
        std::memcpy(local, &h, sizeof h);
        ok = exchange(process, header, HDM_GETITEMA, c, local, remote, sizeof(HDITEMA) + kTextSize);
        ++exchanges;
    }
    for (int r = 0; ok && r < rows; ++r) {
        for (int c = 0; ok && c < columns; ++c) {
            LVITEMA item = {};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = r;
            item.iSubItem = c;
            item.pszText = reinterpret_cast<char*>(text + sizeof item);
            item.cchTextMax = static_cast<int>(kTextSize);
            std::memcpy(local, &item, sizeof item);
            ok = exchange(process, listView, LVM_GETITEMA, 0, local, remote, size);
            ++exchanges;
        }
    }
    if (remote != nullptr) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (local != nullptr) VirtualFree(local, 0, MEM_RELEASE);
    CloseHandle(process);
    return ok ? exchanges : -1;
}

// ---- The measurement ------------------------------------------------------------------------------------

int intOption(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return std::atoi(argv[i + 1]);
    return fallback;
}

int measure(int rows, int columns, int rounds) {
    installWin32Platform();
    createCaptureState();
    TargetProcess target;
    char self[MAX_PATH * 2] = "";
    GetModuleFileNameA(nullptr, self, sizeof self);
    char line[MAX_PATH * 2 + 64];
    std::snprintf(line, sizeof line, "\"%s\" --serve %d %d", self, rows, columns);
    const double startedAt = nowSeconds();
    if (!target.start(line)) return 1;
    HWND host = target.waitForWindow(kHostClass, 600000);
    HWND listView = host != nullptr ? childOfClass(host, WC_LISTVIEWA, 0) : nullptr;
    if (listView == nullptr) {
        std::fprintf(stderr, "the target's list view did not appear\n");
        return 1;
    }
    std::printf("target: %d rows x %d columns, filled and shown in %.2f s; load average %s\n", rows, columns,
                nowSeconds() - startedAt, loadAverage().c_str());
    std::vector<double> reportTimes, bareTimes;
    std::size_t reportBytes = 0;
    long long exchanges = 0;
    for (int round = 0; round < rounds; ++round) {
        double t = nowSeconds();
        exchanges = bareLoop(listView);
        bareTimes.push_back(nowSeconds() - t);
        {
            CaptureLock hold(benchSession());
            hold.report().clear();
        }
        t = nowSeconds();
        readListViewRows(benchSession(), toHwnd(listView), false);
        reportTimes.push_back(nowSeconds() - t);
        reportBytes = CaptureLock(benchSession()).report().length();
        std::printf("round %d: report %.3f s, bare %.3f s (load %s)\n", round + 1, reportTimes.back(),
                    bareTimes.back(), loadAverage().c_str());
    }
    if (exchanges < 0) {
        std::fprintf(stderr, "the bare loop failed\n");
        return 1;
    }
    const double r = median(reportTimes), b = median(bareTimes);
    std::printf("exchanges per run: %lld; report %zu bytes, %d lines\n", exchanges, reportBytes,
                static_cast<int>(CaptureLock(benchSession()).report().lineCount));
    std::printf("report: %.3f s, %.0f rows/s, %.0f exchanges/s\n", r, rows / r, exchanges / r);
    std::printf("bare:   %.3f s, %.0f rows/s, %.0f exchanges/s\n", b, rows / b, exchanges / b);
    std::printf("ratio report/bare: %.3f (goal at most 0.60: %s)\n", r / b,
                r / b <= 0.60 ? "met" : "not met");

    Split split;
    CaptureLock(benchSession()).report().clear();
    double t = nowSeconds();
    {
        TimedPlatform timed(&split);
        readListViewRows(benchSession(), toHwnd(listView), false);
    }
    t = nowSeconds() - t;
    const double rest = t - split.messages - split.copies - split.opening;
    std::printf("split of one report run (%.3f s with timers): messages %.3f s (%lld), copies %.3f s "
                "(%lld writes, %lld reads), opening %.4f s (%lld opens), rest %.3f s\n",
                t, split.messages, split.sends, split.copies, split.writes, split.reads, split.opening,
                split.opens, rest);
    // The reader's own work (records, report lines) against its exchanges, both from the same run, so that
    // the load of other jobs does not bias it the way it biases two runs taken one after the other.
    std::printf("ratio from the split (exchanges + rest) / exchanges: %.3f\n", t / (t - rest));
    std::printf("shares of the report run: messages %.1f%% (goal at least 85%%: %s), copies %.1f%%, opening "
                "%.2f%%, rest %.1f%%\n",
                100 * split.messages / t, split.messages / t >= 0.85 ? "met" : "not met",
                100 * split.copies / t, 100 * split.opening / t, 100 * rest / t);
    std::printf("machine: %s, %lu processors\n", processorName().c_str(), [] {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        return static_cast<unsigned long>(si.dwNumberOfProcessors);
    }());
    destroyCaptureState();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--serve") == 0)
        return serve(std::atoi(argv[2]), std::atoi(argv[3]));
    const int rows = intOption(argc, argv, "--rows", 20000);
    const int columns = intOption(argc, argv, "--columns", 4);
    const int rounds = intOption(argc, argv, "--rounds", 3);
    return measure(rows, columns, rounds);
}
