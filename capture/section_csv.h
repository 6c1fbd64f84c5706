// CSV of a capture's tables (RFC 4180, UTF-8): the list views, list boxes and combo boxes of a capture,
// one table per control. Each table begins with a record naming its control ("control", its kind, its
// handle as 0xHEX, its class name); then the list view's column titles when it has a header, then one record
// per row (list box and combo box: one field per item); a blank line separates two tables. Fields holding a
// comma, a double quote, a CR or an LF are quoted, their quotes doubled, and so is a record's one empty
// field; every record ends with CR LF.
// Pure functions over the section model; texts are converted from code page 932 by utf8FromAnsi.
#pragma once

#include <string>
#include <vector>

#include "capture/capture_session.h"
#include "capture/section_model.h"

namespace vantor {

// One record: the fields (UTF-8) joined by commas, quoted where needed, and CR LF.
void appendCsvRecord(const std::vector<std::string>& fields, std::string* out);

// Whether the section becomes a CSV table (a list view, list box or combo box).
bool hasCsvTable(const SectionModel& model);

// The section's table as described above; nothing for a section without one. tableIndex 0 is the first
// table (no blank line before it).
void appendCsvTable(const SectionModel& model, int tableIndex, std::string* out);

// The tables of a capture session's sections, in report order (empty when it has none).
std::string captureCsv(const CaptureSession& session);

} // namespace vantor
