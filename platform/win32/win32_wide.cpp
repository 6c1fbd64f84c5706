// The wide window system on the W API of USER32: IsWindowUnicode, the marshalled text messages sent wide
// (which this Wine answers right across processes, unlike some of their ANSI forms), GetMenuItemInfoW and
// WideCharToMultiByte to the ANSI code page.
//
// Threads: any; nothing here keeps state.
#include <vector>

#include "platform/wide_text.h"
#include "platform/win32/win32_impl.h"
#include "platform/win32/win32_platform.h"

namespace vantor {
namespace win32 {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 units on Windows");

class WideWindowSystemWin32 : public WideWindowSystem {
  public:
    bool isUnicodeWindow(Hwnd w) override {
        const HWND h = toNative(w);
        return IsWindow(h) != FALSE && IsWindowUnicode(h) != FALSE;
    }

    bool sendMessageW(Hwnd w, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                      std::intptr_t* result) override {
        LRESULT answer = 0;
        if (!sendW(toNative(w), msg, wParam, lParam, &answer)) {
            *result = 0;
            return false;
        }
        *result = static_cast<std::intptr_t>(answer);
        return true;
    }

    // The first query asks for the length, the second for the text in a buffer of that length. A menu the
    // system will not hand over (another process's, on Wine) answers from the hook library's snapshot, as
    // its code page 932 texts do.
    bool menuItemTextW(Hmenu m, int position, std::u16string* out) override {
        out->clear();
        if (isNull(m) || position < 0) return false;
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING | MIIM_FTYPE;
        if (GetMenuItemCount(toNative(m)) < 0) return snapshotItemTextW(m, position, out);
        if (!GetMenuItemInfoW(toNative(m), static_cast<UINT>(position), TRUE, &info)) return false;
        if ((info.fType & MFT_SEPARATOR) != 0 || info.cch == 0) return true;
        std::vector<wchar_t> text(static_cast<std::size_t>(info.cch) + 1, L'\0');
        info.fMask = MIIM_STRING;
        info.dwTypeData = text.data();
        info.cch = static_cast<UINT>(text.size());
        if (!GetMenuItemInfoW(toNative(m), static_cast<UINT>(position), TRUE, &info)) return false;
        text.back() = L'\0';
        out->assign(reinterpret_cast<const char16_t*>(text.data()));
        return true;
    }

    std::string toAnsi(const std::u16string& text) override {
        std::string ansi;
        if (text.empty()) return ansi;
        const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
        const int count = static_cast<int>(text.size());
        const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, count, nullptr, 0, nullptr, nullptr);
        if (bytes <= 0) return ansi;
        ansi.resize(static_cast<std::size_t>(bytes));
        WideCharToMultiByte(CP_ACP, 0, wide, count, &ansi[0], bytes, nullptr, nullptr);
        return ansi;
    }

    std::u16string fromAnsi(const std::string& text) override {
        std::u16string wide;
        if (text.empty()) return wide;
        const int count = static_cast<int>(text.size());
        const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), count, nullptr, 0);
        if (units <= 0) return wide;
        wide.resize(static_cast<std::size_t>(units));
        MultiByteToWideChar(CP_ACP, 0, text.data(), count, reinterpret_cast<wchar_t*>(&wide[0]), units);
        return wide;
    }
};

} // namespace

std::unique_ptr<WideWindowSystem> makeWideWindows() {
    return std::make_unique<WideWindowSystemWin32>(); // stateless
}

} // namespace win32
} // namespace vantor
