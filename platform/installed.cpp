// Holds the seams installed for this process in one object: the platform, the wide window system and the
// hook library (the accessible seam stays with its walk in accessible.cpp, which msghook.dll links alone).
// Threads: each is installed once (start-up, or a test's set-up) before any other thread starts; read-only
// afterwards from every thread.
#include "platform/hook_library.h"
#include "platform/platform.h"
#include "platform/wide_text.h"

namespace vantor {

namespace {

class AbsentHookLibrary : public HookLibrary {
  public:
    int popMessage(wire::HookRecord*, int) override { return 0; }
    void debugOutput(const char*) override {}
};

struct Installed {
    Platform platform{nullptr, nullptr, nullptr};
    WideWindowSystem* wide = nullptr;
    // Without a hook library, nothing is ever queued.
    AbsentHookLibrary absentHook;
    HookLibrary* hook = &absentHook;
};

Installed installed;

} // namespace

Platform& platform() {
    return installed.platform;
}
void setPlatform(const Platform& p) {
    installed.platform = p;
}

WideWindowSystem* wideWindows() {
    return installed.wide;
}
void setWideWindows(WideWindowSystem* w) {
    installed.wide = w;
}

HookLibrary& hookLibrary() {
    return *installed.hook;
}
void setHookLibrary(HookLibrary* library) {
    installed.hook = library != nullptr ? library : &installed.absentHook;
}

} // namespace vantor
