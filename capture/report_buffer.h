// The report text buffer: one growable ANSI text and the count of line feeds appended to it. A capture
// session's report is reached only through the session's capture lock (capture/capture_lock.h), which keeps
// the capture's thread and the user-interface thread apart; the buffer has no lock of its own.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__GNUC__) || defined(__clang__)
#define VANTOR_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define VANTOR_PRINTF(fmt, args)
#endif

namespace vantor {

struct ReportBuffer {
    // The whole report, NUL-terminated, exactly the appended bytes; null when nothing was appended since
    // the last clear.
    char* text = nullptr;
    // Line-feed bytes appended since the last clear (not recomputed from text).
    std::int32_t lineCount = 0;

    ReportBuffer() = default;
    ~ReportBuffer();
    ReportBuffer(const ReportBuffer&) = delete;
    ReportBuffer& operator=(const ReportBuffer&) = delete;

    // printf-style; a null format appends nothing. The formatted text is appended up to its first zero
    // byte, whatever its length.
    void appendFormat(const char* format, ...) VANTOR_PRINTF(2, 3);
    // At most count bytes of source, stopping at a zero byte; line feeds among the first count bytes are
    // counted. A null source appends nothing.
    void append(const char* source, std::size_t count);
    void clear();
    // Bytes of text (0 when empty).
    std::size_t length() const { return size; }

  private:
    void appendBytes(const char* bytes, std::size_t n);
    std::size_t size = 0;
    std::size_t capacity = 0;
};

} // namespace vantor
