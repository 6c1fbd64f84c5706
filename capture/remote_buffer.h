// RemoteBuffer: the exchange every cross-process reader uses to query another application's common
// controls. It holds a handle to the control's process, a local block in this process and a remote block of
// the same size in the target; a reader lays out a record (in the target's pointer width) and its text
// buffer in the local block, the exchange writes it to the target, sends the query with the remote block's
// address and reads the block back.
//
// Every message goes through ws().sendMessage, which has the time-out built in. Once a query through the
// buffer has gone unanswered (time-out, hung or vanished control), or the block could no longer be written
// or read (the target process has ended), the buffer sends nothing more to the control: later exchanges
// answer "unanswered" at once, so a control that does not answer costs one time-out per reader call, not one
// per item.
//
// A block whose address went with an unanswered message may still be written by a late answer: release()
// then parks it (capture/remote_parking.h) instead of freeing it, and open() sends nothing to a control
// whose parked block is still at risk.
//
// Besides the one-query exchange, the buffer offers the three steps separately (write a range, send with
// an address inside the block, read a range), so that a reader can lay out many records in one block, write
// them at once, send one message per record and read them all back at once.
//
// Threads: one buffer belongs to one reader call on one thread (the capture worker, or the user-interface
// thread for the hot-key captures).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/wire.h"

namespace vantor {

// The message's result, or 0 when the window did not answer in time.
std::intptr_t sendQuery(Hwnd window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);

class RemoteBuffer {
  public:
    RemoteBuffer() = default;
    ~RemoteBuffer() { release(); }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    // Opens the process of `control` and a local and a remote block of size32 bytes for a 32-bit target,
    // size64 for a 64-bit one (in that order). False when any step fails (or the target's pointer width is
    // unknown); whatever was obtained is released again and nothing may be sent. A control whose parked
    // block is still at risk gets an open buffer that sends nothing (answering() is false).
    bool open(Hwnd control, std::size_t size32, std::size_t size64);
    // Replaces both blocks by zero-filled ones of `size` bytes when size is larger than the current size.
    // False when the new blocks cannot be had: the old ones stay, still usable.
    bool grow(std::size_t size);
    // VirtualFree of the local block, VirtualFreeEx of the remote block, CloseHandle of the process; the
    // remote block and the handle go to the parking list instead when a late answer may still write there.
    void release();

    bool isOpen() const { return local_ != nullptr; }
    bool is64() const { return bits_ == 64; }
    std::uint8_t* local() { return local_; }
    const std::uint8_t* local() const { return local_; }
    RemoteAddr remote() const { return remote_; }
    std::size_t size() const { return size_; }
    Hwnd control() const { return control_; }
    // False once a query has gone unanswered; nothing more is sent to the control then.
    bool answering() const { return answering_; }

    // A message to the control that carries no block address (a count or length query). False when it
    // went unanswered (or an earlier one did): *result is then 0.
    bool query(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t* result);
    // One query: writes the whole local block to the target (when writeFirst), sends msg with wParam and
    // the remote block's address, reads the whole block back. False when the query went unanswered (or a
    // copy failed): *result is then 0 and the local text area at textOffset is emptied.
    bool exchange(std::uint32_t msg, std::uintptr_t wParam, bool writeFirst, std::size_t textOffset,
                  std::intptr_t* result);
    // The three steps of an exchange on their own. Each is false when it fails (the write or read: the target
    // process has ended; the message: unanswered) or an earlier step failed; nothing more is sent then.
    bool writeRange(std::size_t offset, std::size_t n);
    // Sends msg with wParam and the remote address of the byte at `offset` of the block.
    bool send(std::uint32_t msg, std::uintptr_t wParam, std::size_t offset, std::intptr_t* result);
    bool readRange(std::size_t offset, std::size_t n);
    // The text a query left. `pointer` is the text pointer the record holds after the read-back: when it
    // still points at the text area (remote() + textOffset) the text is taken from the local block, at most
    // up to the block's end; when the control pointed it at a buffer of its own, the text is read from there
    // in the target's memory, at most capacity - 1 bytes; a null pointer gives an empty text.
    void textOf(RemoteAddr pointer, std::size_t textOffset, std::size_t capacity, std::string* out);
    // The same for a text area of `room` bytes at textOffset (one record's buffer among several).
    void textIn(RemoteAddr pointer, std::size_t textOffset, std::size_t room, std::size_t capacity,
                std::string* out);

    // The record of type Rec at offset 0 of the local block, and back.
    template <class Rec> Rec record() const {
        Rec r;
        std::memcpy(&r, local_, sizeof r);
        return r;
    }
    template <class Rec> void setRecord(const Rec& r) { std::memcpy(local_, &r, sizeof r); }
    // The same at any offset of the block (the caller keeps offset + sizeof(Rec) within size()).
    template <class Rec> Rec recordAt(std::size_t offset) const {
        Rec r;
        std::memcpy(&r, local_ + offset, sizeof r);
        return r;
    }
    template <class Rec> void setRecordAt(std::size_t offset, const Rec& r) {
        std::memcpy(local_ + offset, &r, sizeof r);
    }

  private:
    void readString(RemoteAddr a, std::size_t max, std::string* out);

    Hwnd control_{};
    Hproc process_{};
    int bits_ = 0;
    std::uint8_t* local_ = nullptr;
    RemoteAddr remote_ = 0;
    std::size_t size_ = 0;
    bool answering_ = true;
    bool blockAtRisk_ = false;  // a message carrying the block's address went unanswered
    bool processEnded_ = false; // a write or read of the block failed
};

// The common layout of a record followed by its text buffer: sets the members a text query needs (mask,
// pszText at the text area behind the record, cchTextMax) in the local record. Rec is one of the records of
// platform/wire.h; members of the 32-bit forms take the remote address as 32 bits (open() guarantees the
// address fits for a 32-bit target).
template <class Rec> Rec textRecord(const RemoteBuffer& rb, std::uint32_t mask) {
    Rec r = rb.record<Rec>();
    r.mask = mask;
    r.pszText = static_cast<decltype(r.pszText)>(rb.remote() + sizeof(Rec));
    r.cchTextMax = static_cast<std::int32_t>(wire::kRemoteTextSize);
    return r;
}

// The text a text query left in a record of type Rec (see RemoteBuffer::textOf).
template <class Rec> void recordText(RemoteBuffer& rb, std::string* out) {
    Rec r = rb.record<Rec>();
    rb.textOf(static_cast<RemoteAddr>(r.pszText), sizeof(Rec), wire::kRemoteTextSize, out);
}

} // namespace vantor
