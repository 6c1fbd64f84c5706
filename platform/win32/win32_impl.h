// Internal to platform/win32: the three classes behind the seam and the message helpers they share. Only
// the files of this directory include it; everything else uses win32_platform.h.
//
// Threads: stateless objects; any thread may call them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/wide_text.h"

namespace vantor {
namespace win32 {

// Sends one message with SMTO_ABORTIFHUNG and kMessageTimeoutMs, in the ANSI or the wide form. False when
// it was not answered (time-out, hung or vanished target); *result is then 0.
bool sendA(HWND w, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
bool sendW(HWND w, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

// The text messages that Wine gets wrong across processes (win32_messages.cpp), done so that the caller
// sees what the ANSI message answers on Windows: code page 932 bytes into a local buffer.
bool sendListTextLength(HWND w, bool comboBox, WPARAM index, LRESULT* result);
bool sendListText(HWND w, bool comboBox, WPARAM index, char* out, LRESULT* result);
bool sendTextLength(HWND w, LRESULT* result);
bool sendGetText(HWND w, WPARAM cap, char* out, LRESULT* result);

// The number of leading bytes of text (len bytes of code page 932) that fit into limit bytes without
// splitting a double-byte character.
std::size_t cutAtCharacter(const char* text, std::size_t len, std::size_t limit);

// Menus through msghook.dll (win32_hook.cpp), for when the menu functions refuse another process's menu:
// a request that the window's own thread store a snapshot of its menu bar (waits at most
// kMessageTimeoutMs), and the newest snapshot of a menu (-1 / false when there is none or no library).
void requestMenuBarSnapshot(HWND window);
int snapshotItemCount(Hmenu menu);
bool snapshotItem(Hmenu menu, int position, MenuItem* out);
bool snapshotItemTextW(Hmenu menu, int position, std::u16string* out); // the item's text as read wide
bool snapshotCut(Hmenu menu);
// Why the last menu bar request or snapshot look-up failed; empty when none did.
const char* snapshotProblem();

// The wide window system on the W API (platform/wide_text.h); installWin32Platform installs it.
std::unique_ptr<WideWindowSystem> makeWideWindows();

class WindowSystemWin32 : public WindowSystem {
  public:
    int className(Hwnd w, char* buf, int cap) override;
    int windowText(Hwnd w, char* buf, int cap) override;
    Hwnd parent(Hwnd w) override;
    Hwnd nextChild(Hwnd parent, Hwnd after) override;
    void topLevelWindows(std::vector<Hwnd>* out) override;
    bool isWindow(Hwnd w) override;
    Hmenu menuOf(Hwnd w) override;
    int menuItemCount(Hmenu m) override;
    bool menuItem(Hmenu m, int position, MenuItem* out) override;
    Hmenu knownMenuOf(Hwnd w) override;
    bool menuShownFor(Hwnd w) override;
    bool menuCut(Hmenu m) override;
    const char* menuProblem() override;
    std::uint32_t windowStyle(Hwnd w) override;
    std::uint32_t windowThreadProcessId(Hwnd w, std::uint32_t* pid) override;
    bool sendMessage(Hwnd w, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                     std::intptr_t* result) override;
};

class ProcessAccessWin32 : public ProcessAccess {
  public:
    bool openProcess(std::uint32_t pid, Hproc* out) override;
    void closeProcess(Hproc p) override;
    int pointerBits(Hproc p) override;
    bool allocRemote(Hproc p, std::size_t size, RemoteAddr* out) override;
    void freeRemote(Hproc p, RemoteAddr a) override;
    void abandonRemote(Hproc p, RemoteAddr a) override;
    bool writeRemote(Hproc p, RemoteAddr a, const void* src, std::size_t n) override;
    bool readRemote(Hproc p, RemoteAddr a, void* dst, std::size_t n) override;
    void* allocLocal(std::size_t size) override;
    void freeLocal(void* block) override;
};

class SystemServicesWin32 : public SystemServices {
  public:
    void localTime(LocalTime* out) override;
    void sleepMs(unsigned ms) override;
    int messageBox(Hwnd owner, const char* text, const char* caption, unsigned flags) override;
    bool replaceFile(const char* source, const char* target) override;
};

} // namespace win32
} // namespace vantor
