// Writing a new file beside the target and replacing the target with it (see file_replace.h).
#include "app/file_replace.h"

#include <cstdio>
#include <string>

#include "platform/platform.h"

namespace vantor {

namespace {

bool exists(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    std::fclose(f);
    return true;
}

// A name beside the target that no file has yet, so that no file of the user's is overwritten on the way.
bool freshNameBeside(const char* path, std::string* out) {
    for (int n = 0; n < 100; ++n) {
        *out = std::string(path) + ".vantor-new";
        if (n > 0) *out += std::to_string(n);
        if (!exists(*out)) return true;
    }
    return false;
}

} // namespace

bool replaceFileContents(const char* path, const char* data, std::size_t size) {
    if (path == nullptr || path[0] == '\0') return false;
    std::string newPath;
    if (!freshNameBeside(path, &newPath)) return false;
    std::FILE* f = std::fopen(newPath.c_str(), "wb");
    if (f == nullptr) return false;
    // A short write (a full disk, a network drive that fails), a failed flush or close: the new file is
    // incomplete and must not replace the target.
    bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    ok = std::fflush(f) == 0 && ok;
    ok = std::ferror(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    if (!ok || !sys().replaceFile(newPath.c_str(), path)) {
        std::remove(newPath.c_str());
        return false;
    }
    return true;
}

} // namespace vantor
