// The fake desktop: windows, menus, processes with their own memory, and the accounting of handles,
// blocks and faults. Controls live in the other files of this folder.
#include "platform/fake/fake_desktop.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cstdio>

#include "platform/unicode_text.h"
#include "platform/wire_wide.h"

namespace vantor {
namespace fake {

namespace {
// Blocks are spaced a page apart so that a range running off one block never lands in the next.
constexpr RemoteAddr kBase32 = 0x00400000ull;
constexpr RemoteAddr kBase64 = 0x00007FF600000000ull;
constexpr RemoteAddr kPage = 0x1000;

int copyText(const std::string& s, char* buf, int cap) {
    if (!buf || cap <= 0) return 0;
    int n = static_cast<int>(std::min<std::size_t>(s.size(), static_cast<std::size_t>(cap - 1)));
    std::memcpy(buf, s.data(), static_cast<std::size_t>(n));
    buf[n] = '\0';
    return n;
}
} // namespace

FakeDesktop::FakeDesktop() = default;

FakeDesktop::~FakeDesktop() {
    if (installed) {
        setPlatform(previous);
        setWideWindows(previousWide);
    }
    for (auto& l : locals)
        std::free(l.first);
}

void FakeDesktop::install() {
    if (!installed) {
        previous = platform();
        previousWide = wideWindows();
    }
    installed = true;
    setPlatform(Platform{this, this, this});
    setWideWindows(this);
}

std::uint32_t FakeDesktop::addProcess(int pointerBits) {
    std::lock_guard<std::recursive_mutex> g(lock);
    std::uint32_t pid = nextPid;
    nextPid += 4;
    FakeProcess& p = processes[pid];
    p.pid = pid;
    p.pointerBits = pointerBits;
    p.nextAddress = (pointerBits == 32 ? kBase32 : kBase64) + (pid << 20);
    return pid;
}

FakeProcess* FakeDesktop::process(std::uint32_t pid) {
    std::lock_guard<std::recursive_mutex> g(lock);
    auto it = processes.find(pid);
    return it == processes.end() ? nullptr : &it->second;
}

Hwnd FakeDesktop::addWindow(Hwnd parentWindow, const char* cls, const char* title, std::uint32_t pid,
                            std::unique_ptr<FakeControl> control) {
    std::lock_guard<std::recursive_mutex> g(lock);
    auto w = std::make_unique<FakeWindow>();
    Hwnd h = static_cast<Hwnd>(nextHandle);
    nextHandle += 4;
    w->handle = h;
    w->className = cls ? cls : "";
    w->title = title ? title : "";
    w->parent = parentWindow;
    w->pid = pid;
    w->tid = pid + 1;
    w->control = std::move(control);
    if (isNull(parentWindow)) {
        topLevel.push_back(h);
    } else {
        auto pit = windows.find(parentWindow);
        if (pit != windows.end()) pit->second->children.push_back(h);
    }
    windows[h] = std::move(w);
    return h;
}

void FakeDesktop::destroyWindow(Hwnd h) {
    std::lock_guard<std::recursive_mutex> g(lock);
    auto it = windows.find(h);
    if (it == windows.end()) return;
    std::vector<Hwnd> kids = it->second->children;
    for (Hwnd k : kids)
        destroyWindow(k);
    it = windows.find(h);
    Hwnd par = it->second->parent;
    if (isNull(par)) {
        topLevel.erase(std::remove(topLevel.begin(), topLevel.end(), h), topLevel.end());
    } else {
        auto pit = windows.find(par);
        if (pit != windows.end()) {
            auto& c = pit->second->children;
            c.erase(std::remove(c.begin(), c.end(), h), c.end());
        }
    }
    windows.erase(it);
}

FakeWindow* FakeDesktop::window(Hwnd h) {
    std::lock_guard<std::recursive_mutex> g(lock);
    auto it = windows.find(h);
    return it == windows.end() ? nullptr : it->second.get();
}

void FakeDesktop::wake(Hwnd h) {
    std::vector<FakeWindow::Pending> pending;
    {
        std::lock_guard<std::recursive_mutex> g(lock);
        FakeWindow* fw = window(h);
        if (!fw) return;
        fw->hung = false;
        pending.swap(fw->late);
    }
    for (const auto& m : pending) {
        std::lock_guard<std::recursive_mutex> g(lock);
        FakeWindow* fw = window(h);
        if (!fw) return;
        std::intptr_t ignored = 0;
        deliver(*fw, m.msg, m.wParam, m.lParam, &ignored);
    }
}

Hmenu FakeDesktop::addMenu() {
    std::lock_guard<std::recursive_mutex> g(lock);
    Hmenu m = static_cast<Hmenu>(nextHandle);
    nextHandle += 4;
    menus[m];
    return m;
}

void FakeDesktop::addMenuItem(Hmenu menu, const char* text, std::int32_t id, Hmenu subMenu, bool separator,
                              bool checked, bool greyed) {
    std::lock_guard<std::recursive_mutex> g(lock);
    FakeMenuItem item;
    item.text = text ? text : "";
    item.id = id;
    item.subMenu = subMenu;
    item.separator = separator;
    item.checked = checked;
    item.greyed = greyed;
    menus[menu].push_back(item);
}

void FakeDesktop::setMenu(Hwnd w, Hmenu menu) {
    std::lock_guard<std::recursive_mutex> g(lock);
    if (FakeWindow* fw = window(w)) fw->menu = menu;
}

void FakeDesktop::destroyMenu(Hmenu menu) {
    std::lock_guard<std::recursive_mutex> g(lock);
    menus.erase(menu);
}

// ---------------------------------------------------------------------------------------------------------
// Memory

FakeBlock* FakeDesktop::findBlock(FakeProcess& p, RemoteAddr a, std::size_t n, std::size_t* offset) {
    auto it = p.blocks.upper_bound(a);
    if (it == p.blocks.begin()) return nullptr;
    --it;
    RemoteAddr base = it->first;
    std::size_t size = it->second.bytes.size();
    if (a < base || a - base > size || n > size - (a - base)) return nullptr;
    *offset = static_cast<std::size_t>(a - base);
    return &it->second;
}

RemoteAddr FakeDesktop::allocIn(FakeProcess& p, std::size_t size) {
    RemoteAddr a = p.nextAddress;
    p.blocks[a].bytes.assign(size, 0);
    RemoteAddr span = (static_cast<RemoteAddr>(size) + kPage - 1) / kPage * kPage;
    p.nextAddress = a + span + kPage;
    return a;
}

bool FakeDesktop::readMemory(std::uint32_t pid, RemoteAddr a, void* dst, std::size_t n) {
    std::lock_guard<std::recursive_mutex> g(lock);
    FakeProcess* p = process(pid);
    std::size_t off = 0;
    FakeBlock* b = p ? findBlock(*p, a, n, &off) : nullptr;
    if (!b) {
        char msg[128];
        std::snprintf(msg, sizeof msg, "read of %zu bytes at 0x%llx outside the memory of process %u", n,
                      static_cast<unsigned long long>(a), pid);
        fault(msg);
        return false;
    }
    if (n) std::memcpy(dst, b->bytes.data() + off, n);
    return true;
}

bool FakeDesktop::writeMemory(std::uint32_t pid, RemoteAddr a, const void* src, std::size_t n) {
    std::lock_guard<std::recursive_mutex> g(lock);
    FakeProcess* p = process(pid);
    std::size_t off = 0;
    FakeBlock* b = p ? findBlock(*p, a, n, &off) : nullptr;
    if (!b) {
        char msg[128];
        std::snprintf(msg, sizeof msg, "write of %zu bytes at 0x%llx outside the memory of process %u", n,
                      static_cast<unsigned long long>(a), pid);
        fault(msg);
        return false;
    }
    if (n) std::memcpy(b->bytes.data() + off, src, n);
    return true;
}

bool FakeDesktop::readString(std::uint32_t pid, RemoteAddr a, std::size_t max, std::string* out) {
    std::lock_guard<std::recursive_mutex> g(lock);
    out->clear();
    FakeProcess* p = process(pid);
    std::size_t off = 0;
    FakeBlock* b = p ? findBlock(*p, a, 1, &off) : nullptr;
    if (!b) {
        fault("string read outside the memory of the control's process");
        return false;
    }
    for (std::size_t i = off; i < b->bytes.size() && out->size() < max; ++i) {
        if (b->bytes[i] == 0) return true;
        out->push_back(static_cast<char>(b->bytes[i]));
    }
    return true;
}

RemoteAddr FakeDesktop::allocOwned(std::uint32_t pid, std::size_t size) {
    std::lock_guard<std::recursive_mutex> g(lock);
    FakeProcess* p = process(pid);
    return p ? allocIn(*p, size) : 0;
}

void FakeDesktop::fault(const std::string& what) {
    std::lock_guard<std::recursive_mutex> g(lock);
    faultList.push_back(what);
}

bool FakeDesktop::liveRange(std::uint32_t pid, RemoteAddr a, std::size_t n) {
    std::lock_guard<std::recursive_mutex> g(lock);
    FakeProcess* p = process(pid);
    std::size_t off = 0;
    return p && findBlock(*p, a, n, &off) != nullptr;
}

long FakeDesktop::localRoom(const void* p) const {
    std::lock_guard<std::recursive_mutex> g(lock);
    std::uintptr_t c = reinterpret_cast<std::uintptr_t>(p);
    for (const auto& l : locals) {
        std::uintptr_t base = reinterpret_cast<std::uintptr_t>(l.first);
        if (c >= base && c - base < l.second) return static_cast<long>(l.second - (c - base));
    }
    return -1;
}

int FakeDesktop::pointerBitsOf(std::uint32_t pid) {
    std::lock_guard<std::recursive_mutex> g(lock);
    FakeProcess* p = process(pid);
    return p ? p->pointerBits : 64;
}

// ---------------------------------------------------------------------------------------------------------
// Accounting

int FakeDesktop::openProcessHandles() const {
    std::lock_guard<std::recursive_mutex> g(lock);
    return static_cast<int>(handles.size());
}

int FakeDesktop::remoteBlocks() const {
    std::lock_guard<std::recursive_mutex> g(lock);
    return static_cast<int>(remoteOwned.size());
}

int FakeDesktop::abandonedBlocks() const {
    std::lock_guard<std::recursive_mutex> g(lock);
    return static_cast<int>(abandoned.size());
}

FakeDesktop::Exchanges FakeDesktop::exchangesWith(Hwnd control) const {
    std::lock_guard<std::recursive_mutex> g(lock);
    Exchanges e;
    auto it = messagesTo.find(control);
    if (it != messagesTo.end()) {
        e.byMessage = it->second;
        for (const auto& m : it->second)
            e.messages += m.second;
    }
    for (const auto& b : blockUses) {
        if (b.second.control != control) continue;
        e.writes += b.second.writes;
        e.reads += b.second.reads;
    }
    return e;
}

FakeDesktop::BlockUse* FakeDesktop::blockUseAt(std::uint32_t pid, RemoteAddr a) {
    auto it = blockUses.upper_bound({pid, a});
    if (it == blockUses.begin()) return nullptr;
    --it;
    if (it->first.first != pid || a < it->first.second || a - it->first.second >= it->second.size)
        return nullptr;
    return &it->second;
}

int FakeDesktop::localBlocks() const {
    std::lock_guard<std::recursive_mutex> g(lock);
    return static_cast<int>(locals.size());
}

std::string FakeDesktop::problems() const {
    std::lock_guard<std::recursive_mutex> g(lock);
    std::string s;
    if (!handles.empty()) s += std::to_string(handles.size()) + " process handle(s) left open\n";
    if (!remoteOwned.empty()) s += std::to_string(remoteOwned.size()) + " remote block(s) not freed\n";
    if (!locals.empty()) s += std::to_string(locals.size()) + " local block(s) not freed\n";
    for (const auto& f : faultList)
        s += "fault: " + f + "\n";
    return s;
}

// ---------------------------------------------------------------------------------------------------------
// WindowSystem

int FakeDesktop::className(Hwnd w, char* buf, int cap) {
    std::lock_guard<std::recursive_mutex> g(lock);
    FakeWindow* fw = window(w);
    return copyText(fw ? fw->className : std::string(), buf, cap);
}

int FakeDesktop::windowText(Hwnd w, char* buf, int cap) {
    std::lock_guard<std::recursive_mutex> g(lock);
    FakeWindow* fw = window(w);
    if (fw && fw->unicode) return copyText(toAnsi(utf16FromUtf8(fw->title)), buf, cap);
    return copyText(fw ? fw->title : std::string(), buf, cap);
}

Hwnd FakeDesktop::parent(Hwnd w) {
    std::lock_guard<std::recursive_mutex> g(lock);
    FakeWindow* fw = window(w);
    return fw ? fw->parent : Hwnd{};
}

Hwnd FakeDesktop::nextChild(Hwnd par, Hwnd after) {
    std::lock_guard<std::recursive_mutex> g(lock);
    const std::vector<Hwnd>* list = &topLevel;
    if (!isNull(par)) {
        FakeWindow* fw = window(par);
        if (!fw) return Hwnd{};
        list = &fw->children;
    }
    if (isNull(after)) return list->empty() ? Hwnd{} : list->front();
    auto it = std::find(list->begin(), list->end(), after);
    if (it == list->end() || ++it == list->end()) return Hwnd{};
    return *it;
}

void FakeDesktop::topLevelWindows(std::vector<Hwnd>* out) {
    std::lock_guard<std::recursive_mutex> g(lock);
    *out = topLevel;
}

bool FakeDesktop::isWindow(Hwnd w) {
    std::lock_guard<std::recursive_mutex> g(lock);
    return window(w) != nullptr;
}

Hmenu FakeDesktop::menuOf(Hwnd w) {
    std::lock_guard<std::recursive_mutex> g(lock);
    ++menuOfCalls;
    FakeWindow* fw = window(w);
    return fw ? fw->menu : Hmenu{};
}

Hmenu FakeDesktop::knownMenuOf(Hwnd w) {
    std::lock_guard<std::recursive_mutex> g(lock);
    FakeWindow* fw = window(w);
    return fw ? fw->menu : Hmenu{};
}

int FakeDesktop::menuItemCount(Hmenu m) {
    std::lock_guard<std::recursive_mutex> g(lock);
    auto it = menus.find(m);
    return it == menus.end() ? -1 : static_cast<int>(it->second.size());
}

bool FakeDesktop::menuItem(Hmenu m, int position, MenuItem* out) {
    std::lock_guard<std::recursive_mutex> g(lock);
    auto it = menus.find(m);
    if (it == menus.end() || position < 0 || position >= static_cast<int>(it->second.size())) return false;
    const FakeMenuItem& item = it->second[static_cast<std::size_t>(position)];
    const bool utf8 = unicodeMenus.count(m) != 0;
    copyText(item.separator ? std::string()
             : utf8         ? toAnsi(utf16FromUtf8(item.text))
                            : item.text,
             out->text, sizeof out->text);
    out->id = item.id;
    out->subMenu = item.subMenu;
    out->separator = item.separator;
    out->checked = item.checked;
    out->greyed = item.greyed;
    return true;
}

std::uint32_t FakeDesktop::windowStyle(Hwnd w) {
    std::lock_guard<std::recursive_mutex> g(lock);
    FakeWindow* fw = window(w);
    return fw ? fw->style : 0;
}

std::uint32_t FakeDesktop::windowThreadProcessId(Hwnd w, std::uint32_t* pid) {
    std::lock_guard<std::recursive_mutex> g(lock);
    FakeWindow* fw = window(w);
    if (pid) *pid = fw ? fw->pid : 0;
    return fw ? fw->tid : 0;
}

bool FakeDesktop::sendMessage(Hwnd w, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                              std::intptr_t* result) {
    return send(w, msg, wParam, lParam, result, wire::isWideQuery(msg));
}

bool FakeDesktop::sendMessageW(Hwnd w, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                               std::intptr_t* result) {
    return send(w, msg, wParam, lParam, result, true);
}

bool FakeDesktop::send(Hwnd w, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                       std::intptr_t* result, bool wide) {
    if (result) *result = 0;
    if (beforeMessage) beforeMessage(w, msg);
    std::lock_guard<std::recursive_mutex> g(lock);
    ++sentCount;
    ++messagesTo[w][msg];
    FakeWindow* fw = window(w);
    if (!fw) return false;
    // A block whose address goes to a control is that control's, for exchangesWith.
    if (BlockUse* use = blockUseAt(fw->pid, addressIn(pointerBitsOf(fw->pid), lParam)))
        if (isNull(use->control)) use->control = w;
    // The windows of a process that has ended are gone with it: nothing answers.
    FakeProcess* owner = process(fw->pid);
    if (owner && owner->ended) return false;
    if (fw->hung) {
        fw->late.push_back(FakeWindow::Pending{msg, wParam, lParam});
        return false;
    }
    // The text form the answer takes, for the fake controls' text helpers (fake_text.h).
    const bool outerWide = answerWide, outerUnicode = answerUnicode;
    answerWide = wide;
    answerUnicode = fw->unicode;
    deliver(*fw, msg, wParam, lParam, result);
    answerWide = outerWide;
    answerUnicode = outerUnicode;
    return true;
}

void FakeDesktop::deliver(FakeWindow& window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                          std::intptr_t* result) {
    FakeWindow* fw = &window;
    std::intptr_t r = 0;
    if (!fw->control || !fw->control->handle(*this, *fw, msg, wParam, lParam, &r)) {
        const bool converted = answerWide || answerUnicode;
        switch (msg) {
        case wire::WM_GETTEXT:
            r = converted ? getLocalText(*this, "WM_GETTEXT", fw->title, wParam, lParam)
                          : copyText(fw->title, reinterpret_cast<char*>(lParam), static_cast<int>(wParam));
            break;
        case wire::WM_GETTEXTLENGTH: r = textLength(*this, fw->title); break;
        case wire::WM_SETTEXT:
            fw->title = lParam ? reinterpret_cast<const char*>(lParam) : "";
            r = 1;
            break;
        default: r = 0; break;
        }
    }
    if (result) *result = r;
}

// ---------------------------------------------------------------------------------------------------------
// ProcessAccess

FakeProcess* FakeDesktop::processOfHandle(Hproc h) {
    auto it = handles.find(h);
    if (it == handles.end()) return nullptr;
    return process(it->second);
}

bool FakeDesktop::openProcess(std::uint32_t pid, Hproc* out) {
    std::lock_guard<std::recursive_mutex> g(lock);
    *out = Hproc{};
    FakeProcess* p = process(pid);
    if (!p || !p->openable) return false;
    Hproc h = static_cast<Hproc>(nextHandle);
    nextHandle += 4;
    handles[h] = pid;
    *out = h;
    return true;
}

void FakeDesktop::closeProcess(Hproc h) {
    std::lock_guard<std::recursive_mutex> g(lock);
    if (handles.erase(h) == 0) fault("CloseHandle on a process handle that is not open");
}

int FakeDesktop::pointerBits(Hproc h) {
    std::lock_guard<std::recursive_mutex> g(lock);
    FakeProcess* p = processOfHandle(h);
    return p ? p->pointerBits : 0;
}

bool FakeDesktop::allocRemote(Hproc h, std::size_t size, RemoteAddr* out) {
    std::lock_guard<std::recursive_mutex> g(lock);
    *out = 0;
    FakeProcess* p = processOfHandle(h);
    if (!p) {
        fault("VirtualAllocEx with a process handle that is not open");
        return false;
    }
    if (!p->allocatable || size == 0) return false;
    RemoteAddr a = allocIn(*p, size);
    remoteOwned[{p->pid, a}] = true;
    blockUses[{p->pid, a}].size = size;
    *out = a;
    return true;
}

void FakeDesktop::freeRemote(Hproc h, RemoteAddr a) {
    std::lock_guard<std::recursive_mutex> g(lock);
    FakeProcess* p = processOfHandle(h);
    if (!p || remoteOwned.erase({p->pid, a}) == 0) {
        fault("VirtualFreeEx of a block that was not allocated (or with a closed handle)");
        return;
    }
    p->blocks.erase(a);
}

void FakeDesktop::abandonRemote(Hproc h, RemoteAddr a) {
    std::lock_guard<std::recursive_mutex> g(lock);
    FakeProcess* p = processOfHandle(h);
    if (!p || remoteOwned.erase({p->pid, a}) == 0) {
        fault("abandonRemote of a block that was not allocated (or with a closed handle)");
        return;
    }
    // The block stays in the process's memory: a late answer may still write into it.
    abandoned[{p->pid, a}] = true;
}

bool FakeDesktop::writeRemote(Hproc h, RemoteAddr a, const void* src, std::size_t n) {
    std::lock_guard<std::recursive_mutex> g(lock);
    FakeProcess* p = processOfHandle(h);
    if (!p) {
        fault("WriteProcessMemory with a process handle that is not open");
        return false;
    }
    if (p->ended) return false;
    if (BlockUse* use = blockUseAt(p->pid, a)) ++use->writes;
    return writeMemory(p->pid, a, src, n);
}

bool FakeDesktop::readRemote(Hproc h, RemoteAddr a, void* dst, std::size_t n) {
    std::lock_guard<std::recursive_mutex> g(lock);
    FakeProcess* p = processOfHandle(h);
    if (!p) {
        fault("ReadProcessMemory with a process handle that is not open");
        return false;
    }
    if (p->ended) return false;
    if (BlockUse* use = blockUseAt(p->pid, a)) ++use->reads;
    return readMemory(p->pid, a, dst, n);
}

void* FakeDesktop::allocLocal(std::size_t size) {
    std::lock_guard<std::recursive_mutex> g(lock);
    if (failLocalAlloc || size == 0) return nullptr;
    void* b = std::calloc(1, size);
    if (b) locals[b] = size;
    return b;
}

void FakeDesktop::freeLocal(void* block) {
    std::lock_guard<std::recursive_mutex> g(lock);
    if (!block) return;
    if (locals.erase(block) == 0) {
        fault("VirtualFree of a block that was not allocated");
        return;
    }
    std::free(block);
}

// ---------------------------------------------------------------------------------------------------------
// SystemServices

void FakeDesktop::localTime(LocalTime* out) {
    *out = now;
}

void FakeDesktop::sleepMs(unsigned ms) {
    std::lock_guard<std::recursive_mutex> g(lock);
    sleptMs += ms;
}

int FakeDesktop::messageBox(Hwnd, const char* text, const char* caption, unsigned) {
    std::lock_guard<std::recursive_mutex> g(lock);
    messageBoxes.push_back(std::string(caption ? caption : "") + "|" + (text ? text : ""));
    return messageBoxAnswer;
}

bool FakeDesktop::replaceFile(const char* source, const char* target) {
    return std::rename(source, target) == 0;
}

} // namespace fake
} // namespace vantor
