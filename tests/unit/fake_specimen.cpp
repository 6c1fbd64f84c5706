// The fake specimen: builds the specimen's windows, menu bar and control contents on a fake desktop from
// the tables the real specimen is built from.
// Called on the test's thread while it builds the desktop.
#include "tests/unit/fake_specimen.h"

#include <string>
#include <vector>

#include "platform/fake/fake_controls.h"
#include "tools/specimen/specimen_contents.h"

namespace vantor {
namespace fake {

namespace sp = vantor::specimen;

namespace {

// Pre-order menu table to menus: a pop-up entry opens a menu that holds the following deeper entries.
Hmenu buildMenu(FakeDesktop& d) {
    std::vector<Hmenu> open{d.addMenu()};
    for (int i = 0; i < sp::kMenuEntryCount; ++i) {
        const sp::MenuEntry& e = sp::kMenu[i];
        open.resize(static_cast<std::size_t>(e.level) + 1);
        Hmenu into = open.back();
        if (e.kind == sp::MenuKind::Popup) {
            Hmenu sub = d.addMenu();
            d.addMenuItem(into, e.text, e.id, sub);
            open.push_back(sub);
        } else {
            d.addMenuItem(into, e.text, e.id, Hmenu{}, e.kind == sp::MenuKind::Separator, e.checked,
                          e.greyed);
        }
    }
    return open.front();
}

std::vector<std::vector<std::string>> listViewRows(int rows) {
    std::vector<std::vector<std::string>> out(static_cast<std::size_t>(rows));
    char cell[64];
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < sp::kListViewColumnCount; ++c) {
            sp::listViewCell(r, c, cell, sizeof cell);
            out[static_cast<std::size_t>(r)].push_back(cell);
        }
    }
    return out;
}

// Items in pre-order with their depths to nested items: each item goes under the last item one level up.
std::vector<FakeTreeItem> treeItems(int count) {
    std::vector<FakeTreeItem> roots;
    char text[64];
    for (int k = 0; k < count; ++k) {
        sp::treeItemText(k, text, sizeof text);
        std::vector<FakeTreeItem>* siblings = &roots;
        for (int level = sp::treeItemLevel(k); level > 0 && !siblings->empty(); --level)
            siblings = &siblings->back().children;
        siblings->push_back(FakeTreeItem{text, {}});
    }
    return roots;
}

std::vector<FakeButton> toolbarButtons(int count) {
    std::vector<FakeButton> out;
    char text[64];
    for (int k = 0; k < count; ++k) {
        sp::ToolbarButton b = sp::toolbarButton(k, text, sizeof text);
        FakeButton f;
        f.idCommand = b.id;
        f.text = b.text;
        f.fsStyle = b.separator ? kTbStyleSep : 0;
        out.push_back(f);
    }
    return out;
}

std::vector<FakeButton> appsToolbarButtons() {
    std::vector<FakeButton> out;
    for (const sp::ToolbarButton& b : sp::kAppsToolbarButtons) {
        FakeButton f;
        f.idCommand = b.id;
        f.text = b.text;
        out.push_back(f);
    }
    return out;
}

// A null text is one the control never got: its query writes nothing.
std::vector<std::string> texts(const char* const* list, int count) {
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i)
        out.push_back(list[i] != nullptr ? list[i] : kWritesNothing);
    return out;
}

int orDefault(int value, int fallback) {
    return value < 0 ? fallback : value;
}

} // namespace

SpecimenWindows addSpecimen(FakeDesktop& d, std::uint32_t pid, const SpecimenLayout& layout) {
    SpecimenWindows w{};
    w.top = d.addWindow(Hwnd{}, sp::kWindowClass, layout.title ? layout.title : sp::kWindowTitle, pid);
    w.menuBar = buildMenu(d);
    d.setMenu(w.top, w.menuBar);

    int buttons = orDefault(layout.toolbarButtons, sp::kToolbarDefaultButtons);
    w.toolbar = addToolbar(d, w.top, pid, toolbarButtons(buttons));
    w.appsToolbar = addToolbar(d, w.top, pid, appsToolbarButtons(), sp::kAppsToolbarText);
    w.listView = addListView(d, w.top, pid, texts(sp::kListViewColumns, sp::kListViewColumnCount),
                             listViewRows(orDefault(layout.rows, sp::kListViewDefaultRows)));
    w.listBox = addListBox(d, w.top, pid, texts(sp::kListBoxItems, sp::kListBoxItemCount));
    w.comboBox =
        addComboBox(d, w.top, pid, texts(sp::kComboItems, sp::kComboItemCount), sp::kComboEditText, true);
    w.comboEdit = d.nextChild(w.comboBox, Hwnd{});
    w.treeView = addTreeView(d, w.top, pid, treeItems(orDefault(layout.treeItems, sp::kTreeDefaultItems)));
    w.tabControl = addTabControl(d, w.top, pid, texts(sp::kTabLabels, sp::kTabCount));
    w.edit = addEdit(d, w.top, pid, sp::kEditText);
    w.stat = addStatic(d, w.top, pid, sp::kStaticText);
    w.button = d.addWindow(w.top, "Button", sp::kButtonText, pid);
    w.frame = d.addWindow(w.top, sp::kFrameClass, sp::kFrameText, pid);
    w.panel = d.addWindow(w.frame, sp::kPanelClass, sp::kPanelText, pid);
    w.panelStatusBar = addStatusBar(d, w.panel, pid, texts(sp::kPanelStatusParts, sp::kPanelStatusPartCount));
    w.statusBar = addStatusBar(d, w.top, pid, texts(sp::kStatusParts, sp::kStatusPartCount));
    char longPart[sp::kLongStatusPartLength + 1];
    sp::longStatusPart(longPart);
    w.longStatusBar = addStatusBar(d, w.top, pid, {longPart, sp::kLongStatusTail});
    // Its items are accessible objects only, which this desktop does not have.
    w.grid = d.addWindow(w.top, sp::kGridClass, "", pid);
    return w;
}

} // namespace fake
} // namespace vantor
