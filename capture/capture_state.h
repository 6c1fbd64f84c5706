// State the capture engine shares between the capture worker, the monitor pass and the user-interface
// thread: the three flags and the creation of the shared records. The flags are
// atomic; the report and the capture text tree are reached only through the capture lock
// (capture/capture_lock.h).
#pragma once

#include <atomic>

namespace vantor {

// A capture or monitoring pass runs.
extern std::atomic<bool> captureRunning;
// The user interface asks the running capture to stop; polled before each window and list-view query.
extern std::atomic<bool> stopRequested;
// Periodic monitoring is on.
extern std::atomic<bool> monitoringActive;

// Creates an empty report, an empty capture tree and windowRoot ("Root Window"); destroys them again.
// On the user-interface thread while no worker runs (start-up, shutdown, tests).
void createCaptureState();
void destroyCaptureState();

} // namespace vantor
