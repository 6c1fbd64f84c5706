// One capture and everything it needs: its report and capture text tree, the list separator and read-path
// choice it was started with, its stop request, the user interface it shows progress through (section
// buttons, the pane refresh; a do-nothing one for vantor-cli and tests), and, when asked to keep them, the
// captured window's outline and the model of every section it wrote, in report order (structured output).
// The window capture command, each monitoring pass, the hot-key list capture, each added menu, vantor-cli
// and the tests each make their own; nothing of one capture is seen by the next.
//
// Threads: the thread that runs the capture writes it. The report and the tree are reached only through a
// CaptureLock on the session (capture/capture_lock.h), so that the user-interface thread may read the
// report of a running capture; the stop request and the running count are atomic.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "capture/accessible_reader.h"
#include "capture/capture_ui.h"
#include "capture/read_path.h"
#include "capture/report_buffer.h"
#include "capture/section_model.h"
#include "inventory/text_node.h"
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
    // ui: where its progress goes (null: nowhere). readPath: how its readers reach other processes'
    // controls.
    explicit CaptureSession(CaptureUi* ui = nullptr, std::string separator = "\t",
                            ReadPathChoice readPath = ReadPathChoice::BulkAllowed);
    ~CaptureSession();
    CaptureSession(const CaptureSession&) = delete;
    CaptureSession& operator=(const CaptureSession&) = delete;

    // The list-view column separator, fixed when the capture starts.
    const std::string& listSeparator() const { return separator_; }
    // The read path, fixed when the capture starts.
    ReadPathChoice readPath() const { return readPath_; }
    // Changes it for the reads from now on (a test reusing one session for both paths). Its own thread only.
    void setReadPath(ReadPathChoice readPath) { readPath_ = readPath; }
    CaptureUi& ui() const { return ui_ != nullptr ? *ui_ : none_; }
    // Shows its progress through ui from now on (null: nowhere). Its own thread, or its owner's before the
    // capture runs.
    void setUi(CaptureUi* ui) { ui_ = ui; }

    // Set by another thread to end this capture at its next check; never cleared.
    void requestStop() { stop_.store(true); }
    bool stopRequested() const { return stop_.load(); }

    // Whether the capture runs: from begin() (its starter marks it before the worker starts) to the
    // matching end() on the worker's way out. Sections another session gives it meanwhile wait for the end
    // of the section being written (landAdditions).
    void begin() { running_.fetch_add(1); }
    void end();
    bool running() const { return running_.load() > 0; }

    // Shows the report in the pane: a snapshot under the lock, then ui().showReport without it.
    void showProgress();

    // Appends the section of an added menu's own session (its items text; the header chosen here) with its
    // "Menu" button; while this session runs, only after the section it is writing now. When it lands at
    // once, the menu's tree becomes this session's tree (from's tree is then this one's old one). Any
    // thread; from is the caller's.
    void addMenuSection(const std::string& items, CaptureSession* from = nullptr);
    // Writes the sections that waited for the section just finished. The capture's own thread, without
    // the lock.
    void landAdditions();

    // Kept only when set (vantor-cli's structured output): the outline and the section models.
    bool keepModels = false;
    OutlineWindow outline;
    std::vector<CapturedSection> sections;

    // Keeps a section's model, moved in, after the sections kept before it, with the report bytes its
    // content took where the caller knows them.
    void keep(CapturedKind kind, SectionModel&& model, std::size_t reportStart = 0,
              std::size_t reportEnd = 0) {
        sections.push_back({kind, std::move(model), reportStart, reportEnd});
    }

  private:
    friend class CaptureLock;
    // Appends an added-menu section under the held lock; the line of its header.
    int appendMenuLocked(const std::string& items);
    void landLocked(std::vector<int>* lines);
    // After menu sections landed at lines (without the lock): their buttons, the pane, the main window.
    void showLanded(const std::vector<int>& lines);

    CaptureUi* ui_;
    mutable NoCaptureUi none_;
    std::string separator_;
    ReadPathChoice readPath_;
    std::atomic<bool> stop_{false};
    std::atomic<int> running_{0};
    std::mutex mutex_;
    ReportBuffer report_;
    std::unique_ptr<TextNode> tree_;
    std::vector<std::string> waiting_; // added-menu items texts waiting for the end of a section
};

// Marks a session running for a scope (end() on the way out); release() ends it early, once.
class SessionRun {
  public:
    explicit SessionRun(CaptureSession& session, bool begun = false) : session_(session) {
        if (!begun) session_.begin();
    }
    ~SessionRun() { release(); }
    SessionRun(const SessionRun&) = delete;
    SessionRun& operator=(const SessionRun&) = delete;
    void release() {
        if (!released_) session_.end();
        released_ = true;
    }

  private:
    CaptureSession& session_;
    bool released_ = false;
};

// The window and its descendants, depth first, with class names, titles and control ids.
void readOutline(Hwnd window, OutlineWindow* out);

// The accessible tree of a window as a section: per item its name (text) and value, depth as walked, texts
// converted whole from UTF-16 to UTF-8 (the model's textsUtf8 is set); status cut short for a cut tree.
SectionModel accessibleSection(const AccessibleModel& accessible, Hwnd window, const std::string& className);

} // namespace vantor
