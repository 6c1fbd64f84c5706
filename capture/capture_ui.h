// What the capture engine asks of the user interface: section buttons, showing the report in the output
// pane, bringing the main window up. The application implements it with synchronous messages to its
// user-interface thread and gives it to its capture controller; the tests give their own.
// Each capture session holds the one it shows its progress through (the do-nothing one when given none).
// The engine never calls it while holding a capture lock (a synchronous message to the user-interface
// thread under that lock would deadlock against that thread waiting for the lock to read the report).
#pragma once

#include "platform/platform.h"

namespace vantor {

class CaptureUi {
  public:
    virtual ~CaptureUi() = default;
    // A toolbar button with the label whose command is the report line number.
    virtual void addSectionButton(const char* label, int line) = 0;
    virtual void clearSectionButtons() = 0;
    // Prepares the output pane and sets its text to `text` (a snapshot of the report; may be null), then
    // raises its limit to the text's length + 65536.
    virtual void showReport(const char* text) = 0;
    // ShowWindow(mainWindow, SW_SHOWNORMAL).
    virtual void showMainWindow() = 0;
    // The program's main window (none outside the application).
    virtual Hwnd mainWindow() = 0;
};

// The interface of a session or controller given none: shows nothing; the main window is none.
class NoCaptureUi : public CaptureUi {
  public:
    void addSectionButton(const char* label, int line) override;
    void clearSectionButtons() override;
    void showReport(const char* text) override;
    void showMainWindow() override;
    Hwnd mainWindow() override;
};

} // namespace vantor
