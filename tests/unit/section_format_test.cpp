// The formatters against hand-written section models: empty models, one-byte and empty texts, long texts,
// menu separators and sub-menus, list separators, rows cut short, and when the failure line is written.
#include "capture/section_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantor {
namespace {

const std::string kFailure = "情報をうまく取得できませんでした\r\n";

SectionItem item(const std::string& text, int depth = 0, int id = 0) {
    SectionItem i;
    i.text = text;
    i.depth = depth;
    i.id = id;
    return i;
}

SectionItem subMenu(const std::string& text, int depth, int id) {
    SectionItem i = item(text, depth, id);
    i.subMenu = true;
    return i;
}

SectionItem separator(int depth) {
    SectionItem i;
    i.depth = depth;
    i.separator = true;
    return i;
}

SectionModel withItems(std::vector<SectionItem> items, SectionStatus status = SectionStatus::Read) {
    SectionModel m;
    m.items = std::move(items);
    m.status = status;
    return m;
}

std::string run(void (*format)(const SectionModel&, std::string*), const SectionModel& m) {
    std::string out = "before|";
    format(m, &out);
    return out;
}

TEST(SectionFormat, ItemTreeDropsShortLeavesKeepsShortParentsAndWritesIdsOfCommandsOnly) {
    const std::string longText(600, 'L');
    const std::vector<SectionItem> items = {
        subMenu("ファイル(&F)", 0, 77), // a sub-menu's id is never written
        item("開く(&O)", 1, 11),
        separator(1),
        item("x", 1, 12),   // one byte, no children: left out
        subMenu("y", 1, 0), // one byte, but its children follow: kept
        item("深い", 2, 30),
        item("zero", 1, 0),   // id 0: no number
        item("A", 0, 5),      // one byte at the top: left out
        item(longText, 0, 9), // whole
    };
    std::string out;
    EXPECT_TRUE(formatItemTree(items, nullptr, true, &out));
    EXPECT_EQ(out, "ファイル(&F)\r\n  + 開く(&O) [11]\r\n  + y\r\n    + 深い [30]\r\n  + zero\r\n" +
                       longText + " [9]\r\n");
    out.clear();
    EXPECT_TRUE(formatItemTree({item("top", 0, 3), item("child", 1, 4)}, "> ", false, &out));
    EXPECT_EQ(out, "> + top\r\n>   + child\r\n");
    out.clear();
    EXPECT_FALSE(formatItemTree({item(""), separator(0), item("a", 0)}, nullptr, true, &out));
    EXPECT_FALSE(formatItemTree({}, nullptr, true, &out));
    EXPECT_EQ(out, "");
}

TEST(SectionFormat, StatusBarAndListItemsWriteTextsOfTwoBytesOrTheFailureLine) {
    EXPECT_EQ(run(formatStatusBar, SectionModel()), "before|" + kFailure);
    EXPECT_EQ(run(formatStatusBar, withItems({item(""), item("1")})), "before|" + kFailure);
    EXPECT_EQ(run(formatStatusBar, withItems({item(""), item("準備完了"), item("a"), item("12")})),
              "before|準備完了\r\n12\r\n");
    EXPECT_EQ(run(formatStatusBar, withItems({}, SectionStatus::Failed)), "before|" + kFailure);

    EXPECT_EQ(run(formatListItems, SectionModel()), "before|" + kFailure);
    EXPECT_EQ(run(formatListItems, withItems({item("b"), item("")})), "before|" + kFailure);
    EXPECT_EQ(run(formatListItems, withItems({item("alpha"), item("b"), item(std::string(300, 'q'))})),
              "before|alpha\r\n" + std::string(300, 'q') + "\r\n");
    // The rest of the list was lost: what was read, then the failure line.
    EXPECT_EQ(run(formatListItems, withItems({item("alpha")}, SectionStatus::CutShort)),
              "before|alpha\r\n" + kFailure);
}

TEST(SectionFormat, TreeKindsAndMenusGetTheFailureLineByTheirOwnRules) {
    EXPECT_EQ(run(formatItemsSection, SectionModel()), "before|" + kFailure);
    EXPECT_EQ(run(formatItemsSection, withItems({item("t"), item("Tab two", 0, 1)})), "before|Tab two\r\n");

    // A menu bar of only short texts, or one read in part.
    EXPECT_EQ(run(formatMenuBar, withItems({item("a", 0, 1), separator(0)})), "before|" + kFailure);
    EXPECT_EQ(run(formatMenuBar, withItems({item("Edit", 0, 2)}, SectionStatus::CutShort)),
              "before|Edit [2]\r\n" + kFailure);
    EXPECT_EQ(run(formatMenuBar, withItems({}, SectionStatus::Failed)), "before|" + kFailure);

    // An added menu: the failure line alone when no item has a text; a menu of only one-byte items writes
    // nothing; a cut one ends with the failure line.
    EXPECT_EQ(run(formatAddedMenu, withItems({separator(0)})), "before|" + kFailure);
    EXPECT_EQ(run(formatAddedMenu, withItems({item("a", 0, 1)})), "before|");
    EXPECT_EQ(run(formatAddedMenu, withItems({item("&Cut", 0, 3), separator(0), item("&Paste", 0, 4)},
                                             SectionStatus::CutShort)),
              "before|&Cut [3]\r\n&Paste [4]\r\n" + kFailure);
}

TEST(SectionFormat, ListViewHeaderAndRowsJoinCellsByTheSeparator) {
    std::string out;
    formatListHeader({"名前", "#", "", "サイズ"}, ";", true, &out);
    EXPECT_EQ(out, "名前;;;サイズ\r\n"); // short titles keep their columns
    out.clear();
    formatListHeader({"#", ""}, "\t", true, &out);
    EXPECT_EQ(out, "");
    formatListHeader({"Name", "Size"}, "\t", false, &out); // stopped: not closed
    EXPECT_EQ(out, "Name\tSize");

    out.clear();
    const std::string longCell(259, 'L');
    formatListRows({{{"a", "", longCell}}, {{"", "", ""}}, {{"d", "e"}}}, 3, "\t", &out);
    EXPECT_EQ(out, "a\t\t" + longCell + "\r\n\t\t\r\nd\te"); // the last row was cut short
    out.clear();
    formatListRows({{{"x"}}, {{""}}, {{}}}, 1, "\t", &out);
    EXPECT_EQ(out, "x\r\n\r\n");

    SectionModel m;
    m.hasHeader = true;
    m.header = {"Col", "Two"};
    m.columns = 2;
    m.status = SectionStatus::Empty;
    out.clear();
    formatListView(m, ", ", &out);
    EXPECT_EQ(out, "Col, Two\r\n" + kFailure);
    m.rows = {{{"r", "1"}}, {{"s"}}};
    m.status = SectionStatus::Stopped;
    out.clear();
    formatListView(m, ", ", &out);
    EXPECT_EQ(out, "Col, Two\r\nr, 1\r\ns");
    m.status = SectionStatus::CutShort;
    out.clear();
    formatListView(m, ", ", &out);
    EXPECT_EQ(out, "Col, Two\r\nr, 1\r\ns" + kFailure);
}

} // namespace
} // namespace vantor
