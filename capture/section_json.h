// The JSON document of a capture (UTF-8, nlohmann-json): a format name and version, the captured window's
// tree, and one object per section in report order with its kind, its control's handle and class, the read
// path taken, its status and its content as data. Nothing the report's text rules drop is dropped here:
// one-byte and empty texts, separators and menu item states stay. Texts are converted from code page 932 by
// utf8FromAnsi (a model whose texts are UTF-8 already, the accessible section's, is taken as it is). Pure
// functions over the section model.
//
// A section object:
//   {"kind": "list_view", "handle": "0x1A2B", "class": "SysListView32", "path": "bulk", "status": "read",
//    "header": ["名前", ...] (only with a header), "columns": 3, "rows": [["りんご", "", "1"], ...]}
// other kinds carry "items" instead of header, columns and rows:
//   list_box, combo_box:                     ["text", ...]
//   tree_view:                               [{"text", "depth"}, ...]
//   tab_control:                             [{"text", "index"}, ...]
//   toolbar:                                 [{"text", "id"}, ...]
//   status_bar:                              [{"text", "part"}, ...]
//   menu_bar, added_menu:                    [{"text", "id", "depth", "separator", "sub_menu", "checked",
//                                               "greyed"}, ...]
//   accessible:                              [{"text", "value", "depth"}, ...]
//   edit, static, button, ... (one text):    [{"text"}]
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "capture/capture_session.h"
#include "capture/section_model.h"

namespace vantor {

// The document's format name and version; a reader checks both.
constexpr char kCaptureJsonFormat[] = "vantor-capture";
constexpr int kCaptureJsonVersion = 1;

// The captured window and its children, as the structure report lists them.
using JsonWindow = OutlineWindow;

// A section and the kind name it is written under: the control kinds' names come from kindName; a menu
// section (whose model has no control kind of its own) passes "menu_bar" or "added_menu", the accessible
// section "accessible".
struct JsonSection {
    const SectionModel* model;
    const char* kind;
};

// "list_view", "list_box", ...; "other" for ControlKind::Other.
const char* kindName(ControlKind kind);

nlohmann::json windowJson(const JsonWindow& window);
nlohmann::json sectionJson(const SectionModel& model, const char* kind);
// The whole document; the text ends with one LF.
std::string captureJson(const JsonWindow& window, const std::vector<JsonSection>& sections);
// The document of a capture session: its outline and its sections under their kinds' names.
std::string captureJson(const CaptureSession& session);
// The name a session's section is written under: kindName of its control, or "menu_bar", "added_menu",
// "accessible".
const char* capturedKindName(const CapturedSection& section);
// The sections alone, as the document's "sections" array (no line end).
std::string sectionsJson(const std::vector<JsonSection>& sections);

} // namespace vantor
