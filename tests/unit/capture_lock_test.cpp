// Unit tests of the capture lock rule: a full capture on one thread while another thread keeps adding
// menu sections to its session, with a user interface that does not return until the other thread has got
// through the lock (so a lock held across a user-interface call shows as a time-out, not as a hang);
// afterwards the report must be the capture's own text with whole added-menu sections between its
// sections, every section button must point at its header, and the capture text tree must be intact. Also:
// an added menu arriving while a section is being written lands after that section, and the pane snapshot.
#include "capture/capture_lock.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "capture/dispatcher.h"
#include "capture_test_support.h"
#include "capture/structure_report.h"

namespace vantor {
namespace {

using testing_support::EngineTest;

constexpr char kSeparatorLine[] =
    "----------------------------------------------------------------------------\r\n";

// Which of the two test threads is calling: 0 the capture worker, 1 the menu thread.
thread_local int role = -1;

class HandshakeUi : public CaptureUi {
  public:
    struct Button {
        int role;
        std::string label;
        int line;
    };
    void addSectionButton(const char* label, int line) override {
        {
            std::lock_guard<std::mutex> g(m);
            buttons.push_back({role, label, line});
        }
        waitForOtherThread();
    }
    void clearSectionButtons() override {}
    void showReport(const char* text) override {
        EXPECT_NE(text, nullptr);
        waitForOtherThread();
    }
    void showMainWindow() override { EXPECT_FALSE(captureLockHeldByThisThread()); }
    Hwnd mainWindow() override { return Hwnd{}; }

    // Returns once the other thread has taken the capture lock since this call began, or is itself inside a
    // call of this interface, or has finished. If this thread held the lock, the other could not take it:
    // the wait then ends by the time-out and counts as a failure.
    void waitForOtherThread() {
        EXPECT_FALSE(captureLockHeldByThisThread());
        const int self = role;
        const int other = 1 - self;
        inCall[self] = true;
        const unsigned long long start = captureLockAcquisitions();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (;;) {
            if (captureLockAcquisitions() != start) {
                ++handshakes[self];
                break;
            }
            if (inCall[other] || finished[other]) break;
            if (std::chrono::steady_clock::now() > deadline) {
                ++timeouts;
                break;
            }
            std::this_thread::yield();
        }
        inCall[self] = false;
    }

    std::mutex m;
    std::vector<Button> buttons;
    std::atomic<bool> inCall[2] = {{false}, {false}};
    std::atomic<bool> finished[2] = {{false}, {false}};
    std::atomic<int> handshakes[2] = {{0}, {0}};
    std::atomic<int> timeouts{0};
};

class CaptureLockTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        frame = desktop.addWindow(Hwnd{}, "Frame", "Busy application", pid);
        Hmenu bar = desktop.addMenu();
        Hmenu file = desktop.addMenu();
        desktop.addMenuItem(file, "&Open", 100);
        desktop.addMenuItem(file, "E&xit", 101);
        desktop.addMenuItem(bar, "&File", 0, file);
        desktop.setMenu(frame, bar);
        for (int i = 0; i < 8; ++i) {
            const std::string n = std::to_string(i);
            fake::addListBox(desktop, frame, pid, {"list " + n + " a", "list " + n + " b"});
        }
        Hwnd panel = desktop.addWindow(frame, "Panel", "", pid);
        fake::addTreeView(desktop, panel, pid, {{"Tree root", {{"Tree leaf", {}}}}, {"Tree second", {}}});
        fake::addEdit(desktop, panel, pid, "edit text");
        fake::addStatusBar(desktop, frame, pid, {"Ready"});

        menuWindow[0] = desktop.addWindow(Hwnd{}, "OtherApp", "Other A", pid);
        menuWindow[1] = desktop.addWindow(Hwnd{}, "OtherApp", "Other B", pid);
        for (int i = 0; i < 2; ++i) {
            menu[i] = desktop.addMenu();
            desktop.addMenuItem(menu[i], i == 0 ? "&Copy" : "&Cut", 10 + i);
            desktop.addMenuItem(menu[i], "&Paste", 20 + i);
        }
        section[0] = std::string(kSeparatorLine) + "■ 追加メニュー\r\n&Copy [10]\r\n&Paste [20]\r\n";
        section[1] = std::string(kSeparatorLine) + "■ 追加メニュー\r\n&Cut [11]\r\n&Paste [21]\r\n";
    }

  public:
    void addMenu(int i) { captureAddedMenu(menuWindow[i], menu[i]); }
    CaptureSession& captured() { return session; }

  protected:
    void captureRounds(int rounds) {
        for (int i = 0; i < rounds; ++i) {
            writeStructureReport(frame, nullptr);
            captureWindow(frame, true);
        }
    }

    Hwnd frame{};
    Hwnd menuWindow[2]{};
    Hmenu menu[2]{};
    std::string section[2];
};

// Checks the links of every node below node.
void expectTreeIntact(const TextNode* node) {
    const TextNode* prev = nullptr;
    for (const TextNode* c = node->firstChild(); c != nullptr; c = c->next()) {
        EXPECT_EQ(c->parent(), node);
        EXPECT_EQ(c->prev(), prev);
        expectTreeIntact(c);
        prev = c;
    }
}

TEST_F(CaptureLockTest, CaptureAndAddedMenusOnTwoThreadsKeepTheReportAndTreeConsistent) {
    constexpr int kRounds = 12;
    // The capture's text on its own, as reference.
    reportNow().append("start\n", 6);
    captureRounds(kRounds);
    const std::string alone = reportText();
    ASSERT_NE(alone.find("Tree leaf"), std::string::npos);
    {
        CaptureLock hold(session);
        hold.report().clear();
        hold.discardTreeItems();
    }
    reportNow().append("start\n", 6);

    HandshakeUi blocking;
    session.setUi(&blocking);
    int menusAdded = 0;
    std::thread worker([&] {
        role = 0;
        captureRounds(kRounds);
        blocking.finished[0] = true;
    });
    std::thread menus([&] {
        role = 1;
        // A menu that waits for the end of a section costs this thread no user-interface call: it waits
        // for the worker to get through the lock, as the user interface would, so that menus do not pile up.
        for (int i = 0; (!blocking.finished[0] && i < 400) || i < 20; ++i) {
            captureAddedMenu(menuWindow[i % 2], menu[i % 2]);
            ++menusAdded;
            blocking.waitForOtherThread();
        }
        blocking.finished[1] = true;
    });
    worker.join();
    menus.join();
    session.setUi(&ui);

    EXPECT_EQ(blocking.timeouts, 0);
    // The threads really did overlap: a user-interface call saw the other thread pass the lock. (Which
    // thread sees it depends on scheduling; a lock held across the call shows as a time-out above.)
    EXPECT_GT(blocking.handshakes[0] + blocking.handshakes[1], 0);

    const std::string text = reportText();
    // Every section button points at its own header line.
    int menuButtons = 0;
    for (const HandshakeUi::Button& b : blocking.buttons) {
        const std::string header = lineOf(text, b.line);
        // A menu given while a section was written lands, with its button, after that section.
        if (header == "■ 追加メニュー") ++menuButtons;
        if (b.role == 1) {
            EXPECT_EQ(header, "■ 追加メニュー") << b.line;
        } else if (b.label == "Menu" && header != "■ 追加メニュー") {
            EXPECT_EQ(header, "■ メニュー情報") << b.line;
        } else {
            EXPECT_EQ(header.compare(0, 3, "■ "), 0) << b.label << " " << b.line << " " << header;
        }
    }
    EXPECT_EQ(menuButtons, menusAdded);

    // Taking out the whole added-menu sections leaves exactly the capture's own text.
    std::string rest = text;
    int removed = 0;
    for (const std::string& s : section) {
        for (std::size_t at = rest.find(s); at != std::string::npos; at = rest.find(s, at)) {
            rest.erase(at, s.size());
            ++removed;
        }
    }
    EXPECT_EQ(removed, menusAdded);
    EXPECT_EQ(rest, alone);

    expectTreeIntact(treeNow());
}

TEST_F(CaptureLockTest, TreeSectionsPrintTheirOwnItemsWhileMenusArriveWithoutPause) {
    // Between the reader installing its tree and the dispatcher printing it, the menu thread may get the
    // lock; the section must still print the tree view's items, never the menu's.
    Hwnd tree = fake::addTreeView(desktop, frame, pid, {{"Tree item", {}}});
    constexpr int kPasses = 400;
    // A first line, so that every added-menu section (even one that comes first) has its hyphen line.
    reportNow().append("start\n", 6);
    std::atomic<bool> done{false};
    std::thread menus([&] {
        for (int i = 0; !done; ++i)
            captureAddedMenu(menuWindow[i % 2], menu[i % 2]);
    });
    for (int i = 0; i < kPasses; ++i)
        captureWindow(tree, false);
    done = true;
    menus.join();
    std::string rest = reportText();
    for (const std::string& s : section) {
        for (std::size_t at = rest.find(s); at != std::string::npos; at = rest.find(s, at))
            rest.erase(at, s.size());
    }
    std::string expected = "start\n";
    for (int i = 0; i < kPasses; ++i)
        expected += "\n■ ツリーコントロール情報 [SysTreeView32]\r\nTree item\r\n";
    EXPECT_EQ(rest, expected);
}

// Set by the test below: the menu to add right after the tree reader has installed its tree.
CaptureLockTest* injectInto = nullptr;
int injected = 0;

void addMenuOnceTheTreeIsInstalled() {
    // Looking at the tree takes the lock, whose release runs this hook again.
    static bool looking = false;
    if (looking || injectInto == nullptr || injected > 0) return;
    looking = true;
    bool installed = false;
    {
        CaptureLock hold(injectInto->captured());
        const TextNode* first = hold.tree()->firstChild();
        installed = first != nullptr && std::string(first->text) == "Tree item";
    }
    looking = false;
    if (!installed) return;
    ++injected;
    injectInto->addMenu(0);
}

TEST_F(CaptureLockTest, AddedMenuRightAfterTheTreeReaderInstallsItsTreeDoesNotReplaceIt) {
    Hwnd tree = fake::addTreeView(desktop, frame, pid, {{"Tree item", {}}});
    injectInto = this;
    injected = 0;
    setCaptureLockReleaseHook(addMenuOnceTheTreeIsInstalled);
    captureWindow(tree, false);
    setCaptureLockReleaseHook(nullptr);
    injectInto = nullptr;
    EXPECT_EQ(injected, 1);
    // Given in the middle of the section, the menu lands after it.
    EXPECT_EQ(reportText(), "\n■ ツリーコントロール情報 [SysTreeView32]\r\nTree item\r\n" + section[0]);
    ASSERT_NE(treeNow()->firstChild(), nullptr);
    EXPECT_STREQ(treeNow()->firstChild()->text, "Tree item");
}

TEST_F(CaptureLockTest, AddedMenuWhileATreeReaderRunsDoesNotReplaceTheTreeThatSectionPrints) {
    Hwnd tree = fake::addTreeView(desktop, frame, pid, {{"Only item", {}}});
    int added = 0;
    desktop.beforeMessage = [&](Hwnd w, std::uint32_t msg) {
        // The reader has read the item and is about to finish; no capture lock may be held here.
        if (w == tree && msg == wire::TVM_GETNEXTITEM && added == 0) {
            EXPECT_FALSE(captureLockHeldByThisThread());
            if (captureLockHeldByThisThread()) return;
            ++added;
            captureAddedMenu(menuWindow[0], menu[0]);
        }
    };
    reportNow().append("start\n", 6);
    captureWindow(tree, false);
    desktop.beforeMessage = nullptr;
    EXPECT_EQ(added, 1);
    // The menu waits for the end of the section it came in; the items are still the tree view's.
    EXPECT_EQ(reportText(),
              "start\n\n■ ツリーコントロール情報 [SysTreeView32]\r\nOnly item\r\n" + section[0]);
    // With no capture running, the next added menu lands at once and its tree becomes the session's.
    captureAddedMenu(menuWindow[1], menu[1]);
    EXPECT_EQ(reportText(),
              "start\n\n■ ツリーコントロール情報 [SysTreeView32]\r\nOnly item\r\n" + section[0] + section[1]);
    ASSERT_NE(treeNow()->firstChild(), nullptr);
    EXPECT_STREQ(treeNow()->firstChild()->text, "&Cut");
}

TEST_F(CaptureLockTest, AddedMenuBetweenTheTreeReaderAndItsPrintIsAppendedWholeAfterTheSection) {
    Hwnd tree = fake::addTreeView(desktop, frame, pid, {{"First", {}}, {"Second", {}}});
    int getItems = 0;
    desktop.beforeMessage = [&](Hwnd w, std::uint32_t msg) {
        if (w == tree && msg == wire::TVM_GETITEMA && ++getItems == 2)
            captureAddedMenu(menuWindow[1], menu[1]);
    };
    captureWindow(tree, true);
    desktop.beforeMessage = nullptr;
    const std::string text = reportText();
    EXPECT_EQ(text, "\n■ ツリーコントロール情報 [SysTreeView32]\r\nFirst\r\nSecond\r\n" + section[1]);
    ASSERT_EQ(ui.buttons.size(), 2u);
    EXPECT_EQ(lineOf(text, ui.buttons[0].second), "■ ツリーコントロール情報 [SysTreeView32]");
    EXPECT_EQ(lineOf(text, ui.buttons[1].second), "■ 追加メニュー");
}

TEST_F(CaptureLockTest, PaneGetsASnapshotOfTheReportAndNullWhenItIsEmpty) {
    showReportInPane();
    reportNow().append("abc\r\n", 5);
    showReportInPane();
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[0], "(null)");
    EXPECT_EQ(ui.shown[1], "abc\r\n");
}

TEST_F(CaptureLockTest, LockIsHeldOnlyInsideItsScopeAndCounted) {
    const unsigned long long before = captureLockAcquisitions();
    EXPECT_FALSE(captureLockHeldByThisThread());
    {
        CaptureLock hold(session);
        EXPECT_TRUE(captureLockHeldByThisThread());
        bool heldElsewhere = true;
        std::thread([&] { heldElsewhere = captureLockHeldByThisThread(); }).join();
        EXPECT_FALSE(heldElsewhere);
    }
    EXPECT_FALSE(captureLockHeldByThisThread());
    EXPECT_EQ(captureLockAcquisitions(), before + 1);
}

} // namespace
} // namespace vantor
