// IAccessible objects as the nodes of an accessible walk (platform/accessible.h): across processes (each
// call marshalled to the target) and inside the target (msghook.dll, plain calls). The caller has COM on
// its thread. Header-only, so that the hook library shares it without linking the program's platform.
//
// Threads: the thread that got the objects (their apartment).
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <vector>

#include "platform/accessible.h"

namespace vantor {
namespace win32 {

// IID_IAccessible, defined here: mingw-w64's oleacc import library gives a code stub under that name when it
// is linked before uuid, which makes every marshalled call fail.
constexpr IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
constexpr IID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Children counted at most; a larger count is taken as this many.
constexpr long kMostChildren = 100000;

inline std::u16string takeBstr(BSTR text) {
    std::u16string out;
    if (text != nullptr) {
        const UINT n = SysStringLen(text);
        out.assign(reinterpret_cast<const char16_t*>(text), n);
        SysFreeString(text);
    }
    return out;
}

class AccessibleObjects : public AccessibleNodes {
  public:
    // withRoleAndState: also ask each item's role and state. The report shows neither, so the walk across
    // processes, where each question is a marshalled call, leaves them out (0).
    explicit AccessibleObjects(bool withRoleAndState) : roleAndState_(withRoleAndState) {}
    static IAccessible* object(Node n) { return reinterpret_cast<IAccessible*>(n); }

    // Every answer (a call that returned) is noted in *answered when given, for a thread that watches.
    void noteAnswers(volatile LONG64* answered) { answered_ = answered; }

    bool childCount(Node node, std::size_t* out) override {
        long count = 0;
        const HRESULT hr = object(node)->get_accChildCount(&count);
        answered();
        if (FAILED(hr) || count < 0) return false;
        *out = static_cast<std::size_t>(count > kMostChildren ? kMostChildren : count);
        return true;
    }
    bool children(Node node, std::size_t from, std::size_t most, std::vector<Child>* out) override {
        if (most == 0) return true;
        std::vector<VARIANT> list(most);
        long got = 0;
        const HRESULT hr = AccessibleChildren(object(node), static_cast<LONG>(from), static_cast<LONG>(most),
                                              list.data(), &got);
        answered();
        if (FAILED(hr)) return false;
        for (long i = 0; i < got && static_cast<std::size_t>(i) < most; ++i) {
            VARIANT& v = list[static_cast<std::size_t>(i)];
            if (v.vt == VT_DISPATCH && v.pdispVal != nullptr) {
                IAccessible* child = nullptr;
                if (SUCCEEDED(v.pdispVal->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&child))) &&
                    child != nullptr)
                    out->push_back({reinterpret_cast<Node>(child), 0});
                answered();
            } else if (v.vt == VT_I4 && v.lVal > 0) {
                out->push_back({0, static_cast<std::int32_t>(v.lVal)});
            }
            VariantClear(&v);
        }
        return true;
    }
    void describe(Node node, std::int32_t childId, AccessibleItem* out) override {
        VARIANT self;
        VariantInit(&self);
        self.vt = VT_I4;
        self.lVal = childId;
        BSTR text = nullptr;
        if (SUCCEEDED(object(node)->get_accName(self, &text))) out->name = takeBstr(text);
        answered();
        text = nullptr;
        if (SUCCEEDED(object(node)->get_accValue(self, &text))) out->value = takeBstr(text);
        answered();
        if (!roleAndState_) return;
        VARIANT v;
        VariantInit(&v);
        if (SUCCEEDED(object(node)->get_accRole(self, &v)) && v.vt == VT_I4)
            out->role = static_cast<std::uint32_t>(v.lVal);
        VariantClear(&v);
        if (SUCCEEDED(object(node)->get_accState(self, &v)) && v.vt == VT_I4)
            out->state = static_cast<std::uint32_t>(v.lVal);
        VariantClear(&v);
        answered();
    }
    std::uintptr_t identity(Node node) override {
        IUnknown* unknown = nullptr;
        if (FAILED(object(node)->QueryInterface(kIidUnknown, reinterpret_cast<void**>(&unknown))) ||
            unknown == nullptr)
            return node;
        unknown->Release(); // the object itself is still held
        return reinterpret_cast<std::uintptr_t>(unknown);
    }
    void release(Node node) override { object(node)->Release(); }
    std::uint64_t nowMs() override { return GetTickCount64(); }

  private:
    void answered() {
        if (answered_ != nullptr) InterlockedExchange64(answered_, static_cast<LONG64>(GetTickCount64()));
    }
    bool roleAndState_;
    volatile LONG64* answered_ = nullptr;
};

} // namespace win32
} // namespace vantor
