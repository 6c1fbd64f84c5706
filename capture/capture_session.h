// One capture's result as data: the captured window's outline and, in report order, the section model of
// every section the capture wrote, each with the kind it is written under. The caller makes one per capture
// and hands it down to the dispatcher (captureWindow); a capture given none only writes its report.
// Structured output (JSON, CSV) reads from it; the report's text does not depend on it.
//
// Threads: owned by the thread that runs the capture; no other thread reaches it.
#pragma once

#include <string>
#include <vector>

#include "capture/accessible_reader.h"
#include "capture/section_model.h"
#include "platform/platform.h"

namespace vantor {

// A window of the outline: the captured window and, in z-order, its children with theirs.
struct OutlineWindow {
    Hwnd handle{};
    std::string className; // code page 932
    std::string title;     // code page 932, or UTF-8 when titleUtf8 is set (read wide from a Unicode window)
    bool titleUtf8 = false;
    int controlId = 0; // a child window's identifier; 0 for a top-level window
    std::vector<OutlineWindow> children;
};

// What a section stands for: a control read by its kind, a window's menu bar, an added menu, a window's
// accessible objects.
enum class CapturedKind { Control, MenuBar, AddedMenu, Accessible };

struct CapturedSection {
    CapturedKind kind = CapturedKind::Control;
    SectionModel model;
    // The report bytes [reportStart, reportEnd) its formatted content took, after its caption; both 0 when
    // not known.
    std::size_t reportStart = 0;
    std::size_t reportEnd = 0;
};

class CaptureSession {
  public:
    OutlineWindow outline;
    std::vector<CapturedSection> sections;

    // Keeps a section's model, moved in, after the sections kept before it, with the report bytes its
    // content took where the caller knows them.
    void keep(CapturedKind kind, SectionModel&& model, std::size_t reportStart = 0,
              std::size_t reportEnd = 0) {
        sections.push_back({kind, std::move(model), reportStart, reportEnd});
    }
};

// The window and its descendants, depth first, with class names, titles and control ids.
void readOutline(Hwnd window, OutlineWindow* out);

// The accessible tree of a window as a section: per item its name (text) and value, depth as walked, texts
// converted whole from UTF-16 to UTF-8 (the model's textsUtf8 is set); status cut short for a cut tree.
SectionModel accessibleSection(const AccessibleModel& accessible, Hwnd window, const std::string& className);

} // namespace vantor
