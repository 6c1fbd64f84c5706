// Saving a file so that a failure never damages the file already there: the whole new content goes into a
// new file beside the target, every write and the close are checked, and only then does the new file
// replace the target in one step (SystemServices::replaceFile). On any failure the new file is removed and
// the target is left exactly as it was.
//
// Threads: any thread; the caller owns the target path for the duration of the call.
#pragma once

#include <cstddef>

namespace vantor {

// Replaces (or creates) the file at path by size bytes of data. False when any step failed.
bool replaceFileContents(const char* path, const char* data, std::size_t size);

} // namespace vantor
