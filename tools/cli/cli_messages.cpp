// vantor-cli's messages on stderr and its code page conversion: with --encoding utf-8 every message (window
// titles and class names included) is converted from code page 932 to UTF-8 before it is written.
//
// Threads: the program's one thread; the encoding is set once before the command runs.
#include <cstdarg>
#include <cstdio>
#include <string>

#include "cli.h"
#include "platform/wide_text.h"

namespace vantor {
namespace cli {

void setMessageEncoding(Encoding encoding) {
    cliState().messageEncoding = encoding;
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
    if (cliState().messageEncoding == Encoding::Utf8) text = utf8FromCodePage(text);
    std::fwrite(text.data(), 1, text.size(), stderr);
}

std::string utf8FromCodePage(const std::string& bytes) {
    return utf8FromAnsi(bytes);
}

} // namespace cli
} // namespace vantor
