// Menu capture: the menu walk into section items, the menu bar for the dispatcher and the added-menu
// section. The walk reads without a lock; only installing the tree and appending the section take a
// session's lock (capture/capture_lock.h). captureAddedMenu runs on the user-interface thread, the rest on
// the thread of the session's capture.
#include "capture/menu_capture.h"

#include <atomic>
#include <cstring>
#include <vector>

#include "capture/capture_lock.h"
#include "capture/capture_session.h"
#include "capture/capture_ui.h"
#include "capture/engine_state.h"
#include "capture/section_format.h"
#include "capture/section_tree.h"
#include "inventory/window_tree.h"

namespace vantor {

namespace {

// The item's text cut at its first tab (the accelerator text); empty for a separator or an unreadable item.
// False when the item could not be read.
bool itemText(Hmenu menu, int position, MenuItem* item) {
    if (!ws().menuItem(menu, position, item)) {
        *item = MenuItem{};
        item->separator = true;
        return false;
    }
    item->text[sizeof item->text - 1] = '\0';
    if (char* tab = std::strchr(item->text, '\t')) *tab = '\0';
    return true;
}

// Adds the items of menu at depth to *items (an item without text, such as a separator, with none of its
// sub-menu). path holds the menus open above, so that a menu reachable from itself is not walked forever.
// *cut is set when a menu of the walk was read only in part.
void addItems(Hmenu menu, int depth, std::vector<SectionItem>* items, std::vector<Hmenu>* path, bool* cut) {
    const int n = ws().menuItemCount(menu);
    if (isNull(menu) || n <= 0) return;
    if (ws().menuCut(menu)) *cut = true;
    path->push_back(menu);
    MenuItem item;
    for (int p = 0; p < n; ++p) {
        // An item counted but not read (a snapshot that went away in the middle of the walk) leaves the menu
        // incomplete: skipped like an empty item, and the section ends with the failure line.
        if (!itemText(menu, p, &item)) *cut = true;
        SectionItem read;
        read.text = item.text;
        read.depth = depth;
        read.id = item.id;
        read.separator = item.separator;
        read.checked = item.checked;
        read.greyed = item.greyed;
        read.subMenu = !isNull(item.subMenu);
        read.menu = menu;
        read.position = p;
        items->push_back(read);
        if (item.text[0] == '\0' || !read.subMenu) continue;
        bool open = false;
        for (Hmenu m : *path)
            open = open || m == item.subMenu;
        if (!open && ws().menuItemCount(item.subMenu) < 0) *cut = true; // a sub-menu that cannot be read
        if (!open) addItems(item.subMenu, depth + 1, items, path, cut);
    }
    path->pop_back();
}

// The items with a text: the nodes of a menu's text tree.
std::vector<SectionItem> itemsWithText(const std::vector<SectionItem>& items) {
    std::vector<SectionItem> kept;
    for (const SectionItem& item : items)
        if (!item.text.empty()) kept.push_back(item);
    return kept;
}

std::unique_ptr<TextNode> treeOf(const SectionModel& model, const MenuOwner& owner) {
    auto root = std::make_unique<TextNode>();
    root->setText(owner.title.c_str());
    root->window = owner.window;
    appendItemNodes(itemsWithText(model.items), root.get());
    return root;
}

} // namespace

bool readMenuSection(Hwnd window, Hmenu menu, bool askOwner, SectionModel* model, MenuOwner* owner) {
    model->control = window;
    model->status = SectionStatus::Failed;
    model->path = SectionPath::Messages;
    *owner = MenuOwner{};
    if (isNull(window)) return false;
    char title[256];
    char className[256];
    int n = 0;
    for (int i = 0; i < kMaxAncestors; ++i) {
        std::memset(title, 0, sizeof title);
        std::memset(className, 0, sizeof className);
        ws().windowText(window, title, sizeof title);
        ws().className(window, className, sizeof className);
        n = ws().menuItemCount(menu);
        if (!isNull(menu) && n > 0) break;
        n = 0;
        Hwnd up = ws().parent(window);
        if (isNull(up)) return false;
        window = up;
        menu = askOwner ? ws().menuOf(window) : ws().knownMenuOf(window);
    }
    if (n <= 0) return false;
    owner->title = title[0] != '\0' ? title : className;
    owner->window = window;
    std::vector<Hmenu> path;
    bool cut = false;
    addItems(menu, 0, &model->items, &path, &cut);
    model->status = cut ? SectionStatus::CutShort : SectionStatus::Read;
    return true;
}

std::unique_ptr<TextNode> menuTreeOf(const SectionModel& model, const MenuOwner& owner) {
    return treeOf(model, owner);
}

std::unique_ptr<TextNode> readMenuTree(Hwnd window, Hmenu menu, bool* cut, bool askOwner) {
    SectionModel model;
    MenuOwner owner;
    const bool found = readMenuSection(window, menu, askOwner, &model, &owner);
    if (cut != nullptr) *cut = found && model.status == SectionStatus::CutShort;
    return found ? treeOf(model, owner) : nullptr;
}

void buildMenuTree(CaptureSession& session, Hwnd window, Hmenu menu) {
    std::unique_ptr<TextNode> root = readMenuTree(window, menu);
    if (root == nullptr) return;
    CaptureLock hold(session);
    hold.replaceTree(std::move(root));
}

void captureMenuBar(CaptureSession& session, Hwnd window) {
    buildMenuTree(session, window, ws().menuOf(window));
}

void addMenuItems(Hmenu menu, TextNode* parent) {
    if (parent == nullptr) return;
    std::vector<Hmenu> path;
    std::vector<SectionItem> items;
    bool cut = false;
    addItems(menu, 0, &items, &path, &cut);
    appendItemNodes(itemsWithText(items), parent);
}

bool takeAddedMenu(Hwnd window, Hmenu menu, Hwnd ownMain, AddedMenu* out) {
    *out = AddedMenu{};
    if (!isNull(ownMain) && (window == ownMain || topLevelAncestor(window) == ownMain)) return false;
    // After startAddedMenuLoop both are none, and no event equals them.
    if ((!isNull(engineState().lastAddedMenu) && menu == engineState().lastAddedMenu) ||
        (!isNull(engineState().lastAddedMenuWindow) && window == engineState().lastAddedMenuWindow))
        return false;
    engineState().lastAddedMenu = menu;
    engineState().lastAddedMenuWindow = window;
    MenuOwner owner;
    if (readMenuSection(window, menu, false, &out->model, &owner)) out->root = treeOf(out->model, owner);
    out->cut = out->model.status == SectionStatus::CutShort;
    return true;
}

Hmenu lastAddedMenu() {
    return engineState().lastAddedMenu;
}
Hwnd lastAddedMenuWindow() {
    return engineState().lastAddedMenuWindow;
}

void startAddedMenuLoop() {
    engineState().lastAddedMenu = Hmenu{};
    engineState().lastAddedMenuWindow = Hwnd{};
}

void writeAddedMenu(CaptureSession& into, AddedMenu menu) {
    // The menu's tree is kept in a session of its own, which into takes over when the section lands at once.
    CaptureSession own(&into.ui(), into.listSeparator(), into.readPath());
    if (menu.root != nullptr) CaptureLock(own).replaceTree(std::move(menu.root));
    std::string items;
    formatAddedMenu(menu.model, &items);
    into.addMenuSection(items, &own);
}

void captureAddedMenu(CaptureSession& into, Hwnd window, Hmenu menu) {
    AddedMenu taken;
    if (takeAddedMenu(window, menu, into.ui().mainWindow(), &taken)) writeAddedMenu(into, std::move(taken));
}

void setMenuProblemObserver(MenuProblemObserver observer) {
    engineState().menuProblemObserver = observer;
}

void reportMenuProblem(Hwnd window) {
    const MenuProblemObserver fn = engineState().menuProblemObserver;
    if (fn == nullptr) return;
    const char* reason = ws().menuProblem();
    fn(window, reason != nullptr && reason[0] != '\0' ? reason : "the menu's items could not be read");
}

} // namespace vantor
