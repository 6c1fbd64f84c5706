// The end-to-end driver's helpers: processes, windows, and the cross-process reads of vantor.exe's list view
// and toolbar through a block of the target's memory (64-bit layouts: only 64-bit programs run here).
// Threads: the test thread only.
#include "tools/wine_driver/app_driver.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "capture/capture_state.h"
#include "capture/dispatcher.h"
#include "capture/capture_lock.h"
#include "capture/structure_report.h"
#include "platform/win32/scoped_win.h"
#include "platform/win32/win32_hook.h"
#include "platform/win32/win32_platform.h"

namespace vantor {
namespace apptest {

namespace {

const char kMainClass[] = "Vantor [Quellin]";
const char kSpecimenClass[] = "VantorSpecimen";

// A block of another process's memory for one exchange.
class RemoteBlock {
  public:
    RemoteBlock(HWND window, SIZE_T size) : size(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
        if (process) {
            address = VirtualAllocEx(process.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        }
    }
    // The block goes first; the process handle's owner closes it afterwards.
    ~RemoteBlock() {
        if (address != nullptr) VirtualFreeEx(process.get(), address, 0, MEM_RELEASE);
    }
    bool ok() const { return address != nullptr; }
    char* at(SIZE_T offset) const { return static_cast<char*>(address) + offset; }
    bool write(SIZE_T offset, const void* data, SIZE_T n) const {
        return WriteProcessMemory(process.get(), at(offset), data, n, nullptr) != FALSE;
    }
    bool read(SIZE_T offset, void* data, SIZE_T n) const {
        return ReadProcessMemory(process.get(), at(offset), data, n, nullptr) != FALSE;
    }

  private:
    ScopedHandle process;
    void* address = nullptr;
    SIZE_T size;
};

constexpr SIZE_T kTextOffset = 256;
constexpr SIZE_T kTextSize = 4096;

HWND childWithId(HWND parent, int id, const char* className) {
    struct Search {
        int id;
        const char* className;
        HWND found;
    } search{id, className, nullptr};
    EnumChildWindows(
        parent,
        [](HWND w, LPARAM p) CALLBACK -> BOOL {
            Search* s = reinterpret_cast<Search*>(p);
            char cls[256] = "";
            GetClassNameA(w, cls, sizeof cls);
            if (GetDlgCtrlID(w) == s->id && lstrcmpiA(cls, s->className) == 0) {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND topWindowOf(DWORD pid, const char* className) {
    for (HWND w = FindWindowExA(nullptr, nullptr, className, nullptr); w != nullptr;
         w = FindWindowExA(nullptr, w, className, nullptr)) {
        if (processOf(w) == pid) return w;
    }
    return nullptr;
}

} // namespace

bool waitUntil(const std::function<bool()>& cond, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (cond()) return true;
        if (GetTickCount() - start > ms) return false;
        Sleep(20);
    }
}

bool bringToFront(HWND window, DWORD ms) {
    return waitUntil(
        [&] {
            if (GetForegroundWindow() == window) return true;
            SetForegroundWindow(window);
            Sleep(100);
            return GetForegroundWindow() == window;
        },
        ms);
}

Program::~Program() {
    if (!process) return;
    if (running()) TerminateProcess(process.get(), 99);
    WaitForSingleObject(process.get(), 5000);
}

bool Program::running() const {
    return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

int Program::waitExit(DWORD ms) {
    if (!process) return -1;
    if (WaitForSingleObject(process.get(), ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return static_cast<int>(code);
}

std::string binDirectory() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    char* slash = std::strrchr(path, '\\');
    if (slash != nullptr) *slash = '\0';
    return path;
}

std::string makeVantorDirectory(const char* name, bool withHookLibrary, bool with32BitPieces) {
    const std::string dir = binDirectory() + "\\app-test-" + name;
    CreateDirectoryA(dir.c_str(), nullptr);
    DeleteFileA((dir + "\\vantor.ini").c_str());
    CopyFileA((binDirectory() + "\\vantor.exe").c_str(), (dir + "\\vantor.exe").c_str(), FALSE);
    const struct {
        const char* file;
        bool wanted;
    } pieces[] = {{"msghook.dll", withHookLibrary},
                  {"msghook32.dll", withHookLibrary && with32BitPieces},
                  {"vantor-host32.exe", withHookLibrary && with32BitPieces}};
    for (const auto& piece : pieces) {
        if (piece.wanted)
            CopyFileA((binDirectory() + "\\" + piece.file).c_str(), (dir + "\\" + piece.file).c_str(), FALSE);
        else
            DeleteFileA((dir + "\\" + piece.file).c_str());
    }
    return dir;
}

bool startProgram(const std::string& exe, const std::string& arguments, Program* out) {
    std::string line = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    const std::string dir = exe.substr(0, exe.rfind('\\'));
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si,
                        &info))
        return false;
    const ScopedHandle thread(info.hThread); // the first thread is never waited for
    out->process.reset(info.hProcess);
    out->pid = info.dwProcessId;
    return true;
}

DWORD processOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

HWND findDialog(DWORD pid, const char* title) {
    for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", title); w != nullptr;
         w = FindWindowExA(nullptr, w, "#32770", title)) {
        if (processOf(w) == pid && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

bool saveThroughDialog(const Vantor& v, const std::string& path) {
    v.command(32793);
    HWND dialog = nullptr;
    if (!waitUntil(
            [&] { return (dialog = findDialog(processOf(v.main), "名前を付けて別名で保存")) != nullptr; }))
        return false;
    // The file name field: the edit of the file name combo box (cmb13) of the explorer-style dialog.
    HWND name = nullptr;
    if (!waitUntil(
            [&] {
                HWND combo = GetDlgItem(dialog, 0x47C);
                name = combo != nullptr ? FindWindowExA(combo, nullptr, nullptr, nullptr) : nullptr;
                while (name != nullptr && GetDlgCtrlID(name) != 0x47C)
                    name = FindWindowExA(combo, name, nullptr, nullptr);
                if (name != nullptr) name = FindWindowExA(name, nullptr, "Edit", nullptr);
                return name != nullptr;
            },
            5000))
        return false;
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    // The replacement question: a second box of the dialog's title, above the dialog.
    HWND question = nullptr;
    if (!waitUntil([&] {
            for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", nullptr); w != nullptr;
                 w = FindWindowExA(nullptr, w, "#32770", nullptr))
                if (w != dialog && processOf(w) == processOf(v.main) && IsWindowVisible(w) &&
                    GetDlgItem(w, IDYES) != nullptr)
                    question = w;
            return question != nullptr;
        }))
        return false;
    PostMessageA(GetDlgItem(question, IDYES), BM_CLICK, 0, 0);
    return true;
}

bool Vantor::start(const std::string& dir, const char* ini) {
    directory = dir;
    if (ini != nullptr) {
        FILE* f = std::fopen((dir + "\\vantor.ini").c_str(), "wb");
        if (f == nullptr) return false;
        std::fputs(ini, f);
        std::fclose(f);
    }
    if (!startProgram(dir + "\\vantor.exe", "", &program)) return false;
    const DWORD pid = program.pid;
    if (!waitUntil([&] { return (main = topWindowOf(pid, kMainClass)) != nullptr && IsWindowVisible(main); }))
        return false;
    // The window shows before start-up ends (hot keys, tray icon, menu state): wait for the main loop.
    WaitForInputIdle(program.process.get(), 10000);
    listView = childWithId(main, 101, "SysListView32");
    toolbar = childWithId(main, 104, "ToolbarWindow32");
    pane = childWithId(main, 103, "RichEdit");
    rightPane = pane != nullptr ? GetParent(pane) : nullptr;
    return listView != nullptr && toolbar != nullptr && pane != nullptr;
}

int Vantor::exitByMenu() {
    command(105);
    return program.waitExit();
}

HWND Vantor::currentPane() const {
    HWND now = rightPane != nullptr ? GetDlgItem(rightPane, 103) : nullptr;
    return now != nullptr ? now : pane;
}

std::string Vantor::paneText() const {
    HWND pane = currentPane();
    const LRESULT chars = SendMessageW(pane, WM_GETTEXTLENGTH, 0, 0);
    std::vector<char> buffer(static_cast<size_t>(chars) * 2 + 16);
    const LRESULT n = SendMessageA(pane, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return std::string(buffer.data(), static_cast<size_t>(n > 0 ? n : 0));
}

std::vector<std::string> Vantor::listRows() const {
    std::vector<std::string> rows;
    const int count = static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
    RemoteBlock block(listView, kTextOffset + kTextSize);
    if (!block.ok()) return rows;
    for (int i = 0; i < count; ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = block.at(kTextOffset);
        item.cchTextMax = kTextSize;
        block.write(0, &item, sizeof item);
        SendMessageA(listView, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(block.at(0)));
        char text[kTextSize] = "";
        block.read(kTextOffset, text, sizeof text - 1);
        rows.push_back(text);
    }
    return rows;
}

bool Vantor::selectRow(int row) {
    return setRowState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

bool Vantor::addRowToSelection(int row) {
    return setRowState(row, LVIS_SELECTED, LVIS_SELECTED);
}

bool Vantor::unselectRow(int row) {
    return setRowState(row, 0, LVIS_SELECTED | LVIS_FOCUSED);
}

bool Vantor::setRowState(int row, UINT state, UINT mask) {
    if (row < 0) return false; // -1 would mean every row
    RemoteBlock block(listView, sizeof(LVITEMA));
    if (!block.ok()) return false;
    LVITEMA item{};
    item.stateMask = mask;
    item.state = state;
    block.write(0, &item, sizeof item);
    return SendMessageA(listView, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(block.at(0))) != 0;
}

int Vantor::rowOf(const std::string& text) const {
    const std::vector<std::string> rows = listRows();
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i] == text) return static_cast<int>(i);
    return -1;
}

std::vector<Vantor::Button> Vantor::toolbarButtons() const {
    std::vector<Button> buttons;
    const int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
    RemoteBlock block(toolbar, kTextOffset + kTextSize);
    if (!block.ok()) return buttons;
    for (int i = 0; i < count; ++i) {
        TBBUTTON b{};
        SendMessageA(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(block.at(0)));
        block.read(0, &b, sizeof b);
        SendMessageA(toolbar, TB_GETBUTTONTEXTA, b.idCommand,
                     reinterpret_cast<LPARAM>(block.at(kTextOffset)));
        char text[kTextSize] = "";
        block.read(kTextOffset, text, sizeof text - 1);
        buttons.push_back(Button{b.idCommand, text});
    }
    return buttons;
}

int Vantor::toolbarStringCount() const {
    RemoteBlock block(toolbar, kTextSize);
    if (!block.ok()) return -1;
    int count = 0;
    while (SendMessageA(toolbar, TB_GETSTRINGA, MAKEWPARAM(kTextSize, count),
                        reinterpret_cast<LPARAM>(block.at(0))) >= 0)
        ++count;
    return count;
}

bool Vantor::clickToolbarButton(int index) {
    RemoteBlock block(toolbar, sizeof(RECT));
    if (!block.ok()) return false;
    if (SendMessageA(toolbar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(block.at(0))) == 0)
        return false;
    RECT r{};
    block.read(0, &r, sizeof r);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageA(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(toolbar, WM_LBUTTONUP, 0, at);
    return true;
}

std::string Vantor::iniText() const {
    std::string text;
    readFile(directory + "\\vantor.ini", &text);
    return text;
}

void Vantor::pressKey(UINT virtualKey) const {
    const UINT scan = MapVirtualKeyA(virtualKey, 0);
    PostMessageA(main, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    PostMessageA(main, WM_KEYUP, virtualKey, 1 | (scan << 16) | (3u << 30));
}

void Vantor::command(int id) const {
    PostMessageA(main, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

bool Vantor::startMonitoring(HWND target, const char* interval) const {
    if (!bringToFront(target)) return false;
    PostMessageA(main, WM_HOTKEY, 32794, MAKELPARAM(MOD_ALT | MOD_CONTROL, 'M'));
    HWND dialog = nullptr;
    if (!waitUntil([&] { return (dialog = findDialog(processOf(main), "監視")) != nullptr; }, 5000))
        return false;
    SetDlgItemTextA(dialog, 1012, interval);
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    return waitUntil(
        [&] {
            const std::vector<Button> buttons = toolbarButtons();
            return !IsWindow(dialog) && buttons.size() == 1 && buttons[0].id == 32792;
        },
        5000);
}

bool Specimen::start(const std::string& arguments) {
    if (!startProgram(binDirectory() + "\\" + exe, arguments, &program)) return false;
    const DWORD pid = program.pid;
    // Visible once its windows are all made and filled.
    return waitUntil(
        [&] { return (window = topWindowOf(pid, kSpecimenClass)) != nullptr && IsWindowVisible(window); },
        30000);
}

std::string clipboardText() {
    std::string text;
    const OpenedClipboard clipboard(OpenClipboard(nullptr) != FALSE);
    if (!clipboard.opened()) return text;
    const LockedGlobal data(GetClipboardData(CF_TEXT));
    if (data.ptr() != nullptr) text = static_cast<const char*>(data.ptr());
    return text;
}

// Without a tray on the X display this Wine shows each icon as a window of its own in its stand-alone tray.
int trayIconCount() {
    int count = 0;
    for (HWND tray = FindWindowExA(nullptr, nullptr, "__winex11_standalone_tray", nullptr); tray != nullptr;
         tray = FindWindowExA(nullptr, tray, "__winex11_standalone_tray", nullptr)) {
        for (HWND icon = FindWindowExA(tray, nullptr, "__winex11_tray_icon", nullptr); icon != nullptr;
             icon = FindWindowExA(tray, icon, "__winex11_tray_icon", nullptr))
            if (IsWindowVisible(icon)) ++count;
    }
    return count;
}

bool readFile(const std::string& path, std::string* out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    char buffer[65536];
    size_t n = 0;
    out->clear();
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        out->append(buffer, n);
    std::fclose(f);
    return true;
}

std::string engineReportOf(HWND window, CaptureUi* ui) {
    // The first call readies the engine: nothing else in the programs that use the driver installs the
    // platform.
    if (platform().windows == nullptr) {
        installWin32Platform();
        createCaptureState();
        // msghook.dll from beside this program (the build's bin directory, as vantor.exe's), so that the
        // engine reads the specimen's menu bar as vantor.exe does under Wine.
        char directory[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, directory, sizeof directory);
        if (char* slash = std::strrchr(directory, '\\')) *slash = '\0';
        loadHookLibrary(directory);
    }
    CaptureSession session(ui);
    const Hwnd w = fromNative(window);
    writeStructureReport(session, w, nullptr);
    captureWindow(session, w, true);
    return reportSnapshot(session);
}

std::string firstDifference(const std::string& got, const std::string& wanted) {
    std::size_t at = 0;
    while (at < got.size() && at < wanted.size() && got[at] == wanted[at])
        ++at;
    const std::size_t from = at > 40 ? at - 40 : 0;
    return "sizes " + std::to_string(got.size()) + " and " + std::to_string(wanted.size()) +
           ", first difference at " + std::to_string(at) + ": got \"" + got.substr(from, 160) +
           "\", wanted \"" + wanted.substr(from, 160) + "\"";
}

} // namespace apptest
} // namespace vantor
