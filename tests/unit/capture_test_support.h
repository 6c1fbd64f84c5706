// Shared set-up for the capture-engine unit tests: a fake desktop installed as the platform, a window root
// and a capture session of its own per test (report, capture tree, separator, stop request), a CaptureUi
// that records what the engine asks of the user interface, and the engine's calls bound to the test's
// session. Test thread only, except where a test says otherwise.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "capture/bar_readers.h"
#include "capture/capture_lock.h"
#include "capture/capture_session.h"
#include "capture/capture_state.h"
#include "capture/capture_ui.h"
#include "capture/dispatcher.h"
#include "capture/in_process_readers.h"
#include "capture/list_view_reader.h"
#include "capture/menu_capture.h"
#include "capture/report_buffer.h"
#include "capture/structure_report.h"
#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_desktop.h"
#include "platform/wire.h"

namespace vantor {
namespace testing_support {

// Records every call; safe to call from several threads.
class RecordingUi : public CaptureUi {
  public:
    void addSectionButton(const char* label, int line) override {
        std::lock_guard<std::mutex> g(m);
        buttons.emplace_back(label, line);
    }
    void clearSectionButtons() override {
        std::lock_guard<std::mutex> g(m);
        buttons.clear();
        ++clears;
    }
    void showReport(const char* text) override {
        std::lock_guard<std::mutex> g(m);
        shown.push_back(text != nullptr ? text : "(null)");
    }
    void showMainWindow() override {
        std::lock_guard<std::mutex> g(m);
        ++mainWindowShown;
    }
    Hwnd mainWindow() override { return main; }

    std::mutex m;
    std::vector<std::pair<std::string, int>> buttons;
    std::vector<std::string> shown;
    int clears = 0;
    int mainWindowShown = 0;
    Hwnd main{};
};

// The fixed texts the user sees, written out here rather than taken from the program, so that a change
// to one of them shows in the tests.
constexpr char kFailureText[] = "情報をうまく取得できませんでした\r\n";
constexpr char kStopQuestionText[] = "まだ解析中ですが解析を停止しますか？";
constexpr char kWindowGoneReport[] = "このウインドウは既に存在しません．\r\nウインドウリストを更新しました．";

class EngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        desktop.install();
        createCaptureState();
        startAddedMenuLoop();
        pid = desktop.addProcess(64);
    }
    void TearDown() override {
        destroyCaptureState();
        EXPECT_EQ(desktop.problems(), "");
    }

    // The session's records between two engine calls, while no capture runs (the lock taken for them is
    // released again when the statement ends).
    ReportBuffer& reportNow() { return CaptureLock(session).report(); }
    TextNode* treeNow() { return CaptureLock(session).tree(); }

    // The engine's calls on the test's session.
    void captureWindow(Hwnd w, bool full) { vantor::captureWindow(session, w, full); }
    void writeStructureReport(Hwnd w, const char* indentation) {
        vantor::writeStructureReport(session, w, indentation);
    }
    void readListViewRows(Hwnd w, bool selectedOnly, SectionModel* keep = nullptr) {
        vantor::readListViewRows(session, w, selectedOnly, keep);
    }
    void readListViewHeader(Hwnd w, SectionModel* keep = nullptr) {
        vantor::readListViewHeader(session, w, keep);
    }
    void readStatusBar(Hwnd w) { vantor::readStatusBar(session, w); }
    void readTabControl(Hwnd w) { vantor::readTabControl(session, w); }
    void readToolbar(Hwnd w) { vantor::readToolbar(session, w); }
    void readTreeView(Hwnd w) { vantor::readTreeView(session, w); }
    void readListBox(Hwnd w) { vantor::readListBox(session, w); }
    void readComboBox(Hwnd w) { vantor::readComboBox(session, w); }
    void captureMenuBar(Hwnd w) { vantor::captureMenuBar(session, w); }
    void buildMenuTree(Hwnd w, Hmenu m) { vantor::buildMenuTree(session, w, m); }
    void captureAddedMenu(Hwnd w, Hmenu m) { vantor::captureAddedMenu(session, w, m); }
    void showReportInPane() { session.showProgress(); }
    // The test's session as a shared one that the test keeps alive (for a controller to show).
    std::shared_ptr<CaptureSession> sharedSession() {
        return std::shared_ptr<CaptureSession>(&session, [](CaptureSession*) {});
    }

    // The report's text ("" when empty), after checking that lineCount matches its line feeds.
    std::string reportText() {
        CaptureLock hold(session);
        std::string s = hold.report().text != nullptr ? hold.report().text : "";
        int lineFeeds = 0;
        for (char c : s)
            lineFeeds += c == '\n' ? 1 : 0;
        EXPECT_EQ(hold.report().lineCount, lineFeeds);
        return s;
    }

    // Line n (counted from 0, split at line feeds, a trailing CR dropped) of text.
    static std::string lineOf(const std::string& text, int n) {
        std::size_t start = 0;
        for (int i = 0; i < n; ++i) {
            start = text.find('\n', start);
            if (start == std::string::npos) return "<no such line>";
            ++start;
        }
        std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
    }

    fake::FakeDesktop desktop;
    RecordingUi ui;
    CaptureSession session{&ui};
    std::uint32_t pid = 0;
};

} // namespace testing_support
} // namespace vantor
