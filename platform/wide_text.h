// Wide texts at the seam to the window system: whether a window is a Unicode window, the wide text messages
// the window system copies across processes, wide menu strings, and the conversion the system applies when
// it answers an ANSI message of a Unicode window. platform/win32 implements it on the W API, the fake
// desktop on its own texts. Additive to platform.h: the ANSI paths there are untouched, so the code page 932
// report keeps its bytes. No <windows.h> here.
//
// Threads: installed once with the platform, before other threads run; any thread may then call it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace vantor {

class WideWindowSystem {
  public:
    virtual ~WideWindowSystem() = default;
    // IsWindowUnicode: the window's procedure takes wide texts (false for a window that does not exist).
    virtual bool isUnicodeWindow(Hwnd w) = 0;
    // SendMessageTimeoutW of a text message the window system copies across processes (WM_GETTEXT,
    // WM_GETTEXTLENGTH, LB_GETTEXT, LB_GETTEXTLEN, CB_GETLBTEXT, CB_GETLBTEXTLEN); lParam is a local
    // buffer of char16_t units (at least the reported length + 1). The time-out rules of sendMessage.
    virtual bool sendMessageW(Hwnd w, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                              std::intptr_t* result) = 0;
    // GetMenuItemInfoW's string of the item at position; false where the menu cannot be read here.
    virtual bool menuItemTextW(Hmenu m, int position, std::u16string* out) = 0;
    // WideCharToMultiByte to the ANSI code page, as the system answers an ANSI message of a Unicode window
    // (its default character for what the code page lacks).
    virtual std::string toAnsi(const std::u16string& text) = 0;
    // MultiByteToWideChar from the ANSI code page: the texts read through the ANSI messages as UTF-16.
    virtual std::u16string fromAnsi(const std::string& text) = 0;
};

// The wide window system in use; null until one is installed.
WideWindowSystem* wideWindows();
void setWideWindows(WideWindowSystem* w);

// Code page 932 text (as the ANSI paths read it) as UTF-8, through the installed wide window system; empty
// when none is installed.
std::string utf8FromAnsi(const std::string& text);

} // namespace vantor
