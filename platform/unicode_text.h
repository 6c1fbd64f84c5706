// Conversions between UTF-16 (what the wide messages of a Unicode window answer) and UTF-8 (what structured
// output writes). A lone surrogate or a malformed UTF-8 sequence becomes U+FFFD, so that every output is
// well-formed. Pure functions; any thread.
#pragma once

#include <cstddef>
#include <string>

namespace vantor {

std::string utf8FromUtf16(const std::u16string& text);
std::u16string utf16FromUtf8(const std::string& text);

// The first n units of text without splitting a surrogate pair: one less when unit n - 1 is a high
// surrogate (a wide read cut at its buffer's end).
std::size_t utf16CutLength(const std::u16string& text, std::size_t n);

// Whether units[0, n) is a whole UTF-16 text as another process may be trusted to have sent it: no NUL unit
// and every surrogate in a pair. Unit: char16_t, or a record's std::uint16_t.
template <typename Unit> bool soundUtf16(const Unit* units, std::size_t n) {
    const auto high = [](unsigned u) { return u >= 0xD800 && u <= 0xDBFF; };
    const auto low = [](unsigned u) { return u >= 0xDC00 && u <= 0xDFFF; };
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned u = units[i];
        if (u == 0 || low(u)) return false;
        if (!high(u)) continue;
        if (i + 1 >= n || !low(units[i + 1])) return false;
        ++i;
    }
    return true;
}

} // namespace vantor
