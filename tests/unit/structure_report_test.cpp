// Unit tests of the structure report on the fake desktop: the worked example byte for byte, edit-like
// classes, indentation by depth, and nesting, titles and edit texts far beyond the sizes of fixed buffers.
#include "capture/structure_report.h"

#include <string>

#include "capture_test_support.h"

namespace vantor {
namespace {

using testing_support::EngineTest;

class StructureReport : public EngineTest {};

// The line formatter against hand-written outline entries: the window itself, a deep edit-like entry with
// an empty and with a long text, a one-byte title, and a walk below a given indentation.
TEST(StructureLine, FormatsEntriesByDepthClassAndIndentation) {
    WindowOutlineEntry self;
    self.title = "Notes";
    self.className = "Edit"; // the window itself never shows a text
    self.editLike = true;
    self.text = "ignored";
    WindowOutlineEntry edit;
    edit.depth = 2;
    edit.title = "x";
    edit.className = "Edit";
    edit.editLike = true;
    WindowOutlineEntry plain;
    plain.depth = 1;
    plain.className = "Button";
    plain.text = "not edit-like";
    std::string out;
    formatStructureLine(self, nullptr, &out);
    formatStructureLine(edit, nullptr, &out);
    edit.text = std::string(5000, 'e');
    formatStructureLine(edit, "> ", &out);
    formatStructureLine(plain, "> ", &out);
    EXPECT_EQ(out, "\"Notes\" Edit\n"
                   "    + \"x\" Edit []\n"
                   "> "
                   "    + \"x\" Edit [" +
                       std::string(5000, 'e') +
                       "]\n"
                       ">   + \"\" Button\n");
}

TEST_F(StructureReport, WorkedExample) {
    // The edit controls have empty window titles; their text is what WM_GETTEXT answers.
    Hwnd notes = desktop.addWindow(Hwnd{}, "NotesWnd", "Notes", pid);
    desktop.addWindow(notes, "Edit", "", pid, fake::makeEdit("hello"));
    desktop.addWindow(notes, "msctls_statusbar32", "", pid);
    Hwnd combo = fake::addComboBox(desktop, notes, pid, {}, "");
    desktop.addWindow(combo, "Edit", "", pid, fake::makeEdit("abc"));

    writeStructureReport(notes, nullptr);

    EXPECT_EQ(reportText(), "■ ウインドウの構成\n"
                            "\"Notes\" NotesWnd\n"
                            "  + \"\" Edit [hello]\n"
                            "  + \"\" msctls_statusbar32\n"
                            "  + \"\" ComboBox\n"
                            "    + \"\" Edit [abc]\n");
    EXPECT_TRUE(ui.buttons.empty());
}

TEST_F(StructureReport, WindowWithoutChildrenGivesTheHeaderAndItsOwnLine) {
    writeStructureReport(desktop.addWindow(Hwnd{}, "Lonely", "Alone", pid), nullptr);
    EXPECT_EQ(reportText(), "■ ウインドウの構成\n\"Alone\" Lonely\n");
}

TEST_F(StructureReport, EditLikeClassesAreMatchedWholeIgnoringCase) {
    EXPECT_TRUE(isEditLikeClass("edit"));
    EXPECT_TRUE(isEditLikeClass("RichEdit"));
    EXPECT_TRUE(isEditLikeClass("tcombobox"));
    EXPECT_TRUE(isEditLikeClass("RICHEDIT20W"));
    EXPECT_FALSE(isEditLikeClass("RichEdit20A"));
    EXPECT_FALSE(isEditLikeClass("EditEx"));
    EXPECT_FALSE(isEditLikeClass("Edi"));
    EXPECT_FALSE(isEditLikeClass(""));

    Hwnd frame = desktop.addWindow(Hwnd{}, "Frame", "F", pid);
    desktop.addWindow(frame, "edit", "lower", pid);
    desktop.addWindow(frame, "RichEdit20A", "wide", pid);
    writeStructureReport(frame, nullptr);
    // An edit-like window's line carries its whole text (here its window text) in brackets.
    EXPECT_EQ(reportText(), "■ ウインドウの構成\n\"F\" Frame\n"
                            "  + \"lower\" edit [lower]\n"
                            "  + \"wide\" RichEdit20A\n");
}

TEST_F(StructureReport, DepthAddsTwoSpacesPerLevelAndSubtreesComeBeforeLaterSiblings) {
    Hwnd top = desktop.addWindow(Hwnd{}, "Top", "T", pid);
    Hwnd child = desktop.addWindow(top, "Child", "c", pid);
    Hwnd grandchild = desktop.addWindow(child, "Grand", "g", pid);
    desktop.addWindow(grandchild, "Great", "gg", pid);
    desktop.addWindow(top, "Second", "s", pid);
    writeStructureReport(top, nullptr);
    EXPECT_EQ(reportText(), "■ ウインドウの構成\n\"T\" Top\n"
                            "  + \"c\" Child\n"
                            "    + \"g\" Grand\n"
                            "      + \"gg\" Great\n"
                            "  + \"s\" Second\n");
}

TEST_F(StructureReport, GivenIndentationWritesOnlyTheDescendantsBelowIt) {
    Hwnd top = desktop.addWindow(Hwnd{}, "Top", "T", pid);
    desktop.addWindow(top, "Child", "c", pid);
    writeStructureReport(top, "--");
    EXPECT_EQ(reportText(), "--  + \"c\" Child\n");
}

TEST_F(StructureReport, TwoHundredLevelsWithLongTitlesAreWrittenInFull) {
    // Fixed buffers of 256 bytes for the indentation would stop at 127 levels, and a 512-byte line would cut
    // a deep line with a 255-byte title.
    const std::string title(255, 'w');
    Hwnd top = desktop.addWindow(Hwnd{}, "Top", "T", pid);
    std::string expected = "■ ウインドウの構成\n\"T\" Top\n";
    Hwnd parent = top;
    for (int depth = 1; depth <= 200; ++depth) {
        parent = desktop.addWindow(parent, "Level", title.c_str(), pid);
        expected += std::string(2 * static_cast<std::size_t>(depth), ' ') + "+ \"" + title + "\" Level\n";
    }
    writeStructureReport(top, nullptr);
    EXPECT_EQ(reportText(), expected);
}

TEST_F(StructureReport, EditTextOfSeventyThousandBytesIsWrittenWhole) {
    std::string text(70000, 'q');
    text[35000] = '\n';
    Hwnd top = desktop.addWindow(Hwnd{}, "Top", "T", pid);
    fake::addEdit(desktop, top, pid, text);
    writeStructureReport(top, nullptr);
    // The title is the window text read into 256 bytes; the bracket holds the whole text.
    EXPECT_EQ(reportText(),
              "■ ウインドウの構成\n\"T\" Top\n  + \"" + text.substr(0, 255) + "\" Edit [" + text + "]\n");
}

TEST_F(StructureReport, EditWhoseTextCannotBeReadGetsEmptyBrackets) {
    Hwnd top = desktop.addWindow(Hwnd{}, "Top", "T", pid);
    desktop.addWindow(top, "Edit", "", pid);
    desktop.failLocalAlloc = true;
    writeStructureReport(top, nullptr);
    desktop.failLocalAlloc = false;
    EXPECT_EQ(reportText(), "■ ウインドウの構成\n\"T\" Top\n  + \"\" Edit []\n");
}

} // namespace
} // namespace vantor
