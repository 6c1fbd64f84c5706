// A remote exchange driven by hand through the platform interfaces (see fake_exchange.h).
// Used on one test thread per exchange.
#include "platform/fake/fake_exchange.h"

#include <vector>

namespace vantor {
namespace fake {

HandExchange::HandExchange(Hwnd control, std::size_t size) : control(control), size(size) {
    std::uint32_t pid = 0;
    ws().windowThreadProcessId(control, &pid);
    if (!procs().openProcess(pid, &process)) return;
    pointerBits = procs().pointerBits(process);
    if (!procs().allocRemote(process, size, &remote)) remote = 0;
}

HandExchange::~HandExchange() {
    if (remote != 0) procs().freeRemote(process, remote);
    if (!isNull(process)) procs().closeProcess(process);
}

bool HandExchange::write(std::size_t offset, const void* src, std::size_t n) {
    return ok() && procs().writeRemote(process, remote + offset, src, n);
}

bool HandExchange::read(std::size_t offset, void* dst, std::size_t n) {
    return ok() && procs().readRemote(process, remote + offset, dst, n);
}

std::string HandExchange::textAt(std::size_t offset) {
    if (offset >= size) return std::string();
    std::vector<char> buf(size - offset + 1, '\0');
    if (!read(offset, buf.data(), size - offset)) return std::string();
    return std::string(buf.data());
}

std::string HandExchange::textAtAddress(RemoteAddr a, std::size_t max) {
    std::string out;
    char c = 0;
    while (out.size() < max && procs().readRemote(process, a + out.size(), &c, 1) && c != '\0')
        out.push_back(c);
    return out;
}

std::intptr_t HandExchange::send(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                                 bool* answered) {
    std::intptr_t result = 0;
    bool a = ws().sendMessage(control, msg, wParam, lParam, &result);
    if (answered) *answered = a;
    return result;
}

std::intptr_t HandExchange::sendBlock(std::uint32_t msg, std::uintptr_t wParam, std::size_t offset) {
    return send(msg, wParam, static_cast<std::intptr_t>(remote + offset));
}

} // namespace fake
} // namespace vantor
