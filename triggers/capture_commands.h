// What starts a capture and how a running one is stopped, kept free of the window system so that it runs on
// the fake desktop too: the controller that knows what the user interface must know across captures, the
// cancel protocol, the body of the window capture thread, the hot-key captures of the control under the
// cursor, and the clipboard block. The application (app/capture_thread.cpp) supplies the CommandHost: the
// user-interface wait, the thread start, the clipboard, the main window and the list separator that each
// capture it starts is given.
//
// Threads: the controller, askStopRunningCapture, captureUnderCursorOf and captureListViewToClipboard run
// on the user-interface thread; runWindowCapture on its own worker thread, on its own session. None of them
// may be called with a capture lock held.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "capture/capture_session.h"
#include "platform/platform.h"

namespace vantor {

// What the user interface knows across captures: the one capture or monitoring pass that may run at a
// time, whether monitoring is on, the window of the last window capture, and the session whose report
// the pane shows and File > Save writes. Owned by the user-interface thread; workers reach only their
// own session.
class CaptureController {
  public:
    CaptureController();
    // The user interface every session it makes shows its progress through (null: nowhere); the shown
    // session takes it too.
    void setUi(CaptureUi* ui);
    CaptureUi& ui() { return ui_ != nullptr ? *ui_ : none_; }
    // A session that shows its progress through ui(), with the separator and read path given.
    std::shared_ptr<CaptureSession> newSession(const std::string& separator,
                                               ReadPathChoice path = ReadPathChoice::BulkAllowed);
    // A session for a capture or pass that starts now with the separator and readPath, marked running (its
    // worker ends it) and made the running one.
    std::shared_ptr<CaptureSession> startSession(const std::string& separator);
    // Whether the capture or pass last started still runs.
    bool captureRunning() const { return running_ != nullptr && running_->running(); }
    // Asks the running capture or pass to stop; it ends at its next check.
    void requestStop();
    // The session whose report the pane shows (an empty one at first); never null.
    CaptureSession& shown() const { return *shown_; }
    const std::shared_ptr<CaptureSession>& shownSession() const { return shown_; }
    void show(std::shared_ptr<CaptureSession> session);
    // Periodic monitoring is on.
    bool monitoring = false;
    // The read path every capture started from now on takes (the setting ForceCrossProcess).
    ReadPathChoice readPath = ReadPathChoice::BulkAllowed;
    // The window of the last window capture (the update command captures it again; the cancel question
    // names it).
    Hwnd currentTarget{};

  private:
    CaptureUi* ui_ = nullptr;
    NoCaptureUi none_;
    std::shared_ptr<CaptureSession> running_;
    std::shared_ptr<CaptureSession> shown_;
};

// "The analysis is still running; stop it?"
extern const char kStopQuestion[];
// The report of a capture whose window has closed.
extern const char kWindowGoneText[];
// The report of a hot-key list-view capture whose list view has closed.
extern const char kNullWindowText[];

class CommandHost {
  public:
    virtual ~CommandHost() = default;
    // The list-view column separator for a capture that starts now (user-interface thread).
    virtual std::string listSeparator() = 0;
    // The owner of the cancel question (the window that has the keyboard focus).
    virtual Hwnd focusWindow() = 0;
    // Waits about ms milliseconds on the user-interface thread while still carrying out the messages other
    // threads send to this thread's windows (a capture worker waits for those while it runs).
    virtual void waitServingMessages(unsigned ms) = 0;
    // Puts the output pane's caret at the start (EM_SETSEL 0, 0).
    virtual void resetPaneSelection() = 0;
    // Starts runWindowCapture(window, *this, *session) on a new detached thread; false when no thread could
    // start.
    virtual bool startCaptureThread(Hwnd window, std::shared_ptr<CaptureSession> session) = 0;
    // From the worker: has the user-interface thread refresh the window list, and waits until it has.
    virtual void requestWindowListRefresh() = 0;
    // From the worker: shows the main window (SW_SHOWNORMAL) and brings it to the foreground.
    virtual void bringMainWindowToFront() = 0;
    // Places block (blockSize bytes, ending in NUL) on the clipboard as CF_TEXT; false when the clipboard
    // could not be opened (nothing is placed then).
    virtual bool placeOnClipboard(const char* block, std::size_t blockSize) = 0;
    // The user interface's controller; the application's hosts share one.
    virtual CaptureController& controller() { return own_; }

  private:
    CaptureController own_;
};

// How the cancel protocol ended.
enum class CancelOutcome {
    NotRunning, // no capture ran: go on at once, nothing asked
    Declined,   // the user answered other than Yes: the caller abandons its command; the capture goes on
    Stopped,    // the running capture stopped: go on
};

inline bool mayGoOn(CancelOutcome o) {
    return o != CancelOutcome::Declined;
}

// The cancel protocol: when a capture runs, asks whether to stop it (caption "title [class]" of the named
// window); on Yes requests the stop and waits, serving the worker's messages, until it has ended.
CancelOutcome askStopRunningCapture(Hwnd named, CommandHost& host);

// At exit: asks a running capture to stop and waits for it at most maxMs (serving messages as the cancel
// protocol does). True when no capture runs any more, so that the shared records may be released; false
// when the capture is still running (the process then ends with it).
bool stopCaptureForExit(CommandHost& host, unsigned maxMs);

// A text appended to the session's report in one locked region.
void appendToReport(CaptureSession& session, const char* text);

// Update window info (menu, F5, hot key, a selected row): the cancel protocol, then the capture thread.
// False when the command was abandoned or no thread could be started.
bool updateWindowInfo(Hwnd window, CommandHost& host);

// The body of the window capture thread, into the session: it takes over the running mark its starter set
// (or marks it running itself) and ends it on its way out. When the session keeps
// models, the window's outline and the model of every section are kept there as well (vantor-cli's
// structured output).
void runWindowCapture(Hwnd window, CommandHost& host, CaptureSession& session);

// The hot-key capture of the control under the cursor: a list view's selected rows to the pane and the
// clipboard, a tree view's selected item to the clipboard, nothing for other controls.
void captureUnderCursorOf(Hwnd window, CommandHost& host);
void captureListViewToClipboard(Hwnd listView, CommandHost& host);

// The clipboard block of a text: its length + 1 bytes, the text's first length bytes and a NUL.
std::size_t clipboardBlockSize(std::size_t length);
void fillClipboardBlock(char* block, const char* text, std::size_t length);
// Builds the block and places it; false when it could not be placed.
bool copyToClipboard(const char* text, std::size_t length, CommandHost& host);

} // namespace vantor
