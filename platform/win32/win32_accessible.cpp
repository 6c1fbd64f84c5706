// The accessible objects of other processes' windows (platform/accessible.h): WM_GETOBJECT with the
// message time-out, the walk across processes on a thread of its own (COM calls to a target that stops
// answering do not return, so the capture watches the walk's answers and waits only as long as one answer
// may take, or the walk's overall bound, and then takes what was read), and the conversion of texts to code
// page 932.
//
// Threads: any capture thread; each walk has its own thread and apartment.
#include <windows.h>
#include <oleacc.h>

#include <mutex>

#include "platform/accessible.h"
#include "platform/win32/scoped_win.h"
#include "platform/win32/accessible_nodes.h"
#include "platform/win32/win32_platform.h"

namespace vantor {
namespace win32 {

namespace {

// Time the walk's thread is given beyond the walk's own bounds, to end and hand its result over.
constexpr DWORD kWalkGraceMs = 200;

// Shared by the capture and the walk's thread; the last of the two to let go deletes it.
struct WalkJob {
    HWND window = nullptr;
    LRESULT answer = 0; // a WM_GETOBJECT answer to take in and release (ask), or 0 for a walk
    AccessibleLimits limits;
    std::mutex guard;
    AccessibleTree tree;
    bool found = false;
    volatile LONG64 answered = 0; // GetTickCount64 of the target's last answer (0: none yet)
    volatile LONG holders = 2;
    void letGo() {
        if (InterlockedDecrement(&holders) == 0) delete this;
    }
};

DWORD WINAPI walkThread(void* param) {
    WalkJob* job = static_cast<WalkJob*>(param);
    // A thread of this program's own: its apartment is chosen here and undone at the end.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccessible* root = nullptr;
    const HRESULT got =
        job->answer != 0 ? ObjectFromLresult(job->answer, kIidAccessible, 0, reinterpret_cast<void**>(&root))
                         : AccessibleObjectFromWindow(job->window, static_cast<DWORD>(OBJID_CLIENT),
                                                      kIidAccessible, reinterpret_cast<void**>(&root));
    if (SUCCEEDED(got) && root != nullptr) {
        {
            std::lock_guard<std::mutex> g(job->guard);
            job->found = true;
        }
        if (job->answer == 0) {
            // The object is the target's first answer: the walk's first call waits a whole time-out.
            InterlockedExchange64(&job->answered, static_cast<LONG64>(GetTickCount64()));
            AccessibleLimits limits = job->limits;
            limits.waitedMs = 0;
            AccessibleObjects nodes(false);
            nodes.noteAnswers(&job->answered);
            walkAccessible(nodes, reinterpret_cast<AccessibleNodes::Node>(root), limits, &job->tree,
                           &job->guard);
        }
        root->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    job->letGo();
    return 0;
}

// Runs the job on its own thread and waits while it makes progress: at most the wait for one answer after
// the last (the first less what was waited before), and the walk's overall bound; false when the thread did
// not end in time (the job then holds what was read so far).
bool runBounded(WalkJob* job) {
    const ULONGLONG begin = GetTickCount64();
    const AccessibleLimits& limits = job->limits;
    const ULONGLONG firstWait = limits.waitedMs < limits.idleMs ? limits.idleMs - limits.waitedMs : 0;
    const ScopedHandle thread(CreateThread(nullptr, 0, walkThread, job, 0, nullptr));
    if (!thread) {
        job->letGo(); // the thread's share
        return true;
    }
    bool ended = false;
    for (;;) {
        const ULONGLONG last = static_cast<ULONGLONG>(InterlockedCompareExchange64(&job->answered, 0, 0));
        ULONGLONG end = (last == 0 ? begin + firstWait : last + limits.idleMs) + kWalkGraceMs;
        if (begin + limits.maxMs + kWalkGraceMs < end) end = begin + limits.maxMs + kWalkGraceMs;
        const ULONGLONG now = GetTickCount64();
        if (now >= end) break;
        if (WaitForSingleObject(thread.get(), static_cast<DWORD>(end - now)) == WAIT_OBJECT_0) {
            ended = true;
            break;
        }
    }
    return ended;
}

class AccessibilityWin32 : public Accessibility {
  public:
    AccessibleAnswer ask(Hwnd window) override {
        DWORD_PTR result = 0;
        const HWND w = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
        if (SendMessageTimeoutA(w, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT), SMTO_ABORTIFHUNG,
                                kMessageTimeoutMs, &result) == 0)
            return AccessibleAnswer::None;
        if (result == 0) return AccessibleAnswer::Zero;
        // The answer holds a reference to the object in the target until it is taken in: take it and let
        // it go.
        WalkJob* job = new WalkJob;
        job->answer = static_cast<LRESULT>(result);
        runBounded(job);
        job->letGo();
        return AccessibleAnswer::Object;
    }

    bool walk(Hwnd window, const AccessibleLimits& limits, AccessibleTree* out) override {
        WalkJob* job = new WalkJob;
        job->window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
        job->limits = limits;
        const bool ended = runBounded(job);
        bool found = false;
        {
            std::lock_guard<std::mutex> g(job->guard);
            out->items = job->tree.items;
            out->cut = job->tree.cut | (ended ? 0 : kAccessibleCutTime);
            found = job->found;
        }
        job->letGo();
        return found || !ended;
    }

    std::string toAnsi(const std::u16string& text) override {
        if (text.empty()) return std::string();
        const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
        const int units = static_cast<int>(text.size());
        const int n = WideCharToMultiByte(932, 0, wide, units, nullptr, 0, nullptr, nullptr);
        if (n <= 0) return std::string();
        std::string out(static_cast<std::size_t>(n), '\0');
        WideCharToMultiByte(932, 0, wide, units, &out[0], n, nullptr, nullptr);
        return out;
    }
};

} // namespace

std::unique_ptr<Accessibility> makeWin32Accessibility() {
    return std::make_unique<AccessibilityWin32>();
}

} // namespace win32
} // namespace vantor
