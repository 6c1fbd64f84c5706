// Unit tests of window classification: every row of the class table under its rule (prefix or whole name),
// ASCII-only case folding, row order, and reading the class name of a window on the fake desktop.
#include "inventory/classify.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fake/fake_desktop.h"

namespace vantor {
namespace {

using K = ControlKind;

struct Row {
    const char* literal;
    bool prefix;
    ControlKind kind;
};

// The class table as the capture engine is meant to see it, kept apart from the implementation's copy.
const Row kTable[] = {
    {"SysListView32", true, K::ListView},
    {"THogeListView", true, K::ListView},
    {"TExtListView", true, K::ListView},
    {"TDirView", true, K::ListView},
    {"TUnixDirView", true, K::ListView},
    {"TListView", true, K::ListView},
    {"ListBox", true, K::ListBox},
    {"TListBox", true, K::ListBox},
    {"ComboBox", true, K::ComboBox},
    {"TComboBox", true, K::ComboBox},
    {"TUnixPathComboBox", true, K::ComboBox},
    {"TIEPathComboBox", true, K::ComboBox},
    {"SysTreeView32", true, K::TreeView},
    {"TTreeView", true, K::TreeView},
    {"SysTabControl32", true, K::TabControl},
    {"TTabControl", true, K::TabControl},
    {"TTabSheet", false, K::TabControl},
    {"ToolbarWindow32", true, K::Toolbar},
    {"TToolBar", true, K::Toolbar},
    {"msctls_statusbar32", true, K::StatusBar},
    {"TStatusBar", true, K::StatusBar},
    {"TAssociatedStatusBar", true, K::StatusBar},
    {"msctls_updown32", true, K::UpDown},
    {"Edit", false, K::Edit},
    {"TEdit", false, K::Edit},
    {"TCheckBox", false, K::CheckBox},
    {"TRadioBox", false, K::RadioBox},
    {"Static", false, K::Static},
    {"Button", false, K::Button},
    {"TButton", false, K::Button},
    {"TRichEdit", false, K::Edit},
    {"RichEdit", false, K::Edit},
};

std::string lower(std::string s) {
    for (char& c : s)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return s;
}

std::string upper(std::string s) {
    for (char& c : s)
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    return s;
}

TEST(Classify, TableHasThirtyTwoRows) {
    EXPECT_EQ(sizeof kTable / sizeof kTable[0], 32u);
}

TEST(Classify, EveryRowMatchesItsLiteralInAnyCase) {
    for (const Row& row : kTable) {
        SCOPED_TRACE(row.literal);
        EXPECT_EQ(classifyClassName(row.literal), row.kind);
        EXPECT_EQ(classifyClassName(lower(row.literal).c_str()), row.kind);
        EXPECT_EQ(classifyClassName(upper(row.literal).c_str()), row.kind);
    }
}

TEST(Classify, PrefixRowsAcceptAContinuationExactRowsDoNot) {
    for (const Row& row : kTable) {
        SCOPED_TRACE(row.literal);
        for (const char* tail : {"X", "32", "Ex", " "}) {
            const std::string name = std::string(row.literal) + tail;
            EXPECT_EQ(classifyClassName(name.c_str()), row.prefix ? row.kind : K::Other) << name;
        }
    }
}

TEST(Classify, ALiteralCutShortMatchesNothing) {
    for (const Row& row : kTable) {
        std::string name = row.literal;
        name.pop_back();
        EXPECT_EQ(classifyClassName(name.c_str()), K::Other) << name;
    }
}

TEST(Classify, NamedCases) {
    const struct {
        const char* name;
        ControlKind kind;
    } cases[] = {
        {"SysListView32", K::ListView},
        {"syslistview32", K::ListView},
        {"SysListView", K::Other},
        {"SysListView32Ex", K::ListView},
        {"TTreeView", K::TreeView},
        {"TTreeViewEx", K::TreeView},
        {"TTree", K::Other},
        {"TToolBar", K::Toolbar},
        {"TToolbar", K::Toolbar},
        {"TTOOLBAR2", K::Toolbar},
        {"TTabSheet", K::TabControl},
        {"TTabSheet1", K::Other},
        {"TTabControl1", K::TabControl},
        {"EDIT", K::Edit},
        {"Edit32", K::Other},
        {"STATIC", K::Static},
        {"ComboBoxEx32", K::ComboBox},
        {"ComboLBox", K::Other},
        {"msctls_updown32", K::UpDown},
        {"msctls_progress32", K::Other},
        {"RichEdit20A", K::Other},
        {"richedit", K::Edit},
        {"Button", K::Button},
        {"TCheckBox", K::CheckBox},
        {"TRadioBox", K::RadioBox},
        {"TUnixDirView", K::ListView},
        {"TIEPathComboBox", K::ComboBox},
        {"TListViewEx", K::ListView},
        {"", K::Other},
        {"#32770", K::Other},
    };
    for (const auto& c : cases)
        EXPECT_EQ(classifyClassName(c.name), c.kind) << c.name;
    EXPECT_EQ(classifyClassName(nullptr), K::Other);
}

// Only A-Z and a-z fold into each other. Folding by setting bit 0x20 would make "_" (0x5F) equal DEL
// (0x7F) and control bytes equal digits; folding by locale would touch bytes above 0x7F.
TEST(Classify, CaseFoldingIsAsciiLettersOnly) {
    EXPECT_EQ(classifyClassName("msctls\x7Fstatusbar32"), K::Other);
    EXPECT_EQ(classifyClassName("msctls\x7Fupdown32"), K::Other);
    EXPECT_EQ(classifyClassName("SysListView\x13\x12"), K::Other);
    EXPECT_EQ(classifyClassName("Edi\xD4"), K::Other); // 'T' | 0x80
    EXPECT_EQ(classifyClassName("Edi\xF4"), K::Other); // 't' | 0x80
    EXPECT_EQ(classifyClassName("\xD3tatic"), K::Other);
    EXPECT_EQ(classifyClassName("Stat\x89\x63"), K::Other);
}

// The first matching row decides: "TListView" rows come before "TListBox" and so on; a name that begins
// with one literal but continues like another still takes the earlier row.
TEST(Classify, FirstMatchingRowWins) {
    EXPECT_EQ(classifyClassName("SysListView32ListBox"), K::ListView);
    EXPECT_EQ(classifyClassName("ListBoxComboBox"), K::ListBox);
    EXPECT_EQ(classifyClassName("ComboBoxListBox"), K::ComboBox);
    EXPECT_EQ(classifyClassName("TToolBarStatusBar"), K::Toolbar);
}

class ClassifyWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        desktop.install();
        pid = desktop.addProcess();
    }
    fake::FakeDesktop desktop;
    std::uint32_t pid = 0;
};

TEST_F(ClassifyWindow, ReadsTheClassNameOfTheWindow) {
    const Hwnd frame = desktop.addWindow(Hwnd{}, "TForm1", "Main", pid);
    const Hwnd list = desktop.addWindow(frame, "syslistview32", "", pid);
    const Hwnd status = desktop.addWindow(frame, "msctls_statusbar32", "", pid);
    const Hwnd edit = desktop.addWindow(frame, "Edit", "text", pid);
    EXPECT_EQ(classifyWindow(frame), K::Other);
    EXPECT_EQ(classifyWindow(list), K::ListView);
    EXPECT_EQ(classifyWindow(status), K::StatusBar);
    EXPECT_EQ(classifyWindow(edit), K::Edit);
}

TEST_F(ClassifyWindow, VanishedOrNullWindowIsOther) {
    const Hwnd edit = desktop.addWindow(Hwnd{}, "Edit", "", pid);
    desktop.destroyWindow(edit);
    EXPECT_EQ(classifyWindow(edit), K::Other);
    EXPECT_EQ(classifyWindow(Hwnd{}), K::Other);
}

// A class name of 300 bytes arrives cut to 255; the prefix rows still see its beginning.
TEST_F(ClassifyWindow, VeryLongClassNameIsCutNotOverrun) {
    const std::string longList = "SysTreeView32" + std::string(287, 'q');
    const std::string longEdit = "Edit" + std::string(296, 'q');
    EXPECT_EQ(classifyWindow(desktop.addWindow(Hwnd{}, longList.c_str(), "", pid)), K::TreeView);
    EXPECT_EQ(classifyWindow(desktop.addWindow(Hwnd{}, longEdit.c_str(), "", pid)), K::Other);
}

} // namespace
} // namespace vantor
