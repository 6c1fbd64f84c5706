// The table of the kinds of control with a section of their own, and its look-up.
#include "capture/control_kinds.h"

#include "capture/bar_readers.h"
#include "capture/in_process_readers.h"
#include "capture/list_view_reader.h"
#include "capture/section_format.h"
#include "platform/wire.h"

namespace vantor {

namespace {

void streamAllListViewRows(CaptureSession& session, Hwnd listView, SectionModel* keep) {
    readListViewRows(session, listView, false, keep);
}

// The bars are read across processes whatever the choice: they have no bulk request.
void readTabs(Hwnd tabControl, ReadPathChoice, SectionModel* model) {
    readTabControlSection(tabControl, model);
}

void readButtons(Hwnd toolbar, ReadPathChoice, SectionModel* model) {
    readToolbarSection(toolbar, model);
}

void readStatusParts(Hwnd statusBar, ReadPathChoice, SectionModel* model) {
    readStatusBarSection(statusBar, model);
}

void formatList(const SectionModel& model, const std::string&, std::string* out) {
    formatListItems(model, out);
}

void formatStatus(const SectionModel& model, const std::string&, std::string* out) {
    formatStatusBar(model, out);
}

void formatItems(const SectionModel& model, const std::string&, std::string* out) {
    formatItemsSection(model, out);
}

const ControlKindEntry kKinds[] = {
    {ControlKind::ListView, "\n■ リストコントロール情報 [%s]\r\n", "ListView", nullptr, nullptr,
     streamAllListViewRows, false, wire::kBulkListView},
    {ControlKind::ListBox, "\n■ リストボックス情報 [%s]\r\n", "ListBox", readListBoxSection, formatList,
     nullptr, false, wire::kBulkListBox},
    {ControlKind::ComboBox, "\n■ コンボボックスコントロール情報 [%s]\r\n", "ComboBox", readComboBoxSection,
     formatList, nullptr, false, wire::kBulkComboBox},
    {ControlKind::TreeView, "\n■ ツリーコントロール情報 [%s]\r\n", "TreeView", readTreeViewSection,
     formatItems, nullptr, true, wire::kBulkTreeView},
    {ControlKind::TabControl, "\n■ タブコントロール情報 [%s]\r\n", "TabCtrl", readTabs, formatItems, nullptr,
     true, 0},
    {ControlKind::Toolbar, "\n■ ツールバー情報 [%s]\r\n", "Toolbar", readButtons, formatItems, nullptr, true,
     0},
    {ControlKind::StatusBar, "\n■ ステータスバー情報 [%s]\r\n", "StatusBar", readStatusParts, formatStatus,
     nullptr, false, 0},
};

} // namespace

const ControlKindEntry* controlKindEntry(ControlKind kind) {
    for (const ControlKindEntry& e : kKinds)
        if (e.kind == kind) return &e;
    return nullptr;
}

} // namespace vantor
