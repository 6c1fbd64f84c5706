// Internal declarations of the specimen application: its options, its window classes and the helpers that
// fill its controls from specimen_contents.h. The specimen is one process with one user-interface thread;
// everything declared here runs on that thread unless its comment says otherwise.
#pragma once

#include <windows.h>

struct IAccessible; // <oleacc.h>, which only specimen_accessible.cpp needs

namespace vantor {
namespace specimen {

// What the command line asked for; counts are totals (see specimen_contents.h), times in milliseconds,
// -1 where the option was not given.
struct Options {
    bool unicodeWindow; // --unicode-window: also the Unicode window (specimen_unicode.h)
    int rows;
    int columns; // list-view columns: kListViewColumnCount (default) or kListViewMaxColumns
    int treeItems;
    int toolbarButtons;
    int hangAfterMs;
    int exitAfterMs;
    int contextMenuAfterMs;
    int changeEveryMs;   // status bar part 1 and list-view cell (0, 1) take a new text this often
    const char* title;   // window title of the top-level window
    int ownerDrawnItems; // items of the owner-drawn list box; 0: no such list box
    int accessibleItems; // --accessible-items N: a group of N more items in the self-drawn control
    int accessibleMode;  // --accessible-mode: kAccessible* of specimen_contents.h
    int unicodeListRows; // --unicode-list-rows N: also the large Unicode list view's window; 0: none
};

// The options a specimen starts from when the command line names none.
extern const Options kDefaultOptions;

// What the running specimen keeps for its whole run, in one object (state()). User-interface thread only,
// but for options: set once in WinMain before any window exists, read-only afterwards (the accessible
// answers read it on their own thread).
struct SpecimenState {
    Options options = kDefaultOptions; // the options the specimen was started with
    HMENU contextMenu = nullptr;       // the context menu while it is shown
    int changeTicks = 0;               // the texts' changes so far (--change-every)
    // The self-drawn control's accessible objects (specimen_accessible.cpp), built at the first
    // WM_GETOBJECT that asks for them and kept to the end.
    IAccessible* accessibleRoot = nullptr;
};
SpecimenState& state();

// Parses argv (code page 932 texts) into out, starting from the defaults; returns false for an unknown
// option, a missing value, a value that is not a non-negative number, or --columns other than 3 or 4.
// --unicode-window takes no value.
bool parseOptions(int argc, char** argv, Options* out);

// Window classes: each registers its class with the instance; false when registration fails.
bool registerMainWindowClass(HINSTANCE instance);
bool registerFrameClass(HINSTANCE instance);
bool registerPanelClass(HINSTANCE instance);
bool registerGridClass(HINSTANCE instance); // the self-drawn control with accessible objects

// Creates the top-level window with all its children and its menu bar; null on failure.
HWND createMainWindow(HINSTANCE instance);
// The Unicode window with its children (its class registered first), shown; null on failure
// (specimen_unicode.cpp).
HWND createUnicodeWindow(HINSTANCE instance);
// The window "Vantor Specimen Unicode List" (class "VantorSpecimenUnicodeList"): one list view of rows x 4
// cells, texts outside code page 932, all through the W API; shown; null on failure.
HWND createUnicodeListWindow(HINSTANCE instance, int rows);

// Builders for the controls' contents (specimen_controls.cpp).
HMENU buildMenuBar();
// The context menu of kContextMenu (greyed item greyed), without kContextMenuAdded.
HMENU buildContextMenu();
void fillListView(HWND listView, int rows, int columns);
void fillTreeView(HWND treeView, int items);
void fillTabs(HWND tabControl);
void fillToolbar(HWND toolbar, int buttons);
void fillAppsToolbar(HWND toolbar);
void fillListBox(HWND listBox);
void fillOwnerDrawnList(HWND listBox, int items);
// WM_MEASUREITEM and WM_DRAWITEM of the owner-drawn list box: row height, and the record's text drawn.
void measureOwnerDrawnItem(MEASUREITEMSTRUCT* measure);
void drawOwnerDrawnItem(const DRAWITEMSTRUCT* draw);
void fillComboBox(HWND comboBox);
void fillStatusBar(HWND statusBar, const char* const* parts, int count);
void fillLongStatusBar(HWND statusBar);

// The font every child window uses (the stock GUI font).
HFONT guiFont();

} // namespace specimen
} // namespace vantor
