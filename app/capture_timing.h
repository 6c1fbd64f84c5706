// Optional timing of a window capture in vantor.exe, for the capture benchmark
// (bench/win32/app_capture_bench_large.cpp): when the environment variable VANTOR_TIMING names a file, the
// time the capture worker spends waiting for the output pane (every showReport of the capture) is summed
// with QueryPerformanceCounter, and the figures are written to that file when the capture ends. Off (the
// variable not set) it costs one flag test per showReport.
// Threads: the capture worker (begin, end, and the showReport calls it makes); one capture at a time.
#pragma once

namespace vantor {

// Starts timing a capture when VANTOR_TIMING is set; otherwise does nothing.
void captureTimingBegin();
// True while a timed capture runs.
bool captureTimingOn();
// One showReport call of the timed capture took from start to end (QueryPerformanceCounter ticks).
void captureTimingAddReport(long long start, long long end);
// QueryPerformanceCounter now.
long long captureTimingNow();
// Ends the timed capture and writes its figures to the file (replacing it): the last showReport of the
// capture is the final publication, all the others are the refreshes while the capture ran.
//   capture_seconds S      from begin to end
//   refresh_calls N        showReport calls before the final one
//   refresh_seconds S      their sum
//   final_seconds S        the final publication
void captureTimingEnd();

} // namespace vantor
