// A stand-in for <windows.h> for the fuzz target of the bulk answers (tests/fuzz/bulk_answer_fuzz.cpp): the
// few types, constants and functions hook/bulk_answer.cpp uses, so that it builds natively against fake
// controls. The message numbers and styles are platform/wire.h's, which the Windows build checks against the
// SDK's (platform/win32/wire_check.cpp); wire.h must come first, as it does in the file under test.
#pragma once

#include <cstdint>

#include "platform/wire.h"

using BOOL = int;
using UINT = unsigned int;
using LONG = std::int32_t;
using DWORD = std::uint32_t;
using ULONG_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using LPSTR = char*;
using LPWSTR = wchar_t*;
struct HWND__;
using HWND = HWND__*;

#define GWL_STYLE (-16)
#define LB_GETCOUNT (::vantor::wire::LB_GETCOUNT)
#define LB_GETTEXT (::vantor::wire::LB_GETTEXT)
#define LB_GETTEXTLEN (::vantor::wire::LB_GETTEXTLEN)
#define CB_GETCOUNT (::vantor::wire::CB_GETCOUNT)
#define CB_GETLBTEXT (::vantor::wire::CB_GETLBTEXT)
#define CB_GETLBTEXTLEN (::vantor::wire::CB_GETLBTEXTLEN)
#define LBS_OWNERDRAWFIXED (static_cast<LONG>(::vantor::wire::LBS_OWNERDRAWFIXED))
#define LBS_OWNERDRAWVARIABLE (static_cast<LONG>(::vantor::wire::LBS_OWNERDRAWVARIABLE))
#define LBS_HASSTRINGS (static_cast<LONG>(::vantor::wire::LBS_HASSTRINGS))
#define CBS_OWNERDRAWFIXED (static_cast<LONG>(::vantor::wire::CBS_OWNERDRAWFIXED))
#define CBS_OWNERDRAWVARIABLE (static_cast<LONG>(::vantor::wire::CBS_OWNERDRAWVARIABLE))
#define CBS_HASSTRINGS (static_cast<LONG>(::vantor::wire::CBS_HASSTRINGS))

// Implemented by the fuzz target.
LRESULT SendMessageA(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageW(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL IsWindow(HWND window);
DWORD GetTickCount();
LONG GetWindowLongA(HWND window, int index);
