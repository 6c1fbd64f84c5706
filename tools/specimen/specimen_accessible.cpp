// The specimen's self-drawn control (class kGridClass): it paints its item names itself and has no child
// windows; its items are reachable only through the accessible objects it answers WM_GETOBJECT with, built
// from kAccessibleTree (and --accessible-items, --accessible-mode). The objects live as long as the process
// (reference counts are kept but nothing is freed), so a tree that loops needs no care.
//
// Threads: the user-interface thread (COM's apartment of the specimen).
#include "specimen.h"
#include "specimen_contents.h"

#include <oleacc.h>

#include <string>
#include <vector>

namespace vantor {
namespace specimen {

namespace {

// IID_IAccessible, defined here rather than taken from oleacc's import library (which gives a code stub
// under that name when linked before uuid).
constexpr IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

class Item : public IAccessible {
  public:
    Item(std::u16string n, std::u16string v, long r) : name(std::move(n)), value(std::move(v)), role(r) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, kIidAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs)); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(InterlockedDecrement(&refs)); }

    // IDispatch: not offered.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible: the object itself (CHILDID_SELF) and its children by number from 1.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
        *out = parent;
        if (parent == nullptr) return S_FALSE;
        parent->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* out) override {
        hangIfAsked();
        *out = static_cast<long>(children.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        *out = nullptr;
        Item* item = childOf(child);
        if (item == nullptr || item == this) return E_INVALIDARG;
        item->AddRef();
        *out = item;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        hangIfAsked();
        Item* item = childOf(child);
        if (item == nullptr) return E_INVALIDARG;
        *out = bstr(item->name);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        Item* item = childOf(child);
        if (item == nullptr) return E_INVALIDARG;
        *out = item->value.empty() ? nullptr : bstr(item->value);
        return item->value.empty() ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* out) override { return none(out); }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        Item* item = childOf(child);
        if (item == nullptr) return E_INVALIDARG;
        out->vt = VT_I4;
        out->lVal = item->role;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        if (childOf(child) == nullptr) return E_INVALIDARG;
        out->vt = VT_I4;
        out->lVal = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* out) override { return none(out); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        *topic = 0;
        return none(file);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* out) override { return none(out); }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        out->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        out->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR* out) override { return none(out); }
    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE accLocation(long*, long*, long*, long*, VARIANT) override {
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT* out) override {
        out->vt = VT_EMPTY;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long, long, VARIANT* out) override {
        out->vt = VT_EMPTY;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }

    std::u16string name;
    std::u16string value;
    long role;
    Item* parent = nullptr;
    std::vector<Item*> children;

  private:
    static BSTR bstr(const std::u16string& t) {
        return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(t.data()), static_cast<UINT>(t.size()));
    }
    static HRESULT none(BSTR* out) {
        *out = nullptr;
        return S_FALSE;
    }
    Item* childOf(const VARIANT& v) {
        if (v.vt != VT_I4) return nullptr;
        if (v.lVal == CHILDID_SELF) return this;
        if (v.lVal < 1 || static_cast<std::size_t>(v.lVal) > children.size()) return nullptr;
        return children[static_cast<std::size_t>(v.lVal - 1)];
    }
    // --accessible-mode kAccessibleHung: the thread stops answering for good.
    static void hangIfAsked() {
        if (state().options.accessibleMode == kAccessibleHung) Sleep(INFINITE);
    }
    LONG refs = 1;
};

Item* addItem(Item* parent, const std::u16string& name, const std::u16string& value, long role) {
    Item* item = new Item(name, value, role);
    item->parent = parent;
    if (parent != nullptr) parent->children.push_back(item);
    return item;
}

// The objects of kAccessibleTree, the group of --accessible-items and the loop of kAccessibleLoop; the root.
Item* buildTree() {
    Item* root = addItem(nullptr, u"", u"", ROLE_SYSTEM_OUTLINE);
    std::vector<Item*> levels = {root};
    Item* deepest = nullptr;
    for (const AccessibleEntry& e : kAccessibleTree) {
        levels.resize(static_cast<std::size_t>(e.level) + 1);
        Item* item = addItem(levels.back(), e.name, e.value, ROLE_SYSTEM_OUTLINEITEM);
        levels.push_back(item);
        deepest = item;
    }
    if (state().options.accessibleItems > 0) {
        Item* group = addItem(root, kAccessibleManyGroup, u"", ROLE_SYSTEM_GROUPING);
        group->children.reserve(static_cast<std::size_t>(state().options.accessibleItems));
        for (int i = 1; i <= state().options.accessibleItems; ++i) {
            std::u16string name = u"項目 ";
            for (char c : std::to_string(i))
                name += static_cast<char16_t>(c);
            addItem(group, name, u"", ROLE_SYSTEM_LISTITEM);
        }
    }
    if (state().options.accessibleMode == kAccessibleLoop && deepest != nullptr)
        deepest->children.push_back(root->children.front());
    return root;
}

void onPaint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    SelectObject(dc, guiFont());
    int y = 2;
    for (const AccessibleEntry& e : kAccessibleTree) {
        const std::u16string& text = e.name;
        TextOutW(dc, 4 + 12 * e.level, y, reinterpret_cast<const wchar_t*>(text.data()),
                 static_cast<int>(text.size()));
        y += 14;
    }
    EndPaint(window, &ps);
}

LRESULT onGetObject(WPARAM wParam, LPARAM lParam) {
    if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT)) return 0;
    if (state().options.accessibleMode == kAccessibleBadAnswer) return 0x12345; // no object stands behind it
    IAccessible*& root = state().accessibleRoot;
    if (root == nullptr) root = buildTree();
    return LresultFromObject(kIidAccessible, wParam, root);
}

LRESULT CALLBACK gridProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_GETOBJECT: return onGetObject(wParam, lParam);
    case WM_PAINT: onPaint(window); return 0;
    default: return DefWindowProcA(window, msg, wParam, lParam);
    }
}

} // namespace

bool registerGridClass(HINSTANCE instance) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = gridProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kGridClass;
    return RegisterClassA(&wc) != 0;
}

} // namespace specimen
} // namespace vantor
