// The fake accessible objects (see platform/fake/fake_accessibility.h).
#include "platform/fake/fake_accessibility.h"

#include <iconv.h>

namespace vantor {
namespace fake {

namespace {

// Nodes are their index + 1 (0 is none).
class FakeNodes : public AccessibleNodes {
  public:
    explicit FakeNodes(FakeAccessibility& f) : f_(f) {}
    bool childCount(Node node, std::size_t* out) override {
        const FakeAccessibility::Node& n = at(node);
        if (n.childrenFail) return false;
        *out = n.children.size() + n.elements.size();
        return true;
    }
    bool children(Node node, std::size_t from, std::size_t most, std::vector<Child>* out) override {
        const FakeAccessibility::Node& n = at(node);
        if (n.childrenFail) return false;
        for (std::size_t i = from; i < from + most && i < n.children.size() + n.elements.size(); ++i) {
            if (i < n.children.size()) {
                out->push_back({static_cast<Node>(n.children[i]) + 1, 0});
                ++f_.held;
            } else {
                out->push_back({0, static_cast<std::int32_t>(i - n.children.size() + 1)});
            }
            f_.clockMs += n.childMs;
        }
        return true;
    }
    void describe(Node node, std::int32_t childId, AccessibleItem* out) override {
        const FakeAccessibility::Node& n = at(node);
        *out = childId == 0 ? n.item : n.elements.at(static_cast<std::size_t>(childId - 1));
    }
    std::uintptr_t identity(Node node) override { return node; }
    void release(Node) override { --f_.held; }
    std::uint64_t nowMs() override { return f_.clockMs; }

  private:
    const FakeAccessibility::Node& at(Node node) {
        const FakeAccessibility::Node& n = f_.nodes.at(node - 1);
        f_.clockMs += n.callMs;
        return n;
    }
    FakeAccessibility& f_;
};

} // namespace

int FakeAccessibility::add(int parent, const std::u16string& name, const std::u16string& value) {
    Node n;
    n.item.name = name;
    n.item.value = value;
    nodes.push_back(n);
    const int index = static_cast<int>(nodes.size()) - 1;
    if (parent >= 0) nodes.at(static_cast<std::size_t>(parent)).children.push_back(index);
    return index;
}

AccessibleAnswer FakeAccessibility::ask(Hwnd window) {
    ++asked;
    const auto it = windows.find(window);
    return it == windows.end() ? AccessibleAnswer::None : it->second.answer;
}

bool FakeAccessibility::walk(Hwnd window, const AccessibleLimits& limits, AccessibleTree* out) {
    ++walks;
    const auto it = windows.find(window);
    if (it == windows.end() || it->second.answer != AccessibleAnswer::Object || it->second.root < 0)
        return false;
    FakeNodes source(*this);
    walkAccessible(source, static_cast<AccessibleNodes::Node>(it->second.root) + 1, limits, out);
    return true;
}

std::string FakeAccessibility::toAnsi(const std::u16string& text) {
    std::string out;
    iconv_t cd = iconv_open("CP932", "UTF-16LE");
    // Unit by unit, as the system converts: each half of a surrogate pair becomes a '?' of its own.
    for (std::size_t i = 0; i < text.size(); ++i) {
        char in[2] = {static_cast<char>(text[i] & 0xFF), static_cast<char>(text[i] >> 8)};
        char buf[8];
        char* src = in;
        char* dst = buf;
        std::size_t inLeft = 2, outLeft = sizeof buf;
        if (iconv(cd, &src, &inLeft, &dst, &outLeft) == static_cast<std::size_t>(-1))
            out += '?';
        else
            out.append(buf, sizeof buf - outLeft);
    }
    iconv_close(cd);
    return out;
}

} // namespace fake
} // namespace vantor
