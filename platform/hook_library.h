// The seam to the hook library msghook.dll as the hook intake sees it: taking queued records out, and the
// debug output the intake writes for window creations. The Win32 side loads msghook.dll at run time
// (platform/win32/win32_hook.h); without the library the default answers "nothing queued". The unit tests
// install a fake. No <windows.h> here.
//
// Threads: installed once before the user-interface thread's loop runs; called on that thread only.
#pragma once

#include "platform/wire.h"

namespace vantor {

class HookLibrary {
  public:
    virtual ~HookLibrary() = default;
    // PopMessage: moves up to cap queued records into buf; returns how many (0 when none; the intake also
    // copes with a negative answer).
    virtual int popMessage(wire::HookRecord* buf, int cap) = 0;
    // OutputDebugStringA.
    virtual void debugOutput(const char* text) = 0;
};

// The library in use: one that has nothing queued until another is installed.
HookLibrary& hookLibrary();
void setHookLibrary(HookLibrary* library);

} // namespace vantor
