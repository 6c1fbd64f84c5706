// The readers of other processes' status bars, tab controls, toolbars and tree views, through RemoteBuffer
// in the target's pointer width. The status bar lines go to the report as one unit under the capture lock;
// the trees are built detached and installed with replaceCaptureTree under the lock, only when the control
// had at least one item. No lock is held across a message.
//
// Threads: the capture worker and the monitor pass; readTreeItemText also the user-interface thread.
#include "capture/bar_readers.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "capture/bulk_session.h"
#include "capture/capture_lock.h"
#include "capture/remote_buffer.h"
#include "capture/section_format.h"
#include "capture/section_tree.h"
#include "inventory/window_tree.h"

namespace vantor {

namespace {

constexpr std::size_t kTabBlock32 = sizeof(wire::TcItem32) + wire::kRemoteTextSize; // 288
constexpr std::size_t kTabBlock64 = sizeof(wire::TcItem64) + wire::kRemoteTextSize;
constexpr std::size_t kTreeBlock32 = sizeof(wire::TvItem32) + wire::kRemoteTextSize; // 300
constexpr std::size_t kTreeBlock64 = sizeof(wire::TvItem64) + wire::kRemoteTextSize;
static_assert(kTabBlock32 == 288 && kTreeBlock32 == 300 && sizeof(wire::TbButton32) == 20, "32-bit blocks");

constexpr std::size_t kMinText = 2;
// The taskbar's toolbar of running applications: only every second button carries one.
constexpr char kRunningApplications[] = "実行中のアプリケーション";

int countOf(std::intptr_t answer) {
    return answer < 0 ? 0 : answer > INT32_MAX ? INT32_MAX : static_cast<int>(answer);
}

// A detached root for a control's tree: the text of its top-level window, the control as its window.
std::unique_ptr<TextNode> newRoot(Hwnd control) {
    char title[256] = {};
    ws().windowText(topLevelAncestor(control), title, sizeof title);
    auto root = std::make_unique<TextNode>();
    root->setText(title);
    root->window = control;
    return root;
}

void installItems(CaptureSession& session, Hwnd control, const SectionModel& model) {
    installCaptureTree(session, control, model.items);
}

// One TCM_GETITEMA query; the text buffer goes out empty, so a label the control does not write (FALSE) is
// empty, not the label before.
template <class Rec> void tabLabel(RemoteBuffer& rb, int index, std::string* text) {
    rb.setRecord(textRecord<Rec>(rb, wire::TCIF_TEXT));
    rb.local()[sizeof(Rec)] = '\0';
    std::intptr_t result = 0;
    rb.exchange(wire::TCM_GETITEMA, static_cast<std::uintptr_t>(index), true, sizeof(Rec), &result);
    text->clear();
    if (result != 0) recordText<Rec>(rb, text);
}

// The button text into *text; false when no exchange could be made. *answered is false when the toolbar
// did not answer (the text is then empty).
bool buttonText(Hwnd toolbar, int commandId, bool* answered, std::string* text) {
    *answered = true;
    text->clear();
    RemoteBuffer rb;
    if (!rb.open(toolbar, wire::kRemoteTextSize, wire::kRemoteTextSize)) return false;
    const auto id = static_cast<std::uintptr_t>(static_cast<std::intptr_t>(commandId));
    // The message takes no capacity: ask the length first and give a block large enough for the text.
    std::intptr_t length = 0;
    if (!rb.query(wire::TB_GETBUTTONTEXTA, id, 0, &length)) {
        *answered = false;
        return true;
    }
    // -1: a command id the toolbar does not know; no text.
    if (length < 0) return true;
    if (!rb.grow(static_cast<std::size_t>(length) + 1)) return true;
    std::intptr_t result = 0;
    rb.exchange(wire::TB_GETBUTTONTEXTA, id, false, 0, &result);
    *answered = rb.answering();
    rb.textOf(rb.remote(), 0, rb.size(), text);
    return true;
}

template <class Rec> void itemText(RemoteBuffer& rb, std::uintptr_t item, bool* answered, std::string* text) {
    Rec r = textRecord<Rec>(rb, wire::TVIF_TEXT | wire::TVIF_PARAM);
    r.hItem = static_cast<decltype(r.hItem)>(item);
    rb.setRecord(r);
    std::intptr_t result = 0;
    rb.exchange(wire::TVM_GETITEMA, 0, true, sizeof(Rec), &result);
    *answered = rb.answering();
    recordText<Rec>(rb, text);
}

// The item's text into *text; false when no exchange could be made.
bool treeItemText(Hwnd treeView, std::uintptr_t item, bool* answered, std::string* text) {
    *answered = true;
    text->clear();
    RemoteBuffer rb;
    if (!rb.open(treeView, kTreeBlock32, kTreeBlock64)) return false;
    if (rb.is64())
        itemText<wire::TvItem64>(rb, item, answered, text);
    else
        itemText<wire::TvItem32>(rb, item, answered, text);
    return true;
}

// Bounds of a tree walk, far above any real tree: a faulty or hostile tree view whose items lead back to
// an item already visited, or on without end, is read no further than this.
constexpr int kMaxTreeDepth = 512;
constexpr std::size_t kMaxTreeItems = 500000;
// Item texts read back at once, and toolbar texts laid out in one block before it is read back.
constexpr std::size_t kTreeBatch = 256;
constexpr std::size_t kButtonTextBlock = 16384;

// The texts of a run of tree items through the walk's one RemoteBuffer, in the order the walk asks for
// them: each item gets a slot of its own (a TVITEMA record and its 260-byte text buffer, emptied), written
// and sent at once, and the slots are read back together when the batch is full or the walk ends. An item
// whose query went unanswered, or that the tree view answered FALSE without writing, has an empty text.
template <class Rec> class TreeTexts {
  public:
    static constexpr std::size_t kSlot = sizeof(Rec) + wire::kRemoteTextSize;

    TreeTexts(RemoteBuffer& rb, std::vector<SectionItem>& items) : rb(rb), items(items) {
        capacity = rb.grow(kTreeBatch * kSlot) ? kTreeBatch : rb.size() / kSlot;
        if (capacity == 0) capacity = 1;
    }

    // Sends the text query for item; items[index] gets the text at the next flush.
    void ask(std::uintptr_t item, std::size_t index) {
        if (pending.size() >= capacity) flush();
        const std::size_t slot = pending.size();
        Rec r = rb.recordAt<Rec>(slot * kSlot);
        r.mask = wire::TVIF_TEXT | wire::TVIF_PARAM;
        r.hItem = static_cast<decltype(r.hItem)>(item);
        r.pszText = static_cast<decltype(r.pszText)>(rb.remote() + textOffset(slot));
        r.cchTextMax = static_cast<std::int32_t>(wire::kRemoteTextSize);
        rb.setRecordAt(slot * kSlot, r);
        rb.local()[textOffset(slot)] = '\0';
        Pending p{index, false, 0};
        if (rb.writeRange(slot * kSlot, kSlot))
            p.answered = rb.send(wire::TVM_GETITEMA, 0, slot * kSlot, &p.result);
        pending.push_back(p);
    }

    // Reads the slots back and gives each item its text. False when the block could not be read (the
    // target process has ended): the texts of this batch are lost.
    bool flush() {
        if (pending.empty()) return true;
        const bool readBack = rb.readRange(0, pending.size() * kSlot);
        std::string text;
        for (std::size_t slot = 0; slot < pending.size(); ++slot) {
            const Pending& p = pending[slot];
            text.clear();
            if (readBack && p.answered && p.result != 0) {
                const RemoteAddr pointer = static_cast<RemoteAddr>(rb.recordAt<Rec>(slot * kSlot).pszText);
                rb.textIn(pointer, textOffset(slot), wire::kRemoteTextSize, wire::kRemoteTextSize, &text);
            }
            items[p.index].text = text;
        }
        pending.clear();
        return readBack;
    }

  private:
    struct Pending {
        std::size_t index;
        bool answered;
        std::intptr_t result;
    };
    std::size_t textOffset(std::size_t slot) const { return slot * kSlot + sizeof(Rec); }

    RemoteBuffer& rb;
    std::vector<SectionItem>& items;
    std::size_t capacity = 1;
    std::vector<Pending> pending;
};

// One walk over a tree view through one RemoteBuffer: the structure queries (TVGN_CHILD, TVGN_NEXT) and
// the text queries go out in the order a depth-first copy needs them, one item after the other; only the
// read-back of the texts is gathered. Once a message has gone unanswered nothing more is sent: every
// further answer counts as "no item", so a tree view that stops answering costs one time-out. The walk
// also ends at an item it has already visited, below kMaxTreeDepth levels or after kMaxTreeItems items,
// keeping what it has read.
template <class Rec> struct TreeWalk {
    RemoteBuffer& rb;
    std::vector<SectionItem>& items;
    TreeTexts<Rec> texts;
    std::unordered_set<std::uintptr_t> seen;
    bool ended = false; // bound reached or control silent: nothing more is asked
    bool lost = false;  // texts could not be read back

    TreeWalk(RemoteBuffer& rb, std::vector<SectionItem>& items) : rb(rb), items(items), texts(rb, items) {}

    std::uintptr_t next(std::uint32_t relation, std::uintptr_t item) {
        if (ended) return 0;
        std::intptr_t result = 0;
        if (!rb.query(wire::TVM_GETNEXTITEM, relation, static_cast<std::intptr_t>(item), &result)) return 0;
        return static_cast<std::uintptr_t>(result);
    }

    // The items from `first` on along their siblings, each with its subtree, appended at depth.
    void siblings(std::uintptr_t first, int depth) {
        if (depth >= kMaxTreeDepth) {
            ended = true;
            return;
        }
        for (std::uintptr_t item = first; item != 0 && !ended; item = next(wire::TVGN_NEXT, item)) {
            if (!seen.insert(item).second || seen.size() > kMaxTreeItems) {
                ended = true;
                return;
            }
            SectionItem read;
            read.depth = depth;
            read.handle = item;
            items.push_back(read);
            texts.ask(item, items.size() - 1);
            if (!rb.answering()) {
                ended = true;
                return;
            }
            std::uintptr_t child = next(wire::TVGN_CHILD, item);
            if (child != 0) siblings(child, depth + 1);
        }
    }

    // Walks from first at depth 0; false when the texts could not be read back.
    bool run(std::uintptr_t first) {
        siblings(first, 0);
        return texts.flush();
    }
};

// The tree read inside the target (capture/bulk_session.h): the items in walk order with their depths,
// built into the same nodes as the cross-process walk, with the same bounds (an item seen before, more than
// kMaxTreeItems items, kMaxTreeDepth levels). False when the first chunk did not come: nothing was changed
// and the cross-process walk takes over. A later chunk that does not come or does not hold up ends the
// tree with the items read so far.
bool readTreeViewBulk(Hwnd treeView, ReadPathChoice choice, std::vector<SectionItem>* items) {
    static_assert(kMaxTreeDepth == wire::kBulkMaxTreeDepth, "the same depth bound on both paths");
    BulkSession session(treeView, choice);
    if (!session.open()) return false;
    wire::BulkRequest q{};
    q.kind = wire::kBulkTreeView;
    BulkChunk c;
    if (!session.treeChunk(q, &c) || c.status == wire::kBulkGone) return false;
    if (c.items.empty()) return true; // no items
    std::size_t levels = 0;           // levels open above the next item
    std::unordered_set<std::uint64_t> seen;
    bool ended = false;
    for (;;) {
        for (const BulkItem& item : c.items) {
            if (item.depth > levels || !seen.insert(item.handle).second || seen.size() > kMaxTreeItems) {
                ended = true;
                break;
            }
            SectionItem read;
            read.depth = static_cast<int>(item.depth);
            read.handle = static_cast<std::uintptr_t>(item.handle);
            if (!item.text.unchanged) read.text = item.text.text; // FALSE: nothing written, empty
            items->push_back(read);
            levels = item.depth + 1;
        }
        if (ended || c.status != wire::kBulkMore || c.items.empty()) break;
        q.from = c.items.back().handle;
        if (!session.treeChunk(q, &c)) break;
    }
    return true;
}

constexpr std::size_t kTreeBlock = kTreeBlock32 > kTreeBlock64 ? kTreeBlock32 : kTreeBlock64;

// Opens one buffer for the tree view and walks from first into *items (depth 0 at first's level). False when
// the items cannot be read (no buffer, or the texts could not be read back).
bool walkTree(Hwnd treeView, std::uintptr_t first, std::vector<SectionItem>* items) {
    RemoteBuffer rb;
    if (!rb.open(treeView, kTreeBlock32, kTreeBlock64)) return false;
    if (rb.is64()) {
        TreeWalk<wire::TvItem64> walk(rb, *items);
        return walk.run(first);
    }
    TreeWalk<wire::TvItem32> walk(rb, *items);
    return walk.run(first);
}

// A button as its TB_GETBUTTON left it: its command id, or none when the toolbar answered FALSE (the
// button then gets an empty text).
struct ButtonRecord {
    std::int32_t id = 0;
    bool answered = false;
};

// The TBBUTTON records of the buttons at these indices, in slots of one block emptied before the queries:
// one TB_GETBUTTON per button, one read-back for all. The buttons answered, in order, up to the first button
// the toolbar did not answer for (the block holds no record of it); none when the block cannot be read back.
// A button answered FALSE has no command id, never the record of the button before.
template <class Rec>
void readButtonRecords(RemoteBuffer& rb, const std::vector<int>& indices, std::vector<ButtonRecord>* ids) {
    ids->clear();
    if (indices.empty()) return;
    std::size_t capacity = rb.grow(indices.size() * sizeof(Rec)) ? indices.size() : rb.size() / sizeof(Rec);
    if (capacity == 0) capacity = 1;
    std::vector<std::intptr_t> results;
    for (std::size_t first = 0; first < indices.size() && rb.answering(); first += capacity) {
        const std::size_t count = std::min(capacity, indices.size() - first);
        results.assign(count, 0);
        std::memset(rb.local(), 0, count * sizeof(Rec));
        if (!rb.writeRange(0, count * sizeof(Rec))) {
            ids->clear();
            return;
        }
        std::size_t answered = 0;
        for (; answered < count; ++answered) {
            const auto index = static_cast<std::uintptr_t>(indices[first + answered]);
            if (!rb.send(wire::TB_GETBUTTON, index, answered * sizeof(Rec), &results[answered])) break;
        }
        if (answered == 0 || !rb.readRange(0, answered * sizeof(Rec))) {
            if (answered > 0) ids->clear(); // the process has ended: nothing can be trusted
            return;
        }
        for (std::size_t slot = 0; slot < answered; ++slot) {
            ButtonRecord b;
            b.answered = results[slot] != 0;
            if (b.answered) b.id = rb.recordAt<Rec>(slot * sizeof(Rec)).idCommand;
            ids->push_back(b);
        }
    }
}

// The toolbar's text pass through the buffer its buttons were read with: per button the length query,
// then the text query into a slot of its own (length + 1 bytes, never used twice in one block, and the block
// emptied first, so a text the toolbar does not write reads as empty); the slots are read back together
// before the block is replaced by a fresh, larger one, and at the end. A toolbar that stops answering is
// asked no further texts (they stay empty), nor is a button whose record it did not give (`asked` false).
// False when the texts cannot be read back (the process has ended).
bool readButtonTexts(RemoteBuffer& rb, std::vector<SectionItem>& buttons, const std::vector<bool>& asked) {
    struct Slot {
        std::size_t index;
        std::size_t offset;
        std::size_t size;
    };
    std::vector<Slot> slots;
    std::size_t used = 0;
    bool readable = true;
    auto flush = [&]() {
        if (slots.empty()) return;
        const bool readBack = rb.readRange(0, used);
        readable = readable && readBack;
        std::string text;
        for (const Slot& s : slots) {
            text.clear();
            if (readBack) rb.textIn(rb.remote() + s.offset, s.offset, s.size, 0, &text);
            buttons[s.index].text = text;
        }
        slots.clear();
    };
    for (SectionItem& button : buttons)
        button.text.clear();
    // A toolbar that went silent while its buttons were read gets empty texts, without a message.
    if (!rb.answering()) return true;
    if (!rb.grow(kButtonTextBlock)) return false;
    // The block still holds the button records: emptied, so that no text query reads one of them back.
    std::memset(rb.local(), 0, rb.size());
    if (!rb.writeRange(0, rb.size())) return false;
    for (std::size_t index = 0; index < buttons.size(); ++index) {
        if (!rb.answering() || !asked[index]) continue;
        const auto id = static_cast<std::uintptr_t>(static_cast<std::intptr_t>(buttons[index].id));
        std::intptr_t length = 0;
        if (!rb.query(wire::TB_GETBUTTONTEXTA, id, 0, &length)) continue;
        if (length < 0) continue; // a command id the toolbar does not know: no text
        const std::size_t need = static_cast<std::size_t>(length) + 1;
        if (used + need > rb.size()) {
            // The slots so far are read, then a fresh block takes the next ones.
            flush();
            std::size_t size = rb.size() * 2 > need ? rb.size() * 2 : need;
            if (!rb.grow(size)) continue; // no block can hold it: the text counts as empty
            used = 0;
        }
        std::intptr_t result = 0;
        slots.push_back(Slot{index, used, need});
        used += need;
        rb.send(wire::TB_GETBUTTONTEXTA, id, slots.back().offset, &result);
        if (!rb.answering()) {
            buttons[slots.back().index].text.clear();
            slots.pop_back();
        }
    }
    flush();
    return readable;
}

} // namespace

void installCaptureTree(CaptureSession& session, Hwnd control, const std::vector<SectionItem>& items) {
    if (items.empty()) return;
    std::unique_ptr<TextNode> root = newRoot(control);
    appendItemNodes(items, root.get());
    CaptureLock lock(session);
    lock.replaceTree(std::move(root));
}

void readStatusBarSection(Hwnd statusBar, SectionModel* model) {
    model->kind = ControlKind::StatusBar;
    model->control = statusBar;
    model->path = SectionPath::CrossProcess;
    int parts = countOf(sendQuery(statusBar, wire::SB_GETPARTS, 0, 0));
    RemoteBuffer rb;
    if (!rb.open(statusBar, wire::kRemoteTextSize, wire::kRemoteTextSize)) {
        model->status = SectionStatus::Failed;
        return;
    }
    std::string text;
    for (int i = 0; i < parts && rb.answering(); ++i) {
        // SB_GETTEXTA takes no capacity: ask the length (low word) first and grow the block to hold it.
        std::intptr_t answer = 0;
        if (!rb.query(wire::SB_GETTEXTLENGTHA, static_cast<std::uintptr_t>(i), 0, &answer)) break;
        std::size_t length = static_cast<std::size_t>(answer) & 0xFFFF;
        SectionItem part;
        part.id = i;
        if (rb.grow(length + 1)) {
            // The block's first byte goes out NUL: a part the status bar does not write is empty, not the
            // part before (the texts are read up to their NUL).
            rb.local()[0] = '\0';
            if (!rb.writeRange(0, 1)) break;
            std::intptr_t result = 0;
            rb.exchange(wire::SB_GETTEXTA, static_cast<std::uintptr_t>(i), false, 0, &result);
            rb.textOf(rb.remote(), 0, rb.size(), &text);
            part.text = text;
        } // else no block can hold it: the part counts as empty
        model->items.push_back(part);
    }
    model->status = !model->items.empty() ? SectionStatus::Read : SectionStatus::Empty;
}

void readStatusBar(CaptureSession& session, Hwnd statusBar) {
    SectionModel model;
    readStatusBarSection(statusBar, &model);
    std::string text;
    formatStatusBar(model, &text);
    appendToReport(session, text);
}

void readTabControlSection(Hwnd tabControl, SectionModel* model) {
    model->kind = ControlKind::TabControl;
    model->control = tabControl;
    model->path = SectionPath::CrossProcess;
    RemoteBuffer rb;
    if (!rb.open(tabControl, kTabBlock32, kTabBlock64)) {
        model->status = SectionStatus::Failed;
        return;
    }
    std::intptr_t answer = 0;
    rb.query(wire::TCM_GETITEMCOUNT, 0, 0, &answer);
    int n = countOf(answer);
    std::string label;
    for (int i = 0; i < n && rb.answering(); ++i) {
        if (rb.is64())
            tabLabel<wire::TcItem64>(rb, i, &label);
        else
            tabLabel<wire::TcItem32>(rb, i, &label);
        SectionItem tab;
        tab.id = i;
        tab.text = label;
        model->items.push_back(tab);
    }
    model->status = !model->items.empty() ? SectionStatus::Read : SectionStatus::Empty;
}

void readTabControl(CaptureSession& session, Hwnd tabControl) {
    SectionModel model;
    readTabControlSection(tabControl, &model);
    installItems(session, tabControl, model);
}

void readToolbarSection(Hwnd toolbar, SectionModel* model) {
    model->kind = ControlKind::Toolbar;
    model->control = toolbar;
    model->path = SectionPath::CrossProcess;
    model->status = SectionStatus::Failed;
    // One process handle and one block for the whole toolbar: the buttons, then their texts.
    RemoteBuffer rb;
    if (!rb.open(toolbar, sizeof(wire::TbButton32), sizeof(wire::TbButton64))) return;
    std::intptr_t answer = 0;
    rb.query(wire::TB_BUTTONCOUNT, 0, 0, &answer);
    int n = countOf(answer);
    char title[256] = {};
    ws().windowText(toolbar, title, sizeof title);
    const bool everySecond = std::strcmp(title, kRunningApplications) == 0;
    std::vector<int> indices;
    for (int i = 0; i < n; ++i) {
        if (everySecond && ++i >= n) break;
        indices.push_back(i);
    }
    std::vector<ButtonRecord> ids;
    if (rb.is64())
        readButtonRecords<wire::TbButton64>(rb, indices, &ids);
    else
        readButtonRecords<wire::TbButton32>(rb, indices, &ids);
    std::vector<SectionItem> buttons;
    std::vector<bool> asked;
    for (const ButtonRecord& b : ids) {
        SectionItem button;
        button.id = b.id;
        buttons.push_back(button);
        asked.push_back(b.answered);
    }
    if (buttons.empty()) {
        model->status = SectionStatus::Empty;
        return;
    }
    // A toolbar whose texts cannot be read at all (no block for them, or the process has ended) gives no
    // buttons.
    if (!readButtonTexts(rb, buttons, asked)) return;
    model->items = std::move(buttons);
    model->status = SectionStatus::Read;
}

void readToolbar(CaptureSession& session, Hwnd toolbar) {
    SectionModel model;
    readToolbarSection(toolbar, &model);
    installItems(session, toolbar, model);
}

bool readToolbarButtonText(Hwnd toolbar, int commandId, std::string* text) {
    bool answered = true;
    return buttonText(toolbar, commandId, &answered, text);
}

void readTreeViewSection(Hwnd treeView, ReadPathChoice choice, SectionModel* model) {
    model->kind = ControlKind::TreeView;
    model->control = treeView;
    const bool bulk = readTreeViewBulk(treeView, choice, &model->items);
    reportReadPath(treeView, "tree view", bulk);
    model->path = bulk ? SectionPath::Bulk : SectionPath::CrossProcess;
    model->status = !model->items.empty() ? SectionStatus::Read : SectionStatus::Empty;
    if (bulk) return;
    std::intptr_t answer = 0;
    if (!ws().sendMessage(treeView, wire::TVM_GETNEXTITEM, wire::TVGN_ROOT, 0, &answer)) {
        model->status = SectionStatus::Failed;
        return;
    }
    const auto first = static_cast<std::uintptr_t>(answer);
    if (first == 0) return;
    if (!walkTree(treeView, first, &model->items)) {
        // The items cannot be read: none is kept.
        model->items.clear();
        model->status = SectionStatus::Failed;
        return;
    }
    model->status = !model->items.empty() ? SectionStatus::Read : SectionStatus::Empty;
}

void readTreeView(CaptureSession& session, Hwnd treeView) {
    SectionModel model;
    readTreeViewSection(treeView, session.readPath(), &model);
    installItems(session, treeView, model);
}

void readTreeChildren(Hwnd treeView, std::uintptr_t parentItem, TextNode* parentNode) {
    std::intptr_t answer = 0;
    if (!ws().sendMessage(treeView, wire::TVM_GETNEXTITEM, wire::TVGN_CHILD,
                          static_cast<std::intptr_t>(parentItem), &answer))
        return;
    const auto first = static_cast<std::uintptr_t>(answer);
    if (first == 0) return;
    std::vector<SectionItem> items;
    walkTree(treeView, first, &items);
    appendItemNodes(items, parentNode);
}

bool readTreeItemText(Hwnd treeView, std::uintptr_t item, std::string* text) {
    bool answered = true;
    return treeItemText(treeView, item, &answered, text);
}

} // namespace vantor
