// Text answers shared by the fake controls (those the desktop gives for window titles too are declared in
// fake_desktop.h): copying a control's text into a caller's local buffer (the
// standard controls, whose text messages the window system marshals) and into a block of the control's own
// process (the common controls), with the checks a real control's caller must satisfy.
//
// Threads: called by fake controls, under the fake desktop's lock.
#pragma once

#include <cstdint>
#include <string>

#include "platform/fake/fake_desktop.h"

namespace vantor {
namespace fake {

// ---- Texts in the form the message being delivered asks for (FakeDesktop::answeringWide) ----------------
// A stored text as UTF-16: UTF-8 of a Unicode window, code page 932 otherwise (unmappable bytes U+FFFD).
std::u16string widenCp932(const std::string& text);
std::u16string wideTextOf(FakeDesktop& d, const std::string& stored);

// Every helper below writes answerBytes of its text, capacities and lengths counted in units.

// A text message with no capacity (LB_GETTEXT, CB_GETLBTEXT): writes text + NUL at lParam, a buffer of the
// caller's process. A null buffer, or an allocLocal block too short for it, is a fault (only what fits is
// written). Returns the text's length.
std::intptr_t putLocalText(FakeDesktop& d, const char* what, const std::string& text, std::intptr_t lParam);

// Item data of an owner-drawn list without strings: whether the window style makes the list hold item data,
// the size the length message answers (the process's pointer width in bytes), and the copy LB_GETTEXT /
// CB_GETLBTEXT makes of an item's data (data's bytes, padded with zeros to that width) into lParam, a local
// buffer; returns that width.
bool holdsItemData(std::uint32_t style, std::uint32_t ownerDrawn, std::uint32_t hasStrings);
std::intptr_t itemDataSize(FakeDesktop& d, const FakeWindow& w);
std::intptr_t putItemData(FakeDesktop& d, const FakeWindow& w, const std::string& data, std::intptr_t lParam);

// The standard text messages every text-bearing control answers from its text: WM_GETTEXT,
// WM_GETTEXTLENGTH and WM_SETTEXT (which also becomes the window title). Returns false for other messages.
bool answerTextMessage(FakeDesktop& d, FakeWindow& w, std::string* text, std::uint32_t msg,
                       std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t* result);

// A capacity-bounded copy into the control's own process (LVM_GETITEMA, HDM_GETITEMA, TCM_GETITEMA,
// TVM_GETITEMA): pszText must start a range of cchTextMax bytes inside one live block of pid, else a fault
// and nothing written. Writes at most cchTextMax - 1 bytes + NUL. cchTextMax <= 0 writes nothing, as the
// real controls do, and is a fault: it is what a record of the wrong width usually reads as.
void putRemoteText(FakeDesktop& d, std::uint32_t pid, const char* what, const std::string& text,
                   RemoteAddr pszText, std::int64_t cchTextMax);

// A copy with no capacity into the control's own process (SB_GETTEXTA, TB_GETBUTTONTEXTA): text + NUL at
// addr, as putRemoteUnbounded.
void putRemoteTextUnbounded(FakeDesktop& d, std::uint32_t pid, const char* what, const std::string& text,
                            RemoteAddr addr);

// True when a record of n bytes at a lies inside one live block of pid; otherwise a fault naming what.
bool recordAt(FakeDesktop& d, std::uint32_t pid, const char* what, RemoteAddr a, std::size_t n);

// Writes n bytes at addr with no bound the caller chose (TB_GETBUTTON, SB_GETTEXTA, TB_GETBUTTONTEXTA). When
// they do not fit the live block at addr the overrun is a fault; the bytes that fit are written, as a real
// control would write them before running off the block.
void putRemoteUnbounded(FakeDesktop& d, std::uint32_t pid, const char* what, RemoteAddr addr, const void* src,
                        std::size_t n);

// A copy of text into a fresh block of the control's own process (for a control that answers with a
// pointer to its own buffer); returns the block's address.
RemoteAddr ownedCopy(FakeDesktop& d, std::uint32_t pid, const std::string& text);

} // namespace fake
} // namespace vantor
