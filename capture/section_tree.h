// Section items and the text tree: for the callers that still keep a read control or menu as a TextNode
// tree (the capture text tree, the added menu, the tree view's sub-trees read on demand). Pure.
#pragma once

#include <vector>

#include "capture/section_model.h"
#include "inventory/text_node.h"

namespace vantor {

// Appends the items (walk order, depths from 0) as nodes below parent: text, value = id (-1 for an item
// that opens a sub-menu), item = handle. An item deeper than one below the item before it is placed one
// below it.
void appendItemNodes(const std::vector<SectionItem>& items, TextNode* parent);
// The nodes from first on along their siblings, with their subtrees, as items in walk order (depth 0 for
// first's level); a node with value -1 opens a sub-menu.
void itemsOfNodes(const TextNode* first, std::vector<SectionItem>* items);

} // namespace vantor
