// RemoteBuffer: opening, growing and releasing the process handle and the two blocks, and the exchange of
// one query. Called on the thread of the reader that owns the buffer.
#include "capture/remote_buffer.h"

#include "capture/remote_parking.h"

namespace vantor {

namespace {
// Highest address a 32-bit target can be given in a pointer member.
constexpr RemoteAddr kLimit32 = 0xFFFFFFFFull;

bool fitsWidth(int bits, RemoteAddr a, std::size_t size) {
    return bits == 64 || (a <= kLimit32 && size <= kLimit32 - a);
}
} // namespace

std::intptr_t sendQuery(Hwnd window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    if (isNull(window)) return 0;
    std::intptr_t result = 0;
    if (!ws().sendMessage(window, msg, wParam, lParam, &result)) return 0;
    return result;
}

bool RemoteBuffer::open(Hwnd control, std::size_t size32, std::size_t size64) {
    release();
    std::uint32_t pid = 0;
    ws().windowThreadProcessId(control, &pid);
    if (pid == 0) return false;
    Hproc process{};
    if (!procs().openProcess(pid, &process) || isNull(process)) return false;
    int bits = procs().pointerBits(process);
    if (bits != 32 && bits != 64) {
        procs().closeProcess(process);
        return false;
    }
    std::size_t size = bits == 32 ? size32 : size64;
    auto* local = static_cast<std::uint8_t*>(procs().allocLocal(size));
    if (local == nullptr) {
        procs().closeProcess(process);
        return false;
    }
    RemoteAddr remote = 0;
    if (!procs().allocRemote(process, size, &remote) || remote == 0) {
        procs().freeLocal(local);
        procs().closeProcess(process);
        return false;
    }
    if (!fitsWidth(bits, remote, size)) {
        // A 32-bit control could not be given this address: no query may carry it.
        procs().freeLocal(local);
        procs().freeRemote(process, remote);
        procs().closeProcess(process);
        return false;
    }
    control_ = control;
    process_ = process;
    bits_ = bits;
    local_ = local;
    remote_ = remote;
    size_ = size;
    answering_ = settleParkedBlock(control);
    blockAtRisk_ = false;
    processEnded_ = false;
    return true;
}

bool RemoteBuffer::grow(std::size_t size) {
    // A block a late answer may still write into is kept as it is.
    if (!isOpen() || blockAtRisk_) return false;
    if (size <= size_) return true;
    auto* local = static_cast<std::uint8_t*>(procs().allocLocal(size));
    if (local == nullptr) return false;
    RemoteAddr remote = 0;
    if (!procs().allocRemote(process_, size, &remote) || remote == 0) {
        procs().freeLocal(local);
        return false;
    }
    if (!fitsWidth(bits_, remote, size)) {
        procs().freeLocal(local);
        procs().freeRemote(process_, remote);
        return false;
    }
    procs().freeLocal(local_);
    procs().freeRemote(process_, remote_);
    local_ = local;
    remote_ = remote;
    size_ = size;
    return true;
}

void RemoteBuffer::release() {
    if (local_ != nullptr) procs().freeLocal(local_);
    if (remote_ != 0 && blockAtRisk_ && !processEnded_) {
        // The handle goes with the block: it is what frees the block later.
        parkRemoteBlock(control_, process_, remote_);
    } else {
        if (remote_ != 0) procs().freeRemote(process_, remote_);
        if (!isNull(process_)) procs().closeProcess(process_);
    }
    local_ = nullptr;
    remote_ = 0;
    process_ = Hproc{};
    size_ = 0;
    bits_ = 0;
    blockAtRisk_ = false;
    processEnded_ = false;
}

bool RemoteBuffer::query(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                         std::intptr_t* result) {
    *result = 0;
    if (!isOpen() || !answering_) return false;
    if (!ws().sendMessage(control_, msg, wParam, lParam, result)) {
        answering_ = false;
        *result = 0;
        return false;
    }
    return true;
}

bool RemoteBuffer::writeRange(std::size_t offset, std::size_t n) {
    if (!isOpen() || !answering_ || offset > size_ || n > size_ - offset) return false;
    if (procs().writeRemote(process_, remote_ + offset, local_ + offset, n)) return true;
    // Memory of our own block that can no longer be written means the target process has ended.
    answering_ = false;
    processEnded_ = true;
    return false;
}

bool RemoteBuffer::send(std::uint32_t msg, std::uintptr_t wParam, std::size_t offset, std::intptr_t* result) {
    *result = 0;
    if (!isOpen() || !answering_ || offset >= size_) return false;
    if (ws().sendMessage(control_, msg, wParam, static_cast<std::intptr_t>(remote_ + offset), result))
        return true;
    // Unanswered: asking again would wait out the time-out again (or find the window gone), and the target
    // may still answer this one later, into the block.
    *result = 0;
    answering_ = false;
    blockAtRisk_ = true;
    return false;
}

bool RemoteBuffer::readRange(std::size_t offset, std::size_t n) {
    // A read is still made after an unanswered message: the records answered before it are in the block.
    if (!isOpen() || processEnded_ || offset > size_ || n > size_ - offset) return false;
    if (procs().readRemote(process_, remote_ + offset, local_ + offset, n)) return true;
    answering_ = false;
    processEnded_ = true;
    return false;
}

bool RemoteBuffer::exchange(std::uint32_t msg, std::uintptr_t wParam, bool writeFirst, std::size_t textOffset,
                            std::intptr_t* result) {
    *result = 0;
    bool answered = isOpen() && answering_;
    if (answered && writeFirst) answered = writeRange(0, size_);
    if (answered) answered = send(msg, wParam, 0, result);
    if (answered) answered = readRange(0, size_);
    if (!answered) answering_ = false;
    if (!answered && isOpen() && textOffset < size_) local_[textOffset] = '\0';
    return answered;
}

void RemoteBuffer::textOf(RemoteAddr pointer, std::size_t textOffset, std::size_t capacity,
                          std::string* out) {
    textIn(pointer, textOffset, textOffset < size_ ? size_ - textOffset : 0, capacity, out);
}

void RemoteBuffer::textIn(RemoteAddr pointer, std::size_t textOffset, std::size_t room, std::size_t capacity,
                          std::string* out) {
    out->clear();
    if (!isOpen() || pointer == 0) return;
    if (pointer == remote_ + textOffset) {
        if (textOffset >= size_) return;
        if (room > size_ - textOffset) room = size_ - textOffset;
        const char* text = reinterpret_cast<const char*>(local_ + textOffset);
        std::size_t n = 0;
        while (n < room && text[n] != '\0')
            ++n;
        out->assign(text, n);
        return;
    }
    if (capacity > 0) readString(pointer, capacity - 1, out);
}

void RemoteBuffer::readString(RemoteAddr a, std::size_t max, std::string* out) {
    // Byte by byte: the length of the control's own buffer is unknown, and a read running past its end
    // would fail as a whole (or touch memory the control does not own).
    for (std::size_t i = 0; i < max; ++i) {
        char c = '\0';
        if (!procs().readRemote(process_, a + i, &c, 1) || c == '\0') return;
        out->push_back(c);
    }
}

} // namespace vantor
