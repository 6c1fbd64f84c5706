// Unit tests of the text tree nodes: construction, owned strings, appendChild, and destroyNode checked link
// by link after every destroy, including post-order release of deep and wide subtrees (ASan checks leaks).
#include "inventory/text_node.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantor {
namespace {

// Checks every link of parent's child chain against the expected children, in order.
void expectChildren(const TextNode* parent, const std::vector<const TextNode*>& expected) {
    SCOPED_TRACE("children of a node");
    if (expected.empty()) {
        EXPECT_EQ(parent->firstChild, nullptr);
        return;
    }
    EXPECT_EQ(parent->firstChild, expected.front());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        const TextNode* node = expected[i];
        EXPECT_EQ(node->parent, parent);
        EXPECT_EQ(node->prev, i == 0 ? nullptr : expected[i - 1]);
        EXPECT_EQ(node->next, i + 1 == expected.size() ? nullptr : expected[i + 1]);
    }
}

// A node that records its destruction: its own name, its links and whether its children were already gone.
struct Tracked : TextNode {
    Tracked(std::vector<std::string>* log, const char* name) : log(log) { setText(name); }
    ~Tracked() override {
        const bool unlinked =
            parent == nullptr && firstChild == nullptr && prev == nullptr && next == nullptr;
        log->push_back(std::string(text) + (unlinked ? "" : "(linked)"));
    }
    std::vector<std::string>* log;
};

TEST(TextNode, ConstructionGivesEmptyTextAndNoLinks) {
    TextNode node;
    ASSERT_NE(node.text, nullptr);
    EXPECT_STREQ(node.text, "");
    EXPECT_EQ(node.parent, nullptr);
    EXPECT_EQ(node.firstChild, nullptr);
    EXPECT_EQ(node.prev, nullptr);
    EXPECT_EQ(node.next, nullptr);
    EXPECT_TRUE(isNull(node.window));

    WindowNode window;
    EXPECT_STREQ(window.text, "");
    EXPECT_EQ(window.className, nullptr);
    EXPECT_EQ(window.title, nullptr);
    EXPECT_TRUE(isNull(window.window));
}

TEST(TextNode, SettersCopyAndReplaceTheirStrings) {
    TextNode node;
    char source[] = "first";
    node.setText(source);
    source[0] = 'X'; // the node holds its own copy
    EXPECT_STREQ(node.text, "first");
    node.setText("second one");
    EXPECT_STREQ(node.text, "second one");
    node.setText("abcdef", 3);
    EXPECT_STREQ(node.text, "abc");
    node.setText("ab\0cd", 5);
    EXPECT_STREQ(node.text, "ab");
    node.setText(nullptr);
    ASSERT_NE(node.text, nullptr);
    EXPECT_STREQ(node.text, "");

    WindowNode window;
    window.setClassName("Notepad");
    window.setTitle("");
    EXPECT_STREQ(window.className, "Notepad");
    ASSERT_NE(window.title, nullptr);
    EXPECT_STREQ(window.title, "");
    window.setClassName("Edit");
    window.setTitle("Untitled - Notepad");
    EXPECT_STREQ(window.className, "Edit");
    EXPECT_STREQ(window.title, "Untitled - Notepad");
}

TEST(TextNode, AppendChildWithoutParentLinksNothing) {
    TextNode node;
    EXPECT_EQ(appendChild(&node, nullptr), nullptr);
    EXPECT_EQ(node.parent, nullptr);
    EXPECT_EQ(node.prev, nullptr);
    EXPECT_EQ(node.next, nullptr);
}

TEST(TextNode, AppendChildLinksAsLastChild) {
    TextNode* root = new TextNode;
    TextNode* a = new TextNode;
    TextNode* b = new TextNode;
    TextNode* c = new TextNode;
    EXPECT_EQ(appendChild(a, root), a);
    expectChildren(root, {a});
    EXPECT_EQ(appendChild(b, root), b);
    expectChildren(root, {a, b});
    EXPECT_EQ(appendChild(c, root), c);
    expectChildren(root, {a, b, c});
    TextNode* grandchild = appendChild(new TextNode, b);
    expectChildren(b, {grandchild});
    expectChildren(root, {a, b, c});
    destroyNode(root);
}

class TextNodeThreeChildren : public ::testing::Test {
  protected:
    void SetUp() override {
        root = new TextNode;
        for (TextNode*& child : kids)
            child = appendChild(new TextNode, root);
        // Each child carries a grandchild, which must go with it.
        for (TextNode* child : kids)
            appendChild(new TextNode, child);
    }
    void TearDown() override { destroyNode(root); }
    TextNode* root = nullptr;
    TextNode* kids[3] = {};
};

TEST_F(TextNodeThreeChildren, DestroyingTheFirstPromotesTheSecond) {
    destroyNode(kids[0]);
    expectChildren(root, {kids[1], kids[2]});
    EXPECT_EQ(kids[1]->prev, nullptr);
    destroyNode(kids[1]);
    expectChildren(root, {kids[2]});
    destroyNode(kids[2]);
    expectChildren(root, {});
}

TEST_F(TextNodeThreeChildren, DestroyingTheMiddleLinksItsNeighbours) {
    destroyNode(kids[1]);
    expectChildren(root, {kids[0], kids[2]});
    EXPECT_EQ(kids[0]->next, kids[2]);
    EXPECT_EQ(kids[2]->prev, kids[0]);
}

TEST_F(TextNodeThreeChildren, DestroyingTheLastEndsTheChainAtTheMiddle) {
    destroyNode(kids[2]);
    expectChildren(root, {kids[0], kids[1]});
    EXPECT_EQ(kids[1]->next, nullptr);
    destroyNode(kids[1]);
    expectChildren(root, {kids[0]});
    destroyNode(kids[0]);
    expectChildren(root, {});
    // A node appended afterwards starts a fresh chain.
    TextNode* fresh = appendChild(new TextNode, root);
    expectChildren(root, {fresh});
}

TEST_F(TextNodeThreeChildren, AppendAfterDestroyGoesToTheEnd) {
    destroyNode(kids[1]);
    TextNode* d = appendChild(new TextNode, root);
    expectChildren(root, {kids[0], kids[2], d});
    destroyChildren(root);
    expectChildren(root, {});
}

TEST(TextNode, DestroyReleasesDescendantsBeforeTheNodeUnlinkedAndInPostOrder) {
    std::vector<std::string> log;
    TextNode* root = new TextNode;
    TextNode* keep = appendChild(new Tracked(&log, "keep"), root);
    TextNode* doomed = appendChild(new Tracked(&log, "n"), root);
    TextNode* after = appendChild(new Tracked(&log, "after"), root);
    TextNode* a = appendChild(new Tracked(&log, "a"), doomed);
    appendChild(new Tracked(&log, "a1"), a);
    appendChild(new Tracked(&log, "a2"), a);
    TextNode* b = appendChild(new Tracked(&log, "b"), doomed);
    TextNode* b1 = appendChild(new Tracked(&log, "b1"), b);
    appendChild(new Tracked(&log, "b1x"), b1);

    destroyNode(doomed);
    EXPECT_EQ(log, (std::vector<std::string>{"a1", "a2", "a", "b1x", "b1", "b", "n"}));
    expectChildren(root, {keep, after});

    log.clear();
    destroyNode(root);
    EXPECT_EQ(log, (std::vector<std::string>{"keep", "after"}));
}

TEST(TextNode, DeepAndWideSubtreesAreReleased) {
    TextNode* root = new TextNode;
    // A chain 200,000 levels deep (a recursive destroy would exhaust the stack) ...
    TextNode* tip = root;
    for (int i = 0; i < 200000; ++i) {
        tip = appendChild(new TextNode, tip);
        tip->setText("level");
    }
    // ... beside a wide, bushy part.
    TextNode* wide = appendChild(new WindowNode, root);
    for (int i = 0; i < 300; ++i) {
        WindowNode* w = new WindowNode;
        w->setClassName("Edit");
        w->setTitle("title");
        appendChild(w, wide);
        for (int j = 0; j < 5; ++j)
            appendChild(new TextNode, w)->setText("leaf");
    }
    destroyNode(root); // leaks would be reported by the sanitizer build
}

TEST(TextNode, DestroyNodeAcceptsNullAndAParentlessNode) {
    destroyNode(nullptr);
    destroyChildren(nullptr);
    WindowNode* lone = new WindowNode;
    lone->setTitle("alone");
    destroyNode(lone);
}

class ClearWindowTree : public ::testing::Test {
  protected:
    void SetUp() override { saved = windowRoot; }
    void TearDown() override { windowRoot = saved; }
    WindowNode* saved = nullptr;
};

TEST_F(ClearWindowTree, KeepsTheRootAndDropsEveryChild) {
    WindowNode root;
    root.setTitle("Root Window");
    windowRoot = &root;
    for (int i = 0; i < 4; ++i) {
        WindowNode* w = new WindowNode;
        w->setClassName("Notepad");
        w->setTitle("doc");
        appendChild(w, &root);
        appendChild(new TextNode, w);
    }
    clearWindowTree();
    EXPECT_EQ(root.firstChild, nullptr);
    EXPECT_STREQ(root.title, "Root Window");
    clearWindowTree(); // an already empty root stays empty
    EXPECT_EQ(root.firstChild, nullptr);
    WindowNode* again = new WindowNode;
    appendChild(again, &root);
    expectChildren(&root, {again});
    clearWindowTree();
}

TEST_F(ClearWindowTree, WithoutRootDoesNothing) {
    windowRoot = nullptr;
    clearWindowTree();
    EXPECT_EQ(windowRoot, nullptr);
}

} // namespace
} // namespace vantor
