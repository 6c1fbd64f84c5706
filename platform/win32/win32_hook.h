// msghook.dll on the program's side: loading it at run time from the program's directory, setting and
// removing its hooks, and making it the hook library of the platform seam (platform/hook_library.h), so
// that the hook intake pops its records. Without the library (or without its exports) every call here does
// nothing and the program runs on without hook records and without menu snapshots.
//
// Threads: loadHookLibrary, setHook, freeHook and unloadHookLibrary on the program's main thread, before
// and after other threads use the platform.
#pragma once

namespace vantor {

// Loads "<directory>\msghook.dll"; true when it was found with its exports.
bool loadHookLibrary(const char* directory);
void setHook();
void freeHook();
void unloadHookLibrary();
// Records the library dropped so far (full queue or queue lock not had in time); 0 without the library.
unsigned long hookDroppedCount();

} // namespace vantor
