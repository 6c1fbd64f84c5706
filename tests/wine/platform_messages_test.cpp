// Messages to another process's controls through the Win32 window system: list box and combo box items,
// edit texts and the edit field of a combo box, all as code page 932 bytes; the buffer the caller sized
// from the length message is never overrun; and a hung specimen answers nothing within the time-out.
// Expected values come from the specimen's contents header.
//
// Threads: the test thread only.
#include "tests/wine/platform_specimen.h"

#include <cstring>
#include <vector>

namespace vantor {
namespace platformtest {
namespace {

namespace sp = specimen;

constexpr unsigned char kGuard = 0xCC;
constexpr std::size_t kGuardBytes = 16;

std::intptr_t send(Hwnd w, UINT msg, std::uintptr_t wParam = 0, std::intptr_t lParam = 0) {
    std::intptr_t result = -12345;
    EXPECT_TRUE(ws().sendMessage(w, msg, wParam, lParam, &result)) << "message " << msg;
    return result;
}

// A text message into a buffer of exactly size bytes, followed by guard bytes that must stay untouched.
struct GuardedText {
    std::intptr_t result = 0;
    std::string text;
    bool guardIntact = false;
};
GuardedText readGuarded(Hwnd w, UINT msg, std::uintptr_t wParam, std::size_t size,
                        bool sizeInWParam = false) {
    std::vector<unsigned char> buffer(size + kGuardBytes, kGuard);
    GuardedText out;
    out.result = send(w, msg, sizeInWParam ? size : wParam, reinterpret_cast<std::intptr_t>(buffer.data()));
    out.text.assign(reinterpret_cast<const char*>(buffer.data()),
                    strnlen(reinterpret_cast<const char*>(buffer.data()), size));
    out.guardIntact = true;
    for (std::size_t i = size; i < buffer.size(); ++i)
        out.guardIntact = out.guardIntact && buffer[i] == kGuard;
    return out;
}

// Reads every item of a list box or combo box the way the readers do: the length, then the text into a
// buffer of length + 1 bytes.
std::vector<std::string> readItems(Hwnd w, UINT countMsg, UINT lengthMsg, UINT textMsg) {
    std::vector<std::string> items;
    const std::intptr_t count = send(w, countMsg);
    for (std::intptr_t i = 0; i < count; ++i) {
        const std::intptr_t length = send(w, lengthMsg, static_cast<std::uintptr_t>(i));
        const GuardedText item =
            readGuarded(w, textMsg, static_cast<std::uintptr_t>(i), static_cast<std::size_t>(length) + 1);
        EXPECT_TRUE(item.guardIntact) << "item " << i << " overran its buffer";
        EXPECT_EQ(item.result, length) << "item " << i << ": " << hexOf(item.text);
        items.push_back(item.text);
    }
    return items;
}

std::vector<std::string> expectedItems(const char* const* items, int count) {
    return std::vector<std::string>(items, items + count);
}

class PlatformMessages : public SpecimenTest {
  protected:
    void SetUp() override {
        SpecimenTest::SetUp();
        ASSERT_EQ(GetACP(), 932u) << "run under LC_ALL=ja_JP.UTF-8";
    }
};

TEST_F(PlatformMessages, ListBoxItemsComeAsTheControlHoldsThem) {
    const Hwnd listBox = child(sp::kIdListBox);
    EXPECT_EQ(readItems(listBox, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT),
              expectedItems(sp::kListBoxItems, sp::kListBoxItemCount));
}

// Japanese items: the ANSI text message of this Wine hands over UTF-16 and would overrun the buffer.
TEST_F(PlatformMessages, ComboBoxItemsAreCodePage932AndStayInTheirBuffer) {
    const Hwnd combo = child(sp::kIdComboBox);
    const std::vector<std::string> items = readItems(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
    const std::vector<std::string> expected = expectedItems(sp::kComboItems, sp::kComboItemCount);
    ASSERT_EQ(items.size(), expected.size());
    for (std::size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(items[i], expected[i]) << hexOf(items[i]) << " / " << hexOf(expected[i]);
    // The item lengths are bytes of code page 932, not characters.
    EXPECT_EQ(send(combo, CB_GETLBTEXTLEN, 0), static_cast<std::intptr_t>(std::strlen(sp::kComboItems[0])));
}

// The combo box's own text is its edit field, which is not among the items.
TEST_F(PlatformMessages, ComboBoxTextIsItsEditFieldNotAnItem) {
    const Hwnd combo = child(sp::kIdComboBox);
    const std::intptr_t length = send(combo, WM_GETTEXTLENGTH);
    ASSERT_GE(length, static_cast<std::intptr_t>(std::strlen(sp::kComboEditText)));
    const GuardedText text = readGuarded(combo, WM_GETTEXT, 0, static_cast<std::size_t>(length) + 1, true);
    EXPECT_EQ(text.text, sp::kComboEditText) << hexOf(text.text);
    EXPECT_EQ(text.result, static_cast<std::intptr_t>(std::strlen(sp::kComboEditText)));
    EXPECT_TRUE(text.guardIntact);
    for (const char* item : sp::kComboItems)
        EXPECT_NE(text.text, item);
}

TEST_F(PlatformMessages, NoSuchItemAnswersErrorAndLeavesTheBuffer) {
    const Hwnd listBox = child(sp::kIdListBox);
    EXPECT_EQ(send(listBox, LB_GETTEXTLEN, sp::kListBoxItemCount), LB_ERR);
    const GuardedText missing = readGuarded(listBox, LB_GETTEXT, sp::kListBoxItemCount, 8);
    EXPECT_EQ(missing.result, LB_ERR);
    EXPECT_TRUE(missing.text.empty() || static_cast<unsigned char>(missing.text[0]) == kGuard);
    const Hwnd combo = child(sp::kIdComboBox);
    EXPECT_EQ(send(combo, CB_GETLBTEXTLEN, 99), CB_ERR);
    EXPECT_EQ(readGuarded(combo, CB_GETLBTEXT, 99, 8).result, CB_ERR);
}

// The multi-line Japanese edit text: the length is enough for the ANSI text, the text is exact.
TEST_F(PlatformMessages, EditTextIsExactCodePage932) {
    const Hwnd edit = child(sp::kIdEdit);
    const std::intptr_t length = send(edit, WM_GETTEXTLENGTH);
    const std::size_t expected = std::strlen(sp::kEditText);
    ASSERT_GE(length, static_cast<std::intptr_t>(expected));
    const GuardedText text = readGuarded(edit, WM_GETTEXT, 0, static_cast<std::size_t>(length) + 1, true);
    EXPECT_EQ(text.text, sp::kEditText) << hexOf(text.text);
    EXPECT_EQ(text.result, static_cast<std::intptr_t>(expected));
    EXPECT_TRUE(text.guardIntact);
}

// A buffer shorter than the text gets the text's beginning, whole characters only, and a terminator.
TEST_F(PlatformMessages, ShortTextBufferGetsTheBeginningOfTheText) {
    const Hwnd edit = child(sp::kIdEdit);
    const GuardedText text = readGuarded(edit, WM_GETTEXT, 0, 5, true);
    EXPECT_EQ(text.text, std::string(sp::kEditText, 4)) << hexOf(text.text);
    EXPECT_TRUE(text.guardIntact);
    const GuardedText none = readGuarded(edit, WM_GETTEXT, 0, 1, true);
    EXPECT_EQ(none.text, "");
    EXPECT_EQ(none.result, 0);
    EXPECT_TRUE(none.guardIntact);
}

// Messages to a window that does not exist are not answered.
TEST_F(PlatformMessages, MessagesToNoWindowAreNotAnswered) {
    std::intptr_t result = 99;
    EXPECT_FALSE(ws().sendMessage(Hwnd{}, WM_GETTEXTLENGTH, 0, 0, &result));
    EXPECT_EQ(result, 0);
    char buf[8] = "keep";
    result = 99;
    EXPECT_FALSE(ws().sendMessage(Hwnd{}, LB_GETTEXT, 0, reinterpret_cast<std::intptr_t>(buf), &result));
    EXPECT_EQ(result, 0);
    EXPECT_STREQ(buf, "");
}

// A list box of this process whose item changes between the length and the text message: the text stays in
// the buffer sized from the length, cut at a whole character.
TEST(PlatformListBoxOfThisProcess, AnItemThatGrewAfterItsLengthWasAskedStaysInItsBuffer) {
    installWin32Platform();
    ASSERT_EQ(GetACP(), 932u) << "run under LC_ALL=ja_JP.UTF-8";
    HWND window = CreateWindowExA(0, "LISTBOX", "", WS_OVERLAPPEDWINDOW | LBS_HASSTRINGS, 0, 0, 100, 100,
                                  nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const Hwnd listBox = fromNative(window);
    SendMessageA(window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("abc"));
    const std::intptr_t length = send(listBox, LB_GETTEXTLEN, 0);
    ASSERT_EQ(length, 3);
    SendMessageA(window, LB_DELETESTRING, 0, 0);
    SendMessageA(window, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(sp::kComboEditText)); // 6 bytes
    const GuardedText grown = readGuarded(listBox, LB_GETTEXT, 0, static_cast<std::size_t>(length) + 1);
    EXPECT_TRUE(grown.guardIntact);
    EXPECT_EQ(grown.text, std::string(sp::kComboEditText, 2)) << hexOf(grown.text);
    EXPECT_EQ(grown.result, 2);
    // Without a length asked first, the whole item is given.
    const GuardedText whole = readGuarded(listBox, LB_GETTEXT, 0, std::strlen(sp::kComboEditText) + 1);
    EXPECT_EQ(whole.text, sp::kComboEditText) << hexOf(whole.text);
    DestroyWindow(window);
}

// A rich edit 1.0 of this process with the specimen's edit text. This Wine's rich edit answers the A form
// of WM_GETTEXTLENGTH with the count of characters (too small for code page 932) and the A form of
// WM_GETTEXT with 0 (and an unterminated part of the text) when the buffer is shorter than the text.
class PlatformRichEdit : public ::testing::Test {
  protected:
    void SetUp() override {
        installWin32Platform();
        ASSERT_EQ(GetACP(), 932u) << "run under LC_ALL=ja_JP.UTF-8";
        library = LoadLibraryA("RICHED32.DLL");
        ASSERT_NE(library, nullptr);
        window = CreateWindowExA(0, "RichEdit", sp::kEditText, WS_OVERLAPPEDWINDOW | ES_MULTILINE, 0, 0, 200,
                                 100, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        edit = fromNative(window);
    }
    void TearDown() override {
        if (window != nullptr) DestroyWindow(window);
        if (library != nullptr) FreeLibrary(library);
    }
    HMODULE library = nullptr;
    HWND window = nullptr;
    Hwnd edit{};
};

TEST_F(PlatformRichEdit, LengthCoversTheAnsiTextAndTheTextIsExact) {
    const std::intptr_t length = send(edit, WM_GETTEXTLENGTH);
    ASSERT_GE(length, static_cast<std::intptr_t>(std::strlen(sp::kEditText)));
    const GuardedText text = readGuarded(edit, WM_GETTEXT, 0, static_cast<std::size_t>(length) + 1, true);
    EXPECT_EQ(text.text, sp::kEditText) << hexOf(text.text);
    EXPECT_EQ(text.result, static_cast<std::intptr_t>(std::strlen(sp::kEditText)));
    EXPECT_TRUE(text.guardIntact);
}

TEST_F(PlatformRichEdit, ShortBufferGetsWholeCharactersOfTheBeginning) {
    const GuardedText four = readGuarded(edit, WM_GETTEXT, 0, 5, true);
    EXPECT_EQ(four.text, std::string(sp::kEditText, 4)) << hexOf(four.text);
    EXPECT_EQ(four.result, 4);
    EXPECT_TRUE(four.guardIntact);
    // Three bytes would end inside the second character: only the first one is given.
    const GuardedText two = readGuarded(edit, WM_GETTEXT, 0, 4, true);
    EXPECT_EQ(two.text, std::string(sp::kEditText, 2)) << hexOf(two.text);
    EXPECT_EQ(two.result, 2);
    EXPECT_TRUE(two.guardIntact);
}

// A specimen whose user-interface thread stops answering half a second after it has started.
class PlatformHungTarget : public SpecimenTest {
  protected:
    std::string specimenArguments() const override { return "--hang-after 500"; }
};

// Every text message, also those this Wine would block on for ever, returns unanswered instead of blocking
// the test: the time-out and abort-if-hung hold for them all. An unanswered text message leaves an empty
// text in the buffer.
TEST_F(PlatformHungTarget, HungControlsAnswerNothingAndBlockNothing) {
    ASSERT_TRUE(waitFor([&] {
        DWORD_PTR r = 0;
        return SendMessageTimeoutA(top, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &r) == 0;
    }));
    struct Query {
        Hwnd window;
        UINT msg;
        std::uintptr_t wParam;
        bool buffer;
    };
    const Query queries[] = {
        {child(sp::kIdListBox), LB_GETCOUNT, 0, false},  {child(sp::kIdListBox), LB_GETTEXTLEN, 0, false},
        {child(sp::kIdListBox), LB_GETTEXT, 0, true},    {child(sp::kIdComboBox), CB_GETLBTEXTLEN, 0, false},
        {child(sp::kIdComboBox), CB_GETLBTEXT, 0, true}, {child(sp::kIdEdit), WM_GETTEXTLENGTH, 0, false},
        {child(sp::kIdEdit), WM_GETTEXT, 16, true},
    };
    for (const Query& q : queries) {
        char buf[16] = "keep";
        std::intptr_t result = 99;
        EXPECT_FALSE(ws().sendMessage(q.window, q.msg, q.wParam,
                                      q.buffer ? reinterpret_cast<std::intptr_t>(buf) : 0, &result))
            << "message " << q.msg;
        EXPECT_EQ(result, 0) << "message " << q.msg;
        EXPECT_STREQ(buf, q.buffer ? "" : "keep") << "message " << q.msg;
    }
}

} // namespace
} // namespace platformtest
} // namespace vantor
