// Nodes of the doubly linked text trees and the two tree operations every tree builder uses, plus the
// window tree's root. Not thread-safe: each tree is touched by one thread at a time (the window tree only
// by the user-interface thread, the capture text tree under the capture lock).
#include "inventory/text_node.h"

#include <cstring>

namespace vantor {

std::unique_ptr<WindowNode> windowRoot;

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

} // namespace

TextNode::TextNode() : text("") {}

// Left to the unique_ptr links, a long sibling chain or a deep tree would be released recursively.
TextNode::~TextNode() {
    destroyChildren(this);
}

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

TextNode* appendNode(std::unique_ptr<TextNode> node, TextNode* parent) {
    if (parent == nullptr || node == nullptr) return nullptr;
    TextNode* added = node.get();
    added->parent_ = parent;
    if (parent->firstChild_ == nullptr) {
        parent->firstChild_ = std::move(node);
        return added;
    }
    TextNode* last = parent->firstChild_.get();
    while (last->next_ != nullptr)
        last = last->next_.get();
    added->prev_ = last;
    last->next_ = std::move(node);
    return added;
}

std::unique_ptr<TextNode> unlinkNode(TextNode* node) {
    if (node == nullptr || node->parent_ == nullptr) return nullptr;
    // The slot that owns node: its previous sibling's next link, or its parent's first-child link.
    std::unique_ptr<TextNode>& owner =
        node->prev_ != nullptr ? node->prev_->next_ : node->parent_->firstChild_;
    std::unique_ptr<TextNode> taken = std::move(owner);
    owner = std::move(taken->next_);
    if (owner != nullptr) owner->prev_ = taken->prev_;
    taken->parent_ = nullptr;
    taken->prev_ = nullptr;
    return taken;
}

void destroyChildren(TextNode* node) {
    if (node == nullptr) return;
    // Iterative over depth: descend to a leaf, destroy it, climb back. A very deep tree (a long chain of
    // sub-menus or tree-view levels) therefore cannot exhaust the stack.
    TextNode* current = node->firstChild();
    while (current != nullptr) {
        if (current->firstChild() != nullptr) {
            current = current->firstChild();
            continue;
        }
        TextNode* up = current->parent();
        unlinkNode(current); // a leaf now: released here, with nothing below it
        current = (up == node) ? node->firstChild() : up;
    }
}

void destroyNode(TextNode* node) {
    if (node == nullptr) return;
    destroyChildren(node);
    unlinkNode(node);
}

void clearWindowTree() {
    destroyChildren(windowRoot.get());
}

} // namespace vantor
