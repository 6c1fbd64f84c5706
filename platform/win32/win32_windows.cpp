// The window system on USER32 (ANSI): names, texts and the hierarchy of windows of any process, and menus
// through GetMenuItemInfoA. The messages are in win32_messages.cpp.
//
// Threads: any; nothing here keeps state.
#include "platform/win32/win32_impl.h"

#include <cstring>
#include <vector>

#include "platform/win32/win32_platform.h"

namespace vantor {
namespace win32 {

namespace {

constexpr std::size_t kMenuTextLimit = sizeof(MenuItem::text) - 1;

// GetClassNameA / GetWindowTextA leave the buffer alone when they fail; the seam promises a terminator.
int terminated(int copied, char* buf, int cap) {
    if (cap <= 0) return 0;
    if (copied <= 0) {
        buf[0] = '\0';
        return 0;
    }
    return copied;
}

BOOL CALLBACK collectWindow(HWND w, LPARAM param) {
    reinterpret_cast<std::vector<Hwnd>*>(param)->push_back(fromNative(w));
    return TRUE;
}

// Reads the item's text (length bytes without the NUL, as a first query reported) and keeps at most
// kMenuTextLimit bytes of whole characters.
void readMenuText(HMENU menu, int position, UINT length, char* out) {
    std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = text.data();
    info.cch = static_cast<UINT>(text.size());
    out[0] = '\0';
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) return;
    text.back() = '\0';
    const std::size_t n = cutAtCharacter(text.data(), std::strlen(text.data()), kMenuTextLimit);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

} // namespace

int WindowSystemWin32::className(Hwnd w, char* buf, int cap) {
    if (cap <= 0) return 0;
    return terminated(GetClassNameA(toNative(w), buf, cap), buf, cap);
}

int WindowSystemWin32::windowText(Hwnd w, char* buf, int cap) {
    if (cap <= 0) return 0;
    return terminated(GetWindowTextA(toNative(w), buf, cap), buf, cap);
}

Hwnd WindowSystemWin32::parent(Hwnd w) {
    return fromNative(GetParent(toNative(w)));
}

Hwnd WindowSystemWin32::nextChild(Hwnd parent, Hwnd after) {
    return fromNative(FindWindowExA(toNative(parent), toNative(after), nullptr, nullptr));
}

void WindowSystemWin32::topLevelWindows(std::vector<Hwnd>* out) {
    out->clear();
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(out));
}

bool WindowSystemWin32::isWindow(Hwnd w) {
    return !isNull(w) && IsWindow(toNative(w)) != FALSE;
}

// Where the system refuses another process's menu bar (Wine answers -1 for its item count), that process
// is asked through the hook library to snapshot it, and the menu calls below answer from the snapshot.
Hmenu WindowSystemWin32::menuOf(Hwnd w) {
    const HMENU menu = GetMenu(toNative(w));
    if (menu != nullptr && GetMenuItemCount(menu) < 0) requestMenuBarSnapshot(toNative(w));
    return fromNative(menu);
}

Hmenu WindowSystemWin32::knownMenuOf(Hwnd w) {
    return fromNative(GetMenu(toNative(w)));
}

// Window enumeration only: no message goes to the other application.
bool WindowSystemWin32::menuShownFor(Hwnd w) {
    const DWORD thread = GetWindowThreadProcessId(toNative(w), nullptr);
    if (thread == 0) return false;
    HWND popup = nullptr;
    for (int scanned = 0; scanned < 256; ++scanned) {
        popup = FindWindowExA(nullptr, popup, "#32768", nullptr);
        if (popup == nullptr) return false;
        if (GetWindowThreadProcessId(popup, nullptr) == thread && IsWindowVisible(popup)) return true;
    }
    return false;
}

bool WindowSystemWin32::menuCut(Hmenu m) {
    return !isNull(m) && GetMenuItemCount(toNative(m)) < 0 && snapshotCut(m);
}

const char* WindowSystemWin32::menuProblem() {
    return snapshotProblem();
}

int WindowSystemWin32::menuItemCount(Hmenu m) {
    if (isNull(m)) return -1;
    const int n = GetMenuItemCount(toNative(m));
    return n >= 0 ? n : snapshotItemCount(m);
}

// The first query asks for the type, identifier, sub-menu and the text's length; the text follows in a
// buffer of that length, so a text longer than the record's buffer is cut here and not by the system.
// An item that opens a sub-menu reports -1, as GetMenuItemID does.
bool WindowSystemWin32::menuItem(Hmenu m, int position, MenuItem* out) {
    *out = MenuItem{};
    if (isNull(m) || position < 0) return false;
    const HMENU menu = toNative(m);
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING | MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STATE;
    info.dwTypeData = nullptr;
    info.cch = 0;
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info))
        return snapshotItem(m, position, out);
    out->separator = (info.fType & MFT_SEPARATOR) != 0;
    out->subMenu = fromNative(info.hSubMenu);
    if (out->separator) return true;
    out->checked = (info.fState & MFS_CHECKED) != 0;
    out->greyed = (info.fState & MFS_GRAYED) != 0;
    out->id = info.hSubMenu != nullptr ? -1 : static_cast<std::int32_t>(info.wID);
    if (info.cch > 0) readMenuText(menu, position, info.cch, out->text);
    return true;
}

std::uint32_t WindowSystemWin32::windowStyle(Hwnd w) {
    // Style bits are kept by the window system: asking costs no message to the window's thread.
    return static_cast<std::uint32_t>(GetWindowLongPtrA(toNative(w), GWL_STYLE));
}

std::uint32_t WindowSystemWin32::windowThreadProcessId(Hwnd w, std::uint32_t* pid) {
    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(toNative(w), &process);
    if (pid != nullptr) *pid = thread != 0 ? process : 0;
    return thread;
}

} // namespace win32
} // namespace vantor
