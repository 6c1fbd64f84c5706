// Wide texts: the UTF-16 <-> UTF-8 conversions, the fake desktop's conversion to code page 932, and the wide
// reads of every kind of text of a Unicode window (and of an ANSI window, widened) in both pointer widths.
#include "platform/wide_reads.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_text.h"
#include "platform/unicode_text.h"
#include "platform/wide_text.h"
#include "platform/wire.h"
#include "fake_width_support.h"

namespace vantor {
namespace {

const std::u16string kLatin = u"café – naïve";
const std::u16string kKorean = u"한국어";
const std::u16string kChinese = u"简体";
const std::u16string kEmoji = u"x\U0001F600y";

TEST(UnicodeTextTest, RoundTripsAndReplacesWhatIsMalformed) {
    for (const std::u16string& s : {kLatin, kKorean, kChinese, kEmoji, std::u16string()})
        EXPECT_EQ(utf16FromUtf8(utf8FromUtf16(s)), s);
    EXPECT_EQ(utf8FromUtf16(kLatin), std::string("caf\xC3\xA9 \xE2\x80\x93 na\xC3\xAFve"));
    EXPECT_EQ(utf8FromUtf16(kEmoji), std::string("x\xF0\x9F\x98\x80y"));
    // Lone surrogates, a cut sequence, an overlong form, a stray continuation byte, an encoded surrogate.
    EXPECT_EQ(utf8FromUtf16(std::u16string{u'a', 0xD800, u'b', 0xDC00}), "a\xEF\xBF\xBD"
                                                                         "b\xEF\xBF\xBD");
    EXPECT_EQ(utf16FromUtf8("a\xE2\x80"), (std::u16string{u'a', 0xFFFD, 0xFFFD}));
    EXPECT_EQ(utf16FromUtf8("\xC0\xAF"
                            "b"),
              (std::u16string{0xFFFD, 0xFFFD, u'b'}));
    EXPECT_EQ(utf16FromUtf8("\x80\xED\xA0\x80"), (std::u16string{0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}));
    // A cut never ends on a high surrogate.
    EXPECT_EQ(utf16CutLength(kEmoji, 2), 1u);
    EXPECT_EQ(utf16CutLength(kEmoji, 3), 3u);
    EXPECT_EQ(utf16CutLength(kEmoji, 9), 4u);
}

TEST(UnicodeTextTest, FakeSystemConvertsToCodePage932WithItsDefaultCharacter) {
    fake::FakeDesktop desktop;
    EXPECT_EQ(desktop.toAnsi(u"日本語 ~ ～"), "\x93\xfa\x96\x7b\x8c\xea ~ \x81\x60");
    EXPECT_EQ(desktop.toAnsi(kLatin), "caf? ? na?ve");
    EXPECT_EQ(desktop.toAnsi(kEmoji), "x?y");
    EXPECT_EQ(fake::widenCp932("\x93\xfa\x96\x7b\x8c\xea"
                               "a"),
              u"日本語a");
}

template <class W> class WideReadsTest : public testing_support::FakeWidthTest<W> {};
TYPED_TEST_SUITE(WideReadsTest, testing_support::Widths);

// One Unicode window holding every kind of control; each text read wide is the UTF-16 text, the same window
// read through the ANSI messages gives the system's conversion.
TYPED_TEST(WideReadsTest, UnicodeWindowReadsEveryTextLosslessly) {
    fake::FakeDesktop& d = this->desktop;
    const std::string latin = utf8FromUtf16(kLatin), korean = utf8FromUtf16(kKorean);
    const std::string chinese = utf8FromUtf16(kChinese), emoji = utf8FromUtf16(kEmoji);
    const Hwnd frame = d.addWindow(Hwnd{}, "VantorSpecimenUnicode", latin.c_str(), this->pid);
    const Hwnd list = fake::addListView(d, frame, this->pid, {korean, chinese}, {{latin, emoji}, {"", "b"}});
    const Hwnd box = fake::addListBox(d, frame, this->pid, {"a", emoji});
    const Hwnd combo = fake::addComboBox(d, frame, this->pid, {chinese}, korean);
    const Hwnd status = fake::addStatusBar(d, frame, this->pid, {"", chinese});
    const Hwnd tabs = fake::addTabControl(d, frame, this->pid, {korean, latin});
    fake::FakeButton button;
    button.idCommand = 7;
    button.text = emoji;
    const Hwnd bar = fake::addToolbar(d, frame, this->pid, {button});
    const Hwnd tree = fake::addTreeView(d, frame, this->pid, {{korean, {{emoji, {}}}}});
    for (Hwnd w : {frame, list, box, combo, status, tabs, bar, tree})
        d.window(w)->unicode = true;
    std::intptr_t header = 0, root = 0;
    ASSERT_TRUE(ws().sendMessage(list, wire::LVM_GETHEADER, 0, 0, &header));
    d.window(static_cast<Hwnd>(header))->unicode = true;
    ASSERT_TRUE(ws().sendMessage(tree, wire::TVM_GETNEXTITEM, wire::TVGN_ROOT, 0, &root));

    ASSERT_NE(wideWindows(), nullptr);
    EXPECT_TRUE(wideWindows()->isUnicodeWindow(list));
    EXPECT_FALSE(wideWindows()->isUnicodeWindow(this->top));
    std::u16string text;
    EXPECT_TRUE(readWindowTextW(frame, &text));
    EXPECT_EQ(text, kLatin);
    EXPECT_TRUE(readWindowTextW(combo, &text));
    EXPECT_EQ(text, kKorean);
    EXPECT_TRUE(readListItemW(box, false, 1, &text));
    EXPECT_EQ(text, kEmoji);
    EXPECT_TRUE(readListItemW(combo, true, 0, &text));
    EXPECT_EQ(text, kChinese);
    EXPECT_FALSE(readListItemW(box, false, 2, &text));
    EXPECT_EQ(text, u"");

    WideRemoteReader cells(list);
    EXPECT_TRUE(cells.listViewCell(0, 0, &text));
    EXPECT_EQ(text, kLatin);
    EXPECT_TRUE(cells.listViewCell(0, 1, &text));
    EXPECT_EQ(text, kEmoji);
    EXPECT_TRUE(cells.listViewCell(1, 0, &text));
    EXPECT_EQ(text, u"");
    EXPECT_FALSE(cells.listViewCell(2, 0, &text));
    WideRemoteReader titles(static_cast<Hwnd>(header));
    EXPECT_TRUE(titles.headerTitle(1, &text));
    EXPECT_EQ(text, kChinese);
    WideRemoteReader labels(tabs);
    EXPECT_TRUE(labels.tabLabel(0, &text));
    EXPECT_EQ(text, kKorean);
    WideRemoteReader parts(status);
    EXPECT_TRUE(parts.statusPart(1, &text));
    EXPECT_EQ(text, kChinese);
    EXPECT_TRUE(parts.statusPart(0, &text));
    EXPECT_EQ(text, u"");
    WideRemoteReader buttons(bar);
    EXPECT_TRUE(buttons.toolbarButtonText(7, &text));
    EXPECT_EQ(text, kEmoji);
    EXPECT_FALSE(buttons.toolbarButtonText(8, &text));
    WideRemoteReader items(tree);
    EXPECT_TRUE(items.treeItem(static_cast<RemoteAddr>(root), &text));
    EXPECT_EQ(text, kKorean);

    // The ANSI messages of the same window: what the system makes of the texts.
    char ansi[64] = {};
    EXPECT_GT(ws().windowText(frame, ansi, sizeof ansi), 0);
    EXPECT_STREQ(ansi, "caf? ? na?ve");
    std::intptr_t length = 0;
    EXPECT_TRUE(ws().sendMessage(box, wire::LB_GETTEXTLEN, 1, 0, &length));
    EXPECT_EQ(length, 3);
}

// An ANSI window's code page 932 texts come back widened; a list-view cell longer than the text buffer is
// cut at 259 units, before a surrogate pair that would not fit whole.
TYPED_TEST(WideReadsTest, AnsiTextsWidenAndLongTextsCutBeforeASurrogatePair) {
    fake::FakeDesktop& d = this->desktop;
    const std::string emoji = utf8FromUtf16(u"\U0001F600");
    const Hwnd list = fake::addListView(d, this->top, this->pid, {"名前"}, {{std::string(258, 'a') + emoji}});
    const Hwnd box = fake::addListBox(d, this->top, this->pid, {"表示"});
    std::u16string text;
    EXPECT_TRUE(readListItemW(box, false, 0, &text));
    EXPECT_EQ(text, u"表示");
    std::intptr_t header = 0;
    ASSERT_TRUE(ws().sendMessage(list, wire::LVM_GETHEADER, 0, 0, &header));
    WideRemoteReader titles(static_cast<Hwnd>(header));
    EXPECT_TRUE(titles.headerTitle(0, &text));
    EXPECT_EQ(text, u"名前");
    d.window(list)->unicode = true;
    WideRemoteReader reader(list);
    EXPECT_TRUE(reader.listViewCell(0, 0, &text));
    EXPECT_EQ(text, std::u16string(258, u'a'));
}

// A control that stops answering costs one time-out: nothing more is sent, and the block the late answer
// may still write into stays the target's.
TYPED_TEST(WideReadsTest, HungControlIsAskedOnceAndItsBlockIsGivenUp) {
    fake::FakeDesktop& d = this->desktop;
    const Hwnd tabs = fake::addTabControl(d, this->top, this->pid, {"a", "b"});
    d.window(tabs)->hung = true;
    std::u16string text;
    {
        WideRemoteReader reader(tabs);
        EXPECT_TRUE(reader.usable());
        EXPECT_FALSE(reader.tabLabel(0, &text));
        EXPECT_FALSE(reader.usable());
        EXPECT_FALSE(reader.tabLabel(1, &text));
    }
    EXPECT_EQ(d.exchangesWith(tabs).messages, 1);
    EXPECT_EQ(d.abandonedBlocks(), 1);
}

} // namespace
} // namespace vantor
