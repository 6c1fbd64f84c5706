// Classification of windows by class name: a fixed, ordered table of class-name literals, each matched as
// a prefix or as the whole name, ASCII letters compared without case. Pure; callable from any thread.
#include "inventory/classify.h"

#include <cstring>

#include "platform/text.h"

namespace vantor {

namespace {

enum class Rule { Prefix, Exact };

struct ClassRow {
    const char* literal;
    Rule rule;
    ControlKind kind;
};

// Order matters: the first matching row decides.
constexpr ClassRow kRows[] = {
    {"SysListView32", Rule::Prefix, ControlKind::ListView},
    {"THogeListView", Rule::Prefix, ControlKind::ListView},
    {"TExtListView", Rule::Prefix, ControlKind::ListView},
    {"TDirView", Rule::Prefix, ControlKind::ListView},
    {"TUnixDirView", Rule::Prefix, ControlKind::ListView},
    {"TListView", Rule::Prefix, ControlKind::ListView},
    {"ListBox", Rule::Prefix, ControlKind::ListBox},
    {"TListBox", Rule::Prefix, ControlKind::ListBox},
    {"ComboBox", Rule::Prefix, ControlKind::ComboBox},
    {"TComboBox", Rule::Prefix, ControlKind::ComboBox},
    {"TUnixPathComboBox", Rule::Prefix, ControlKind::ComboBox},
    {"TIEPathComboBox", Rule::Prefix, ControlKind::ComboBox},
    {"SysTreeView32", Rule::Prefix, ControlKind::TreeView},
    {"TTreeView", Rule::Prefix, ControlKind::TreeView},
    {"SysTabControl32", Rule::Prefix, ControlKind::TabControl},
    {"TTabControl", Rule::Prefix, ControlKind::TabControl},
    {"TTabSheet", Rule::Exact, ControlKind::TabControl},
    {"ToolbarWindow32", Rule::Prefix, ControlKind::Toolbar},
    {"TToolBar", Rule::Prefix, ControlKind::Toolbar},
    {"msctls_statusbar32", Rule::Prefix, ControlKind::StatusBar},
    {"TStatusBar", Rule::Prefix, ControlKind::StatusBar},
    {"TAssociatedStatusBar", Rule::Prefix, ControlKind::StatusBar},
    {"msctls_updown32", Rule::Prefix, ControlKind::UpDown},
    {"Edit", Rule::Exact, ControlKind::Edit},
    {"TEdit", Rule::Exact, ControlKind::Edit},
    {"TCheckBox", Rule::Exact, ControlKind::CheckBox},
    {"TRadioBox", Rule::Exact, ControlKind::RadioBox},
    {"Static", Rule::Exact, ControlKind::Static},
    {"Button", Rule::Exact, ControlKind::Button},
    {"TButton", Rule::Exact, ControlKind::Button},
    {"TRichEdit", Rule::Exact, ControlKind::Edit},
    {"RichEdit", Rule::Exact, ControlKind::Edit},
};

// The literal is matched with A-Z folded; bytes of double-byte characters compare as they are.
bool rowMatches(const ClassRow& row, const char* name) {
    const char* rest = afterPrefixIgnoringAsciiCase(name, row.literal);
    if (rest == nullptr) return false;
    return row.rule == Rule::Prefix || *rest == '\0';
}

} // namespace

ControlKind classifyClassName(const char* className) {
    if (className == nullptr) return ControlKind::Other;
    for (const ClassRow& row : kRows) {
        if (rowMatches(row, className)) return row.kind;
    }
    return ControlKind::Other;
}

ControlKind classifyWindow(Hwnd window) {
    char name[256];
    std::memset(name, 0, sizeof name);
    ws().className(window, name, sizeof name);
    name[sizeof name - 1] = '\0';
    return classifyClassName(name);
}

} // namespace vantor
