// Nodes of the doubly linked text trees: the window tree (WindowNode, under windowRoot) and the capture
// text tree (TextNode, under captureTree). A node owns its text and, through its first child and each
// child through its next sibling, its subtree; the parent and previous-sibling links only point back. A
// root is held by a std::unique_ptr of its own. Not thread-safe: each tree is used by one thread at a time
// (see capture/capture_lock.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace vantor {

struct TextNode {
    const char* text;        // the node's text (held by the node); empty after construction, never null
    std::int32_t value = 0;  // chosen by the creator (menu command id, -1 for a sub-menu, tab index)
    std::uintptr_t item = 0; // chosen by the creator (tree-view item handle)
    Hwnd window{};

    TextNode();
    // Releases the subtree first, one node at a time (any depth, any width).
    virtual ~TextNode();
    TextNode(const TextNode&) = delete;
    TextNode& operator=(const TextNode&) = delete;

    // The links; null where there is none.
    TextNode* parent() const { return parent_; }
    TextNode* firstChild() const { return firstChild_.get(); }
    TextNode* prev() const { return prev_; }
    TextNode* next() const { return next_.get(); }

    // Replaces text by a copy of s (null gives the empty string).
    void setText(const char* s);
    // The same for at most n bytes of s.
    void setText(const char* s, std::size_t n);

  private:
    friend TextNode* appendNode(std::unique_ptr<TextNode> node, TextNode* parent);
    friend std::unique_ptr<TextNode> unlinkNode(TextNode* node);

    std::string textHeld;
    TextNode* parent_ = nullptr;
    TextNode* prev_ = nullptr;
    std::unique_ptr<TextNode> firstChild_;
    std::unique_ptr<TextNode> next_;
};

struct WindowNode : TextNode {
    const char* className = nullptr; // held by the node; null until set
    const char* title = nullptr;     // held by the node; null until set

    WindowNode() = default;
    void setClassName(const char* s);
    void setTitle(const char* s);

  private:
    std::string classNameHeld;
    std::string titleHeld;
};

// Links node as the last child of parent, which owns it from then on; returns it, or null when parent is
// null (the node is then released).
TextNode* appendNode(std::unique_ptr<TextNode> node, TextNode* parent);
template <typename Node> Node* appendChild(std::unique_ptr<Node> node, TextNode* parent) {
    return static_cast<Node*>(appendNode(std::move(node), parent));
}
// Takes node out of its parent's child chain, keeping every remaining link consistent, and hands it (with
// its subtree) to the caller; null for null or a node without a parent (a root is its holder's).
std::unique_ptr<TextNode> unlinkNode(TextNode* node);
// Destroys node's subtree (children before their parent), then unlinks node from its parent and siblings
// and destroys it; a node without a parent (a root) keeps only itself, for its holder to release.
void destroyNode(TextNode* node);
// Destroys every child of node (the node itself stays).
void destroyChildren(TextNode* node);

// The window tree's root ("Root Window"); its children are the listed top-level windows.
extern std::unique_ptr<WindowNode> windowRoot;
// Destroys every child of windowRoot.
void clearWindowTree();

} // namespace vantor
