// The seam to the hook library msghook.dll: taking queued records out and the debug output the intake writes
// for window creations (the hook intake), and bulk reads of a control inside its own process (the capture
// readers). The Win32 side loads msghook.dll at run time (platform/win32/win32_hook.h); without the library
// the default answers "nothing queued" and refuses every bulk read. The unit tests install a fake. No
// <windows.h> here.
//
// Threads: installed once before the user-interface thread's loop runs. popMessage and debugOutput on that
// thread only; the bulk calls on the thread of the capture that reads (one bulk read at a time).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"
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

    // Bulk reading. bulkBegin sets the request hook on the control's thread; null when the control cannot be
    // asked (no library, the program's own window, a hung window, a thread that left a request unanswered a
    // short while ago, or the hook cannot be set). bulkChunk posts one request (its sequence is chosen by
    // the library and stored in *sequence) and copies the answer, header and records, into out (cap bytes);
    // it returns the bytes copied, 0 when no answer came within the message time-out. The answer is
    // untrusted (platform/bulk_format.h). bulkEnd removes the hook.
    virtual bool bulkAvailable() { return false; } // a library with the bulk exports is loaded
    // A target of this pointer width can be asked: the program's own, or 32 bits while the 32-bit host
    // runs beside a 64-bit program.
    virtual bool bulkReaches(int pointerBits) { return pointerBits == static_cast<int>(sizeof(void*) * 8); }
    virtual void* bulkBegin(Hwnd) { return nullptr; }
    virtual std::size_t bulkChunk(void* session, Hwnd control, const wire::BulkRequest& request,
                                  std::uint32_t* sequence, std::uint8_t* out, std::size_t cap) {
        (void)session, (void)control, (void)request, (void)sequence, (void)out, (void)cap;
        return 0;
    }
    virtual void bulkEnd(void*) {}
};

// The library in use: one that has nothing queued until another is installed.
HookLibrary& hookLibrary();
void setHookLibrary(HookLibrary* library);

} // namespace vantor
