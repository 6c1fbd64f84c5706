// The formatters: one per kind of control, each turning a section model (capture/section_model.h) into the
// report's lines by the report's rules: texts shorter than two bytes are left out where the report leaves
// them out, list-view cells are joined by the capture's list separator, and a section that obtained nothing
// (or was cut short) gets kFailureLine. Pure functions: they append to *out and touch nothing else.
#pragma once

#include <string>
#include <vector>

#include "capture/section_model.h"

namespace vantor {

// The report line of a reader that obtained nothing.
extern const char kFailureLine[];

// Items in walk order with their depths, one per line: texts of at least 2 bytes (and shorter ones that have
// children, so that the children do not seem to belong to the item before); a top-level item without a
// prefix at the margin, every deeper one (and any one when a prefix is given) after the prefix, two spaces
// per level and "+ "; with withIds, ids above 0 of items that open no sub-menu follow as " [id]". True when
// it wrote a line.
bool formatItemTree(const std::vector<SectionItem>& items, const char* prefix, bool withIds,
                    std::string* out);

// Status bar: one line per part of at least 2 bytes; kFailureLine when none.
void formatStatusBar(const SectionModel& model, std::string* out);
// List box and combo box: one line per item of at least 2 bytes; kFailureLine when none, and after the
// items when the list was cut short.
void formatListItems(const SectionModel& model, std::string* out);
// Tab control, toolbar and tree view: the items by formatItemTree; kFailureLine when it writes none.
void formatItemsSection(const SectionModel& model, std::string* out);
// A window's menu bar: the items with their ids; kFailureLine when none is written, and after the items
// when the menu was read only in part.
void formatMenuBar(const SectionModel& model, std::string* out);
// An added menu: kFailureLine alone when no menu was found or it has no item with a text; otherwise the
// items with their ids, then kFailureLine when it was read only in part.
void formatAddedMenu(const SectionModel& model, std::string* out);

// List view header line: the titles joined by separator, a title shorter than 2 bytes left empty but its
// column kept; nothing when no title is written; closed adds the line break.
// judgedBytes, where given, holds the sizes the titles are judged by (SectionModel::headerJudgedBytes).
void formatListHeader(const std::vector<std::string>& titles, const std::string& separator, bool closed,
                      std::string* out, const std::vector<int>* judgedBytes = nullptr);
// List view rows: the cells of each row joined by separator, a line break after each row that has all its
// columns (a row cut short by a stop request keeps what it has, unclosed).
void formatListRows(const std::vector<SectionRow>& rows, int columns, const std::string& separator,
                    std::string* out);
// A whole list-view section from its model: header line, rows, and kFailureLine when the list gave nothing
// or was cut short (not when a stop request ended it).
void formatListView(const SectionModel& model, const std::string& separator, std::string* out);

} // namespace vantor
