// The records the capture engine keeps for the program's lifetime rather than per capture: the window tree's
// root and the blocks parked in other processes. Everything one capture needs is its CaptureSession
// (capture/capture_session.h); what the user interface knows across captures is its controller
// (triggers/capture_commands.h).
#pragma once

namespace vantor {

// Creates windowRoot ("Root Window"); destroys it again and settles the parked blocks. On the
// user-interface thread while no worker runs (start-up, shutdown, tests).
void createCaptureState();
void destroyCaptureState();

} // namespace vantor
