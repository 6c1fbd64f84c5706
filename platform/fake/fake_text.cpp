// Text answers shared by the fake controls: local buffers (marshalled text messages) and blocks of the
// control's own process (common controls), each checked the way the real exchange would go wrong.
// Called by the fake controls under the fake desktop's lock.
#include "platform/fake/fake_text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/wire.h"

namespace vantor {
namespace fake {

namespace {
std::string describe(const char* what, const char* problem, unsigned long long a, unsigned long long n) {
    char buf[200];
    std::snprintf(buf, sizeof buf, "%s: %s (address 0x%llx, %llu bytes)", what, problem, a, n);
    return buf;
}

// The largest count of bytes from addr that lie inside one live block of pid (0 when addr is not in one).
std::size_t roomAt(FakeDesktop& d, std::uint32_t pid, RemoteAddr addr, std::size_t want) {
    if (!d.liveRange(pid, addr, 0)) return 0;
    std::size_t lo = 0, hi = want;
    while (lo < hi) {
        std::size_t mid = lo + (hi - lo + 1) / 2;
        if (d.liveRange(pid, addr, mid)) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    return lo;
}
} // namespace

std::intptr_t putLocalText(FakeDesktop& d, const char* what, const std::string& stored,
                           std::intptr_t lParam) {
    std::size_t unit = 1;
    const std::string text = answerBytes(d, stored, &unit);
    const auto length = static_cast<std::intptr_t>(text.size() / unit);
    char* dst = reinterpret_cast<char*>(lParam);
    if (!dst) {
        d.fault(describe(what, "null text buffer", 0, text.size() + unit));
        return wire::LB_ERR;
    }
    std::size_t need = text.size() + unit;
    long room = d.localRoom(dst);
    if (room >= 0 && static_cast<std::size_t>(room) < need) {
        d.fault(describe(what, "text and its NUL overrun the caller's buffer",
                         static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(dst)), need));
        std::memcpy(dst, text.c_str(), static_cast<std::size_t>(room));
        return length;
    }
    std::memcpy(dst, text.c_str(), text.size());
    std::memset(dst + text.size(), 0, unit);
    return length;
}

bool holdsItemData(std::uint32_t style, std::uint32_t ownerDrawn, std::uint32_t hasStrings) {
    return (style & ownerDrawn) != 0 && (style & hasStrings) == 0;
}

std::intptr_t itemDataSize(FakeDesktop& d, const FakeWindow& w) {
    return d.pointerBitsOf(w.pid) / 8;
}

std::intptr_t putItemData(FakeDesktop& d, const FakeWindow& w, const std::string& data,
                          std::intptr_t lParam) {
    const std::size_t width = static_cast<std::size_t>(itemDataSize(d, w));
    std::string bytes = data.substr(0, width);
    bytes.resize(width, '\0');
    char* dst = reinterpret_cast<char*>(lParam);
    long room = d.localRoom(dst);
    if (!dst || (room >= 0 && static_cast<std::size_t>(room) < width)) {
        d.fault(describe("item data", "does not fit the caller's buffer",
                         static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(dst)), width));
        return wire::LB_ERR;
    }
    std::memcpy(dst, bytes.data(), width); // the data alone, no terminating zero
    return static_cast<std::intptr_t>(width);
}

std::intptr_t getLocalText(FakeDesktop& d, const char* what, const std::string& stored, std::uintptr_t cap,
                           std::intptr_t lParam) {
    if (cap == 0) return 0;
    std::size_t unit = 1;
    const std::string text = answerBytes(d, stored, &unit);
    char* dst = reinterpret_cast<char*>(lParam);
    if (!dst) {
        d.fault(describe(what, "null text buffer", 0, cap));
        return 0;
    }
    long room = d.localRoom(dst);
    if (room >= 0 && static_cast<std::uintptr_t>(room) < cap * unit) {
        d.fault(describe(what, "capacity larger than the caller's buffer",
                         static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(dst)), cap));
        cap = static_cast<std::uintptr_t>(room) / unit;
        if (cap == 0) return 0;
    }
    std::size_t n = std::min<std::size_t>(text.size() / unit, cap - 1);
    std::memcpy(dst, text.data(), n * unit);
    std::memset(dst + n * unit, 0, unit);
    return static_cast<std::intptr_t>(n);
}

bool answerTextMessage(FakeDesktop& d, FakeWindow& w, std::string* text, std::uint32_t msg,
                       std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t* result) {
    switch (msg) {
    case wire::WM_GETTEXT: *result = getLocalText(d, "WM_GETTEXT", *text, wParam, lParam); return true;
    case wire::WM_GETTEXTLENGTH: *result = textLength(d, *text); return true;
    case wire::WM_SETTEXT:
        *text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        w.title = *text;
        *result = 1;
        return true;
    default: return false;
    }
}

void putRemoteText(FakeDesktop& d, std::uint32_t pid, const char* what, const std::string& stored,
                   RemoteAddr pszText, std::int64_t cchTextMax) {
    std::size_t unit = 1;
    const std::string text = answerBytes(d, stored, &unit);
    if (!d.liveRange(pid, pszText, 1)) {
        d.fault(describe(what, "pszText outside the control's process memory", pszText,
                         static_cast<unsigned long long>(cchTextMax)));
        return;
    }
    // Nothing would be written, so the caller would silently get no text: no reader asks for that.
    if (cchTextMax <= 0) {
        d.fault(describe(what, "text asked for with no room (cchTextMax <= 0)", pszText, 0));
        return;
    }
    if (!d.liveRange(pid, pszText, static_cast<std::size_t>(cchTextMax) * unit)) {
        d.fault(describe(what, "cchTextMax larger than the block pszText points into", pszText,
                         static_cast<unsigned long long>(cchTextMax)));
        return;
    }
    std::size_t n = std::min<std::size_t>(text.size() / unit, static_cast<std::size_t>(cchTextMax - 1));
    std::string out = text.substr(0, n * unit);
    out.append(unit, '\0');
    d.writeMemory(pid, pszText, out.data(), out.size());
}

void putRemoteUnbounded(FakeDesktop& d, std::uint32_t pid, const char* what, RemoteAddr addr, const void* src,
                        std::size_t n) {
    std::size_t room = roomAt(d, pid, addr, n);
    if (room < n) {
        d.fault(describe(what,
                         room == 0 ? "buffer outside the control's process memory"
                                   : "write runs past the end of the block",
                         addr, n));
        if (room > 0) d.writeMemory(pid, addr, src, room);
        return;
    }
    d.writeMemory(pid, addr, src, n);
}

void putRemoteTextUnbounded(FakeDesktop& d, std::uint32_t pid, const char* what, const std::string& stored,
                            RemoteAddr addr) {
    std::size_t unit = 1;
    std::string text = answerBytes(d, stored, &unit);
    text.append(unit, '\0');
    putRemoteUnbounded(d, pid, what, addr, text.data(), text.size());
}

bool recordAt(FakeDesktop& d, std::uint32_t pid, const char* what, RemoteAddr a, std::size_t n) {
    if (d.liveRange(pid, a, n)) return true;
    d.fault(describe(what, "record outside the control's process memory", a, n));
    return false;
}

RemoteAddr ownedCopy(FakeDesktop& d, std::uint32_t pid, const std::string& stored) {
    std::size_t unit = 1;
    std::string text = answerBytes(d, stored, &unit);
    text.append(unit, '\0');
    RemoteAddr a = d.allocOwned(pid, text.size());
    d.writeMemory(pid, a, text.data(), text.size());
    return a;
}

RemoteAddr addressIn(int pointerBits, std::intptr_t lParam) {
    std::uint64_t v = static_cast<std::uint64_t>(lParam);
    return pointerBits == 32 ? (v & 0xFFFFFFFFull) : v;
}

} // namespace fake
} // namespace vantor
