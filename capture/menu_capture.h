// Menu capture: reading a menu (a window's menu bar or a pop-up menu) into the capture text tree, and the
// added-menu section that records menus other applications open.
//
// Threads: captureMenuBar and buildMenuTree on the thread of the session's capture; captureAddedMenu on
// the user-interface thread (hook intake). All of them take a session's lock themselves and must be called
// without it; addMenuItems touches only the node it is given.
#pragma once

#include <memory>
#include <string>

#include "capture/section_model.h"
#include "inventory/text_node.h"
#include "platform/platform.h"

namespace vantor {

class CaptureSession;

// The menu and window of the last added-menu section; none before the first and after startAddedMenuLoop.
// User-interface thread only.
Hmenu lastAddedMenu();
Hwnd lastAddedMenuWindow();

// Replaces the session's capture text tree by the items of the window's menu bar.
void captureMenuBar(CaptureSession& session, Hwnd window);
// Replaces the capture text tree by the items of menu; when menu has no items, by those of the menu bar of
// the window or its nearest ancestor that has one. Leaves the tree unchanged when none is found or window
// is none. Writes nothing into the report.
void buildMenuTree(CaptureSession& session, Hwnd window, Hmenu menu);
// Adds the items of menu below parent (text cut at its first tab; value = command id, or -1 with the
// sub-menu's items as children). A sub-menu that is already open on the path above is not entered again.
void addMenuItems(Hmenu menu, TextNode* parent);
// Adds an added-menu section for a menu another application opened to the report of `into` (the report
// the pane shows) and shows it. Ignored for the program's own windows and when the menu or the window
// equals the last added one (within one menu loop; see startAddedMenuLoop). The same as takeAddedMenu
// followed by writeAddedMenu.
void captureAddedMenu(CaptureSession& into, Hwnd window, Hmenu menu);

// A menu read for an added-menu section and not yet written: its items, the detached tree (null when no
// menu with items was found) and whether a part of it could not be read.
struct AddedMenu {
    SectionModel model;
    std::unique_ptr<TextNode> root;
    bool cut = false;
};
// Applies captureAddedMenu's filters and reads the menu at once into *out (the caller owns out->root); false
// when the event is ignored. The menu bar of a window is taken only as far as it is known without asking
// the window's thread: this runs on the user-interface thread, which must not wait for another application.
// ownMain: the program's main window (none outside the application), whose menus are not taken.
bool takeAddedMenu(Hwnd window, Hmenu menu, Hwnd ownMain, AddedMenu* out);
// Writes the section of a taken menu (its items, then failureLine when it is cut; failureLine alone when
// no menu was found) in a session of its own, which keeps the menu's tree, then gives the section to
// `into` (CaptureSession::addMenuSection: at once, or after the section a running capture is writing), with
// its "Menu" button and the report shown. Takes ownership of menu.root.
void writeAddedMenu(CaptureSession& into, AddedMenu menu);
// A new menu loop has begun (WM_INITMENU): its first menu is taken even from the window of the last one.
void startAddedMenuLoop();

// The window whose menu was read and the text its tree's root gets (its title, or its class name when the
// title is empty).
struct MenuOwner {
    std::string title;
    Hwnd window{};
};
// Reads the items of menu (or, when it has none, of the menu bar of the window or its nearest ancestor that
// has one) into model, every item in walk order with its depth, id, sub-menu and separator flags, an item
// without text with none of its sub-menu. Status CutShort when a menu of the walk was read only in part.
// False when no menu with items was found. Takes no lock; askOwner as for readMenuTree.
bool readMenuSection(Hwnd window, Hmenu menu, bool askOwner, SectionModel* model, MenuOwner* owner);
// The detached tree of a read menu (items with a text; sub-menus with value -1). The caller owns it.
std::unique_ptr<TextNode> menuTreeOf(const SectionModel& model, const MenuOwner& owner);

// The detached tree buildMenuTree would install: a new root (text = window title, or class name when the
// title is empty; window = the window whose menu was read) with the items, or null when no menu with items
// was found. The caller owns it. Takes no lock. *cut (when given) tells whether a menu of the tree was read
// only in part. With askOwner false, a menu bar it falls back to is taken only as far as it is known
// without asking its window's thread.
std::unique_ptr<TextNode> readMenuTree(Hwnd window, Hmenu menu, bool* cut = nullptr, bool askOwner = true);

// Told about each window whose menu bar exists but whose items could not be read (the section then holds
// failureLine), with the platform's reason; for vantor-cli --verbose. Null for none.
using MenuProblemObserver = void (*)(Hwnd window, const char* reason);
void setMenuProblemObserver(MenuProblemObserver observer);
void reportMenuProblem(Hwnd window);

} // namespace vantor
