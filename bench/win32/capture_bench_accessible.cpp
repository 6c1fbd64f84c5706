// Benchmark: the accessible-object reader against the specimen's self-drawn control under Wine. Starts the
// specimen with --accessible-items N (a group of N items besides the fixed tree) and times readAccessible
// inside the target (msghook.dll's bulk request: the walk with plain calls, the items in chunks) and across
// processes (every call marshalled), alternating over the rounds; prints the medians and the items read.
//   bench_capture_bench_accessible [--items N] [--rounds R]   (run under tests/wine/harness.sh)
// Runs by hand, never as a test. Threads: one, plus the specimen process.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "capture/accessible_reader.h"
#include "capture/capture_state.h"
#include "capture/read_path.h"
#include "capture_bench.h"
#include "platform/win32/win32_hook.h"
#include "platform/win32/win32_platform.h"

namespace {

using namespace vantor;
using namespace vantor::bench;

// One read; the seconds it took, and the items and cut in *items and *cut.
double timedRead(Hwnd grid, bool inTarget, std::size_t* items, unsigned* cut) {
    AccessibleModel model;
    const double start = nowSeconds();
    readAccessible(grid, inTarget ? ReadPathChoice::BulkAllowed : ReadPathChoice::CrossProcessOnly, &model);
    const double seconds = nowSeconds() - start;
    *items = model.tree.items.size();
    *cut = model.tree.cut;
    return seconds;
}

// The walk across processes without its overall bound (a minute): what the whole tree costs that way.
double unboundedWalk(Hwnd grid, std::size_t* items) {
    AccessibleLimits limits = accessibleLimits();
    limits.maxMs = 600000;
    AccessibleTree tree;
    const double start = nowSeconds();
    accessibility().walk(grid, limits, &tree);
    *items = tree.items.size();
    return nowSeconds() - start;
}

} // namespace

int main(int argc, char** argv) {
    int items = 10000;
    int rounds = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--items") == 0) items = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));
    }
    installWin32Platform();
    createCaptureState();
    if (!loadHookLibrary(exeDirectory().c_str())) {
        std::printf("msghook.dll not found beside the benchmark\n");
        return 1;
    }
    TargetProcess specimen;
    const std::string line = exeDirectory() + "\\specimen.exe --accessible-items " + std::to_string(items);
    if (!specimen.start(line)) return 1;
    HWND top = specimen.waitForWindow("VantorSpecimen", 60000);
    HWND grid = top != nullptr ? childOfClass(top, "VantorSpecimenGrid", 0) : nullptr;
    if (grid == nullptr) {
        std::printf("no specimen window\n");
        return 1;
    }
    std::vector<double> inside, across;
    std::size_t insideItems = 0, acrossItems = 0;
    unsigned insideCut = 0, acrossCut = 0;
    for (int r = 0; r < rounds; ++r) {
        inside.push_back(timedRead(toHwnd(grid), true, &insideItems, &insideCut));
        across.push_back(timedRead(toHwnd(grid), false, &acrossItems, &acrossCut));
    }
    std::printf("accessible items %d (+%d fixed), %d rounds, load %s\n", items, 13 + 1, rounds,
                loadAverage().c_str());
    std::printf("  inside the target: median %.3f s, %zu items read, cut %u\n", median(inside), insideItems,
                insideCut);
    std::printf("  across processes:  median %.3f s, %zu items read, cut %u\n", median(across), acrossItems,
                acrossCut);
    std::size_t whole = 0;
    const double unbounded = unboundedWalk(toHwnd(grid), &whole);
    std::printf("  across processes without the overall bound: %.3f s, %zu items read\n", unbounded, whole);
    unloadHookLibrary();
    return 0;
}
