// Nodes of the doubly linked text trees and the two tree operations every tree builder uses, plus the
// window tree's root. Not thread-safe: each tree is touched by one thread at a time (the window tree only
// by the user-interface thread, the capture text tree under the capture lock).
#include "inventory/text_node.h"

#include <cstring>

namespace vantor {

WindowNode* windowRoot = nullptr;

namespace {

// An owned copy of at most n bytes of s, stopping at a zero byte; null s gives the empty string.
char* copyText(const char* s, std::size_t n) {
    std::size_t length = 0;
    if (s != nullptr) {
        const void* zero = std::memchr(s, '\0', n);
        length = zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - s) : n;
    }
    char* copy = new char[length + 1];
    if (length > 0) std::memcpy(copy, s, length);
    copy[length] = '\0';
    return copy;
}

char* copyWhole(const char* s) {
    return copyText(s, s != nullptr ? std::strlen(s) : 0);
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

TextNode::TextNode() : text(copyWhole(nullptr)) {}

TextNode::~TextNode() {
    delete[] text;
}

void TextNode::setText(const char* s) {
    char* copy = copyWhole(s);
    delete[] text;
    text = copy;
}

void TextNode::setText(const char* s, std::size_t n) {
    char* copy = copyText(s, n);
    delete[] text;
    text = copy;
}

WindowNode::~WindowNode() {
    delete[] className;
    delete[] title;
}

void WindowNode::setClassName(const char* s) {
    char* copy = copyWhole(s);
    delete[] className;
    className = copy;
}

void WindowNode::setTitle(const char* s) {
    char* copy = copyWhole(s);
    delete[] title;
    title = copy;
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
