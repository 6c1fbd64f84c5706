// The accessible objects of other processes' windows (platform/accessible.h): WM_GETOBJECT with the
// message time-out, the walk across processes on a thread of its own (COM calls to a target that stops
// answering do not return, so the capture waits for that thread only as long as the walk's time bound and
// then takes what was read), and the conversion of texts to code page 932.
//
// Threads: any capture thread; each walk has its own thread and apartment.
#include <windows.h>
#include <oleacc.h>

#include <mutex>

#include "platform/accessible.h"
#include "platform/win32/accessible_nodes.h"
#include "platform/win32/win32_platform.h"

namespace vantor {
namespace win32 {

namespace {

// Time the walk's thread is given beyond the walk's own bound, to end and hand its result over.
constexpr DWORD kWalkGraceMs = 200;

// Shared by the capture and the walk's thread; the last of the two to let go deletes it.
struct WalkJob {
    HWND window = nullptr;
    LRESULT answer = 0; // a WM_GETOBJECT answer to take in and release (ask), or 0 for a walk
    AccessibleLimits limits;
    std::mutex guard;
    AccessibleTree tree;
    bool found = false;
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
            AccessibleObjects nodes(false);
            walkAccessible(nodes, reinterpret_cast<AccessibleNodes::Node>(root), job->limits, &job->tree,
                           &job->guard);
        }
        root->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    job->letGo();
    return 0;
}

// Runs the job on its own thread and waits at most the walk's bound; false when the thread did not end in
// time (the job then holds what was read so far).
bool runBounded(WalkJob* job) {
    HANDLE thread = CreateThread(nullptr, 0, walkThread, job, 0, nullptr);
    if (thread == nullptr) {
        job->letGo(); // the thread's share
        return true;
    }
    const DWORD wait = static_cast<DWORD>(job->limits.maxMs) + kWalkGraceMs;
    const bool ended = WaitForSingleObject(thread, wait) == WAIT_OBJECT_0;
    CloseHandle(thread);
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

void installWin32Accessibility() {
    static AccessibilityWin32 accessibility;
    setAccessibility(&accessibility);
}

} // namespace win32
} // namespace vantor
