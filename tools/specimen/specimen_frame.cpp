// The specimen's frame window (class "VantorSpecimenFrame"): a plain child window of the top-level window
// that holds one panel, so that the panel's status bar lies three levels below the top-level window. It
// draws its own text in its top-left corner.
//
// Threads: the user-interface thread only.
#include "specimen.h"
#include "specimen_contents.h"

namespace vantor {
namespace specimen {

namespace {

constexpr int kMargin = 24;

LRESULT onCreate(HWND frame) {
    RECT client;
    GetClientRect(frame, &client);
    HWND panel = CreateWindowExA(0, kPanelClass, kPanelText, WS_CHILD | WS_VISIBLE | WS_BORDER, kMargin,
                                 kMargin, client.right - 2 * kMargin, client.bottom - 2 * kMargin, frame,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdPanel)),
                                 GetModuleHandleA(nullptr), nullptr);
    return panel != nullptr ? 0 : -1;
}

void onPaint(HWND frame) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(frame, &ps);
    char text[64] = {};
    GetWindowTextA(frame, text, sizeof(text));
    HGDIOBJ old = SelectObject(dc, guiFont());
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, 4, 4, text, lstrlenA(text));
    SelectObject(dc, old);
    EndPaint(frame, &ps);
}

LRESULT CALLBACK frameProc(HWND frame, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: return onCreate(frame);
    case WM_PAINT: onPaint(frame); return 0;
    default: return DefWindowProcA(frame, msg, wParam, lParam);
    }
}

} // namespace

bool registerFrameClass(HINSTANCE instance) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = frameProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    wc.lpszClassName = kFrameClass;
    return RegisterClassExA(&wc) != 0;
}

} // namespace specimen
} // namespace vantor
