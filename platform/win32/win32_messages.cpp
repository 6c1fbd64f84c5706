// Messages to windows of any process, each with SMTO_ABORTIFHUNG and kMessageTimeoutMs, and the text
// messages whose ANSI forms Wine answers wrongly across processes:
//  - LB_GETTEXT / CB_GETLBTEXT sent as A put UTF-16 into the ANSI buffer: the text is read with the W form
//    and converted to the ANSI code page; the length messages are right in either form.
//  - WM_GETTEXTLENGTH sent as A answers 0 for a rich edit: the answer is an upper bound of the A and W ones.
//  - WM_GETTEXT sent as A to a rich edit answers nothing when the buffer is shorter than the text: an empty
//    answer is checked against the W form and the W text is converted and cut to the buffer.
// On Windows the same paths give what the A messages give.
//
// Threads: any; nothing here keeps state.
#include "platform/win32/win32_impl.h"

#include <cstring>
#include <vector>

#include "platform/win32/win32_platform.h"

namespace vantor {
namespace win32 {

namespace {

// An owner-drawn list without strings keeps item data instead of texts; LB_GETTEXT then copies the data,
// which must not be converted as text.
bool holdsStrings(HWND w, UINT textMsg) {
    const LONG_PTR style = GetWindowLongPtrA(w, GWL_STYLE);
    if (textMsg == LB_GETTEXT)
        return (style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) == 0 || (style & LBS_HASSTRINGS) != 0;
    return (style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) == 0 || (style & CBS_HASSTRINGS) != 0;
}

// Converts count UTF-16 units to the ANSI code page.
std::vector<char> toAnsi(const wchar_t* wide, int count) {
    std::vector<char> ansi;
    if (count <= 0) return ansi;
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, count, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return ansi;
    ansi.resize(static_cast<std::size_t>(bytes));
    WideCharToMultiByte(CP_ACP, 0, wide, count, ansi.data(), bytes, nullptr, nullptr);
    return ansi;
}

// Copies at most limit bytes of ansi (whole characters) and a NUL into out; returns the bytes copied.
LRESULT copyCut(const std::vector<char>& ansi, std::size_t limit, char* out) {
    const std::size_t n = cutAtCharacter(ansi.data(), ansi.size(), limit);
    if (n > 0) std::memcpy(out, ansi.data(), n);
    out[n] = '\0';
    return static_cast<LRESULT>(n);
}

bool fail(LRESULT* result) {
    *result = 0;
    return false;
}

} // namespace

bool sendA(HWND w, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutA(w, msg, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &answer) == 0)
        return fail(result);
    *result = static_cast<LRESULT>(answer);
    return true;
}

bool sendW(HWND w, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(w, msg, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &answer) == 0)
        return fail(result);
    *result = static_cast<LRESULT>(answer);
    return true;
}

std::size_t cutAtCharacter(const char* text, std::size_t len, std::size_t limit) {
    std::size_t i = 0;
    while (i < len) {
        const std::size_t step = IsDBCSLeadByte(static_cast<BYTE>(text[i])) && i + 1 < len ? 2 : 1;
        if (i + step > limit) break;
        i += step;
    }
    return i;
}

// The caller's buffer holds the ANSI length (the A length message) plus the NUL; no more is written.
bool sendListText(HWND w, UINT lengthMsg, UINT textMsg, WPARAM index, char* out, LRESULT* result) {
    if (out == nullptr || !holdsStrings(w, textMsg))
        return sendA(w, textMsg, index, reinterpret_cast<LPARAM>(out), result);
    LRESULT ansiLength = 0;
    LRESULT wideLength = 0;
    if (!sendA(w, lengthMsg, index, 0, &ansiLength)) return false;
    if (ansiLength < 0) { // LB_ERR / CB_ERR: no such item; the buffer stays as it is
        *result = ansiLength;
        return true;
    }
    if (!sendW(w, lengthMsg, index, 0, &wideLength)) return false;
    if (wideLength < 0) {
        *result = wideLength;
        return true;
    }
    std::vector<wchar_t> wide(static_cast<std::size_t>(wideLength) + 1, L'\0');
    LRESULT units = 0;
    if (!sendW(w, textMsg, index, reinterpret_cast<LPARAM>(wide.data()), &units)) return false;
    if (units < 0) {
        *result = units;
        return true;
    }
    if (units > wideLength) units = wideLength; // the item grew in between: keep to the buffer asked for
    *result =
        copyCut(toAnsi(wide.data(), static_cast<int>(units)), static_cast<std::size_t>(ansiLength), out);
    return true;
}

// Every UTF-16 unit becomes at most two bytes of code page 932, so twice the W count bounds the A count.
bool sendTextLength(HWND w, LRESULT* result) {
    LRESULT ansi = 0;
    LRESULT wide = 0;
    if (!sendA(w, WM_GETTEXTLENGTH, 0, 0, &ansi) || !sendW(w, WM_GETTEXTLENGTH, 0, 0, &wide))
        return fail(result);
    if (ansi < 0) ansi = 0;
    if (wide < 0) wide = 0;
    *result = ansi > 2 * wide ? ansi : 2 * wide;
    return true;
}

bool sendGetText(HWND w, WPARAM cap, char* out, LRESULT* result) {
    if (!sendA(w, WM_GETTEXT, cap, reinterpret_cast<LPARAM>(out), result)) return false;
    if (*result > 0 || cap < 2 || out == nullptr) return true;
    // An empty answer: the control may have a text that did not fit (Wine's rich edit).
    LRESULT wideLength = 0;
    if (!sendW(w, WM_GETTEXTLENGTH, 0, 0, &wideLength) || wideLength <= 0) return true;
    std::vector<wchar_t> wide(static_cast<std::size_t>(wideLength) + 1, L'\0');
    LRESULT units = 0;
    if (!sendW(w, WM_GETTEXT, wide.size(), reinterpret_cast<LPARAM>(wide.data()), &units) || units <= 0)
        return true;
    if (units > wideLength) units = wideLength;
    *result = copyCut(toAnsi(wide.data(), static_cast<int>(units)), static_cast<std::size_t>(cap) - 1, out);
    return true;
}

} // namespace win32

bool win32::WindowSystemWin32::sendMessage(Hwnd w, std::uint32_t msg, std::uintptr_t wParam,
                                           std::intptr_t lParam, std::intptr_t* result) {
    const HWND h = toNative(w);
    char* text = reinterpret_cast<char*>(lParam);
    LRESULT answer = 0;
    bool answered = false;
    switch (msg) {
    case LB_GETTEXT: answered = sendListText(h, LB_GETTEXTLEN, LB_GETTEXT, wParam, text, &answer); break;
    case CB_GETLBTEXT:
        answered = sendListText(h, CB_GETLBTEXTLEN, CB_GETLBTEXT, wParam, text, &answer);
        break;
    case WM_GETTEXTLENGTH: answered = sendTextLength(h, &answer); break;
    case WM_GETTEXT: answered = sendGetText(h, wParam, text, &answer); break;
    default: answered = sendA(h, msg, wParam, lParam, &answer); break;
    }
    *result = answered ? static_cast<std::intptr_t>(answer) : 0;
    return answered;
}

} // namespace vantor
