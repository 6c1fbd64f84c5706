// The capture's CSV and JSON: RFC 4180 records read back by a parser of the test's own (commas, quotes, line
// breaks, the list separator), whole tables byte for byte, and the JSON document parsed by nlohmann-json and
// compared with an expected document written out here. Section texts are code page 932, outputs UTF-8.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "capture/section_csv.h"
#include "capture/section_json.h"
#include "platform/fake/fake_desktop.h"

namespace vantor {
namespace {

// RFC 4180: records end with CR LF; a quoted field may hold commas, CR, LF and doubled quotes.
std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    std::size_t i = 0;
    bool quoted = false, fieldStarted = false;
    while (i < text.size()) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                i += 2;
            } else if (c == '"') {
                quoted = false;
                ++i;
            } else {
                field += c;
                ++i;
            }
        } else if (c == '"') {
            quoted = fieldStarted = true;
            ++i;
        } else if (c == ',') {
            record.push_back(field);
            field.clear();
            ++i;
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            if (fieldStarted || !field.empty() || !record.empty()) record.push_back(field);
            records.push_back(record);
            record.clear();
            field.clear();
            fieldStarted = false;
            i += 2;
        } else {
            field += c;
            fieldStarted = true;
            ++i;
        }
    }
    return records;
}

class StructuredOutputTest : public ::testing::Test {
  protected:
    void SetUp() override { desktop.install(); }
    fake::FakeDesktop desktop;
};

TEST_F(StructuredOutputTest, CsvRecordsRoundTripWhateverTheirFieldsHold) {
    const std::vector<std::string> fields = {
        "12,584 K", "say \"hi\"", "two\r\nlines", "lf\nonly", "cr\ronly", "tab\tand;semicolon", "", "plain"};
    std::string text;
    appendCsvRecord(fields, &text);
    appendCsvRecord({""}, &text);
    appendCsvRecord({"", ""}, &text);
    EXPECT_EQ(text, "\"12,584 K\",\"say \"\"hi\"\"\",\"two\r\nlines\",\"lf\nonly\",\"cr\ronly\","
                    "tab\tand;semicolon,,plain\r\n\"\"\r\n,\r\n");
    const auto records = parseCsv(text);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], fields);
    EXPECT_EQ(records[1], std::vector<std::string>{""});
    EXPECT_EQ(records[2], (std::vector<std::string>{"", ""}));
}

TEST_F(StructuredOutputTest, CsvTablesNameTheirControlAndKeepEveryText) {
    SectionModel list;
    list.kind = ControlKind::ListView;
    list.control = static_cast<Hwnd>(0x1A2B);
    list.className = "SysListView32";
    list.hasHeader = true;
    list.header = {"名前", "x", ""};
    list.columns = 3;
    list.rows = {{{"りんご", "", "1"}}, {{"a,b", "\"q\"", "12,584 K"}}};
    SectionModel box;
    box.kind = ControlKind::ListBox;
    box.control = static_cast<Hwnd>(0x20);
    box.className = "ListBox";
    box.items.resize(2);
    box.items[0].text = "x";
    SectionModel status;
    status.kind = ControlKind::StatusBar;
    EXPECT_TRUE(hasCsvTable(list));
    EXPECT_FALSE(hasCsvTable(status));
    std::string text;
    appendCsvTable(list, 0, &text);
    appendCsvTable(status, 1, &text);
    appendCsvTable(box, 1, &text);
    EXPECT_EQ(text, "control,list_view,0x1A2B,SysListView32\r\n"
                    "\xE5\x90\x8D\xE5\x89\x8D,x,\r\n"
                    "\xE3\x82\x8A\xE3\x82\x93\xE3\x81\x94,,1\r\n"
                    "\"a,b\",\"\"\"q\"\"\",\"12,584 K\"\r\n"
                    "\r\n"
                    "control,list_box,0x20,ListBox\r\n"
                    "x\r\n"
                    "\"\"\r\n");
}

TEST_F(StructuredOutputTest, JsonDocumentHoldsTheWindowTreeAndEverySectionAsData) {
    JsonWindow window;
    window.handle = static_cast<Hwnd>(0x100);
    window.className = "VantorSpecimen";
    window.title = "標本";
    JsonWindow child;
    child.handle = static_cast<Hwnd>(0x104);
    child.className = "SysListView32";
    child.controlId = 1003;
    window.children.push_back(child);

    SectionModel list;
    list.kind = ControlKind::ListView;
    list.status = SectionStatus::CutShort;
    list.path = SectionPath::BulkThenCrossProcess;
    list.control = static_cast<Hwnd>(0x104);
    list.className = "SysListView32";
    list.columns = 2;
    list.rows = {{{"x", ""}}};
    SectionModel tree;
    tree.kind = ControlKind::TreeView;
    tree.status = SectionStatus::Read;
    tree.path = SectionPath::Bulk;
    tree.items.resize(2);
    tree.items[0].text = "根";
    tree.items[1].text = "y";
    tree.items[1].depth = 1;
    SectionModel menu;
    menu.status = SectionStatus::Read;
    menu.items.resize(3);
    menu.items[0].text = "File";
    menu.items[0].subMenu = true;
    menu.items[0].id = -1;
    menu.items[1].text = "Open";
    menu.items[1].id = 40001;
    menu.items[1].depth = 1;
    menu.items[1].checked = true;
    menu.items[2].separator = true;
    menu.items[2].depth = 1;
    menu.items[2].greyed = true;
    SectionModel status;
    status.kind = ControlKind::StatusBar;
    status.status = SectionStatus::Failed;
    status.path = SectionPath::CrossProcess;
    status.items.resize(1);
    status.items[0].id = 2;

    const std::string text = captureJson(window, {{&list, kindName(list.kind)},
                                                  {&tree, kindName(tree.kind)},
                                                  {&menu, "menu_bar"},
                                                  {&status, kindName(status.kind)}});
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    const nlohmann::json actual = nlohmann::json::parse(text, nullptr, false);
    ASSERT_FALSE(actual.is_discarded()) << text;
    const nlohmann::json expected = nlohmann::json::parse(R"({
      "format": "vantor-capture", "version": 1,
      "window": {"handle": "0x100", "class": "VantorSpecimen", "title": "\u6a19\u672c", "control_id": 0,
                 "children": [{"handle": "0x104", "class": "SysListView32", "title": "", "control_id": 1003,
                               "children": []}]},
      "sections": [
        {"kind": "list_view", "handle": "0x104", "class": "SysListView32", "path": "bulk_then_cross_process",
         "status": "cut_short", "columns": 2, "rows": [["x", ""]]},
        {"kind": "tree_view", "handle": "0x0", "class": "", "path": "bulk", "status": "read",
         "items": [{"text": "\u6839", "depth": 0}, {"text": "y", "depth": 1}]},
        {"kind": "menu_bar", "handle": "0x0", "class": "", "path": "none", "status": "read",
         "items": [
           {"text": "File", "id": -1, "depth": 0, "separator": false, "sub_menu": true, "checked": false,
            "greyed": false},
           {"text": "Open", "id": 40001, "depth": 1, "separator": false, "sub_menu": false, "checked": true,
            "greyed": false},
           {"text": "", "id": 0, "depth": 1, "separator": true, "sub_menu": false, "checked": false,
            "greyed": true}]},
        {"kind": "status_bar", "handle": "0x0", "class": "", "path": "cross_process", "status": "failed",
         "items": [{"text": "", "part": 2}]}
      ]})");
    EXPECT_EQ(actual, expected) << actual.dump(2);
}

// The rows of a list view are written straight into the document: byte for byte what nlohmann-json writes
// for the same cells, quotes, backslashes, control characters and multi-byte texts included.
TEST_F(StructuredOutputTest, ListViewRowsAreEscapedAsTheLibraryEscapesThem) {
    JsonWindow window;
    window.handle = static_cast<Hwnd>(0x10);
    SectionModel list;
    list.kind = ControlKind::ListView;
    list.status = SectionStatus::Read;
    list.hasHeader = true;
    list.header = {"h\"1", ""};
    list.columns = 2;
    list.rows = {{{"a\"b", "c\\d"}}, {{std::string("\x01\x1f\t\n\r\b\f", 7), "りんご \x7f/"}}, {{"", ""}}};
    const std::string text = captureJson(window, {{&list, "list_view"}});
    const nlohmann::json whole{{"format", "vantor-capture"},
                               {"sections", nlohmann::json::array({sectionJson(list, "list_view")})},
                               {"version", 1},
                               {"window", windowJson(window)}};
    EXPECT_EQ(text, whole.dump() + "\n");
    const nlohmann::json parsed = nlohmann::json::parse(text, nullptr, false);
    ASSERT_FALSE(parsed.is_discarded()) << text;
    EXPECT_EQ(parsed["sections"][0]["rows"],
              nlohmann::json::parse(R"([["a\"b", "c\\d"], ["\u0001\u001f\t\n\r\b\f", "\u308a\u3093\u3054 )"
                                    "\x7f"
                                    R"(/"], ["", ""]])"));
    EXPECT_EQ(parsed["sections"][0]["status"], "read");
}

} // namespace
} // namespace vantor
