// The wide reads on the specimen's Unicode window (--unicode-window): every kind of text comes back whole
// in UTF-16, the windows count as Unicode windows (the specimen's main window does not), and what the ANSI
// messages of the same controls answer is the system's conversion of those texts. Wide menu strings are read
// from a menu of this process.
#include "platform/wide_reads.h"

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "platform/wide_text.h"
#include "tests/wine/platform_specimen.h"
#include "tools/specimen/specimen_unicode.h"

namespace vantor {
namespace platformtest {
namespace {

// Expected texts (outside the test macros, which quote their arguments as code page 932 text).
const std::u16string kEditText = u"café – naïve\r\n한국어 简体 😀";
const std::u16string kButtonText = u"OK – ✓";
const std::u16string kComboText = u"naïve ☕";
const std::u16string kListBoxItems = u"café – naïve|한국어|简体|😀|";
const std::u16string kKorean = u"한국어";
const std::u16string kListViewCells = u"café – naïve|français\n한국어|조선말\n简体|中文\n😀 emoji|\n";
const std::u16string kColumnTitle = u"언어";
const std::u16string kLatin = u"café – naïve";
const std::u16string kStatusPart = u"😀 ready";
const std::u16string kChinese = u"简体";
const std::u16string kJapanese = u"名前";
const std::u16string kHangulSyllable = u"한";
const std::u16string kMenuText = u"한국어 – 简体";

class PlatformUnicode : public SpecimenTest {
  protected:
    std::string specimenArguments() const override { return "--unicode-window"; }

    void SetUp() override {
        SpecimenTest::SetUp();
        ASSERT_TRUE(waitFor([this] {
            HWND w = nullptr;
            while ((w = FindWindowExA(nullptr, w, specimen::kUnicodeWindowClass,
                                      specimen::kUnicodeWindowTitle))) {
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                if (owner == process.dwProcessId) break;
            }
            unicodeTop = w;
            return w != nullptr;
        })) << "the Unicode window did not appear";
    }

    Hwnd unicodeChild(int id) const { return fromNative(GetDlgItem(unicodeTop, id)); }

    HWND unicodeTop = nullptr;
};

TEST_F(PlatformUnicode, EveryTextReadsWholeInUtf16) {
    WideWindowSystem* wide = wideWindows();
    ASSERT_NE(wide, nullptr);
    EXPECT_TRUE(wide->isUnicodeWindow(fromNative(unicodeTop)));
    EXPECT_TRUE(wide->isUnicodeWindow(unicodeChild(specimen::kIdUnicodeListView)));
    EXPECT_FALSE(wide->isUnicodeWindow(topHandle));

    std::u16string text;
    EXPECT_TRUE(readWindowTextW(unicodeChild(specimen::kIdUnicodeEdit), &text));
    EXPECT_EQ(text, kEditText);
    EXPECT_TRUE(readWindowTextW(unicodeChild(specimen::kIdUnicodeButton), &text));
    EXPECT_EQ(text, kButtonText);
    EXPECT_TRUE(readWindowTextW(unicodeChild(specimen::kIdUnicodeComboBox), &text));
    EXPECT_EQ(text, kComboText);
    std::u16string items;
    for (int i = 0; readListItemW(unicodeChild(specimen::kIdUnicodeListBox), false, i, &text); ++i)
        items += text + u"|";
    EXPECT_EQ(items, kListBoxItems);
    EXPECT_TRUE(readListItemW(unicodeChild(specimen::kIdUnicodeComboBox), true, 1, &text));
    EXPECT_EQ(text, kKorean);

    const Hwnd list = unicodeChild(specimen::kIdUnicodeListView);
    std::u16string cells;
    {
        WideRemoteReader reader(list);
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 2; ++column) {
                EXPECT_TRUE(reader.listViewCell(row, column, &text));
                cells += text + (column == 1 ? u"\n" : u"|");
            }
    }
    EXPECT_EQ(cells, kListViewCells);
    std::intptr_t header = 0;
    ASSERT_TRUE(ws().sendMessage(list, LVM_GETHEADER, 0, 0, &header));
    {
        WideRemoteReader reader(static_cast<Hwnd>(header));
        EXPECT_TRUE(reader.headerTitle(1, &text));
        EXPECT_EQ(text, kColumnTitle);
    }
    {
        WideRemoteReader reader(unicodeChild(specimen::kIdUnicodeTabs));
        EXPECT_TRUE(reader.tabLabel(0, &text));
        EXPECT_EQ(text, kLatin);
        EXPECT_FALSE(reader.tabLabel(3, &text));
    }
    {
        WideRemoteReader reader(unicodeChild(specimen::kIdUnicodeStatusBar));
        EXPECT_TRUE(reader.statusPart(1, &text));
        EXPECT_EQ(text, kStatusPart);
    }
    {
        WideRemoteReader reader(unicodeChild(specimen::kIdUnicodeToolbar));
        EXPECT_TRUE(reader.toolbarButtonText(specimen::kUnicodeToolbarFirstCommand + 1, &text));
        EXPECT_EQ(text, kKorean);
    }
    const Hwnd tree = unicodeChild(specimen::kIdUnicodeTreeView);
    std::intptr_t root = 0, child = 0;
    ASSERT_TRUE(ws().sendMessage(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0, &root));
    ASSERT_TRUE(ws().sendMessage(tree, TVM_GETNEXTITEM, TVGN_CHILD, root, &child));
    {
        WideRemoteReader reader(tree);
        EXPECT_TRUE(reader.treeItem(static_cast<RemoteAddr>(root), &text));
        EXPECT_EQ(text, kKorean);
        EXPECT_TRUE(reader.treeItem(static_cast<RemoteAddr>(child), &text));
        EXPECT_EQ(text, kChinese);
    }
}

// The ANSI answers of the Unicode window are the system's conversion of its texts (what the code page 932
// report shows); the wide path converted the same way gives them byte for byte.
TEST_F(PlatformUnicode, AnsiAnswersAreTheSystemsConversionOfTheWideTexts) {
    WideWindowSystem* wide = wideWindows();
    ASSERT_NE(wide, nullptr);
    for (int id : {specimen::kIdUnicodeEdit, specimen::kIdUnicodeStatic, specimen::kIdUnicodeButton}) {
        const Hwnd w = unicodeChild(id);
        char ansi[256] = {};
        std::intptr_t got = 0;
        ASSERT_TRUE(
            ws().sendMessage(w, WM_GETTEXT, sizeof ansi, reinterpret_cast<std::intptr_t>(ansi), &got));
        std::u16string text;
        ASSERT_TRUE(readWindowTextW(w, &text));
        EXPECT_EQ(hexOf(ansi), hexOf(wide->toAnsi(text))) << "control " << id;
    }
    // Japanese converts to its code page 932 bytes; what the code page lacks becomes its default character.
    EXPECT_EQ(hexOf(wide->toAnsi(kJapanese)), hexOf("名前"));
    EXPECT_EQ(wide->toAnsi(kHangulSyllable), "?");
}

TEST(PlatformWideMenu, MenuStringsReadWide) {
    installWin32Platform();
    HMENU menu = CreatePopupMenu();
    ASSERT_NE(menu, nullptr);
    AppendMenuW(menu, MF_STRING, 11, L"한국어 – 简体");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    std::u16string text;
    EXPECT_TRUE(readMenuItemW(fromNative(menu), 0, &text));
    EXPECT_EQ(text, kMenuText);
    EXPECT_TRUE(readMenuItemW(fromNative(menu), 1, &text));
    EXPECT_EQ(text, u"");
    EXPECT_FALSE(readMenuItemW(fromNative(menu), 2, &text));
    DestroyMenu(menu);
}

} // namespace
} // namespace platformtest
} // namespace vantor
