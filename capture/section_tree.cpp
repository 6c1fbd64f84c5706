// Section items to and from the text tree, without recursion (any depth).
#include "capture/section_tree.h"

namespace vantor {

void appendItemNodes(const std::vector<SectionItem>& items, TextNode* parent) {
    if (parent == nullptr) return;
    std::vector<TextNode*> path; // the last node at each depth
    for (const SectionItem& item : items) {
        const std::size_t depth = static_cast<std::size_t>(item.depth < 0 ? 0 : item.depth);
        if (depth < path.size()) path.resize(depth);
        auto node = std::make_unique<TextNode>();
        node->setText(item.text.c_str());
        node->value = item.subMenu ? -1 : item.id;
        node->item = item.handle;
        path.push_back(appendChild(std::move(node), path.empty() ? parent : path.back()));
    }
}

void itemsOfNodes(const TextNode* first, std::vector<SectionItem>* items) {
    int depth = 0;
    const TextNode* node = first;
    while (node != nullptr) {
        SectionItem item;
        item.text = node->text;
        item.depth = depth;
        item.subMenu = node->value == -1;
        item.id = item.subMenu ? 0 : node->value;
        item.handle = node->item;
        items->push_back(item);
        if (node->firstChild() != nullptr) {
            ++depth;
            node = node->firstChild();
            continue;
        }
        while (depth > 0 && node->next() == nullptr) {
            node = node->parent();
            --depth;
        }
        node = node->next();
    }
}

} // namespace vantor
