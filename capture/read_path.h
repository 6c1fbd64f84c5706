// Which way the list-view, tree-view, list-box and combo-box readers read another process's control: the
// choice each capture session makes (the bulk path allowed, or cross-process exchanges only), and an
// observer told which way each control was read. Kept apart from the bulk session (capture/bulk_session.h)
// so that Win32 files can include it after <windows.h>.
//
// Threads: the observer is set on the main thread before captures run; reportReadPath and the clock are
// called by the readers on any thread.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace vantor {

// A capture's choice of read path for other processes' controls: inside the target through the hook library
// where it answers (else across processes), or across processes only (the setting ForceCrossProcess,
// vantor-cli --cross-process). Fixed when the capture session is made; readers are handed it.
enum class ReadPathChoice { BulkAllowed, CrossProcessOnly };

// True asks a list view of a Unicode program for its texts wide on the bulk path, for the outputs that keep
// them whole (JSON, CSV): the kept model then holds them as UTF-8 and the report the system's code page 932
// conversion of them. False (the default) reads them with the ANSI messages, as the report wants.
void setWideBulkTexts(bool wanted);
bool wideBulkTexts();

// Told, for each list view, tree view, list box and combo box read, which path it took: "bulk",
// "cross-process (WHY)", or "bulk, the rest cross-process (WHY)" when later answers stopped holding up and
// the rest was read across processes; WHY is the reason the bulk path was not taken or was left. For
// vantor-cli --verbose. Null for none.
using ReadPathObserver = void (*)(Hwnd control, const char* reader, const char* path);
void setReadPathObserver(ReadPathObserver observer);
enum class ReadPath { Bulk, CrossProcess, BulkThenCrossProcess };
void reportReadPath(Hwnd control, const char* reader, ReadPath path);
inline void reportReadPath(Hwnd control, const char* reader, bool bulk) {
    reportReadPath(control, reader, bulk ? ReadPath::Bulk : ReadPath::CrossProcess);
}

// Milliseconds of a steady clock; the unit tests install their own.
using BulkClock = std::uint64_t (*)();
void setBulkClock(BulkClock clock);
std::uint64_t bulkNowMs();

} // namespace vantor
