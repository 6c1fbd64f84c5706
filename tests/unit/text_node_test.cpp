// Unit tests of the text tree nodes: construction, owned strings, appendChild, and destroyNode checked link
// by link after every destroy, including post-order release of deep and wide subtrees (ASan checks leaks).
#include "inventory/text_node.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vantor {
namespace {

// Checks every link of parent's child chain against the expected children, in order.
void expectChildren(const TextNode* parent, const std::vector<const TextNode*>& expected) {
    SCOPED_TRACE("children of a node");
    if (expected.empty()) {
        EXPECT_EQ(parent->firstChild(), nullptr);
        return;
    }
    EXPECT_EQ(parent->firstChild(), expected.front());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        const TextNode* node = expected[i];
        EXPECT_EQ(node->parent(), parent);
        EXPECT_EQ(node->prev(), i == 0 ? nullptr : expected[i - 1]);
        EXPECT_EQ(node->next(), i + 1 == expected.size() ? nullptr : expected[i + 1]);
    }
}

// A node that records its destruction: its own name, its links and whether its children were already gone.
struct Tracked : TextNode {
    Tracked(std::vector<std::string>* log, const char* name) : log(log) { setText(name); }
    ~Tracked() override {
        const bool unlinked =
            parent() == nullptr && firstChild() == nullptr && prev() == nullptr && next() == nullptr;
        log->push_back(std::string(text) + (unlinked ? "" : "(linked)"));
    }
    std::vector<std::string>* log;
};

TEST(TextNode, ConstructionGivesEmptyTextAndNoLinks) {
    TextNode node;
    ASSERT_NE(node.text, nullptr);
    EXPECT_STREQ(node.text, "");
    EXPECT_EQ(node.parent(), nullptr);
    EXPECT_EQ(node.firstChild(), nullptr);
    EXPECT_EQ(node.prev(), nullptr);
    EXPECT_EQ(node.next(), nullptr);
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

TEST(TextNode, AppendChildWithoutParentLinksNothingAndReleasesTheNode) {
    std::vector<std::string> log;
    EXPECT_EQ(appendChild(std::make_unique<Tracked>(&log, "lone"), nullptr), nullptr);
    EXPECT_EQ(log, std::vector<std::string>{"lone"});
}

TEST(TextNode, AppendChildLinksAsLastChild) {
    auto owner = std::make_unique<TextNode>();
    TextNode* root = owner.get();
    auto made = std::make_unique<TextNode>();
    TextNode* a = made.get();
    EXPECT_EQ(appendChild(std::move(made), root), a);
    expectChildren(root, {a});
    made = std::make_unique<TextNode>();
    TextNode* b = made.get();
    EXPECT_EQ(appendChild(std::move(made), root), b);
    expectChildren(root, {a, b});
    made = std::make_unique<TextNode>();
    TextNode* c = made.get();
    EXPECT_EQ(appendChild(std::move(made), root), c);
    expectChildren(root, {a, b, c});
    TextNode* grandchild = appendChild(std::make_unique<TextNode>(), b);
    expectChildren(b, {grandchild});
    expectChildren(root, {a, b, c});
    destroyNode(root);
}

class TextNodeThreeChildren : public ::testing::Test {
  protected:
    void SetUp() override {
        owner = std::make_unique<TextNode>();
        root = owner.get();
        for (TextNode*& child : kids)
            child = appendChild(std::make_unique<TextNode>(), root);
        // Each child carries a grandchild, which must go with it.
        for (TextNode* child : kids)
            appendChild(std::make_unique<TextNode>(), child);
    }
    void TearDown() override { destroyNode(root); }
    std::unique_ptr<TextNode> owner;
    TextNode* root = nullptr;
    TextNode* kids[3] = {};
};

TEST_F(TextNodeThreeChildren, DestroyingTheFirstPromotesTheSecond) {
    destroyNode(kids[0]);
    expectChildren(root, {kids[1], kids[2]});
    EXPECT_EQ(kids[1]->prev(), nullptr);
    destroyNode(kids[1]);
    expectChildren(root, {kids[2]});
    destroyNode(kids[2]);
    expectChildren(root, {});
}

TEST_F(TextNodeThreeChildren, DestroyingTheMiddleLinksItsNeighbours) {
    destroyNode(kids[1]);
    expectChildren(root, {kids[0], kids[2]});
    EXPECT_EQ(kids[0]->next(), kids[2]);
    EXPECT_EQ(kids[2]->prev(), kids[0]);
}

TEST_F(TextNodeThreeChildren, DestroyingTheLastEndsTheChainAtTheMiddle) {
    destroyNode(kids[2]);
    expectChildren(root, {kids[0], kids[1]});
    EXPECT_EQ(kids[1]->next(), nullptr);
    destroyNode(kids[1]);
    expectChildren(root, {kids[0]});
    destroyNode(kids[0]);
    expectChildren(root, {});
    // A node appended afterwards starts a fresh chain.
    TextNode* fresh = appendChild(std::make_unique<TextNode>(), root);
    expectChildren(root, {fresh});
}

TEST_F(TextNodeThreeChildren, AppendAfterDestroyGoesToTheEnd) {
    destroyNode(kids[1]);
    TextNode* d = appendChild(std::make_unique<TextNode>(), root);
    expectChildren(root, {kids[0], kids[2], d});
    destroyChildren(root);
    expectChildren(root, {});
}

TEST(TextNode, DestroyReleasesDescendantsBeforeTheNodeUnlinkedAndInPostOrder) {
    std::vector<std::string> log;
    auto owner = std::make_unique<TextNode>();
    TextNode* root = owner.get();
    TextNode* keep = appendChild(std::make_unique<Tracked>(&log, "keep"), root);
    TextNode* doomed = appendChild(std::make_unique<Tracked>(&log, "n"), root);
    TextNode* after = appendChild(std::make_unique<Tracked>(&log, "after"), root);
    TextNode* a = appendChild(std::make_unique<Tracked>(&log, "a"), doomed);
    appendChild(std::make_unique<Tracked>(&log, "a1"), a);
    appendChild(std::make_unique<Tracked>(&log, "a2"), a);
    TextNode* b = appendChild(std::make_unique<Tracked>(&log, "b"), doomed);
    TextNode* b1 = appendChild(std::make_unique<Tracked>(&log, "b1"), b);
    appendChild(std::make_unique<Tracked>(&log, "b1x"), b1);

    destroyNode(doomed);
    EXPECT_EQ(log, (std::vector<std::string>{"a1", "a2", "a", "b1x", "b1", "b", "n"}));
    expectChildren(root, {keep, after});

    log.clear();
    destroyNode(root);
    EXPECT_EQ(log, (std::vector<std::string>{"keep", "after"}));
}

TEST(TextNode, DeepAndWideSubtreesAreReleased) {
    auto owner = std::make_unique<TextNode>();
    TextNode* root = owner.get();
    // A chain 200,000 levels deep (a recursive destroy would exhaust the stack) ...
    TextNode* tip = root;
    for (int i = 0; i < 200000; ++i) {
        tip = appendChild(std::make_unique<TextNode>(), tip);
        tip->setText("level");
    }
    // ... beside a wide, bushy part.
    TextNode* wide = appendChild(std::make_unique<WindowNode>(), root);
    for (int i = 0; i < 300; ++i) {
        WindowNode* w = appendChild(std::make_unique<WindowNode>(), wide);
        w->setClassName("Edit");
        w->setTitle("title");
        for (int j = 0; j < 5; ++j)
            appendChild(std::make_unique<TextNode>(), w)->setText("leaf");
    }
    destroyNode(root); // leaks would be reported by the sanitizer build
}

// A root released by its holder alone, without destroyNode: a deep chain beside a wide level goes without
// recursion either.
TEST(TextNode, ARootReleasedByItsHolderReleasesAnyDepth) {
    auto owner = std::make_unique<TextNode>();
    TextNode* tip = owner.get();
    for (int i = 0; i < 200000; ++i)
        tip = appendChild(std::make_unique<TextNode>(), tip);
    TextNode* wide = appendChild(std::make_unique<TextNode>(), owner.get());
    for (int i = 0; i < 1000; ++i)
        appendChild(std::make_unique<TextNode>(), wide);
    owner.reset(); // a recursive release would exhaust the stack (the sanitizer build reports leaks)
}

TEST(TextNode, DestroyNodeAcceptsNullAndAParentlessNode) {
    destroyNode(nullptr);
    destroyChildren(nullptr);
    auto lone = std::make_unique<WindowNode>();
    lone->setTitle("alone");
    appendChild(std::make_unique<TextNode>(), lone.get());
    destroyNode(lone.get()); // its children go; the node itself stays with its holder
    EXPECT_EQ(lone->firstChild(), nullptr);
    EXPECT_STREQ(lone->title, "alone");
}

class ClearWindowTree : public ::testing::Test {
  protected:
    void SetUp() override { saved = std::move(windowRoot); }
    void TearDown() override { windowRoot = std::move(saved); }
    std::unique_ptr<WindowNode> saved;
};

TEST_F(ClearWindowTree, KeepsTheRootAndDropsEveryChild) {
    windowRoot = std::make_unique<WindowNode>();
    WindowNode& root = *windowRoot;
    root.setTitle("Root Window");
    for (int i = 0; i < 4; ++i) {
        WindowNode* w = appendChild(std::make_unique<WindowNode>(), &root);
        w->setClassName("Notepad");
        w->setTitle("doc");
        appendChild(std::make_unique<TextNode>(), w);
    }
    clearWindowTree();
    EXPECT_EQ(root.firstChild(), nullptr);
    EXPECT_STREQ(root.title, "Root Window");
    clearWindowTree(); // an already empty root stays empty
    EXPECT_EQ(root.firstChild(), nullptr);
    WindowNode* again = appendChild(std::make_unique<WindowNode>(), &root);
    expectChildren(&root, {again});
    clearWindowTree();
}

TEST_F(ClearWindowTree, WithoutRootDoesNothing) {
    windowRoot = nullptr;
    clearWindowTree();
    EXPECT_TRUE(windowRoot == nullptr);
}

} // namespace
} // namespace vantor
