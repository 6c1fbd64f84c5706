// Unit tests of the in-process readers on the fake desktop: which list items are written, the failure
// line, line counting of items with line feeds, the edit text, and that every page block is released even
// when a control vanishes or no block can be obtained.
#include "capture/in_process_readers.h"

#include <cstring>
#include <memory>

#include "capture/section_format.h"
#include "capture_test_support.h"

namespace vantor {
namespace {

using namespace testing_support;

class InProcessReaders : public EngineTest {
  protected:
    Hwnd frame() {
        if (isNull(frameWindow)) frameWindow = desktop.addWindow(Hwnd{}, "Frame", "Frame", pid);
        return frameWindow;
    }
    Hwnd frameWindow{};
};

TEST_F(InProcessReaders, ListBoxWritesItemsOfTwoBytesOrMoreEachOnItsLine) {
    readListBox(fake::addListBox(desktop, frame(), pid, {"alpha", "b", "gamma"}));
    EXPECT_EQ(reportText(), "alpha\r\ngamma\r\n");
    EXPECT_EQ(reportNow().lineCount, 2);
}

TEST_F(InProcessReaders, OneByteItemIsLeftOutWhileOneDoubleByteCharacterIsWritten) {
    // "あ" is the two bytes 0x82 0xA0 in code page 932.
    readListBox(fake::addListBox(desktop, frame(), pid, {"x", "あ"}));
    EXPECT_EQ(reportText(), "あ\r\n");
    EXPECT_EQ(std::strlen("あ"), 2u);
}

TEST_F(InProcessReaders, EmptyListsAndListsOfShortItemsGiveTheFailureLine) {
    readListBox(fake::addListBox(desktop, frame(), pid, {}));
    readComboBox(fake::addComboBox(desktop, frame(), pid, {"a", "", "b"}, "typed"));
    EXPECT_EQ(reportText(), std::string(kFailureText) + kFailureText);
}

TEST_F(InProcessReaders, ComboBoxWritesItsListItemsNotTheTextOfItsEditField) {
    readComboBox(fake::addComboBox(desktop, frame(), pid, {"Tokyo", "Osaka"}, "Nagoya", true));
    EXPECT_EQ(reportText(), "Tokyo\r\nOsaka\r\n");
}

TEST_F(InProcessReaders, OwnerDrawnListsWithoutStringsGiveOnlyTheFailureLine) {
    // Item data that would read as bytes of a text: pointers of the target.
    const std::string data1("\x10\x32\x45\x01\xf6\x7f", 6);
    const std::string data2("\xa0\xb1\xc2\xd3", 4);
    Hwnd fixed = fake::addListBox(desktop, frame(), pid, {data1, data2}, wire::LBS_OWNERDRAWFIXED);
    Hwnd variable = fake::addListBox(desktop, frame(), pid, {data1}, wire::LBS_OWNERDRAWVARIABLE);
    Hwnd combo =
        fake::addComboBox(desktop, frame(), pid, {data2, data1}, "", false, wire::CBS_OWNERDRAWFIXED);
    readListBox(fixed);
    readListBox(variable);
    readComboBox(combo);
    EXPECT_EQ(reportText(), std::string(kFailureLine) + kFailureLine + kFailureLine);
    // The style is read first: no item is asked for.
    for (Hwnd w : {fixed, variable, combo})
        EXPECT_EQ(desktop.exchangesWith(w).messages, 0);
}

TEST_F(InProcessReaders, OwnerDrawnListsWithStringsAndPlainListsAreRead) {
    readListBox(fake::addListBox(desktop, frame(), pid, {"alpha", "beta"},
                                 wire::LBS_OWNERDRAWFIXED | wire::LBS_HASSTRINGS));
    readComboBox(fake::addComboBox(desktop, frame(), pid, {"Tokyo"}, "", false,
                                   wire::CBS_OWNERDRAWVARIABLE | wire::CBS_HASSTRINGS));
    // Styles of other kinds (LBS_SORT, LBS_NOTIFY; CBS_DROPDOWNLIST, CBS_SORT) change nothing.
    readListBox(fake::addListBox(desktop, frame(), pid, {"gamma"}, 0x0002 | 0x0001));
    readComboBox(fake::addComboBox(desktop, frame(), pid, {"Osaka"}, "", false, 0x0003 | 0x0100));
    EXPECT_EQ(reportText(), "alpha\r\nbeta\r\nTokyo\r\ngamma\r\nOsaka\r\n");
}

TEST_F(InProcessReaders, ItemWithLineFeedsIsWrittenUnchangedAndItsLineFeedsCount) {
    reportNow().append("before\n", 7);
    readListBox(fake::addListBox(desktop, frame(), pid, {"one\ntwo\r\nthree"}));
    EXPECT_EQ(reportText(), "before\none\ntwo\r\nthree\r\n");
    EXPECT_EQ(reportNow().lineCount, 1 + 2 + 1);
}

TEST_F(InProcessReaders, ItemsWithoutABufferAreSkippedAndTheListThenFails) {
    Hwnd list = fake::addListBox(desktop, frame(), pid, {"alpha", "beta"});
    desktop.failLocalAlloc = true;
    readListBox(list);
    EXPECT_EQ(reportText(), kFailureText);
}

TEST_F(InProcessReaders, ListBoxVanishingWhileReadKeepsWhatWasWrittenAndFreesEveryBlock) {
    Hwnd list = fake::addListBox(desktop, frame(), pid, {"alpha", "beta", "gamma"});
    int textQueries = 0;
    desktop.beforeMessage = [&](Hwnd w, std::uint32_t msg) {
        if (w == list && msg == wire::LB_GETTEXT && ++textQueries == 2) desktop.destroyWindow(list);
    };
    readListBox(list);
    desktop.beforeMessage = nullptr;
    // The second item's text query goes to a window that no longer exists: its buffer stays empty.
    EXPECT_EQ(reportText(), "alpha\r\n");
    EXPECT_EQ(desktop.localBlocks(), 0);
}

TEST_F(InProcessReaders, ListBoxGoneBeforeTheFirstItemGivesTheFailureLine) {
    Hwnd list = fake::addListBox(desktop, frame(), pid, {"alpha", "beta"});
    desktop.beforeMessage = [&](Hwnd w, std::uint32_t msg) {
        if (w == list && msg == wire::LB_GETTEXTLEN) desktop.destroyWindow(list);
    };
    readListBox(list);
    desktop.beforeMessage = nullptr;
    EXPECT_EQ(reportText(), kFailureText);
}

TEST_F(InProcessReaders, EditTextIsReturnedWholeAndTouchesNoReport) {
    std::string longText(70000, 'e');
    longText[12345] = '\n';
    std::string text;
    ASSERT_TRUE(readEditText(fake::addEdit(desktop, frame(), pid, longText), &text));
    EXPECT_EQ(text, longText);
    EXPECT_EQ(reportNow().text, nullptr);
}

TEST_F(InProcessReaders, EmptyEditGivesAnEmptyStringAndNoBufferGivesNull) {
    Hwnd edit = fake::addEdit(desktop, frame(), pid, "");
    std::string text = "before";
    ASSERT_TRUE(readEditText(edit, &text));
    EXPECT_EQ(text, "");

    desktop.failLocalAlloc = true;
    EXPECT_FALSE(readEditText(fake::addEdit(desktop, frame(), pid, "lost"), &text));
}

TEST_F(InProcessReaders, EditGoneGivesAnEmptyString) {
    Hwnd edit = fake::addEdit(desktop, frame(), pid, "soon gone");
    desktop.destroyWindow(edit);
    std::string text = "before";
    ASSERT_TRUE(readEditText(edit, &text));
    EXPECT_EQ(text, "");
}

} // namespace
} // namespace vantor
