// Nodes of the doubly linked text trees: the window tree (WindowNode, under windowRoot) and the capture
// text tree (TextNode, under captureTree). A node owns its text and, through firstChild, its subtree.
// Not thread-safe: each tree is used by one thread at a time (see capture/capture_lock.h).
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace vantor {

struct TextNode {
    TextNode* parent = nullptr;
    TextNode* firstChild = nullptr;
    TextNode* prev = nullptr;
    TextNode* next = nullptr;
    const char* text;        // the node's text (held by the node); empty after construction, never null
    std::int32_t value = 0;  // chosen by the creator (menu command id, -1 for a sub-menu, tab index)
    std::uintptr_t item = 0; // chosen by the creator (tree-view item handle)
    Hwnd window{};

    TextNode();
    virtual ~TextNode();
    TextNode(const TextNode&) = delete;
    TextNode& operator=(const TextNode&) = delete;

    // Replaces text by a copy of s (null gives the empty string).
    void setText(const char* s);
    // The same for at most n bytes of s.
    void setText(const char* s, std::size_t n);

  private:
    std::string textHeld;
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

// Links node as the last child of parent; returns node, or null (linking nothing) when parent is null.
TextNode* appendChild(TextNode* node, TextNode* parent);
// Destroys node's subtree, unlinks node from its parent and siblings and deletes it.
void destroyNode(TextNode* node);
// Destroys every child of node (the node itself stays).
void destroyChildren(TextNode* node);

// The window tree's root ("Root Window"); its children are the listed top-level windows.
extern WindowNode* windowRoot;
// Destroys every child of windowRoot.
void clearWindowTree();

} // namespace vantor
