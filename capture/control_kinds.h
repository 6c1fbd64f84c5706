// The kinds of control a capture writes a section for, in one table: for each its kind (the class names
// that give it are in inventory/classify.cpp), the section caption and button label, its reader (control
// to section model), its formatter (model to report text), whether what it read is kept as the capture text
// tree, and the request it sends on the bulk path (0: it has none). Adding a kind means a row here, a reader
// and a formatter.
#pragma once

#include <cstdint>
#include <string>

#include "capture/read_path.h"
#include "capture/section_model.h"
#include "inventory/classify.h"

namespace vantor {
class CaptureSession;
}

namespace vantor {

struct ControlKindEntry {
    ControlKind kind;
    const char* caption; // the section's header; one %s: the class name
    const char* label;   // the section's button
    void (*read)(Hwnd control, ReadPathChoice choice, SectionModel* model);
    void (*format)(const SectionModel& model, const std::string& separator, std::string* out);
    // Writes its section itself while it reads, so that the pane can show a long list as it grows; read and
    // format are then null. With keep, what it read is also kept there as the section's model.
    void (*stream)(CaptureSession& session, Hwnd control, SectionModel* keep);
    bool keepsTree;            // what it read becomes the capture text tree
    std::uint32_t bulkRequest; // wire::kBulk... of its bulk request, 0 for none
};

// The entry of a kind; null for a kind without a section of its own.
const ControlKindEntry* controlKindEntry(ControlKind kind);

} // namespace vantor
