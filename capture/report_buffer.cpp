// The report text buffer. Any thread may append, one at a time (the program's report is reached only through
// the capture lock); the buffer itself takes no lock.
#include "capture/report_buffer.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vantor {

namespace {

// Most formatted appends are one short line; longer ones fall back to a heap block of the exact size.
constexpr std::size_t kStackFormatBytes = 1024;
// First block size; later blocks double so that appending costs amortised O(1) per byte.
constexpr std::size_t kMinCapacity = 256;

std::size_t countLineFeeds(const char* bytes, std::size_t n) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < n; ++i)
        count += bytes[i] == '\n' ? 1 : 0;
    return count;
}

// The report cannot continue without memory; there is no sensible partial state to fall back to.
void* allocateOrDie(void* old, std::size_t bytes) {
    void* block = std::realloc(old, bytes);
    if (block == nullptr) {
        std::fputs("vantor: out of memory for the report\n", stderr);
        std::abort();
    }
    return block;
}

} // namespace

ReportBuffer::~ReportBuffer() {
    std::free(text);
}

void ReportBuffer::appendBytes(const char* bytes, std::size_t n) {
    const std::size_t needed = size + n + 1;
    if (text == nullptr || needed > capacity) {
        std::size_t grown = capacity < kMinCapacity ? kMinCapacity : capacity;
        while (grown < needed) {
            grown = grown > static_cast<std::size_t>(-1) / 2 ? needed : grown * 2;
        }
        text = static_cast<char*>(allocateOrDie(text, grown));
        capacity = grown;
    }
    if (n > 0) std::memcpy(text + size, bytes, n);
    size += n;
    text[size] = '\0';
}

void ReportBuffer::appendFormat(const char* format, ...) {
    if (format == nullptr) return;
    char local[kStackFormatBytes];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int full = std::vsnprintf(local, sizeof local, format, args);
    va_end(args);
    if (full < 0) { // an encoding error: nothing sensible to append
        va_end(again);
        return;
    }
    const char* formatted = local;
    char* heap = nullptr;
    std::size_t produced = static_cast<std::size_t>(full);
    if (produced >= sizeof local) {
        heap = static_cast<char*>(allocateOrDie(nullptr, produced + 1));
        std::vsnprintf(heap, produced + 1, format, again);
        formatted = heap;
    }
    va_end(again);
    // A zero byte produced by the format ends the appended text; line feeds after it do not count.
    const char* zero = static_cast<const char*>(std::memchr(formatted, '\0', produced));
    const std::size_t n = zero != nullptr ? static_cast<std::size_t>(zero - formatted) : produced;
    appendBytes(formatted, n);
    lineCount += static_cast<std::int32_t>(countLineFeeds(formatted, n));
    std::free(heap);
}

void ReportBuffer::append(const char* source, std::size_t count) {
    if (source == nullptr) return;
    const char* zero = static_cast<const char*>(std::memchr(source, '\0', count));
    const std::size_t n = zero != nullptr ? static_cast<std::size_t>(zero - source) : count;
    appendBytes(source, n);
    // Every line feed among the first count bytes counts, as callers pass exactly the source's length.
    lineCount += static_cast<std::int32_t>(countLineFeeds(source, count));
}

void ReportBuffer::clear() {
    std::free(text);
    text = nullptr;
    size = 0;
    capacity = 0;
    lineCount = 0;
}

} // namespace vantor
