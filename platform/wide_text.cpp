// The conversions through the wide window system in use (installed with the platform, see installed.cpp).
#include "platform/wide_text.h"

#include "platform/unicode_text.h"

namespace vantor {

std::string utf8FromAnsi(const std::string& text) {
    WideWindowSystem* wide = wideWindows();
    return wide != nullptr && !text.empty() ? utf8FromUtf16(wide->fromAnsi(text)) : std::string();
}

} // namespace vantor
