// The fake specimen against the specimen's own tables: the test vectors the Wine tests use against the real
// specimen (window classes, titles, z-order, menu bar, list box / combo box / edit texts byte for byte,
// windows gone after destruction), read on the fake through the platform interfaces only.
#include "tests/unit/fake_specimen.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/fake/fake_exchange.h"
#include "platform/wire.h"
#include "tools/specimen/specimen_contents.h"

namespace vantor {
namespace {

namespace sp = vantor::specimen;
using fake::FakeDesktop;

std::string classOf(Hwnd w) {
    char buf[256];
    ws().className(w, buf, sizeof buf);
    return buf;
}

std::string titleOf(Hwnd w) {
    char buf[256];
    ws().windowText(w, buf, sizeof buf);
    return buf;
}

std::vector<Hwnd> childrenOf(Hwnd parent) {
    std::vector<Hwnd> out;
    for (Hwnd c = ws().nextChild(parent, Hwnd{}); !isNull(c); c = ws().nextChild(parent, c))
        out.push_back(c);
    return out;
}

std::intptr_t send(Hwnd w, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    std::intptr_t r = 0;
    EXPECT_TRUE(ws().sendMessage(w, msg, wParam, lParam, &r));
    return r;
}

// Reads every item of a list box or combo box the way the in-process readers do: count, length, then the
// text into a local block of exactly length + 1 bytes.
std::vector<std::string> readItems(Hwnd w, std::uint32_t countMsg, std::uint32_t lenMsg,
                                   std::uint32_t textMsg) {
    std::vector<std::string> out;
    std::intptr_t n = send(w, countMsg, 0, 0);
    for (std::intptr_t i = 0; i < n; ++i) {
        std::intptr_t len = send(w, lenMsg, static_cast<std::uintptr_t>(i), 0);
        char* buf = static_cast<char*>(procs().allocLocal(static_cast<std::size_t>(len) + 1));
        std::intptr_t copied =
            send(w, textMsg, static_cast<std::uintptr_t>(i), reinterpret_cast<std::intptr_t>(buf));
        EXPECT_EQ(copied, len);
        out.emplace_back(buf, static_cast<std::size_t>(len));
        EXPECT_EQ(buf[len], '\0');
        procs().freeLocal(buf);
    }
    return out;
}

std::string readWindowText(Hwnd w) {
    std::intptr_t n = send(w, wire::WM_GETTEXTLENGTH, 0, 0);
    char* buf = static_cast<char*>(procs().allocLocal(static_cast<std::size_t>(n) + 1));
    std::intptr_t copied =
        send(w, wire::WM_GETTEXT, static_cast<std::uintptr_t>(n) + 1, reinterpret_cast<std::intptr_t>(buf));
    std::string text(buf);
    EXPECT_EQ(copied, n);
    procs().freeLocal(buf);
    return text;
}

class FakeSpecimenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        desktop.install();
        pid = desktop.addProcess(64);
        w = fake::addSpecimen(desktop, pid);
    }
    void TearDown() override { EXPECT_EQ(desktop.problems(), ""); }

    FakeDesktop desktop;
    std::uint32_t pid = 0;
    fake::SpecimenWindows w{};
};

TEST_F(FakeSpecimenTest, TextsAreCodePage932Bytes) {
    // "東京" and "名古屋" in Shift-JIS: the native build sees the same bytes as the Windows program.
    EXPECT_EQ(std::string(sp::kComboItems[0]), "\x93\x8c\x8b\x9e");
    EXPECT_EQ(std::string(sp::kComboEditText), "\x96\xbc\x8c\xc3\x89\xae");
}

TEST_F(FakeSpecimenTest, TopLevelWindowClassTitleAndProcess) {
    std::vector<Hwnd> tops;
    ws().topLevelWindows(&tops);
    ASSERT_EQ(tops, std::vector<Hwnd>{w.top});
    EXPECT_EQ(classOf(w.top), sp::kWindowClass);
    EXPECT_EQ(titleOf(w.top), sp::kWindowTitle);
    std::uint32_t owner = 0;
    EXPECT_NE(ws().windowThreadProcessId(w.top, &owner), 0u);
    EXPECT_EQ(owner, pid);
    EXPECT_TRUE(isNull(ws().parent(w.top)));
}

TEST_F(FakeSpecimenTest, ChildrenInZOrderWithTheirClasses) {
    std::vector<Hwnd> kids = childrenOf(w.top);
    ASSERT_EQ(static_cast<int>(kids.size()), sp::kChildCount);
    for (int i = 0; i < sp::kChildCount; ++i) {
        EXPECT_EQ(classOf(kids[static_cast<std::size_t>(i)]), sp::kChildren[i].className) << "child " << i;
        EXPECT_EQ(ws().parent(kids[static_cast<std::size_t>(i)]), w.top);
    }
    EXPECT_EQ(kids.front(), w.toolbar);
    EXPECT_EQ(kids.back(), w.grid);
    EXPECT_EQ(titleOf(w.appsToolbar), sp::kAppsToolbarText);
    EXPECT_EQ(titleOf(w.button), sp::kButtonText);
    EXPECT_EQ(titleOf(w.frame), sp::kFrameText);
}

TEST_F(FakeSpecimenTest, GrandchildrenOfListViewComboBoxAndFrame) {
    std::vector<Hwnd> header = childrenOf(w.listView);
    ASSERT_EQ(header.size(), 1u);
    EXPECT_EQ(classOf(header[0]), "SysHeader32");
    EXPECT_EQ(send(w.listView, wire::LVM_GETHEADER, 0, 0), static_cast<std::intptr_t>(header[0]));

    std::vector<Hwnd> edit = childrenOf(w.comboBox);
    ASSERT_EQ(edit, std::vector<Hwnd>{w.comboEdit});
    EXPECT_EQ(classOf(w.comboEdit), "Edit");
    EXPECT_EQ(readWindowText(w.comboEdit), sp::kComboEditText);

    ASSERT_EQ(childrenOf(w.frame), std::vector<Hwnd>{w.panel});
    EXPECT_EQ(classOf(w.panel), sp::kPanelClass);
    EXPECT_EQ(titleOf(w.panel), sp::kPanelText);
    ASSERT_EQ(childrenOf(w.panel), std::vector<Hwnd>{w.panelStatusBar});
    EXPECT_EQ(classOf(w.panelStatusBar), "msctls_statusbar32");
    EXPECT_TRUE(childrenOf(w.edit).empty());
}

TEST_F(FakeSpecimenTest, ListBoxItemsByteExact) {
    std::vector<std::string> items =
        readItems(w.listBox, wire::LB_GETCOUNT, wire::LB_GETTEXTLEN, wire::LB_GETTEXT);
    EXPECT_EQ(items, std::vector<std::string>(sp::kListBoxItems, sp::kListBoxItems + sp::kListBoxItemCount));
    EXPECT_EQ(send(w.listBox, wire::LB_GETTEXTLEN, sp::kListBoxItemCount, 0), wire::LB_ERR);
}

TEST_F(FakeSpecimenTest, ComboBoxItemsAndEditTextByteExact) {
    std::vector<std::string> items =
        readItems(w.comboBox, wire::CB_GETCOUNT, wire::CB_GETLBTEXTLEN, wire::CB_GETLBTEXT);
    EXPECT_EQ(items, std::vector<std::string>(sp::kComboItems, sp::kComboItems + sp::kComboItemCount));
    EXPECT_EQ(readWindowText(w.comboBox), sp::kComboEditText);
    EXPECT_EQ(send(w.comboBox, wire::CB_GETLBTEXTLEN, sp::kComboItemCount, 0), wire::CB_ERR);
}

TEST_F(FakeSpecimenTest, EditAndStaticTextsByteExact) {
    EXPECT_EQ(send(w.edit, wire::WM_GETTEXTLENGTH, 0, 0),
              static_cast<std::intptr_t>(std::strlen(sp::kEditText)));
    EXPECT_EQ(readWindowText(w.edit), sp::kEditText);
    EXPECT_EQ(readWindowText(w.stat), sp::kStaticText);
    EXPECT_EQ(titleOf(w.stat), sp::kStaticText);
}

TEST_F(FakeSpecimenTest, MenuBarMatchesThePreOrderTable) {
    ASSERT_EQ(ws().menuOf(w.top), w.menuBar);
    EXPECT_EQ(ws().menuItemCount(w.menuBar), sp::kMenuBarItemCount);
    // Walk the menus depth first and compare with the table row by row.
    int row = 0;
    struct Walk {
        int* row;
        void operator()(Hmenu m, int level) const {
            int n = ws().menuItemCount(m);
            for (int i = 0; i < n; ++i) {
                MenuItem item;
                ASSERT_TRUE(ws().menuItem(m, i, &item));
                ASSERT_LT(*row, sp::kMenuEntryCount);
                const sp::MenuEntry& e = sp::kMenu[(*row)++];
                EXPECT_EQ(e.level, level);
                EXPECT_EQ(std::string(item.text), e.text);
                EXPECT_EQ(item.id, e.id);
                EXPECT_EQ(item.separator, e.kind == sp::MenuKind::Separator);
                EXPECT_EQ(!isNull(item.subMenu), e.kind == sp::MenuKind::Popup);
                if (!isNull(item.subMenu)) (*this)(item.subMenu, level + 1);
            }
        }
    };
    Walk{&row}(w.menuBar, 0);
    EXPECT_EQ(row, sp::kMenuEntryCount);
}

TEST_F(FakeSpecimenTest, CommonControlsAnswerTheSpecimenContents) {
    fake::HandExchange lv(w.listView, 300);
    ASSERT_TRUE(lv.ok());
    EXPECT_EQ(lv.send(wire::LVM_GETITEMCOUNT, 0, 0), sp::kListViewDefaultRows);
    char expected[64];
    for (int r = 0; r < sp::kListViewDefaultRows; ++r) {
        for (int c = 0; c < sp::kListViewColumnCount; ++c) {
            wire::LvItem64 item{};
            item.mask = wire::LVIF_TEXT;
            item.iItem = r;
            item.iSubItem = c;
            item.pszText = lv.address() + sizeof item;
            item.cchTextMax = 300 - static_cast<int>(sizeof item);
            lv.write(0, &item, sizeof item);
            EXPECT_EQ(lv.sendBlock(wire::LVM_GETITEMA, 0), 1);
            sp::listViewCell(r, c, expected, sizeof expected);
            EXPECT_EQ(lv.textAt(sizeof item), expected) << r << "," << c;
        }
    }

    Hwnd header = static_cast<Hwnd>(lv.send(wire::LVM_GETHEADER, 0, 0));
    std::intptr_t columns = 0;
    ASSERT_TRUE(ws().sendMessage(header, wire::HDM_GETITEMCOUNT, 0, 0, &columns));
    EXPECT_EQ(columns, sp::kListViewColumnCount);

    // The long status bar's first part is longer than the 260 bytes a reader offers: asked with a block of
    // the reported length + 1 it comes back whole.
    fake::HandExchange sb(w.longStatusBar, sp::kLongStatusPartLength + 1);
    ASSERT_TRUE(sb.ok());
    EXPECT_EQ(sb.send(wire::SB_GETPARTS, 0, 0), sp::kLongStatusPartCount);
    EXPECT_EQ(sb.send(wire::SB_GETTEXTLENGTHA, 0, 0) & 0xFFFF, sp::kLongStatusPartLength);
    EXPECT_EQ(sb.sendBlock(wire::SB_GETTEXTA, 0) & 0xFFFF, sp::kLongStatusPartLength);
    char longPart[sp::kLongStatusPartLength + 1];
    sp::longStatusPart(longPart);
    EXPECT_EQ(sb.textAt(0), longPart);
    EXPECT_EQ(sb.sendBlock(wire::SB_GETTEXTA, 1) & 0xFFFF,
              static_cast<std::intptr_t>(std::strlen(sp::kLongStatusTail)));
    EXPECT_EQ(sb.textAt(0), sp::kLongStatusTail);
}

TEST_F(FakeSpecimenTest, LayoutOptionsChangeCountsAndTitle) {
    fake::SpecimenLayout layout;
    layout.rows = 250;
    layout.toolbarButtons = 7;
    layout.treeItems = 20;
    layout.title = "Second";
    fake::SpecimenWindows s = fake::addSpecimen(desktop, desktop.addProcess(32), layout);
    std::vector<Hwnd> tops;
    ws().topLevelWindows(&tops);
    EXPECT_EQ(tops, (std::vector<Hwnd>{w.top, s.top}));
    EXPECT_EQ(titleOf(s.top), "Second");
    EXPECT_EQ(send(s.listView, wire::LVM_GETITEMCOUNT, 0, 0), 250);
    EXPECT_EQ(send(s.toolbar, wire::TB_BUTTONCOUNT, 0, 0), 7);
    // Generated button 6 has id 1006 and the text "button 6".
    EXPECT_EQ(send(s.toolbar, wire::TB_GETBUTTONTEXTA, 1006, 0), 8);
    // 20 items: the fixed ones hold two top-level items, generated items 8 and 18 are top-level.
    int roots = 0;
    for (std::intptr_t h = send(s.treeView, wire::TVM_GETNEXTITEM, wire::TVGN_ROOT, 0); h != 0;
         h = send(s.treeView, wire::TVM_GETNEXTITEM, wire::TVGN_NEXT, h))
        ++roots;
    EXPECT_EQ(roots, 4);
}

TEST_F(FakeSpecimenTest, DestroyedSpecimenIsGoneWithAllItsWindows) {
    std::vector<Hwnd> all{w.top, w.listView, w.comboEdit, w.panel, w.panelStatusBar, w.statusBar};
    desktop.destroyWindow(w.top);
    for (Hwnd h : all) {
        EXPECT_FALSE(ws().isWindow(h));
        std::intptr_t r = 99;
        EXPECT_FALSE(ws().sendMessage(h, wire::WM_GETTEXTLENGTH, 0, 0, &r));
        EXPECT_EQ(r, 0);
        EXPECT_EQ(classOf(h), "");
    }
    std::vector<Hwnd> tops;
    ws().topLevelWindows(&tops);
    EXPECT_TRUE(tops.empty());
}

} // namespace
} // namespace vantor
