// The capture engine's process-wide state (see engine_state.h).
#include "capture/engine_state.h"

namespace vantor {

namespace {
EngineState state;
}

EngineState& engineState() {
    return state;
}

} // namespace vantor
