# Shared by scripts/test and scripts/run (sourced, not run): the repository root, the build directories and
# the check that decides whether scripts/setup must run first.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_root=${VANTOR_BUILD_ROOT:-$root/build}
harness=$root/tests/wine/harness.sh
jobs=2

# True when a tool, GoogleTest's sources, the 32-bit Wine loader or the Japanese locale is missing.
needs_setup() {
    local tool
    for tool in cmake ninja g++ clang++ x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres \
        i686-w64-mingw32-g++-posix i686-w64-mingw32-windres wine wineserver Xvfb xdotool iconv import zip unzip \
        sha256sum; do
        command -v "$tool" >/dev/null || return 0
    done
    [ -f /usr/src/googletest/CMakeLists.txt ] || return 0
    [ -x /usr/lib/wine/wine ] || return 0
    [ -f /usr/include/nlohmann/json.hpp ] || return 0
    ! locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'
}

ensure_setup() {
    if needs_setup; then
        bash "$root/scripts/setup" || exit 1
    fi
}

# Configures (Ninja) and builds one build directory; extra arguments go to cmake. Prints the configure log's
# tail when configuring fails.
configure_and_build() {
    local name=$1 dir=$2
    shift 2
    echo "==== $name: configure and build ($dir)"
    mkdir -p "$dir"
    if ! cmake -S "$root" -B "$dir" -G Ninja "$@" >"$dir/configure.log" 2>&1; then
        tail -n 30 "$dir/configure.log"
        return 1
    fi
    cmake --build "$dir" -j "$jobs"
}

native_args=(-DCMAKE_BUILD_TYPE=Debug)
asan_args=(-DCMAKE_BUILD_TYPE=Debug -DVANTOR_SANITIZE=ON)
win_args=(-DCMAKE_BUILD_TYPE=Release "-DCMAKE_TOOLCHAIN_FILE=$root/cmake/mingw-w64-x86_64.cmake")
