// Holds the wide window system in use; set once with the platform.
#include "platform/wide_text.h"

#include "platform/unicode_text.h"

namespace vantor {

namespace {
WideWindowSystem* current = nullptr;
}

WideWindowSystem* wideWindows() {
    return current;
}
void setWideWindows(WideWindowSystem* w) {
    current = w;
}

std::string utf8FromAnsi(const std::string& text) {
    return current != nullptr && !text.empty() ? utf8FromUtf16(current->fromAnsi(text)) : std::string();
}

} // namespace vantor
