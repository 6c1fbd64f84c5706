// The readers of other processes' status bars, tab controls, toolbars and tree views, through RemoteBuffer
// in the target's pointer width. The status bar lines go to the report as one unit under the capture lock;
// the trees are built detached and installed with replaceCaptureTree under the lock, only when the control
// had at least one item. No lock is held across a message.
//
// Threads: the capture worker and the monitor pass; readTreeItemText also the user-interface thread.
#include "capture/bar_readers.h"

#include <cstring>
#include <string>

#include "capture/capture_lock.h"
#include "capture/capture_state.h"
#include "capture/remote_buffer.h"
#include "capture/report_buffer.h"
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

char* heapCopy(const std::string& s) {
    char* copy = new char[s.size() + 1];
    std::memcpy(copy, s.data(), s.size());
    copy[s.size()] = '\0';
    return copy;
}

int countOf(std::intptr_t answer) {
    return answer < 0 ? 0 : answer > INT32_MAX ? INT32_MAX : static_cast<int>(answer);
}

// A detached root for a control's tree: the text of its top-level window, the control as its window.
TextNode* newRoot(Hwnd control) {
    char title[256] = {};
    ws().windowText(topLevelAncestor(control), title, sizeof title);
    auto* root = new TextNode;
    root->setText(title);
    root->window = control;
    return root;
}

void installTree(TextNode* root) {
    if (root == nullptr) return;
    CaptureLock lock;
    lock.replaceTree(root);
}

template <class Rec> void tabLabel(RemoteBuffer& rb, int index, std::string* text) {
    rb.setRecord(textRecord<Rec>(rb, wire::TCIF_TEXT));
    std::intptr_t result = 0;
    rb.exchange(wire::TCM_GETITEMA, static_cast<std::uintptr_t>(index), true, sizeof(Rec), &result);
    recordText<Rec>(rb, text);
}

// The button text; *answered is false when the toolbar did not answer (the text is then empty).
char* buttonText(Hwnd toolbar, int commandId, bool* answered) {
    *answered = true;
    RemoteBuffer rb;
    if (!rb.open(toolbar, wire::kRemoteTextSize, wire::kRemoteTextSize)) return nullptr;
    const auto id = static_cast<std::uintptr_t>(static_cast<std::intptr_t>(commandId));
    // The message takes no capacity: ask the length first and give a block large enough for the text.
    std::intptr_t length = 0;
    if (!rb.query(wire::TB_GETBUTTONTEXTA, id, 0, &length)) {
        *answered = false;
        return heapCopy(std::string());
    }
    // -1: a command id the toolbar does not know; no text.
    if (length < 0) return heapCopy(std::string());
    if (!rb.grow(static_cast<std::size_t>(length) + 1)) return heapCopy(std::string());
    std::intptr_t result = 0;
    rb.exchange(wire::TB_GETBUTTONTEXTA, id, false, 0, &result);
    *answered = rb.answering();
    std::string text;
    rb.textOf(rb.remote(), 0, rb.size(), &text);
    return heapCopy(text);
}

template <class Rec> char* itemText(RemoteBuffer& rb, std::uintptr_t item, bool* answered) {
    Rec r = textRecord<Rec>(rb, wire::TVIF_TEXT | wire::TVIF_PARAM);
    r.hItem = static_cast<decltype(r.hItem)>(item);
    rb.setRecord(r);
    std::intptr_t result = 0;
    rb.exchange(wire::TVM_GETITEMA, 0, true, sizeof(Rec), &result);
    *answered = rb.answering();
    std::string text;
    recordText<Rec>(rb, &text);
    return heapCopy(text);
}

char* treeItemText(Hwnd treeView, std::uintptr_t item, bool* answered) {
    *answered = true;
    RemoteBuffer rb;
    if (!rb.open(treeView, kTreeBlock32, kTreeBlock64)) return nullptr;
    return rb.is64() ? itemText<wire::TvItem64>(rb, item, answered)
                     : itemText<wire::TvItem32>(rb, item, answered);
}

// One walk over a tree view. Once a message has gone unanswered nothing more is sent: every further
// answer counts as "no item", so a tree view that stops answering costs one time-out, not one per item.
// When an item's text cannot be exchanged at all (the process or a block cannot be had) the walk fails.
struct TreeWalk {
    Hwnd treeView;
    bool answering = true;
    bool failed = false;

    std::uintptr_t next(std::uint32_t relation, std::uintptr_t item) {
        if (!answering || failed) return 0;
        std::intptr_t result = 0;
        if (!ws().sendMessage(treeView, wire::TVM_GETNEXTITEM, relation, static_cast<std::intptr_t>(item),
                              &result)) {
            answering = false;
            return 0;
        }
        return static_cast<std::uintptr_t>(result);
    }

    // The items from `first` on along their siblings, each with its subtree, appended under parent.
    void siblings(std::uintptr_t first, TextNode* parent) {
        for (std::uintptr_t item = first; item != 0; item = next(wire::TVGN_NEXT, item)) {
            bool answered = true;
            char* text = treeItemText(treeView, item, &answered);
            if (text == nullptr) {
                failed = true;
                return;
            }
            if (!answered) answering = false;
            auto* node = new TextNode;
            node->setText(text);
            node->item = item;
            appendChild(node, parent);
            delete[] text;
            std::uintptr_t child = next(wire::TVGN_CHILD, item);
            if (child != 0) siblings(child, node);
        }
    }
};

} // namespace

void readStatusBar(Hwnd statusBar) {
    int parts = countOf(sendQuery(statusBar, wire::SB_GETPARTS, 0, 0));
    RemoteBuffer rb;
    if (!rb.open(statusBar, wire::kRemoteTextSize, wire::kRemoteTextSize)) {
        CaptureLock lock;
        lock.report().append(kFailureLine, std::strlen(kFailureLine));
        return;
    }
    std::string lines;
    std::string text;
    for (int i = 0; i < parts && rb.answering(); ++i) {
        // SB_GETTEXTA takes no capacity: ask the length (low word) first and grow the block to hold it.
        std::intptr_t answer = 0;
        if (!rb.query(wire::SB_GETTEXTLENGTHA, static_cast<std::uintptr_t>(i), 0, &answer)) break;
        std::size_t length = static_cast<std::size_t>(answer) & 0xFFFF;
        if (!rb.grow(length + 1)) continue; // no block can hold it: the part counts as empty
        std::intptr_t result = 0;
        rb.exchange(wire::SB_GETTEXTA, static_cast<std::uintptr_t>(i), false, 0, &result);
        rb.textOf(rb.remote(), 0, rb.size(), &text);
        if (text.size() >= kMinText) {
            lines += text;
            lines += "\r\n";
        }
    }
    CaptureLock lock;
    if (lines.empty())
        lock.report().append(kFailureLine, std::strlen(kFailureLine));
    else
        lock.report().append(lines.data(), lines.size());
}

void readTabControl(Hwnd tabControl) {
    RemoteBuffer rb;
    if (!rb.open(tabControl, kTabBlock32, kTabBlock64)) return;
    std::intptr_t answer = 0;
    rb.query(wire::TCM_GETITEMCOUNT, 0, 0, &answer);
    int n = countOf(answer);
    TextNode* root = nullptr;
    std::string label;
    for (int i = 0; i < n && rb.answering(); ++i) {
        if (rb.is64())
            tabLabel<wire::TcItem64>(rb, i, &label);
        else
            tabLabel<wire::TcItem32>(rb, i, &label);
        if (root == nullptr) root = newRoot(tabControl);
        auto* node = new TextNode;
        node->value = i;
        node->setText(label.c_str());
        appendChild(node, root);
    }
    rb.release();
    installTree(root);
}

void readToolbar(Hwnd toolbar) {
    RemoteBuffer rb;
    if (!rb.open(toolbar, sizeof(wire::TbButton32), sizeof(wire::TbButton64))) return;
    std::intptr_t answer = 0;
    rb.query(wire::TB_BUTTONCOUNT, 0, 0, &answer);
    int n = countOf(answer);
    char title[256] = {};
    ws().windowText(toolbar, title, sizeof title);
    const bool everySecond = std::strcmp(title, kRunningApplications) == 0;
    TextNode* root = nullptr;
    for (int i = 0; i < n; ++i) {
        if (everySecond && ++i >= n) break;
        std::intptr_t result = 0;
        // A button the toolbar did not answer for is not added (the block holds no record of it).
        if (!rb.exchange(wire::TB_GETBUTTON, static_cast<std::uintptr_t>(i), false, rb.size(), &result))
            break;
        std::int32_t id =
            rb.is64() ? rb.record<wire::TbButton64>().idCommand : rb.record<wire::TbButton32>().idCommand;
        if (root == nullptr) root = newRoot(toolbar);
        auto* node = new TextNode;
        node->value = id;
        appendChild(node, root);
    }
    rb.release();
    if (root == nullptr) return;
    // Text pass. A toolbar that stops answering is asked no further texts (they stay empty); one whose
    // process can no longer be read leaves the tree as it was.
    bool answered = true;
    for (TextNode* node = root->firstChild; node != nullptr && answered; node = node->next) {
        char* text = buttonText(toolbar, node->value, &answered);
        if (text == nullptr) {
            destroyNode(root);
            return;
        }
        node->setText(text);
        delete[] text;
    }
    installTree(root);
}

char* readToolbarButtonText(Hwnd toolbar, int commandId) {
    bool answered = true;
    return buttonText(toolbar, commandId, &answered);
}

void readTreeView(Hwnd treeView) {
    TreeWalk walk{treeView};
    std::uintptr_t first = walk.next(wire::TVGN_ROOT, 0);
    if (first == 0) return;
    TextNode* root = newRoot(treeView);
    walk.siblings(first, root);
    if (walk.failed) {
        // The items cannot be read: the tree stays as it was.
        destroyNode(root);
        return;
    }
    installTree(root);
}

void readTreeChildren(Hwnd treeView, std::uintptr_t parentItem, TextNode* parentNode) {
    TreeWalk walk{treeView};
    std::uintptr_t first = walk.next(wire::TVGN_CHILD, parentItem);
    if (first != 0) walk.siblings(first, parentNode);
}

char* readTreeItemText(Hwnd treeView, std::uintptr_t item) {
    bool answered = true;
    return treeItemText(treeView, item, &answered);
}

} // namespace vantor
