// libFuzzer target for the bulk answering inside the target (hook/bulk_answer.cpp), built natively against
// the stand-in Windows headers in winstub/ with fake controls whose every answer comes from the input: item
// and column counts (negative, huge), text lengths, texts written up to the capacity given or into a
// buffer of the control's own, selection searches going anywhere, tree links pointing anywhere, windows
// that vanish, a clock that jumps. Whatever the controls answer, nothing may be written outside the records
// block (a heap block of exactly its capacity, so that AddressSanitizer sees a write past it), no signed
// overflow may happen (UndefinedBehaviorSanitizer), and every answer that is not refused must be accepted
// by the program's reader of answers (platform/bulk_format.h) for its request.
// Input: a request (kind, flags, rows, from, capacity choice), then the bytes the controls answer with.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "hook/bulk_answer.h"
#include "platform/bulk_format.h"
#include "platform/wire.h"
#include "winstub/commctrl.h"
#include "winstub/windows.h"

namespace wire = vantor::wire;

namespace {

// The bytes the fake controls answer with, taken in order; zeros once they run out.
struct Script {
    const std::uint8_t* p = nullptr;
    std::size_t n = 0;
    std::uint8_t byte() {
        if (n == 0) return 0;
        --n;
        return *p++;
    }
    std::uint32_t u32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<std::uint32_t>(byte()) << (8 * i);
        return v;
    }
    // A count: small most of the time, sometimes anything (negative or past 32 bits).
    LRESULT count() {
        const std::uint8_t b = byte();
        if (b < 200) return b % 40;
        if (b < 230) return static_cast<std::int32_t>(u32());
        return static_cast<LRESULT>((static_cast<std::uint64_t>(u32()) << 32) | u32());
    }
} script;

DWORD tickCount = 0;
const HWND kHeader = reinterpret_cast<HWND>(0x2000);
// A text the control keeps in its own memory, to point pszText at: NUL-terminated within its size.
char ownText[300];

void writeText(char* to, int capacity) {
    const std::uint8_t mode = script.byte();
    const int length = mode % 3 == 0 ? script.byte() % 8 : script.byte() + script.byte();
    const int n = capacity <= 0 ? 0 : length < capacity ? length : capacity; // may fill all of it, no NUL
    for (int i = 0; i < n; ++i)
        to[i] = static_cast<char>(script.byte() | 0x20);
    if (n < capacity) to[n] = '\0';
}

template <class Item> LRESULT itemQuery(Item* item) {
    const std::uint8_t how = script.byte();
    if (how % 5 == 0) return 0; // FALSE, nothing written
    if (how % 5 == 1) {
        writeText(ownText, static_cast<int>(sizeof ownText) - 1);
        ownText[sizeof ownText - 1] = '\0';
        item->pszText = ownText;
    } else if (how % 5 == 2) {
        item->pszText = nullptr;
    } else {
        writeText(item->pszText, item->cchTextMax);
    }
    return 1;
}

// The same for the wide queries: units of every kind, unpaired surrogates among them.
wchar_t ownTextW[300];

void writeTextW(wchar_t* to, int capacity) {
    static const wchar_t kUnits[] = {L'a', 0x00E9, 0x4E2D, 0xD83D, 0xDE00, 0xD800, 0xDFFF, 0xFFFD};
    const int length = script.byte() % 3 == 0 ? script.byte() % 8 : script.byte() + script.byte();
    const int n = capacity <= 0 ? 0 : length < capacity ? length : capacity; // may fill all of it, no NUL
    for (int i = 0; i < n; ++i)
        to[i] = kUnits[script.byte() % 8];
    if (n < capacity) to[n] = L'\0';
}

template <class Item> LRESULT itemQueryW(Item* item) {
    const std::uint8_t how = script.byte();
    if (how % 5 == 0) return 0;
    if (how % 5 == 1) {
        writeTextW(ownTextW, static_cast<int>(sizeof ownTextW / sizeof ownTextW[0]) - 1);
        ownTextW[sizeof ownTextW / sizeof ownTextW[0] - 1] = L'\0';
        item->pszText = ownTextW;
    } else if (how % 5 == 2) {
        item->pszText = nullptr;
    } else {
        writeTextW(item->pszText, item->cchTextMax);
    }
    return 1;
}

// The length a list box said its item has; the text written is at most that long.
LRESULT lastLength = 0;

} // namespace

LRESULT SendMessageA(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    (void)window;
    (void)wParam;
    switch (msg) {
    case LVM_GETHEADER: return script.byte() % 8 == 0 ? 0 : reinterpret_cast<LRESULT>(kHeader);
    case HDM_GETITEMCOUNT:
    case LVM_GETITEMCOUNT:
    case LB_GETCOUNT:
    case CB_GETCOUNT: return script.count();
    case LVM_GETNEXTITEM: return script.count() - 1;
    case HDM_GETITEMA: return itemQuery(reinterpret_cast<HDITEMA*>(lParam));
    case LVM_GETITEMA: return itemQuery(reinterpret_cast<LVITEMA*>(lParam));
    case TVM_GETITEMA: return itemQuery(reinterpret_cast<TVITEMA*>(lParam));
    case TVM_GETNEXTITEM: {
        const std::uint8_t b = script.byte();
        return b % 4 == 0 ? 0 : static_cast<LRESULT>(1 + b % 16); // a few items, linked any way
    }
    case LB_GETTEXTLEN:
    case CB_GETLBTEXTLEN: {
        const std::uint8_t b = script.byte();
        lastLength = b < 220 ? b : b < 240 ? -1 : static_cast<std::int32_t>(script.u32());
        return lastLength;
    }
    case LB_GETTEXT:
    case CB_GETLBTEXT: {
        // A list box writes its item and a NUL: at most the length it gave (the caller's buffer holds that
        // many bytes and one more).
        char* to = reinterpret_cast<char*>(lParam);
        const LRESULT n = lastLength < 0 ? 0 : script.byte() % (lastLength + 1);
        for (LRESULT i = 0; i < n; ++i)
            to[i] = static_cast<char>(script.byte() | 0x20);
        to[n] = '\0';
        return n;
    }
    default: return 0;
    }
}

LRESULT SendMessageW(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == LVM_GETITEMW) return itemQueryW(reinterpret_cast<LVITEMW*>(lParam));
    if (msg == HDM_GETITEMW) return itemQueryW(reinterpret_cast<HDITEMW*>(lParam));
    return SendMessageA(window, msg, wParam, lParam);
}

BOOL IsWindow(HWND) {
    return script.byte() != 0xFF;
}

DWORD GetTickCount() {
    tickCount += 1 + script.byte() % 64; // at least 1: a chunk ends after a bounded number of rows
    return tickCount;
}

LONG GetWindowLongA(HWND, int) {
    return static_cast<LONG>(script.u32());
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 16) return 0;
    wire::BulkRequest q{};
    q.kind = 1 + data[0] % 4;
    q.flags = data[1] & 1;
    // Wide texts are asked for only of a list view.
    if (q.kind == wire::kBulkListView && (data[1] & 2) != 0) q.flags |= wire::kBulkWideTexts;
    std::memcpy(&q.rows, data + 2, 4);
    std::uint32_t from = 0;
    std::memcpy(&from, data + 6, 4);
    // From 0 (a first chunk), a small row, or anything up to 2^32 and beyond.
    q.from = data[10] % 3 == 0   ? 0
             : data[10] % 3 == 1 ? from % 64
                                 : (static_cast<std::uint64_t>(from) << (data[11] % 33));
    // A records block from a few bytes to full size, allocated to exactly its size.
    const std::size_t capacity = data[12] % 4 == 0 ? wire::kBulkDataSize : 4 + data[13] * 3;
    script.p = data + 16;
    tickCount = 0;
    script.n = size - 16;
    const auto control = reinterpret_cast<HWND>(0x1000);
    q.control = reinterpret_cast<std::uintptr_t>(control);
    // Not zero-filled: the target must not depend on what the block held.
    std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[capacity]);
    std::uint8_t* const records = block.get();
    for (int chunk = 0; chunk < 3; ++chunk) {
        q.sequence = static_cast<std::uint32_t>(chunk + 1);
        wire::BulkAnswer a{};
        const std::size_t used = vantor::hook::answerBulkRequest(control, q, &a, records, capacity);
        if (used > capacity) __builtin_trap();
        if (a.status == wire::kBulkRefused) break;
        a.used = static_cast<std::uint32_t>(used);
        a.checksum = vantor::bulkAnswerChecksum(q, a, records);
        std::vector<std::uint8_t> bytes(sizeof a + used);
        std::memcpy(bytes.data(), &a, sizeof a);
        std::memcpy(bytes.data() + sizeof a, records, used);
        vantor::BulkChunk c;
        const bool first = q.from == 0;
        bool accepted = q.kind == wire::kBulkTreeView
                            ? vantor::readBulkTreeChunk(bytes.data(), bytes.size(), q, &c)
                            : vantor::readBulkListChunk(bytes.data(), bytes.size(), q, first, &c);
        // The target answers a later chunk with its own row count when the list has fewer rows than asked
        // for, and a control gone before anything was read with a bare header; the program refuses both
        // (and reads across processes). Every other answer must be accepted.
        const bool fewerRows = q.kind != wire::kBulkTreeView && !first && a.rows != q.rows;
        const bool goneAtOnce = a.status == wire::kBulkGone && a.records == 0;
        if (!accepted && !fewerRows && !goneAtOnce) __builtin_trap();
        if (a.status != wire::kBulkMore) break;
        if (q.kind != wire::kBulkTreeView && first) q.rows = a.rows;
        q.from = a.next;
    }
    return 0;
}
