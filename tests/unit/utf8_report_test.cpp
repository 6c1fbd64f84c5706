// The UTF-8 text report of a Unicode window: the whole report compared byte for byte with one written out
// here, its texts whole where the code page 932 report has "?", the same lines (a text of one byte in code
// page 932 stays out even where its UTF-8 is longer), and a section whose report bytes its model no longer
// gives is converted as it stands; an ANSI program's report converted, its accessible texts whole.
#include "capture/utf8_report.h"

#include <string>

#include "capture/dispatcher.h"
#include "capture/structure_report.h"
#include "capture/wide_sections.h"
#include "capture_test_support.h"
#include "platform/fake/fake_accessibility.h"
#include "platform/fake/fake_controls.h"
#include "platform/wide_text.h"
#include "platform/wire.h"

namespace vantor {
namespace {

using namespace testing_support;

class Utf8Report : public EngineTest {
  protected:
    // A Unicode program: its frame and every control Unicode windows, texts given in UTF-8.
    Hwnd unicodeFrame() {
        const Hwnd frame = desktop.addWindow(Hwnd{}, "UniFrame", u8"café – naïve", pid);
        const Hwnd edit = fake::addEdit(desktop, frame, pid, u8"한국어 edit");
        const Hwnd list =
            fake::addListView(desktop, frame, pid, {u8"名前", u8"é"}, {{u8"简体", "x"}, {u8"😀", ""}});
        const Hwnd status = fake::addStatusBar(desktop, frame, pid, {u8"é", u8"한국어"});
        const Hwnd tree = fake::addTreeView(desktop, frame, pid, {{u8"ü", {{u8"简体 😀", {}}}}, {u8"ß", {}}});
        std::intptr_t header = 0;
        ws().sendMessage(list, wire::LVM_GETHEADER, 0, 0, &header);
        for (Hwnd w : {frame, edit, list, static_cast<Hwnd>(header), status, tree})
            desktop.window(w)->unicode = true;
        return frame;
    }
    // A capture of its own that keeps its models, the separator a tab.
    std::string capture(Hwnd frame, CaptureSession* session) {
        session->keepModels = true;
        vantor::writeStructureReport(*session, frame, nullptr);
        vantor::captureWindow(*session, frame, true);
        return reportSnapshot(*session);
    }
};

// The report's lines written out in UTF-8; where the code page 932 report has "?" for a whole text ("é",
// "ß"), the one-byte rule leaves it out here too, but the tree item "ü" with a child is written whole.
constexpr char kStructureUtf8[] = u8"■ ウインドウの構成\n"
                                  u8"\"café – naïve\" UniFrame\n"
                                  u8"  + \"한국어 edit\" Edit [한국어 edit]\n"
                                  u8"  + \"\" SysListView32\n"
                                  u8"    + \"\" SysHeader32\n"
                                  u8"  + \"é\" msctls_statusbar32\n"
                                  u8"  + \"\" SysTreeView32\n";
constexpr char kListUtf8[] = u8"\n■ リストコントロール情報 [SysListView32]\r\n"
                             u8"名前\t\r\n"
                             u8"简体\tx\r\n"
                             u8"😀\t\r\n";
constexpr char kRestUtf8[] = u8"\n■ ステータスバー情報 [msctls_statusbar32]\r\n"
                             u8"한국어\r\n"
                             u8"\n■ ツリーコントロール情報 [SysTreeView32]\r\n"
                             u8"ü\r\n"
                             u8"  + 简体 😀\r\n";

TEST_F(Utf8Report, UnicodeWindowKeepsTheLinesOfTheCodePage932ReportWithItsTextsWhole) {
    const Hwnd frame = unicodeFrame();
    CaptureSession session;
    const std::string report = capture(frame, &session);
    const std::string utf8 = utf8ReportOf(frame, &session, report, "\t");
    EXPECT_EQ(utf8, std::string(kStructureUtf8) + kListUtf8 + kRestUtf8);
}

// A list view the bulk path already read wide (its model UTF-8, each text judged by its code page 932 size)
// is checked against the report through the system's conversion and written from its whole texts.
TEST_F(Utf8Report, ListViewReadWideOnTheBulkPathIsWrittenFromItsTexts) {
    const Hwnd frame = unicodeFrame();
    CaptureSession session;
    const std::string report = capture(frame, &session);
    ASSERT_EQ(session.sections[0].model.kind, ControlKind::ListView);
    readSectionTextsWide(&session.sections[0].model);
    ASSERT_TRUE(session.sections[0].model.textsUtf8);
    const std::string utf8 = utf8ReportOf(frame, &session, report, "\t");
    EXPECT_EQ(utf8, std::string(kStructureUtf8) + kListUtf8 + kRestUtf8);
}

// A list whose kept model no longer gives its report bytes (here: a cell changed after the capture) is the
// report's bytes converted, "?" and all; the sections around it are still read wide. An ANSI program's
// report is not rebuilt at all.
constexpr char kAnsiUtf8[] = u8"■ ウインドウの構成\n\"frame\" AnsiFrame\n  + \"状態\" msctls_statusbar32\n"
                             u8"\n■ ステータスバー情報 [msctls_statusbar32]\r\n状態\r\n";

TEST_F(Utf8Report, SectionThatDoesNotMatchItsReportBytesIsConvertedAndAnsiWindowsAreLeftAlone) {
    const Hwnd frame = unicodeFrame();
    CaptureSession session;
    const std::string report = capture(frame, &session);
    ASSERT_EQ(session.sections[0].model.kind, ControlKind::ListView);
    session.sections[0].model.rows[1].cells[1] = "y";
    const std::string utf8 = utf8ReportOf(frame, &session, report, "\t");
    EXPECT_EQ(utf8, std::string(kStructureUtf8) +
                        u8"\n■ リストコントロール情報 [SysListView32]\r\n名前\t\r\n?体\tx\r\n?\t\r\n" +
                        kRestUtf8);

    const Hwnd ansi = desktop.addWindow(Hwnd{}, "AnsiFrame", "frame", pid);
    fake::addStatusBar(desktop, ansi, pid, {"状態"});
    CaptureSession plain;
    EXPECT_EQ(utf8ReportOf(ansi, &plain, capture(ansi, &plain), "\t"), kAnsiUtf8);
}

constexpr char kAccessibleHead[] = u8"■ ウインドウの構成\n\"Top\" Frame\n  + \"\" CustomGrid\n"
                                   u8"\n■ アクセシビリティ情報 [CustomGrid]\r\n";
constexpr char kAccessibleAnsi[] = u8"果物\r\n  + 笑顔 ?? = ?a va\r\n  + 数量 = 3\r\n";
constexpr char kAccessibleWhole[] = u8"果物\r\n  + 笑顔 😀 = Ça va\r\n  + 数量 = 3\r\n";
constexpr char kFailureUtf8[] = u8"情報をうまく取得できませんでした\r\n";

// Accessible texts are wide whatever the window: an ANSI program's self-drawn control gives them whole in
// the UTF-8 report ("?" in code page 932), a cut tree its failure line, and lines the kept model no longer
// gives are converted as they stand.
TEST_F(Utf8Report, AccessibleTextsAreWholeInTheUtf8ReportOfAnyWindow) {
    fake::FakeAccessibility acc;
    setAccessibility(&acc);
    const Hwnd top = desktop.addWindow(Hwnd{}, "Frame", "Top", pid);
    const Hwnd grid = desktop.addWindow(top, "CustomGrid", "", pid);
    const int root = acc.add(-1, u"");
    const int group = acc.add(root, u"果物");
    acc.add(group, u"笑顔 \U0001F600", u"Ça va");
    acc.add(group, u"数量", u"3");
    acc.windows[grid] = {};
    CaptureSession session;
    const std::string report = capture(top, &session);
    const std::string head = kAccessibleHead;
    EXPECT_EQ(utf8FromAnsi(report), head + kAccessibleAnsi);
    EXPECT_EQ(utf8ReportOf(top, &session, report, "\t"), head + kAccessibleWhole);

    session.sections.back().model.status = SectionStatus::CutShort;
    const std::string cut = report + "情報をうまく取得できませんでした\r\n";
    session.sections.back().reportEnd = cut.size();
    EXPECT_EQ(utf8ReportOf(top, &session, cut, "\t"), head + kAccessibleWhole + kFailureUtf8);

    session.sections.back().model.items[1].text = u8"笑顔";
    EXPECT_EQ(utf8ReportOf(top, &session, cut, "\t"), utf8FromAnsi(cut));
    setAccessibility(nullptr);
}

constexpr char kMenuUtf8[] = u8"■ ウインドウの構成\n\"naïve\" UniFrame\n\r\n■ メニュー情報\r\n"
                             u8"Café\r\n  + 한국어 [31]\r\n  + 😀 emoji [32]\r\n";
constexpr char kMenuTexts[] = u8"Café|한국어||😀 emoji|é|";

// A Unicode program's menu bar: the UTF-8 report and the models for JSON carry its item texts whole (cut at
// the first tab, ids kept); "é" (one byte in code page 932) stays out of the report as there.
TEST_F(Utf8Report, MenuBarOfAUnicodeWindowIsReadWide) {
    const Hwnd frame = desktop.addWindow(Hwnd{}, "UniFrame", u8"naïve", pid);
    desktop.window(frame)->unicode = true;
    const Hmenu bar = desktop.addMenu();
    const Hmenu sub = desktop.addMenu();
    desktop.addMenuItem(sub, u8"한국어\tCtrl+K", 31);
    desktop.addMenuItem(sub, "", 0, Hmenu{}, true);
    desktop.addMenuItem(sub, u8"😀 emoji", 32);
    desktop.addMenuItem(bar, u8"Café", 0, sub);
    desktop.addMenuItem(bar, u8"é", 33);
    for (Hmenu m : {bar, sub})
        desktop.unicodeMenus.insert(m);
    desktop.setMenu(frame, bar);
    CaptureSession session;
    const std::string report = capture(frame, &session);
    EXPECT_EQ(report, "■ ウインドウの構成\n\"na?ve\" UniFrame\n\r\n■ メニュー情報\r\n"
                      "Caf?\r\n  + ??? [31]\r\n  + ? emoji [32]\r\n");
    const std::string utf8 = utf8ReportOf(frame, &session, report, "\t");
    EXPECT_EQ(utf8, kMenuUtf8);

    CaptureSession structured;
    capture(frame, &structured);
    readOutline(frame, &structured.outline);
    readUnicodeTexts(&structured);
    ASSERT_EQ(structured.sections.size(), 1u);
    std::string texts;
    for (const SectionItem& item : structured.sections[0].model.items)
        texts += item.text + "|";
    EXPECT_EQ(texts, kMenuTexts);
}

} // namespace
} // namespace vantor
