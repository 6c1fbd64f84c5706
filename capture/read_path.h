// Which way the list-view, tree-view, list-box and combo-box readers read another process's control: the
// setting that forces the cross-process exchanges, and an observer told which way each control was read. Kept
// apart from the bulk session (capture/bulk_session.h) so that Win32 files can include it after <windows.h>.
//
// Threads: the setting and the observer are set on the main thread before captures run; reportReadPath and
// the clock are called by the readers on any thread.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace vantor {

// False forces the cross-process path (the setting ForceCrossProcess, vantor-cli --cross-process).
void setBulkReadingAllowed(bool allowed);
bool bulkReadingAllowed();

// Told, for each list view, tree view, list box and combo box read, which path it took ("bulk",
// "cross-process", or kBulkFinishedAcross when the bulk answers stopped holding up and the rest was read
// across processes); for vantor-cli --verbose. Null for none.
using ReadPathObserver = void (*)(Hwnd control, const char* reader, const char* path);
void setReadPathObserver(ReadPathObserver observer);
void reportReadPath(Hwnd control, const char* reader, bool bulk);
void reportReadPath(Hwnd control, const char* reader, const char* path);
constexpr char kBulkFinishedAcross[] = "bulk, the rest cross-process";

// Milliseconds of a steady clock; the unit tests install their own.
using BulkClock = std::uint64_t (*)();
void setBulkClock(BulkClock clock);
std::uint64_t bulkNowMs();

} // namespace vantor
