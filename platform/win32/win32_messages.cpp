// Messages to windows of any process, each with SMTO_ABORTIFHUNG and kMessageTimeoutMs, and the text
// messages that this Wine gets wrong (seen with Wine 8.0; Windows answers the A forms right, and the paths
// below give the same answers there):
//  - LB_GETTEXT / CB_GETLBTEXT sent as A to another process put UTF-16 into the ANSI buffer. The text is
//    read with the W form and converted to the ANSI code page.
//  - To a target that does not answer, LB_GETTEXT and CB_GETLBTEXT (either form) and the A forms of
//    LB_GETTEXTLEN, CB_GETLBTEXTLEN and WM_GETTEXTLENGTH block for ever: the time-out and SMTO_ABORTIFHUNG
//    are ignored. The W length messages time out properly, so each of these messages is preceded by the
//    W length message, and the A length messages are never sent: the ANSI length of an item comes from
//    its converted W text, and WM_GETTEXTLENGTH answers twice the W length (an ANSI code page takes at
//    most two bytes for a UTF-16 unit). That bound also covers the rich edit, whose A answer is 0 across
//    processes and the count of characters within one. A target that stops answering between the two
//    messages still blocks the caller.
//  - WM_GETTEXT sent as A to a rich edit answers 0 when the buffer is shorter than the text (leaving part
//    of the text in it, unterminated). After an answer of 0 the text is read again into a buffer of the
//    upper bound above and cut to the caller's buffer.
//
// Threads: any; the only state is each thread's own record of the last item length it asked for.
#include "platform/win32/win32_impl.h"

#include <cstring>
#include <vector>

#include "platform/win32/win32_platform.h"

namespace vantor {
namespace win32 {

namespace {

struct ListMessages {
    UINT length;
    UINT text;
};
constexpr ListMessages kListBox{LB_GETTEXTLEN, LB_GETTEXT};
constexpr ListMessages kComboBox{CB_GETLBTEXTLEN, CB_GETLBTEXT};

// An owner-drawn list without strings keeps item data instead of texts; LB_GETTEXT then copies the data,
// which must not be converted as text.
bool holdsStrings(HWND w, const ListMessages& m) {
    const LONG_PTR style = GetWindowLongPtrA(w, GWL_STYLE);
    if (m.text == LB_GETTEXT)
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

// The item whose length this thread asked for last, and the answer.
struct LastLength {
    HWND window;
    UINT msg;
    WPARAM index;
    LRESULT length;
};
thread_local LastLength lastLength{};

bool fail(LRESULT* result) {
    *result = 0;
    return false;
}

// The text of one item in the ANSI code page. False when the target did not answer; *error is set (and the
// text empty) when it answered LB_ERR / CB_ERR.
bool readItem(HWND w, const ListMessages& m, WPARAM index, std::vector<char>* ansi, LRESULT* error) {
    ansi->clear();
    *error = 0;
    LRESULT units = 0;
    if (!sendW(w, m.length, index, 0, &units)) return false;
    if (units < 0) {
        *error = units;
        return true;
    }
    std::vector<wchar_t> wide(static_cast<std::size_t>(units) + 1, L'\0');
    LRESULT got = 0;
    if (!sendW(w, m.text, index, reinterpret_cast<LPARAM>(wide.data()), &got)) return false;
    if (got < 0) {
        *error = got;
        return true;
    }
    if (got > units) got = units; // the item grew in between: keep to the buffer asked for
    *ansi = toAnsi(wide.data(), static_cast<int>(got));
    return true;
}

// Item data instead of a text (owner-drawn list without strings): the A message, once the W length
// message has shown that the target answers.
bool sendItemData(HWND w, const ListMessages& m, UINT msg, WPARAM index, LPARAM lParam, LRESULT* result) {
    LRESULT probe = 0;
    if (!sendW(w, m.length, index, 0, &probe)) return false;
    return sendA(w, msg, index, lParam, result);
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

bool sendListTextLength(HWND w, bool comboBox, WPARAM index, LRESULT* result) {
    const ListMessages& m = comboBox ? kComboBox : kListBox;
    lastLength = LastLength{};
    if (!holdsStrings(w, m)) return sendItemData(w, m, m.length, index, 0, result);
    std::vector<char> ansi;
    LRESULT error = 0;
    if (!readItem(w, m, index, &ansi, &error)) return fail(result);
    *result = error != 0 ? error : static_cast<LRESULT>(ansi.size());
    if (error == 0) lastLength = LastLength{w, m.length, index, *result};
    return true;
}

// The caller's buffer holds the ANSI length (as sendListTextLength answered it) and the NUL. When this
// thread has just asked for the length of the same item, the text is cut to that length: an item that
// grew in between cannot overrun the buffer sized from it.
bool sendListText(HWND w, bool comboBox, WPARAM index, char* out, LRESULT* result) {
    const ListMessages& m = comboBox ? kComboBox : kListBox;
    if (!holdsStrings(w, m)) return sendItemData(w, m, m.text, index, reinterpret_cast<LPARAM>(out), result);
    if (out == nullptr) return sendListTextLength(w, comboBox, index, result); // nothing to copy into
    std::vector<char> ansi;
    LRESULT error = 0;
    if (!readItem(w, m, index, &ansi, &error)) return fail(result);
    if (error != 0) { // no such item: the buffer stays as it is
        *result = error;
        return true;
    }
    std::size_t limit = ansi.size();
    const LastLength asked = lastLength;
    lastLength = LastLength{};
    if (asked.window == w && asked.msg == m.length && asked.index == index &&
        asked.length < static_cast<LRESULT>(limit))
        limit = static_cast<std::size_t>(asked.length);
    *result = copyCut(ansi, limit, out);
    return true;
}

bool sendTextLength(HWND w, LRESULT* result) {
    LRESULT units = 0;
    if (!sendW(w, WM_GETTEXTLENGTH, 0, 0, &units)) return false;
    *result = units > 0 ? 2 * units : 0;
    return true;
}

bool sendGetText(HWND w, WPARAM cap, char* out, LRESULT* result) {
    if (!sendA(w, WM_GETTEXT, cap, reinterpret_cast<LPARAM>(out), result)) return false;
    if (*result > 0 || cap == 0 || out == nullptr) return true;
    out[0] = '\0'; // no bytes copied is an empty text, whatever the control left in the buffer
    if (cap < 2) return true;
    // The control may have a text that did not fit: read it whole into a buffer of the upper bound.
    LRESULT units = 0;
    if (!sendW(w, WM_GETTEXTLENGTH, 0, 0, &units) || units <= 0) return true;
    std::vector<char> whole(2 * static_cast<std::size_t>(units) + 1, '\0');
    LRESULT got = 0;
    if (!sendA(w, WM_GETTEXT, whole.size(), reinterpret_cast<LPARAM>(whole.data()), &got) || got <= 0)
        return true;
    whole.back() = '\0';
    whole.resize(std::strlen(whole.data()));
    *result = copyCut(whole, static_cast<std::size_t>(cap) - 1, out);
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
    case LB_GETTEXTLEN: answered = sendListTextLength(h, false, wParam, &answer); break;
    case CB_GETLBTEXTLEN: answered = sendListTextLength(h, true, wParam, &answer); break;
    case LB_GETTEXT: answered = sendListText(h, false, wParam, text, &answer); break;
    case CB_GETLBTEXT: answered = sendListText(h, true, wParam, text, &answer); break;
    case WM_GETTEXTLENGTH: answered = sendTextLength(h, &answer); break;
    case WM_GETTEXT: answered = sendGetText(h, wParam, text, &answer); break;
    default: answered = sendA(h, msg, wParam, lParam, &answer); break;
    }
    if (!answered) {
        *result = 0;
        // Wine may have written into the buffer of an unanswered WM_GETTEXT; every unanswered text message
        // leaves an empty text.
        const bool textMessage =
            msg == LB_GETTEXT || msg == CB_GETLBTEXT || (msg == WM_GETTEXT && wParam > 0);
        if (textMessage && text != nullptr) text[0] = '\0';
        return false;
    }
    *result = static_cast<std::intptr_t>(answer);
    return true;
}

} // namespace vantor
