// Nodes of the doubly linked text trees and the two tree operations every tree builder uses, plus the
// window tree's root. Not thread-safe: each tree is touched by one thread at a time (the window tree only
// by the user-interface thread, the capture text tree under the capture lock).
#include "inventory/text_node.h"

#include <cstring>

namespace vantor {

WindowNode* windowRoot = nullptr;

namespace {

// At most n bytes of s, stopping at a zero byte; null s gives the empty string.
std::string copyText(const char* s, std::size_t n) {
    if (s == nullptr) return std::string();
    const void* zero = std::memchr(s, '\0', n);
    return std::string(s, zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - s) : n);
}

std::string copyWhole(const char* s) {
    return s != nullptr ? std::string(s) : std::string();
}

// Takes node out of its parent's child chain, keeping every remaining link consistent.
void unlink(TextNode* node) {
    TextNode* prev = node->prev;
    TextNode* next = node->next;
    if (prev != nullptr) {
        prev->next = next;
        if (next != nullptr) next->prev = prev;
    } else if (next != nullptr) {
        next->prev = nullptr;
        next->parent = node->parent;
        if (node->parent != nullptr) node->parent->firstChild = next;
    } else if (node->parent != nullptr && node->parent->firstChild == node) {
        node->parent->firstChild = nullptr;
    }
    node->parent = nullptr;
    node->firstChild = nullptr;
    node->prev = nullptr;
    node->next = nullptr;
}

} // namespace

TextNode::TextNode() : text("") {}

TextNode::~TextNode() = default;

// The text is copied before the old one goes: s may point into it.
void TextNode::setText(const char* s) {
    textHeld = copyWhole(s);
    text = textHeld.c_str();
}

void TextNode::setText(const char* s, std::size_t n) {
    textHeld = copyText(s, n);
    text = textHeld.c_str();
}

void WindowNode::setClassName(const char* s) {
    classNameHeld = copyWhole(s);
    className = classNameHeld.c_str();
}

void WindowNode::setTitle(const char* s) {
    titleHeld = copyWhole(s);
    title = titleHeld.c_str();
}

TextNode* appendChild(TextNode* node, TextNode* parent) {
    if (parent == nullptr || node == nullptr) return nullptr;
    if (parent->firstChild == nullptr) {
        parent->firstChild = node;
        node->parent = parent;
        return node;
    }
    TextNode* last = parent->firstChild;
    while (last->next != nullptr)
        last = last->next;
    last->next = node;
    node->prev = last;
    node->parent = last->parent;
    return node;
}

void destroyChildren(TextNode* node) {
    if (node == nullptr) return;
    // Iterative over depth: descend to a leaf, destroy it, climb back. A very deep tree (a long chain of
    // sub-menus or tree-view levels) therefore cannot exhaust the stack.
    TextNode* current = node->firstChild;
    while (current != nullptr) {
        if (current->firstChild != nullptr) {
            current = current->firstChild;
            continue;
        }
        TextNode* up = current->parent;
        unlink(current);
        delete current;
        current = (up == node) ? node->firstChild : up;
    }
}

void destroyNode(TextNode* node) {
    if (node == nullptr) return;
    destroyChildren(node);
    unlink(node);
    delete node;
}

void clearWindowTree() {
    destroyChildren(windowRoot);
}

} // namespace vantor
