// Menu capture: the menu walk into TextNodes, the menu bar for the dispatcher and the added-menu section.
// The walk builds a detached tree without the capture lock; only installing and printing it take the lock
// (capture/capture_lock.h). captureAddedMenu runs on the user-interface thread, the rest on the capture
// worker.
#include "capture/menu_capture.h"

#include <atomic>
#include <cstring>
#include <vector>

#include "capture/capture_lock.h"
#include "capture/capture_state.h"
#include "capture/capture_ui.h"
#include "capture/dispatcher.h"
#include "capture/report_buffer.h"
#include "inventory/window_tree.h"

namespace vantor {

Hmenu lastAddedMenu{};
Hwnd lastAddedMenuWindow{};

namespace {

constexpr char kAddedMenuHeader[] = "■ 追加メニュー\r\n";
constexpr char kAddedMenuSeparatorAndHeader[] =
    "----------------------------------------------------------------------------\r\n■ 追加メニュー\r\n";
// The item's text cut at its first tab (the accelerator text); empty for a separator or an unreadable item.
// False when the item could not be read.
bool itemText(Hmenu menu, int position, MenuItem* item) {
    if (!ws().menuItem(menu, position, item)) {
        item->text[0] = '\0';
        item->id = 0;
        item->subMenu = Hmenu{};
        item->separator = true;
        return false;
    }
    item->text[sizeof item->text - 1] = '\0';
    if (char* tab = std::strchr(item->text, '\t')) *tab = '\0';
    return true;
}

std::atomic<MenuProblemObserver> problemObserver{nullptr};

// Adds the items of menu below parent. path holds the menus open above, so that a menu reachable from
// itself is not walked forever. *cut is set when a menu of the walk was read only in part.
void addItems(Hmenu menu, TextNode* parent, std::vector<Hmenu>* path, bool* cut) {
    const int n = ws().menuItemCount(menu);
    if (isNull(menu) || n <= 0) return;
    if (ws().menuCut(menu)) *cut = true;
    path->push_back(menu);
    MenuItem item;
    for (int p = 0; p < n; ++p) {
        // An item counted but not read (a snapshot that went away in the middle of the walk) leaves the menu
        // incomplete: skipped like an empty item, and the section ends with the failure line.
        if (!itemText(menu, p, &item)) *cut = true;
        if (item.text[0] == '\0') continue;
        TextNode* node = new TextNode();
        node->setText(item.text);
        appendChild(node, parent);
        if (!isNull(item.subMenu)) {
            node->value = -1;
            bool open = false;
            for (Hmenu m : *path)
                open = open || m == item.subMenu;
            if (!open && ws().menuItemCount(item.subMenu) < 0) *cut = true; // a sub-menu that cannot be read
            if (!open) addItems(item.subMenu, node, path, cut);
        } else {
            node->value = item.id;
        }
    }
    path->pop_back();
}

// Appends the tree's items (or the failure line when there is none) inside the caller's locked region; a
// menu read only in part ends with the failure line.
void printMenuItems(CaptureLock& hold, const TextNode* root, bool cut) {
    const TextNode* first = root != nullptr ? root->firstChild : nullptr;
    if (first == nullptr) {
        hold.report().append(kFailureLine, std::strlen(kFailureLine));
        return;
    }
    printTextTree(hold, first, nullptr, true);
    if (cut) hold.report().append(kFailureLine, std::strlen(kFailureLine));
}

} // namespace

TextNode* readMenuTree(Hwnd window, Hmenu menu, bool* cut, bool askOwner) {
    bool cutHere = false;
    if (cut == nullptr) cut = &cutHere;
    *cut = false;
    if (isNull(window)) return nullptr;
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
        if (isNull(up)) return nullptr;
        window = up;
        menu = askOwner ? ws().menuOf(window) : ws().knownMenuOf(window);
    }
    if (n <= 0) return nullptr;
    TextNode* root = new TextNode();
    root->setText(title[0] != '\0' ? title : className);
    root->window = window;
    std::vector<Hmenu> path;
    addItems(menu, root, &path, cut);
    return root;
}

void buildMenuTree(Hwnd window, Hmenu menu) {
    TextNode* root = readMenuTree(window, menu);
    if (root == nullptr) return;
    CaptureLock hold;
    hold.replaceTree(root);
}

void captureMenuBar(Hwnd window) {
    buildMenuTree(window, ws().menuOf(window));
}

void addMenuItems(Hmenu menu, TextNode* parent) {
    if (parent == nullptr) return;
    std::vector<Hmenu> path;
    bool cut = false;
    addItems(menu, parent, &path, &cut);
}

bool takeAddedMenu(Hwnd window, Hmenu menu, AddedMenu* out) {
    *out = AddedMenu{};
    const Hwnd mainWindow = captureUi().mainWindow();
    if (!isNull(mainWindow) && (window == mainWindow || topLevelAncestor(window) == mainWindow)) return false;
    // After startAddedMenuLoop both are none, and no event equals them.
    if ((!isNull(lastAddedMenu) && menu == lastAddedMenu) ||
        (!isNull(lastAddedMenuWindow) && window == lastAddedMenuWindow))
        return false;
    lastAddedMenu = menu;
    lastAddedMenuWindow = window;
    out->root = readMenuTree(window, menu, &out->cut, false);
    return true;
}

void startAddedMenuLoop() {
    lastAddedMenu = Hmenu{};
    lastAddedMenuWindow = Hwnd{};
}

void writeAddedMenu(AddedMenu menu) {
    TextNode* root = menu.root;
    int line = 0;
    {
        CaptureLock hold;
        // A capture section that owns the tree keeps it; the menu is then printed from its own tree.
        const bool ownTree = hold.treeClaimed();
        if (!ownTree) {
            hold.discardTreeItems();
            if (root != nullptr) hold.replaceTree(root);
        }
        ReportBuffer& report = hold.report();
        if (report.lineCount > 0) {
            report.append(kAddedMenuSeparatorAndHeader, std::strlen(kAddedMenuSeparatorAndHeader));
            line = report.lineCount - 1;
        } else {
            report.append(kAddedMenuHeader, std::strlen(kAddedMenuHeader));
        }
        printMenuItems(hold, ownTree ? root : hold.tree(), menu.cut);
        if (!ownTree) root = nullptr; // now owned as the capture tree
    }
    destroyNode(root);
    captureUi().addSectionButton("Menu", line);
    showReportInPane();
    captureUi().showMainWindow();
}

void captureAddedMenu(Hwnd window, Hmenu menu) {
    AddedMenu taken;
    if (takeAddedMenu(window, menu, &taken)) writeAddedMenu(taken);
}

void setMenuProblemObserver(MenuProblemObserver observer) {
    problemObserver = observer;
}

void reportMenuProblem(Hwnd window) {
    const MenuProblemObserver fn = problemObserver;
    if (fn == nullptr) return;
    const char* reason = ws().menuProblem();
    fn(window, reason != nullptr && reason[0] != '\0' ? reason : "the menu's items could not be read");
}

} // namespace vantor
