// The trigger layer's state for the whole run (see triggers_state.h).
#include "triggers/triggers_state.h"

namespace vantor {

namespace {
TriggersState state;
}

TriggersState& triggersState() {
    return state;
}

} // namespace vantor
