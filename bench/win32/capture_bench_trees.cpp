// Benchmark: the tree view and toolbar readers against the specimen application under Wine. Starts the
// specimen with --tree-items N and --toolbar-buttons M, then for each control, alternating over the rounds:
//   reader      readTreeView / readToolbar as a capture runs them (one process handle and one block for
//               the whole control, texts read back together);
//   previous    the readers as they were before: the same walk with a process opening per tree item
//               (readTreeItemText) and per button text (readToolbarButtonText);
//   one buffer  the previous reader's queries with one process handle and one block, one exchange per
//               item, with the Win32 calls alone;
// and prints the medians, the ratio reader / previous, and the split of the reader's time (from a round
// with timing decorators) into messages, copies, opening and the rest.
//   bench_capture_bench_trees [--tree-items N] [--buttons M] [--rounds R]   (run under tests/wine/harness.sh)
// Runs by hand, never as a test. Threads: one, plus the specimen process.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "capture/bar_readers.h"
#include "capture/capture_lock.h"
#include "capture/capture_state.h"
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

constexpr UINT kSendFlags = SMTO_ABORTIFHUNG;
// The text buffer behind each record, as the readers lay out their blocks.
constexpr std::size_t kTextSize = 260;

LRESULT send(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(w, msg, wp, lp, kSendFlags, kMessageTimeoutMs, &result) == 0) return 0;
    return static_cast<LRESULT>(result);
}

// One process handle and one block of `size` bytes for a whole control.
struct OneBuffer {
    HANDLE process = nullptr;
    unsigned char* local = nullptr;
    void* remote = nullptr;
    std::size_t size = 0;
    bool open(HWND control, std::size_t bytes) {
        DWORD pid = 0;
        GetWindowThreadProcessId(control, &pid);
        process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                  PROCESS_QUERY_LIMITED_INFORMATION,
                              FALSE, pid);
        if (process == nullptr) return false;
        size = bytes;
        local = static_cast<unsigned char*>(
            VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        return local != nullptr && remote != nullptr;
    }
    ~OneBuffer() {
        if (remote != nullptr) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        if (local != nullptr) VirtualFree(local, 0, MEM_RELEASE);
        if (process != nullptr) CloseHandle(process);
    }
    LPARAM address() const { return reinterpret_cast<LPARAM>(remote); }
};

// The tree walk of readTreeView (root, then depth first: text, first child, next sibling) with one buffer.
long treeOneBuffer(HWND tree) {
    OneBuffer b;
    if (!b.open(tree, sizeof(TVITEMA) + kTextSize)) return -1;
    long items = 0;
    std::function<void(std::uintptr_t)> siblings = [&](std::uintptr_t first) {
        for (std::uintptr_t item = first; item != 0;
             item = static_cast<std::uintptr_t>(
                 send(tree, TVM_GETNEXTITEM, TVGN_NEXT, static_cast<LPARAM>(item)))) {
            TVITEMA r = {};
            r.mask = TVIF_TEXT | TVIF_PARAM;
            r.hItem = reinterpret_cast<HTREEITEM>(item);
            r.pszText = reinterpret_cast<char*>(b.address() + sizeof r);
            r.cchTextMax = static_cast<int>(kTextSize);
            std::memcpy(b.local, &r, sizeof r);
            WriteProcessMemory(b.process, b.remote, b.local, b.size, nullptr);
            send(tree, TVM_GETITEMA, 0, b.address());
            ReadProcessMemory(b.process, b.remote, b.local, b.size, nullptr);
            ++items;
            auto child = static_cast<std::uintptr_t>(
                send(tree, TVM_GETNEXTITEM, TVGN_CHILD, static_cast<LPARAM>(item)));
            if (child != 0) siblings(child);
        }
    };
    siblings(static_cast<std::uintptr_t>(send(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)));
    return items;
}

// The toolbar reader's two passes (buttons, then the text of each) with one buffer.
long toolbarOneBuffer(HWND toolbar) {
    OneBuffer b;
    if (!b.open(toolbar, kTextSize)) return -1;
    const int n = static_cast<int>(send(toolbar, TB_BUTTONCOUNT, 0, 0));
    std::vector<int> ids;
    for (int i = 0; i < n; ++i) {
        send(toolbar, TB_GETBUTTON, i, b.address());
        ReadProcessMemory(b.process, b.remote, b.local, sizeof(TBBUTTON), nullptr);
        TBBUTTON button;
        std::memcpy(&button, b.local, sizeof button);
        ids.push_back(button.idCommand);
    }
    for (int id : ids) {
        const LRESULT length = send(toolbar, TB_GETBUTTONTEXTA, static_cast<WPARAM>(id), 0);
        if (length < 0 || static_cast<std::size_t>(length) >= b.size) continue;
        send(toolbar, TB_GETBUTTONTEXTA, static_cast<WPARAM>(id), b.address());
        ReadProcessMemory(b.process, b.remote, b.local, b.size, nullptr);
    }
    return static_cast<long>(ids.size());
}

// The tree reader before one buffer per control: the same depth-first walk, each item's text through
// readTreeItemText, which opens the process and a block for that one item.
void previousTreeReader(Hwnd treeView) {
    HWND tree = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(treeView));
    std::function<void(std::uintptr_t, TextNode*)> siblings = [&](std::uintptr_t first, TextNode* parent) {
        for (std::uintptr_t item = first; item != 0;
             item = static_cast<std::uintptr_t>(
                 send(tree, TVM_GETNEXTITEM, TVGN_NEXT, static_cast<LPARAM>(item)))) {
            std::string text;
            readTreeItemText(treeView, item, &text);
            TextNode* node = appendChild(std::make_unique<TextNode>(), parent);
            node->setText(text.c_str());
            node->item = item;
            const auto child = static_cast<std::uintptr_t>(
                send(tree, TVM_GETNEXTITEM, TVGN_CHILD, static_cast<LPARAM>(item)));
            if (child != 0) siblings(child, node);
        }
    };
    TextNode root;
    siblings(static_cast<std::uintptr_t>(send(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)), &root);
}

// The toolbar reader before: one exchange per button record, then readToolbarButtonText per button, which
// opens the process and a block for that one text.
void previousToolbarReader(Hwnd toolbarHandle) {
    HWND toolbar = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(toolbarHandle));
    std::vector<int> ids;
    {
        OneBuffer b;
        if (!b.open(toolbar, sizeof(TBBUTTON))) return;
        const int n = static_cast<int>(send(toolbar, TB_BUTTONCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            send(toolbar, TB_GETBUTTON, i, b.address());
            ReadProcessMemory(b.process, b.remote, b.local, b.size, nullptr);
            TBBUTTON button;
            std::memcpy(&button, b.local, sizeof button);
            ids.push_back(button.idCommand);
        }
    }
    std::string text;
    for (int id : ids)
        readToolbarButtonText(toolbarHandle, id, &text);
}

long countNodes(const TextNode* n) {
    long count = 0;
    for (; n != nullptr; n = n->next())
        count += 1 + countNodes(n->firstChild());
    return count;
}

struct Result {
    double reader = 0, previous = 0, oneBuffer = 0;
    long readerItems = 0, oneBufferItems = 0;
    Split split;
    double timedReader = 0;
};

Result run(const char* what, HWND control, void (*reader)(CaptureSession&, Hwnd), void (*previous)(Hwnd),
           long (*oneBuffer)(HWND), int rounds) {
    Result res;
    std::vector<double> readerTimes, previousTimes, oneTimes;
    for (int round = 0; round < rounds; ++round) {
        double t = nowSeconds();
        previous(toHwnd(control));
        previousTimes.push_back(nowSeconds() - t);
        t = nowSeconds();
        res.oneBufferItems = oneBuffer(control);
        oneTimes.push_back(nowSeconds() - t);
        t = nowSeconds();
        reader(benchSession(), toHwnd(control));
        readerTimes.push_back(nowSeconds() - t);
        res.readerItems = countNodes(CaptureLock(benchSession()).tree()->firstChild());
        std::printf("%s round %d: reader %.3f s, previous %.3f s, one buffer %.3f s (load %s)\n", what,
                    round + 1, readerTimes.back(), previousTimes.back(), oneTimes.back(),
                    loadAverage().c_str());
    }
    res.reader = median(readerTimes);
    res.previous = median(previousTimes);
    res.oneBuffer = median(oneTimes);
    const double t = nowSeconds();
    {
        TimedPlatform timed(&res.split);
        reader(benchSession(), toHwnd(control));
    }
    res.timedReader = nowSeconds() - t;
    return res;
}

void print(const char* what, const Result& r, double goal) {
    const Split& s = r.split;
    std::printf("%s: reader %.3f s for %ld items (%.0f items/s); previous %.3f s; one buffer %.3f s for %ld "
                "items\n",
                what, r.reader, r.readerItems, r.readerItems / r.reader, r.previous, r.oneBuffer,
                r.oneBufferItems);
    std::printf("%s: ratio reader/previous %.3f (goal at most %.2f: %s)\n", what, r.reader / r.previous, goal,
                r.reader / r.previous <= goal ? "met" : "not met");
    std::printf(
        "%s: timed run %.3f s: opening %.3f s (%.1f%%, %lld process openings), messages %.3f s (%lld), "
        "copies %.3f s (%lld writes, %lld reads), rest %.3f s\n",
        what, r.timedReader, s.opening, 100 * s.opening / r.timedReader, s.opens, s.messages, s.sends,
        s.copies, s.writes, s.reads, r.timedReader - s.opening - s.messages - s.copies);
    std::printf("%s: ratio reader/one buffer %.3f\n", what, r.reader / r.oneBuffer);
}

int intOption(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return std::atoi(argv[i + 1]);
    return fallback;
}

} // namespace

int main(int argc, char** argv) {
    const int treeItems = intOption(argc, argv, "--tree-items", 5000);
    const int buttons = intOption(argc, argv, "--buttons", 200);
    const int rounds = intOption(argc, argv, "--rounds", 3);
    installWin32Platform();
    createCaptureState();
    TargetProcess specimen;
    char line[MAX_PATH * 2 + 128];
    std::snprintf(line, sizeof line,
                  "\"%s\\specimen.exe\" --title \"Vantor bench specimen\" --tree-items %d "
                  "--toolbar-buttons %d",
                  exeDirectory().c_str(), treeItems, buttons);
    const double startedAt = nowSeconds();
    if (!specimen.start(line)) return 1;
    HWND top = specimen.waitForWindow("VantorSpecimen", 600000);
    HWND tree = top != nullptr ? childOfClass(top, WC_TREEVIEWA, 0) : nullptr;
    HWND toolbar = top != nullptr ? childOfClass(top, TOOLBARCLASSNAMEA, 0) : nullptr;
    if (tree == nullptr || toolbar == nullptr) {
        std::fprintf(stderr, "the specimen's tree view or toolbar did not appear\n");
        return 1;
    }
    std::printf("specimen: %d tree items, %d toolbar buttons, shown in %.2f s\n", treeItems, buttons,
                nowSeconds() - startedAt);
    std::printf("load average %s\n", loadAverage().c_str());
    print("tree view", run("tree view", tree, readTreeView, previousTreeReader, treeOneBuffer, rounds), 0.50);
    print("toolbar", run("toolbar", toolbar, readToolbar, previousToolbarReader, toolbarOneBuffer, rounds),
          0.60);
    std::printf("machine: %s\n", processorName().c_str());
    destroyCaptureState();
    return 0;
}
