// The standard controls of the fake desktop (list box, combo box, edit, static) against the real controls'
// documented answers: bad indices, exact lengths, the WM_GETTEXT capacity, and the faults recorded when a
// caller's local buffer is too short or missing.
#include "platform/fake/fake_controls.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/wire.h"

namespace vantor {
namespace {

using fake::FakeDesktop;

class FakeStandardControlsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        desktop.install();
        pid = desktop.addProcess(64);
        top = desktop.addWindow(Hwnd{}, "Frame", "frame", pid);
    }
    void TearDown() override {
        EXPECT_EQ(desktop.openProcessHandles(), 0);
        EXPECT_EQ(desktop.localBlocks(), 0);
    }
    std::intptr_t send(Hwnd w, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
        std::intptr_t r = 0;
        EXPECT_TRUE(ws().sendMessage(w, msg, wParam, lParam, &r));
        return r;
    }
    static std::intptr_t ptr(const void* p) { return reinterpret_cast<std::intptr_t>(p); }

    FakeDesktop desktop;
    std::uint32_t pid = 0;
    Hwnd top{};
};

TEST_F(FakeStandardControlsTest, ListBoxCountsLengthsAndTexts) {
    Hwnd lb = fake::addListBox(desktop, top, pid, {"alpha", "", "\x82\xa0"});
    EXPECT_EQ(send(lb, wire::LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(send(lb, wire::LB_GETTEXTLEN, 0, 0), 5);
    EXPECT_EQ(send(lb, wire::LB_GETTEXTLEN, 1, 0), 0);
    EXPECT_EQ(send(lb, wire::LB_GETTEXTLEN, 2, 0), 2);
    char buf[16];
    std::memset(buf, 'Q', sizeof buf);
    EXPECT_EQ(send(lb, wire::LB_GETTEXT, 0, ptr(buf)), 5);
    EXPECT_EQ(std::string(buf, 7), std::string("alpha\0Q", 7)); // item and NUL, nothing more
    EXPECT_EQ(send(lb, wire::LB_GETTEXT, 1, ptr(buf)), 0);
    EXPECT_EQ(buf[0], '\0');
    EXPECT_EQ(desktop.problems(), "");
}

TEST_F(FakeStandardControlsTest, OwnerDrawnListsWithoutStringsCopyTheirItemData) {
    const std::string data("\x10\x32\x45\x01\xf6\x7f", 6);
    Hwnd lb = fake::addListBox(desktop, top, pid, {data}, wire::LBS_OWNERDRAWFIXED);
    Hwnd cb = fake::addComboBox(desktop, top, pid, {data}, "", false, wire::CBS_OWNERDRAWVARIABLE);
    const std::uint32_t pid32 = desktop.addProcess(32);
    Hwnd lb32 = fake::addListBox(desktop, top, pid32, {data}, wire::LBS_OWNERDRAWVARIABLE);
    char buf[16];
    // The length is the pointer width; the "text" is the item data, without a terminating zero.
    EXPECT_EQ(send(lb, wire::LB_GETTEXTLEN, 0, 0), 8);
    std::memset(buf, 'Q', sizeof buf);
    EXPECT_EQ(send(lb, wire::LB_GETTEXT, 0, ptr(buf)), 8);
    EXPECT_EQ(std::string(buf, 9), data + std::string("\0\0Q", 3));
    EXPECT_EQ(send(cb, wire::CB_GETLBTEXTLEN, 0, 0), 8);
    std::memset(buf, 'Q', sizeof buf);
    EXPECT_EQ(send(cb, wire::CB_GETLBTEXT, 0, ptr(buf)), 8);
    EXPECT_EQ(std::string(buf, 6), data);
    EXPECT_EQ(send(lb32, wire::LB_GETTEXTLEN, 0, 0), 4);
    std::memset(buf, 'Q', sizeof buf);
    EXPECT_EQ(send(lb32, wire::LB_GETTEXT, 0, ptr(buf)), 4);
    EXPECT_EQ(std::string(buf, 5), data.substr(0, 4) + "Q");
    // With the has-strings style the texts come back as usual.
    Hwnd withStrings =
        fake::addListBox(desktop, top, pid, {"alpha"}, wire::LBS_OWNERDRAWFIXED | wire::LBS_HASSTRINGS);
    EXPECT_EQ(send(withStrings, wire::LB_GETTEXTLEN, 0, 0), 5);
    EXPECT_EQ(ws().windowStyle(withStrings), wire::LBS_OWNERDRAWFIXED | wire::LBS_HASSTRINGS);
    EXPECT_EQ(desktop.problems(), "");
}

TEST_F(FakeStandardControlsTest, ListBoxBadIndexIsLBERRAndWritesNothing) {
    Hwnd lb = fake::addListBox(desktop, top, pid, {"alpha"});
    char buf[8];
    std::memset(buf, 'Q', sizeof buf);
    EXPECT_EQ(send(lb, wire::LB_GETTEXTLEN, 1, 0), wire::LB_ERR);
    EXPECT_EQ(send(lb, wire::LB_GETTEXT, 1, ptr(buf)), wire::LB_ERR);
    EXPECT_EQ(send(lb, wire::LB_GETTEXT, static_cast<std::uintptr_t>(-1), ptr(buf)), wire::LB_ERR);
    EXPECT_EQ(std::string(buf, sizeof buf), std::string(sizeof buf, 'Q'));
    Hwnd empty = fake::addListBox(desktop, top, pid, {});
    EXPECT_EQ(send(empty, wire::LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(send(empty, wire::LB_GETTEXTLEN, 0, 0), wire::LB_ERR);
    EXPECT_EQ(desktop.problems(), "");
}

TEST_F(FakeStandardControlsTest, ListBoxTextWithoutRoomForItsNULIsAFault) {
    Hwnd lb = fake::addListBox(desktop, top, pid, {"alpha"});
    char* exact = static_cast<char*>(procs().allocLocal(6));
    EXPECT_EQ(send(lb, wire::LB_GETTEXT, 0, ptr(exact)), 5);
    EXPECT_EQ(std::string(exact), "alpha");
    EXPECT_TRUE(desktop.faults().empty());
    char* shortBuf = static_cast<char*>(procs().allocLocal(5));
    send(lb, wire::LB_GETTEXT, 0, ptr(shortBuf));
    ASSERT_EQ(desktop.faults().size(), 1u);
    EXPECT_NE(desktop.faults()[0].find("LB_GETTEXT"), std::string::npos);
    send(lb, wire::LB_GETTEXT, 0, 0);
    EXPECT_EQ(desktop.faults().size(), 2u);
    procs().freeLocal(exact);
    procs().freeLocal(shortBuf);
}

TEST_F(FakeStandardControlsTest, ComboBoxItemsApartFromItsEditText) {
    Hwnd cb = fake::addComboBox(desktop, top, pid, {"Tokyo", "Osaka"}, "Nagoya");
    EXPECT_EQ(send(cb, wire::CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(send(cb, wire::CB_GETLBTEXTLEN, 1, 0), 5);
    EXPECT_EQ(send(cb, wire::CB_GETLBTEXTLEN, 2, 0), wire::CB_ERR);
    char buf[16];
    EXPECT_EQ(send(cb, wire::CB_GETLBTEXT, 1, ptr(buf)), 5);
    EXPECT_EQ(std::string(buf), "Osaka");
    EXPECT_EQ(send(cb, wire::CB_GETLBTEXT, 2, ptr(buf)), wire::CB_ERR);
    EXPECT_EQ(send(cb, wire::WM_GETTEXTLENGTH, 0, 0), 6);
    EXPECT_EQ(send(cb, wire::WM_GETTEXT, sizeof buf, ptr(buf)), 6);
    EXPECT_EQ(std::string(buf), "Nagoya");
    // Setting the edit text leaves the list alone.
    EXPECT_EQ(send(cb, wire::WM_SETTEXT, 0, ptr("Kobe")), 1);
    EXPECT_EQ(send(cb, wire::WM_GETTEXTLENGTH, 0, 0), 4);
    EXPECT_EQ(send(cb, wire::CB_GETCOUNT, 0, 0), 2);
    char* shortBuf = static_cast<char*>(procs().allocLocal(3));
    send(cb, wire::CB_GETLBTEXT, 0, ptr(shortBuf));
    ASSERT_EQ(desktop.faults().size(), 1u);
    EXPECT_NE(desktop.faults()[0].find("CB_GETLBTEXT"), std::string::npos);
    procs().freeLocal(shortBuf);
}

TEST_F(FakeStandardControlsTest, EditCopiesAtMostCapacityMinusOneBytes) {
    Hwnd edit = fake::addEdit(desktop, top, pid, "hello");
    char buf[8];
    std::memset(buf, 'Q', sizeof buf);
    EXPECT_EQ(send(edit, wire::WM_GETTEXT, 0, ptr(buf)), 0);
    EXPECT_EQ(buf[0], 'Q');
    EXPECT_EQ(send(edit, wire::WM_GETTEXT, 1, ptr(buf)), 0);
    EXPECT_EQ(buf[0], '\0');
    EXPECT_EQ(send(edit, wire::WM_GETTEXT, 4, ptr(buf)), 3);
    EXPECT_EQ(std::string(buf, 5), std::string("hel\0Q", 5));
    EXPECT_EQ(send(edit, wire::WM_GETTEXT, 6, ptr(buf)), 5);
    EXPECT_EQ(std::string(buf), "hello");
    EXPECT_EQ(send(edit, wire::WM_GETTEXTLENGTH, 0, 0), 5);
    EXPECT_EQ(desktop.problems(), "");
}

TEST_F(FakeStandardControlsTest, EditCapacityBeyondTheLocalBlockIsAFault) {
    Hwnd edit = fake::addEdit(desktop, top, pid, "hello world");
    char* block = static_cast<char*>(procs().allocLocal(4));
    EXPECT_EQ(send(edit, wire::WM_GETTEXT, 100, ptr(block)), 3);
    EXPECT_EQ(std::string(block), "hel");
    ASSERT_EQ(desktop.faults().size(), 1u);
    EXPECT_NE(desktop.faults()[0].find("WM_GETTEXT"), std::string::npos);
    procs().freeLocal(block);
}

TEST_F(FakeStandardControlsTest, SetTextChangesEditAndStaticTextsAndTitles) {
    Hwnd edit = fake::addEdit(desktop, top, pid, "before");
    Hwnd label = fake::addStatic(desktop, top, pid, "label");
    char buf[32];
    ws().className(edit, buf, sizeof buf);
    EXPECT_EQ(std::string(buf), "Edit");
    ws().className(label, buf, sizeof buf);
    EXPECT_EQ(std::string(buf), "Static");
    EXPECT_EQ(send(edit, wire::WM_SETTEXT, 0, ptr("after")), 1);
    EXPECT_EQ(send(edit, wire::WM_GETTEXT, sizeof buf, ptr(buf)), 5);
    EXPECT_EQ(std::string(buf), "after");
    ws().windowText(edit, buf, sizeof buf);
    EXPECT_EQ(std::string(buf), "after");
    EXPECT_EQ(send(label, wire::WM_GETTEXT, sizeof buf, ptr(buf)), 5);
    EXPECT_EQ(std::string(buf), "label");
    EXPECT_EQ(desktop.problems(), "");
}

TEST_F(FakeStandardControlsTest, HungOrDestroyedControlLeavesTheMessageUnanswered) {
    Hwnd lb = fake::addListBox(desktop, top, pid, {"alpha"});
    desktop.window(lb)->hung = true;
    std::intptr_t r = 7;
    EXPECT_FALSE(ws().sendMessage(lb, wire::LB_GETCOUNT, 0, 0, &r));
    EXPECT_EQ(r, 0);
    Hwnd edit = fake::addEdit(desktop, top, pid, "x");
    desktop.destroyWindow(edit);
    r = 7;
    EXPECT_FALSE(ws().sendMessage(edit, wire::WM_GETTEXTLENGTH, 0, 0, &r));
    EXPECT_EQ(r, 0);
    EXPECT_EQ(desktop.messagesSent(), 2);
}

} // namespace
} // namespace vantor
