// Holds the hook library in use; without one, nothing is ever queued.
#include "platform/hook_library.h"

namespace vantor {

namespace {

class AbsentHookLibrary : public HookLibrary {
  public:
    int popMessage(wire::HookRecord*, int) override { return 0; }
    void debugOutput(const char*) override {}
};

AbsentHookLibrary absent;
HookLibrary* current = &absent;

} // namespace

HookLibrary& hookLibrary() {
    return *current;
}

void setHookLibrary(HookLibrary* library) {
    current = library != nullptr ? library : &absent;
}

} // namespace vantor
