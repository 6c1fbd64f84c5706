// Conversions between UTF-16 (what the wide messages of a Unicode window answer) and UTF-8 (what structured
// output writes). A lone surrogate or a malformed UTF-8 sequence becomes U+FFFD, so that every output is
// well-formed. Pure functions; any thread.
#pragma once

#include <string>

namespace vantor {

std::string utf8FromUtf16(const std::u16string& text);
std::u16string utf16FromUtf8(const std::string& text);

// The first n units of text without splitting a surrogate pair: one less when unit n - 1 is a high
// surrogate (a wide read cut at its buffer's end).
std::size_t utf16CutLength(const std::u16string& text, std::size_t n);

} // namespace vantor
