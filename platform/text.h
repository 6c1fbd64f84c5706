// Byte-level text rules shared by every layer: code page 932 lead bytes and cuts that never split a
// double-byte character, ASCII-only case folding (double-byte characters compare as they are), and the
// element count of an array. Pure functions; any thread.
#pragma once

#include <cstddef>

namespace vantor {

// A first byte of a double-byte character in code page 932.
constexpr bool isCp932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// How many of the first n bytes of text fit into max bytes without splitting a double-byte character (a
// lead byte as the last of the n bytes counts as a character of its own).
inline std::size_t cp932CutLength(const char* text, std::size_t n, std::size_t max) {
    std::size_t kept = 0;
    while (kept < n) {
        const bool lead = isCp932LeadByte(static_cast<unsigned char>(text[kept]));
        const std::size_t step = lead && kept + 1 < n ? 2 : 1;
        if (kept + step > max) break;
        kept += step;
    }
    return kept;
}

// A-Z to a-z; every other byte as it is.
constexpr unsigned char foldAscii(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// When text begins with prefix (ASCII case folded), the rest of text after it; null otherwise.
inline const char* afterPrefixIgnoringAsciiCase(const char* text, const char* prefix) {
    for (; *prefix != '\0'; ++text, ++prefix)
        if (*text == '\0' ||
            foldAscii(static_cast<unsigned char>(*text)) != foldAscii(static_cast<unsigned char>(*prefix)))
            return nullptr;
    return text;
}

inline bool equalsIgnoringAsciiCase(const char* a, const char* b) {
    const char* rest = afterPrefixIgnoringAsciiCase(a, b);
    return rest != nullptr && *rest == '\0';
}

template <typename T, std::size_t N> constexpr int countOf(const T (&)[N]) {
    return static_cast<int>(N);
}

} // namespace vantor
