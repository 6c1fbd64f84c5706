// The fake desktop's wide side: Unicode windows and menus, and the conversions between its texts and what a
// message asks for, done with glibc's iconv tables of code page 932 (the ones Windows uses: the wave dash
// is U+FF5E, 0x5C is the backslash). Runs under the fake desktop's lock where it touches the desktop.
#include <iconv.h>

#include <cerrno>
#include <cstring>

#include "platform/fake/fake_text.h"
#include "platform/unicode_text.h"

namespace vantor {
namespace fake {

namespace {

// Converts with iconv; each input sequence iconv cannot take becomes `fallback` (skipping `skip` input
// bytes, or the whole character for UTF-16 input).
std::string convert(const char* to, const char* from, const std::string& input, const std::string& fallback,
                    bool utf16Input) {
    std::string out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return out;
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char buffer[256];
    while (inLeft > 0) {
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        const std::size_t r = iconv(cd, &in, &inLeft, &dst, &dstLeft);
        out.append(buffer, sizeof buffer - dstLeft);
        if (r != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        // Unconvertible or malformed: the default character for one character of input.
        std::size_t skip = 1;
        if (utf16Input) {
            const auto unit = static_cast<unsigned char>(in[0]) | (static_cast<unsigned char>(in[1]) << 8);
            skip = unit >= 0xD800 && unit <= 0xDBFF && inLeft >= 4 ? 4 : 2;
        }
        if (skip > inLeft) skip = inLeft;
        out += fallback;
        in += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

std::string utf16Bytes(const std::u16string& text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t u : text) {
        bytes.push_back(static_cast<char>(u & 0xFF));
        bytes.push_back(static_cast<char>(u >> 8));
    }
    return bytes;
}

std::u16string fromUtf16Bytes(const std::string& bytes) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return text;
}

} // namespace

std::u16string widenCp932(const std::string& text) {
    return fromUtf16Bytes(convert("UTF-16LE", "CP932", text, std::string("\xFD\xFF", 2), false));
}

std::u16string wideTextOf(FakeDesktop& d, const std::string& stored) {
    return d.answeringUnicodeWindow() ? utf16FromUtf8(stored) : widenCp932(stored);
}

std::string answerBytes(FakeDesktop& d, const std::string& stored, std::size_t* unit) {
    *unit = d.answeringWide() ? 2 : 1;
    if (d.answeringWide()) return utf16Bytes(wideTextOf(d, stored));
    if (d.answeringUnicodeWindow()) return d.toAnsi(utf16FromUtf8(stored));
    return stored;
}

std::intptr_t textLength(FakeDesktop& d, const std::string& stored) {
    std::size_t unit = 1;
    const std::string bytes = answerBytes(d, stored, &unit);
    return static_cast<std::intptr_t>(bytes.size() / unit);
}

bool FakeDesktop::isUnicodeWindow(Hwnd w) {
    std::lock_guard<std::recursive_mutex> g(lock);
    FakeWindow* fw = window(w);
    return fw != nullptr && fw->unicode;
}

bool FakeDesktop::menuItemTextW(Hmenu m, int position, std::u16string* out) {
    std::lock_guard<std::recursive_mutex> g(lock);
    out->clear();
    auto it = menus.find(m);
    if (it == menus.end() || position < 0 || position >= static_cast<int>(it->second.size())) return false;
    const FakeMenuItem& item = it->second[static_cast<std::size_t>(position)];
    if (item.separator) return true;
    *out = unicodeMenus.count(m) != 0 ? utf16FromUtf8(item.text) : widenCp932(item.text);
    return true;
}

std::u16string FakeDesktop::fromAnsi(const std::string& text) {
    return widenCp932(text);
}

std::string FakeDesktop::toAnsi(const std::u16string& text) {
    return convert("CP932", "UTF-16LE", utf16Bytes(text), "?", true);
}

} // namespace fake
} // namespace vantor
