// Holds the wide window system in use; set once with the platform.
#include "platform/wide_text.h"

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

} // namespace vantor
