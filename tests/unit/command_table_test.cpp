// The command table, the output pane's edit commands and menu, the menu-state rule and the hot keys, as the
// main window, the output pane and the Operation menu apply them.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>

#include "app/commands.h"
#include "app/panes/menu_state.h"

namespace vantor {
namespace {

struct Row {
    int id;
    CommandAction action;
};

// Every command id of the menu, the accelerators, the hot keys and the tray menu.
const Row kTable[] = {
    {104, CommandAction::About},
    {105, CommandAction::Exit},
    {32773, CommandAction::Show},
    {32775, CommandAction::CaptureForeground},
    {32776, CommandAction::RefreshList},
    {32778, CommandAction::UpdateInfo},
    {32780, CommandAction::ForwardToPane},
    {32781, CommandAction::ForwardToPane},
    {32782, CommandAction::ForwardToPane},
    {32783, CommandAction::ForwardToPane},
    {32784, CommandAction::ForwardToPane},
    {32785, CommandAction::ForwardToPane},
    {32786, CommandAction::ForwardToPane},
    {32788, CommandAction::CaptureUnderCursor},
    {32789, CommandAction::Settings},
    {32790, CommandAction::Monitor},
    {32792, CommandAction::StopMonitor},
    {32793, CommandAction::Save},
    {32794, CommandAction::MonitorForeground},
};

TEST(CommandTable, EveryCommandIdHasItsAction) {
    for (const Row& r : kTable) {
        EXPECT_EQ(commandAction(static_cast<std::uintptr_t>(r.id)), r.action) << r.id;
    }
}

TEST(CommandTable, OnlyTheLowWordCounts) {
    // An accelerator's WM_COMMAND carries 1 in the high word; a hot key's id arrives alone. Both act like
    // the menu item; bits above the low word never change the action.
    for (const Row& r : kTable) {
        EXPECT_EQ(commandAction((std::uintptr_t{1} << 16) | static_cast<std::uintptr_t>(r.id)), r.action)
            << r.id;
        EXPECT_EQ(commandAction((std::uintptr_t{0xABCD} << 16) | static_cast<std::uintptr_t>(r.id)),
                  r.action);
    }
}

TEST(CommandTable, OnlineHelpAndUnknownIdsAreNotHandled) {
    EXPECT_EQ(commandAction(32777), CommandAction::None);
    EXPECT_EQ(commandAction(0), CommandAction::None);
    EXPECT_EQ(commandAction(32779), CommandAction::None); // between two edit commands' neighbours
    EXPECT_EQ(commandAction(32787), CommandAction::None);
    EXPECT_EQ(commandAction(32791), CommandAction::None);
    EXPECT_EQ(commandAction(103), CommandAction::None);
    // 32776 + 65536: the low word is 32776 again.
    EXPECT_EQ(commandAction(32776 + 65536), CommandAction::RefreshList);
}

TEST(EditCommands, MatchTheWholeCommandWord) {
    EXPECT_EQ(editAction(32780), EditAction::Copy);
    EXPECT_EQ(editAction(32781), EditAction::Paste);
    EXPECT_EQ(editAction(32782), EditAction::Cut);
    EXPECT_EQ(editAction(32783), EditAction::Undo);
    EXPECT_EQ(editAction(32784), EditAction::SelectAll);
    EXPECT_EQ(editAction(32785), EditAction::Delete);
    EXPECT_EQ(editAction(32786), EditAction::Redo);
    // With a notification code in the high word the pane's own procedure gets the command.
    EXPECT_EQ(editAction((1u << 16) | 32780u), EditAction::None);
    EXPECT_EQ(editAction(32776), EditAction::None);
    EXPECT_EQ(editAction(32787), EditAction::None);
}

TEST(EditCommands, MenuHasNineEntriesInOrder) {
    ASSERT_EQ(kEditMenuEntries, 9);
    const int ids[] = {32783, 32786, 0, 32780, 32781, 32782, 32785, 0, 32784};
    const char* texts[] = {"元に戻す(&U)", "やり直し(&R)", nullptr, "コピー(&C)",  "貼り付け(&P)",
                           "切り取り(&T)", "削除(&D)",     nullptr, "全て選択(&A)"};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(kEditMenu[i].command, ids[i]) << i;
        if (texts[i] == nullptr) {
            EXPECT_EQ(kEditMenu[i].text, nullptr) << i;
        } else {
            ASSERT_NE(kEditMenu[i].text, nullptr) << i;
            EXPECT_STREQ(kEditMenu[i].text, texts[i]) << i;
            // Every item of the pane's menu is an edit command the pane performs itself.
            EXPECT_NE(editAction(static_cast<std::uintptr_t>(kEditMenu[i].command)), EditAction::None) << i;
        }
    }
}

TEST(MenuState, IdleAndMonitoringPatterns) {
    MenuItemEnable idle[kMenuStateItems], monitoring[kMenuStateItems];
    menuStatePattern(MenuState::Idle, idle);
    menuStatePattern(MenuState::Monitoring, monitoring);
    const int order[] = {32776, 32778, 32792, 32790};
    const bool idleEnabled[] = {true, true, false, true};
    for (int i = 0; i < kMenuStateItems; ++i) {
        EXPECT_EQ(idle[i].command, order[i]) << i;
        EXPECT_EQ(monitoring[i].command, order[i]) << i;
        EXPECT_EQ(idle[i].enabled, idleEnabled[i]) << i;
        EXPECT_EQ(monitoring[i].enabled, !idleEnabled[i]) << i;
    }
}

TEST(HotKeys, ThreeKeysWithCtrlAlt) {
    EXPECT_EQ(kHotKeyModifiers, 3u);
    ASSERT_EQ(sizeof kHotKeys / sizeof kHotKeys[0], 3u);
    EXPECT_EQ(kHotKeys[0].id, 32775);
    EXPECT_EQ(kHotKeys[0].virtualKey, unsigned('W'));
    EXPECT_EQ(kHotKeys[1].id, 32788);
    EXPECT_EQ(kHotKeys[1].virtualKey, unsigned('C'));
    EXPECT_EQ(kHotKeys[2].id, 32794);
    EXPECT_EQ(kHotKeys[2].virtualKey, unsigned('M'));
    // Each hot key id is a command of the table.
    EXPECT_EQ(commandAction(32775), CommandAction::CaptureForeground);
    EXPECT_EQ(commandAction(32788), CommandAction::CaptureUnderCursor);
    EXPECT_EQ(commandAction(32794), CommandAction::MonitorForeground);
    EXPECT_EQ(kTrayCallbackMessage, 1056u);
}

} // namespace
} // namespace vantor
