// The rules of the Option, Monitor and About dialogs: when a separator choice takes effect, what the
// edit's text becomes, what the check boxes do, the interval rule, and the About texts and colours.
#include <gtest/gtest.h>

#include <string>

#include "app/dialog_rules.h"

namespace vantor {
namespace {

class OptionRules : public ::testing::Test {
  protected:
    Settings s; // the defaults: Tab, no context menus, single instance
};

TEST_F(OptionRules, EachRadioButtonSetsKindAndSeparatorAtOnce) {
    struct Case {
        int id;
        SeparatorKind kind;
        const char* separator;
    };
    const Case cases[] = {
        {1005, SeparatorKind::Semicolon, ";"}, {1006, SeparatorKind::Comma, ","},
        {1007, SeparatorKind::Space, " "},     {1004, SeparatorKind::Tab, "\t"},
        {1008, SeparatorKind::Other, "ab|"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(applySeparatorButton(&s, c.id, "ab|"));
        EXPECT_EQ(s.separatorKind, c.kind) << c.id;
        EXPECT_STREQ(s.listSeparator, c.separator) << c.id;
        EXPECT_EQ(checkedSeparatorButton(s), c.id);
    }
}

TEST_F(OptionRules, SemicolonThenCancelKeepsTheSemicolon) {
    // Cancel changes nothing further, so what the click did stays.
    applySeparatorButton(&s, IDC_OPT_SEP_SEMICOLON, "");
    EXPECT_EQ(s.separatorKind, SeparatorKind::Semicolon);
    EXPECT_STREQ(s.listSeparator, ";");
}

TEST_F(OptionRules, CheckBoxesTakeEffectOnlyOnOk) {
    applyOptionOk(&s, true, true, "ignored");
    EXPECT_TRUE(s.captureContextMenu);
    EXPECT_TRUE(s.multipleStartup);
    // Not Other: the edit's text does not touch the separator.
    EXPECT_STREQ(s.listSeparator, "\t");
    applyOptionOk(&s, false, true, "");
    EXPECT_FALSE(s.captureContextMenu);
    EXPECT_TRUE(s.multipleStartup);
}

TEST_F(OptionRules, OtherTakesTheEditTextAgainOnOkAndKeepsNineCharacters) {
    applySeparatorButton(&s, IDC_OPT_SEP_OTHER, "");
    EXPECT_EQ(s.separatorKind, SeparatorKind::Other);
    EXPECT_STREQ(s.listSeparator, "");
    applyOptionOk(&s, false, false, "123456789012");
    EXPECT_EQ(s.separatorKind, SeparatorKind::Other);
    EXPECT_STREQ(s.listSeparator, "123456789");
}

TEST_F(OptionRules, CutNeverSplitsADoubleByteCharacter) {
    // Four double-byte characters and one byte: the ninth byte would be the lead byte of the fifth.
    const std::string four = "ああああ";
    ASSERT_EQ(four.size(), 8u); // code page 932
    applySeparatorButton(&s, IDC_OPT_SEP_OTHER, (four + "い").c_str());
    EXPECT_EQ(std::string(s.listSeparator), four);
    applySeparatorButton(&s, IDC_OPT_SEP_OTHER, (four + "x").c_str());
    EXPECT_EQ(std::string(s.listSeparator), four + "x");
}

TEST_F(OptionRules, OpeningWithOtherChecksTheOtherButton) {
    s.separatorKind = SeparatorKind::Other;
    s.listSeparator[0] = '\0';
    EXPECT_EQ(checkedSeparatorButton(s), 1008);
    EXPECT_FALSE(applySeparatorButton(&s, 1009, "x")); // the edit itself changes nothing
    EXPECT_FALSE(applySeparatorButton(&s, 1, "x"));    // IDOK
    EXPECT_FALSE(applySeparatorButton(&s, 1003, "x"));
    EXPECT_EQ(s.separatorKind, SeparatorKind::Other);
}

TEST(MonitorRules, IntervalAboveZeroIsKeptElseOneSecond) {
    EXPECT_EQ(monitorIntervalFrom(5), 5);
    EXPECT_EQ(monitorIntervalFrom(1), 1);
    EXPECT_EQ(monitorIntervalFrom(0), 10); // empty, letters, or 0
    EXPECT_EQ(monitorIntervalFrom(0x7FFFFFFFu), 0x7FFFFFFF);
    EXPECT_EQ(monitorIntervalFrom(0x80000000u), 10); // 2147483648 reads as negative
    EXPECT_EQ(monitorIntervalFrom(0xFFFFFFFFu), 10);
}

TEST(AboutRules, VersionTextAndColours) {
    char text[64];
    formatVersionText(text, sizeof text);
    EXPECT_STREQ(text, "version 0.12 [2003/08/21]");
    EXPECT_EQ(linkColour(false), 0x00FF0000u); // RGB(0, 0, 255)
    EXPECT_EQ(linkColour(true), 0x00800080u);  // RGB(128, 0, 128)
    EXPECT_EQ(kVersionColour, 0x00C83232u);    // RGB(50, 50, 200)
}

} // namespace
} // namespace vantor
