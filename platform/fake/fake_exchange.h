// A remote exchange driven by hand, for tests that play a reader's part against a fake control: it opens
// the control's process and one remote block through procs(), writes records and texts into the block,
// sends through ws() and reads back. It does only what it is told, so a test can also send a record of the
// wrong width or a pointer outside the block and see the fake record the fault.
//
// Threads: one exchange belongs to one test thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace vantor {
namespace fake {

class HandExchange {
  public:
    // Opens the process of control and a zero-filled remote block of size bytes; ok() tells whether both
    // were had.
    HandExchange(Hwnd control, std::size_t size);
    ~HandExchange(); // frees the block and closes the process
    HandExchange(const HandExchange&) = delete;
    HandExchange& operator=(const HandExchange&) = delete;

    bool ok() const { return remote != 0; }
    RemoteAddr address() const { return remote; }
    int bits() const { return pointerBits; }

    bool write(std::size_t offset, const void* src, std::size_t n);
    bool read(std::size_t offset, void* dst, std::size_t n);
    // The NUL-terminated text at offset (at most to the block's end).
    std::string textAt(std::size_t offset);
    // The NUL-terminated text at any address of the control's process (at most max bytes).
    std::string textAtAddress(RemoteAddr a, std::size_t max);
    // Sends msg to the control; *answered (when given) tells whether it was answered.
    std::intptr_t send(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                       bool* answered = nullptr);
    // Sends msg with the block's address (plus offset) as lParam.
    std::intptr_t sendBlock(std::uint32_t msg, std::uintptr_t wParam, std::size_t offset = 0);

  private:
    Hwnd control;
    Hproc process{};
    RemoteAddr remote = 0;
    std::size_t size;
    int pointerBits = 0;
};

} // namespace fake
} // namespace vantor
