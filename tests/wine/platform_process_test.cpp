// Process access through the Win32 platform on the specimen's process: the handle and its pointer width,
// a remote block's round trip, the 64-bit records of wire.h exchanged with the specimen's real common
// controls, and what fails once the process has gone.
//
// Threads: the test thread only.
#include "platform/wire.h" // before <windows.h>: the SDK macros share the names of its constants

#include "tests/wine/platform_specimen.h"

#include <cstring>
#include <vector>

namespace vantor {
namespace platformtest {
namespace {

namespace sp = specimen;

// The remote exchange of the cross-process readers: a record at offset 0 and a 260-byte text behind it.
template <typename Record> struct Exchange {
    Hproc process{};
    RemoteAddr remote = 0;
    std::vector<unsigned char> local = std::vector<unsigned char>(sizeof(Record) + wire::kRemoteTextSize, 0);

    bool open(Hwnd control) {
        std::uint32_t pid = 0;
        ws().windowThreadProcessId(control, &pid);
        return procs().openProcess(pid, &process) && procs().allocRemote(process, local.size(), &remote);
    }
    ~Exchange() {
        if (remote != 0) procs().freeRemote(process, remote);
        if (!isNull(process)) procs().closeProcess(process);
    }
    Record* record() { return reinterpret_cast<Record*>(local.data()); }
    RemoteAddr textAddress() const { return remote + sizeof(Record); }
    // Writes the block, sends the message with the remote record (or text) address, reads the block back.
    bool exchange(Hwnd control, UINT msg, std::uintptr_t wParam, RemoteAddr lParam) {
        std::intptr_t result = 0;
        return procs().writeRemote(process, remote, local.data(), local.size()) &&
               ws().sendMessage(control, msg, wParam, static_cast<std::intptr_t>(lParam), &result) &&
               procs().readRemote(process, remote, local.data(), local.size());
    }
    std::string text() const {
        const char* t = reinterpret_cast<const char*>(local.data() + sizeof(Record));
        return std::string(t, strnlen(t, wire::kRemoteTextSize));
    }
};

using PlatformProcess = SpecimenTest;

TEST_F(PlatformProcess, SpecimenProcessOpensAndIs64Bit) {
    Hproc p{};
    ASSERT_TRUE(procs().openProcess(process.dwProcessId, &p));
    EXPECT_FALSE(isNull(p));
    EXPECT_EQ(procs().pointerBits(p), 64);
    procs().closeProcess(p);
}

TEST_F(PlatformProcess, RemoteBlockRoundTrip) {
    Hproc p{};
    ASSERT_TRUE(procs().openProcess(process.dwProcessId, &p));
    RemoteAddr block = 0;
    ASSERT_TRUE(procs().allocRemote(p, 300, &block));
    EXPECT_NE(block, 0u);

    std::vector<unsigned char> bytes(300, 0xEE);
    ASSERT_TRUE(procs().readRemote(p, block, bytes.data(), bytes.size()));
    EXPECT_EQ(bytes, std::vector<unsigned char>(300, 0)) << "a new block starts zero-filled";

    std::vector<unsigned char> pattern(300);
    for (std::size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = static_cast<unsigned char>(i * 7 + 1);
    ASSERT_TRUE(procs().writeRemote(p, block, pattern.data(), pattern.size()));
    const char patch[] = "patched";
    ASSERT_TRUE(procs().writeRemote(p, block + 100, patch, sizeof patch));
    std::memcpy(&pattern[100], patch, sizeof patch);
    ASSERT_TRUE(procs().readRemote(p, block, bytes.data(), bytes.size()));
    EXPECT_EQ(bytes, pattern);

    // This Wine reads and writes a released block without complaint, so the release is checked with a
    // handle that may ask for the state of the target's memory.
    HANDLE query = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, process.dwProcessId);
    ASSERT_NE(query, nullptr);
    MEMORY_BASIC_INFORMATION info{};
    const LPCVOID address = reinterpret_cast<LPCVOID>(static_cast<std::uintptr_t>(block));
    ASSERT_EQ(VirtualQueryEx(query, address, &info, sizeof info), sizeof info);
    EXPECT_EQ(info.State, static_cast<DWORD>(MEM_COMMIT));
    EXPECT_EQ(info.Protect, static_cast<DWORD>(PAGE_READWRITE));
    EXPECT_GE(info.RegionSize, 300u);
    procs().freeRemote(p, block);
    ASSERT_EQ(VirtualQueryEx(query, address, &info, sizeof info), sizeof info);
    EXPECT_EQ(info.State, static_cast<DWORD>(MEM_FREE)) << "the block was released";
    CloseHandle(query);
    procs().closeProcess(p);
}

// wire.h's 64-bit records on the specimen's list view, header, tab control and status bar.
TEST_F(PlatformProcess, RecordsOfWireHReadRealCommonControls) {
    ASSERT_EQ(GetACP(), 932u) << "run under LC_ALL=ja_JP.UTF-8";
    const Hwnd listView = child(sp::kIdListView);
    {
        Exchange<wire::LvItem64> x;
        ASSERT_TRUE(x.open(listView));
        x.record()->mask = wire::LVIF_TEXT;
        x.record()->pszText = x.textAddress();
        x.record()->cchTextMax = static_cast<std::int32_t>(wire::kRemoteTextSize);
        for (int row = 0; row < sp::kListViewFixedRows; ++row) {
            for (int column = 0; column < sp::kListViewColumnCount; ++column) {
                x.record()->iItem = row;
                x.record()->iSubItem = column;
                std::memset(x.local.data() + sizeof(wire::LvItem64), 0, wire::kRemoteTextSize);
                ASSERT_TRUE(x.exchange(listView, wire::LVM_GETITEMA, 0, x.remote));
                char expected[64];
                sp::listViewCell(row, column, expected, sizeof expected);
                EXPECT_EQ(x.text(), expected)
                    << "row " << row << " column " << column << ": " << hexOf(x.text());
            }
        }
    }
    {
        std::intptr_t header = 0;
        ASSERT_TRUE(ws().sendMessage(listView, wire::LVM_GETHEADER, 0, 0, &header));
        const Hwnd headerWindow = static_cast<Hwnd>(static_cast<std::uintptr_t>(header));
        Exchange<wire::HdItem64> x;
        ASSERT_TRUE(x.open(headerWindow));
        x.record()->mask = wire::HDI_TEXT;
        x.record()->pszText = x.textAddress();
        x.record()->cchTextMax = static_cast<std::int32_t>(wire::kRemoteTextSize);
        for (int column = 0; column < sp::kListViewColumnCount; ++column) {
            ASSERT_TRUE(
                x.exchange(headerWindow, wire::HDM_GETITEMA, static_cast<std::uintptr_t>(column), x.remote));
            EXPECT_EQ(x.text(), sp::kListViewColumns[column]) << hexOf(x.text());
        }
    }
    {
        const Hwnd tabs = child(sp::kIdTabControl);
        Exchange<wire::TcItem64> x;
        ASSERT_TRUE(x.open(tabs));
        x.record()->mask = wire::TCIF_TEXT;
        x.record()->pszText = x.textAddress();
        x.record()->cchTextMax = static_cast<std::int32_t>(wire::kRemoteTextSize);
        for (int tab = 0; tab < sp::kTabCount; ++tab) {
            ASSERT_TRUE(x.exchange(tabs, wire::TCM_GETITEMA, static_cast<std::uintptr_t>(tab), x.remote));
            EXPECT_EQ(x.text(), sp::kTabLabels[tab]) << hexOf(x.text());
        }
    }
    {
        const Hwnd status = child(sp::kIdStatusBar);
        Exchange<char> x; // a one-byte placeholder record: the text starts at offset 1
        ASSERT_TRUE(x.open(status));
        ASSERT_TRUE(x.exchange(status, wire::SB_GETTEXTA, 0, x.textAddress()));
        EXPECT_EQ(x.text(), sp::kStatusParts[0]);
    }
}

TEST_F(PlatformProcess, RemoteCallsFailOnceTheProcessHasGone) {
    Hproc p{};
    ASSERT_TRUE(procs().openProcess(process.dwProcessId, &p));
    RemoteAddr block = 0;
    ASSERT_TRUE(procs().allocRemote(p, 64, &block));
    endSpecimen();
    char bytes[64];
    EXPECT_FALSE(procs().readRemote(p, block, bytes, sizeof bytes));
    EXPECT_FALSE(procs().writeRemote(p, block, bytes, sizeof bytes));
    RemoteAddr another = 1;
    EXPECT_FALSE(procs().allocRemote(p, 64, &another));
    EXPECT_EQ(another, 0u);
    procs().freeRemote(p, block);
    procs().closeProcess(p);
}

TEST(PlatformProcessNull, NoProcessNoBlocks) {
    installWin32Platform();
    Hproc p{Hproc{1}};
    EXPECT_FALSE(procs().openProcess(0xFFFFFFF0u, &p));
    EXPECT_TRUE(isNull(p));
    EXPECT_EQ(procs().pointerBits(Hproc{}), 0);
    RemoteAddr block = 1;
    EXPECT_FALSE(procs().allocRemote(Hproc{}, 64, &block));
    EXPECT_EQ(block, 0u);
    char byte = 0;
    EXPECT_FALSE(procs().readRemote(Hproc{}, 0x10000, &byte, 1));
}

TEST(PlatformProcessLocal, LocalBlocksStartZeroFilled) {
    installWin32Platform();
    unsigned char* block = static_cast<unsigned char*>(procs().allocLocal(5000));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::vector<unsigned char>(block, block + 5000), std::vector<unsigned char>(5000, 0));
    block[4999] = 1; // writable to its end
    procs().freeLocal(block);
    procs().freeLocal(nullptr);
    EXPECT_EQ(procs().allocLocal(0), nullptr);
}

} // namespace
} // namespace platformtest
} // namespace vantor
