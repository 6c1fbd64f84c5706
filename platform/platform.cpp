// Holds the platform in use; set once before other threads start.
#include "platform/platform.h"

namespace vantor {

namespace {
Platform current{nullptr, nullptr, nullptr};
}

Platform& platform() {
    return current;
}
void setPlatform(const Platform& p) {
    current = p;
}

} // namespace vantor
