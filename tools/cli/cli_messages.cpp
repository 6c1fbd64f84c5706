// vantor-cli's messages on stderr and its code page conversion: with --encoding utf-8 every message (window
// titles and class names included) is converted from code page 932 to UTF-8 before it is written.
//
// Threads: the program's one thread; the encoding is set once before the command runs.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <string>

#include "cli.h"
#include "platform/unicode_text.h"

namespace vantor {
namespace cli {

namespace {
Encoding messageEncoding = Encoding::Cp932;
}

void setMessageEncoding(Encoding encoding) {
    messageEncoding = encoding;
}

void printError(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(&text[0], text.size() + 1, format, again);
    va_end(again);
    if (messageEncoding == Encoding::Utf8) text = utf8FromCodePage(text);
    std::fwrite(text.data(), 1, text.size(), stderr);
}

// MultiByteToWideChar of the ANSI code page (932 here), then UTF-8.
std::string utf8FromCodePage(const std::string& bytes) {
    if (bytes.empty()) return std::string();
    const int count = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), count, nullptr, 0);
    if (units <= 0) return std::string();
    std::u16string wide(static_cast<std::size_t>(units), u'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), count, reinterpret_cast<wchar_t*>(&wide[0]), units);
    return utf8FromUtf16(wide);
}

} // namespace cli
} // namespace vantor
