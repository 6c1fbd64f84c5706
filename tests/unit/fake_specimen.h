// A fake desktop copy of the specimen application (tools/specimen): the same windows in the same z-order,
// with the same class names, titles, menu bar and control contents (tools/specimen/specimen_contents.h), so
// that a unit test can read on the fake what a Wine test reads from the real specimen.
//
// Threads: build it on the test's thread before anything reads it.
#pragma once

#include <cstdint>

#include "platform/fake/fake_desktop.h"

namespace vantor {
namespace fake {

// The specimen's command-line options that change its contents (-1: the default).
struct SpecimenLayout {
    int rows = -1;               // list-view rows (--rows)
    int treeItems = -1;          // tree-view items (--tree-items)
    int toolbarButtons = -1;     // buttons of the first toolbar (--toolbar-buttons)
    const char* title = nullptr; // window title (--title)
};

// The windows of one specimen, as addSpecimen made them.
struct SpecimenWindows {
    Hwnd top, toolbar, appsToolbar, listView, listBox, comboBox, comboEdit, treeView, tabControl, edit, stat,
        button, frame, panel, panelStatusBar, statusBar, longStatusBar, grid;
    Hmenu menuBar;
};

// Adds a top-level specimen window of process pid (at the bottom of the z-order) with all its children and
// its menu bar.
SpecimenWindows addSpecimen(FakeDesktop& d, std::uint32_t pid,
                            const SpecimenLayout& layout = SpecimenLayout());

} // namespace fake
} // namespace vantor
