// The specimen's panel (class "VantorSpecimenPanel"): a plain child of the frame window that holds a status
// bar at its bottom edge, the deepest window of the specimen. It draws its own text in its top-left corner.
//
// Threads: the user-interface thread only.
#include "specimen.h"
#include "specimen_contents.h"

#include <commctrl.h>

namespace vantor {
namespace specimen {

namespace {

LRESULT onCreate(HWND panel) {
    // A status bar without CCS_NOPARENTALIGN places itself along the panel's bottom edge.
    HWND status = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, panel,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdPanelStatusBar)),
                                  GetModuleHandleA(nullptr), nullptr);
    if (status == nullptr) return -1;
    SendMessageA(status, WM_SETFONT, reinterpret_cast<WPARAM>(guiFont()), FALSE);
    fillStatusBar(status, kPanelStatusParts, kPanelStatusPartCount);
    return 0;
}

void onSize(HWND panel) {
    // Status bars follow their parent's size only when told.
    HWND status = GetDlgItem(panel, kIdPanelStatusBar);
    if (status != nullptr) SendMessageA(status, WM_SIZE, 0, 0);
}

void onPaint(HWND panel) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(panel, &ps);
    char text[64] = {};
    GetWindowTextA(panel, text, sizeof(text));
    HGDIOBJ old = SelectObject(dc, guiFont());
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, 4, 4, text, lstrlenA(text));
    SelectObject(dc, old);
    EndPaint(panel, &ps);
}

LRESULT CALLBACK panelProc(HWND panel, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: return onCreate(panel);
    case WM_SIZE: onSize(panel); return 0;
    case WM_PAINT: onPaint(panel); return 0;
    default: return DefWindowProcA(panel, msg, wParam, lParam);
    }
}

} // namespace

bool registerPanelClass(HINSTANCE instance) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = panelProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kPanelClass;
    return RegisterClassExA(&wc) != 0;
}

} // namespace specimen
} // namespace vantor
